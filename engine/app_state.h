#pragma once
// The engine's part of the process-wide state: the counts of the last text
// scanned and the category ticks that make up the total. Only the
// user-interface thread touches it, so nothing here is locked. The window's
// own state lives in ui/window_state.h.

// A count: a whole number held in a double.
typedef double Count;

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
// Word's figures of the same text: 字数 and 字符数(不计空格). No tick
// touches them.
extern Count g_words;
extern Count g_charsNoSpace;
