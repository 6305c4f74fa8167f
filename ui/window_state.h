#pragma once
// The main window's part of the process-wide state, shared by its handlers
// on the user-interface thread.

class CCountDlg;

extern int g_intervalMs;      // sampling interval of the foreground editor, ms
extern int g_clipboardWatch;  // 1 while clipboard changes are counted
extern int g_normalMode;      // 1 = full window, 0 = compact strip
extern bool g_skinned;        // the skin is attached
extern int g_compactHeight;   // compact strip height at 96 DPI, px (taller when skinned)
extern int g_windowDpi;       // the window's DPI: sizes set in pixels follow it
extern int g_normalWidth;     // full window size taken at start-up, px
extern int g_normalHeight;
extern int g_lastX;  // the full window's place, as last noted and stored, px
extern int g_lastY;

extern CCountDlg* g_mainDlg;  // the main dialog, set by its constructor
