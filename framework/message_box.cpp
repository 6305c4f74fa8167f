#include "framework/message_box.h"

#include <vector>

#include "framework/dialog.h"
#include "framework/win_app.h"

std::wstring GetAppTitle() {
  std::vector<wchar_t> path(32768);  // a long path's limit
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
  std::wstring name(path.data(), n < path.size() ? n : 0);
  name.erase(0, name.find_last_of(L"\\/") + 1);  // npos + 1 is 0: no folder
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

int AfxMessageBox(const wchar_t* text, UINT type) {
  if ((type & MB_ICONMASK) == 0) {
    switch (type & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL: type |= MB_ICONEXCLAMATION; break;
      case MB_YESNO:
      case MB_YESNOCANCEL: type |= MB_ICONQUESTION; break;
      default: break;
    }
  }
  CWinApp* app = AfxGetApp();
  HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
  return MessageBoxW(owner, text, GetAppTitle().c_str(), type);
}
