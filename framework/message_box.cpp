#include "framework/message_box.h"

#include <cstring>

#include "framework/dialog.h"
#include "framework/win_app.h"

void GetAppTitle(char* out, size_t size) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  const char* name = path;
  for (const char* p = path; *p; p = CharNextExA(CP_ACP, p, 0))
    if (*p == '\\' || *p == '/') name = p + 1;
  lstrcpynA(out, name, int(size));
  char* dot = nullptr;
  for (char* p = out; *p; p = CharNextExA(CP_ACP, p, 0))
    if (*p == '.') dot = p;
  if (dot) *dot = '\0';
}

int AfxMessageBox(const char* text, UINT type) {
  if ((type & MB_ICONMASK) == 0) {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
      case MB_YESNO:
      case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
      default: break;
    }
  }
  char title[MAX_PATH];
  GetAppTitle(title, sizeof title);
  CWinApp* app = AfxGetApp();
  HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
  return MessageBoxA(owner, text, title, type);
}
