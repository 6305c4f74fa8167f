#include "ui/window_state.h"

int g_intervalMs = 100;
int g_clipboardWatch = 0;
int g_normalMode = 1;
bool g_skinned = false;
int g_compactHeight = 42;
int g_windowDpi = 96;
int g_normalWidth = 0;
int g_normalHeight = 0;
int g_lastX = 0;
int g_lastY = 0;

CCountDlg* g_mainDlg = nullptr;
