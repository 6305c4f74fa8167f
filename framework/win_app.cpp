#include "framework/win_app.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }
CWinApp::~CWinApp() { g_app = nullptr; }

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(HINSTANCE instance) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->m_hInstance = instance;
  app->InitInstance();  // a dialog application returns FALSE: no message loop
  return 0;
}

// The UTF-16 entry (linked with -municode); the command line is not used.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  return AfxWinMain(instance);
}
