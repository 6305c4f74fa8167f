#pragma once
// The application's message box: owned by the main window, captioned with
// the executable's name without its extension; a plain OK box gets the
// exclamation icon.

#include <windows.h>

int AfxMessageBox(const char* text, UINT type = MB_OK);

// The executable's file name without folder and extension ("Vantorix").
void GetAppTitle(char* out, size_t size);
