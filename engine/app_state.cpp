#include "engine/app_state.h"

int g_intervalMs = 100;

int g_cnCharsOn = 1;
int g_cnPunctOn = 0;
int g_enCharsOn = 1;
int g_enPunctOn = 0;

Count g_cnChars = 0.0;
Count g_cnPunct = 0.0;
Count g_enChars = 0.0;
Count g_enPunct = 0.0;

int g_clipboardWatch = 0;
int g_normalMode = 1;
int g_compactHeight = 42;
int g_normalWidth = 0;
int g_normalHeight = 0;
int g_lastX = 0;
int g_lastY = 0;

CCountDlg* g_mainDlg = nullptr;
