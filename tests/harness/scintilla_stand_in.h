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
  kSciGetSelections = 2570,
  kSciAddSelection = 2573,  // caret and anchor, in bytes
  kSciGetSelectionNStart = 2585,
  kSciGetSelectionNEnd = 2587,
  kStandInRectangle = 0x7F00,  // the stand-in's own: its selection is a rectangle's
};

// Registers the class in this process, once per thread that makes one.
void RegisterScintillaStandIn();
