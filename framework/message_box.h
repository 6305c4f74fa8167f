#pragma once
// The application's message box: owned by the main window, captioned with
// the executable's name without its extension; a plain OK box gets the
// exclamation icon.

#include <windows.h>

#include <string>

int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);

// The executable's file name without folder and extension ("Vantorix").
std::wstring GetAppTitle();
