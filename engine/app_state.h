#pragma once
// Process-wide state shared by the main window's handlers. Only the
// user-interface thread touches it, so nothing here is locked.

class CCountDlg;

// A count: a whole number held in a double.
typedef double Count;

extern int g_intervalMs;  // sampling interval of the foreground editor, ms

// Category ticks (0 or 1): which counts make up the total.
extern int g_cnCharsOn;
extern int g_cnPunctOn;
extern int g_enCharsOn;
extern int g_enPunctOn;

// Counts of the last text scanned.
extern Count g_cnChars;
extern Count g_cnPunct;
extern Count g_enChars;
extern Count g_enPunct;

extern int g_clipboardWatch;  // 1 while clipboard changes are counted
extern int g_normalMode;      // 1 = full window, 0 = compact strip
extern int g_compactHeight;   // compact strip height, px (55 when skinned)
extern int g_normalWidth;     // full window size taken at start-up, px
extern int g_normalHeight;
extern int g_lastX;  // last window position written to the settings, px
extern int g_lastY;

extern CCountDlg* g_mainDlg;  // the main dialog, set by its constructor
