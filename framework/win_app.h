#pragma once
// The application object: one global instance, whose InitInstance the
// process entry calls. A dialog application shows its dialog modally there
// and returns FALSE, so the process ends when the dialog closes.

#include <windows.h>

class CDialog;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  virtual BOOL InitInstance() = 0;

  HINSTANCE m_hInstance = nullptr;
  CDialog* m_pMainWnd = nullptr;  // owner of the application's message boxes
};

CWinApp* AfxGetApp();

// Runs the application: called by wWinMain; returns the process exit code.
int AfxWinMain(HINSTANCE instance);
