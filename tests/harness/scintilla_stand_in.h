#pragma once
// A window class "Scintilla" answering as that editing component does:
// WM_GETTEXT in UTF-16, its SCI_ questions as plain numbers, positions in
// bytes of its document's code page.

#include <windows.h>

#include <algorithm>

enum : UINT {
  kSciGetLength = 2006,
  kSciGetCodePage = 2137,
  kSciGetSelectionStart = 2143,
  kSciGetSelectionEnd = 2145,
  kSciGetLineCount = 2154,
  kSciGetModify = 2159,
  kSciSetSel = 2160,       // start and end, in bytes
  kSciSetCodePage = 2037,
};

// Registers the class in this process, once per thread that makes one.
void RegisterScintillaStandIn();
