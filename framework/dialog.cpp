#include "framework/dialog.h"

#include <cstring>
#include <string>

#include "framework/win_app.h"

namespace {

const wchar_t kSelfProperty[] = L"Vantorix.CDialog";

// Initialisation data messages, as resource compilers store them (their
// 16-bit values) and as the controls take them.
constexpr WORD kInitListAdd16 = 0x0401;
constexpr WORD kInitComboAdd16 = 0x0403;

UINT InitDataMessage(WORD stored) {
  switch (stored) {
    case kInitListAdd16: return LB_ADDSTRING;
    case kInitComboAdd16: return CB_ADDSTRING;
    default: return stored;
  }
}

}  // namespace

CDialog::CDialog(UINT templateId, HWND parent)
    : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  CWinApp* app = AfxGetApp();
  HINSTANCE instance = app ? app->m_hInstance : GetModuleHandleW(nullptr);
  // Without a parent, the main window owns the dialog, so that it waits.
  HWND owner = m_parent;
  if (!owner && app && app->m_pMainWnd && app->m_pMainWnd != this)
    owner = app->m_pMainWnd->GetSafeHwnd();
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(m_templateId), owner,
                         DialogProc, LPARAM(this));
}

void CDialog::EndDialog(int result) {
  if (m_hWnd) ::EndDialog(m_hWnd, result);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
  if (msg != WM_INITDIALOG) return FALSE;  // the window procedure has it all
  auto* self = reinterpret_cast<CDialog*>(lParam);
  return self->InitDialog(hwnd);
}

BOOL CDialog::InitDialog(HWND hwnd) {
  m_hWnd = hwnd;
  SetPropW(hwnd, kSelfProperty, HANDLE(this));
  m_dialogManagerProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, LONG_PTR(WindowProc)));
  RECT before;
  GetWindowRect(hwnd, &before);
  m_current = Message{WM_INITDIALOG, 0, 0};
  const BOOL result = OnInitDialog();
  if (IsWindow(hwnd)) CenterIfNotPlaced(before);
  return result;
}

// A template without a position of its own is centred, unless OnInitDialog
// placed the window itself.
void CDialog::CenterIfNotPlaced(const RECT& before) {
  RECT now;
  GetWindowRect(m_hWnd, &now);
  if (!EqualRect(&before, &now) || before.left != 0 || before.top != 0) return;
  CenterOnWorkArea();
}

void CDialog::CenterOnWorkArea() {
  RECT now;
  GetWindowRect(m_hWnd, &now);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = now.right - now.left, height = now.bottom - now.top;
  SetWindowPos(m_hWnd, nullptr,
               area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK CDialog::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CDialog*>(GetPropW(hwnd, kSelfProperty));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  const LRESULT result = self->Dispatch(Message{msg, wParam, lParam});
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, LONG_PTR(self->m_dialogManagerProc));
    RemovePropW(hwnd, kSelfProperty);
    self->m_hWnd = nullptr;
  }
  return result;
}

LRESULT CDialog::Dispatch(const Message& msg) {
  const Message outer = m_current;  // handlers may send messages to us
  m_current = msg;
  LRESULT result;
  if (const MessageEntry* entry = FindEntry(msg)) {
    result = entry->call(*this, msg.wParam, msg.lParam);
  } else if (msg.message == WM_COMMAND && HIWORD(msg.wParam) == BN_CLICKED &&
             (LOWORD(msg.wParam) == IDOK || LOWORD(msg.wParam) == IDCANCEL)) {
    if (LOWORD(msg.wParam) == IDOK) OnOK(); else OnCancel();
    result = 0;
  } else {
    result = Default();
  }
  m_current = outer;
  return result;
}

const MessageEntry* CDialog::FindEntry(const Message& msg) const {
  const bool ctlColor = msg.message >= WM_CTLCOLORMSGBOX && msg.message <= WM_CTLCOLORSTATIC;
  for (const MessageEntry* e = MessageMapBegin(); e != MessageMapEnd(); ++e) {
    if (e->message == kAnyCtlColor) {
      if (ctlColor) return e;
    } else if (e->message == msg.message) {
      if (msg.message != WM_COMMAND) return e;
      if (e->code == HIWORD(msg.wParam) && e->id == LOWORD(msg.wParam)) return e;
    }
  }
  return nullptr;
}

LRESULT CDialog::Default() {
  if (!m_dialogManagerProc) return 0;
  return CallWindowProcW(m_dialogManagerProc, m_hWnd, m_current.message,
                         m_current.wParam, m_current.lParam);
}

BOOL CDialog::OnInitDialog() {
  RunInitData();
  return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// The dialog's initialisation data (resource type 240, same identifier as
// the template): entries of {WORD control, WORD message, DWORD length,
// length bytes of data}, ended by a control of 0. The data of ours is
// UTF-16 text, so the entries read the same under any code page.
void CDialog::RunInitData() {
  HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance
                                   : GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(m_templateId),
                              MAKEINTRESOURCEW(240));
  if (!found) return;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, found)));
  const DWORD size = SizeofResource(instance, found);
  if (!data) return;
  DWORD at = 0;
  while (at + 8 <= size) {
    WORD control, message;
    DWORD length;
    std::memcpy(&control, data + at, 2);
    std::memcpy(&message, data + at + 2, 2);
    std::memcpy(&length, data + at + 4, 4);
    at += 8;
    if (control == 0 || length > size - at) break;
    std::wstring text(length / sizeof(wchar_t), L'\0');
    std::memcpy(&text[0], data + at, text.size() * sizeof(wchar_t));  // ends inside our copy
    SendDlgItemMessage(control, InitDataMessage(message), 0, LPARAM(text.data()));
    at += length;
  }
}

HWND CDialog::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

void CDialog::SetDlgItemText(int id, const wchar_t* text) {
  ::SetDlgItemTextW(m_hWnd, id, text);
}

std::wstring CDialog::GetDlgItemText(int id) const {
  HWND item = GetDlgItem(id);
  const int length = GetWindowTextLengthW(item);
  std::wstring text(size_t(length) + 1, L'\0');
  const int got = GetWindowTextW(item, &text[0], length + 1);
  text.resize(size_t(got > 0 ? got : 0));
  return text;
}

int CDialog::IsDlgButtonChecked(int id) const {
  return int(::IsDlgButtonChecked(m_hWnd, id));
}

void CDialog::CheckDlgButton(int id, int state) {
  ::CheckDlgButton(m_hWnd, id, UINT(state));
}

void CDialog::EnableDlgItem(int id, bool enable) {
  EnableWindow(GetDlgItem(id), enable);
}

void CDialog::ShowDlgItem(int id, bool show) {
  ShowWindow(GetDlgItem(id), show ? SW_SHOW : SW_HIDE);
}

void CDialog::MoveDlgItem(int id, int x, int y, int width, int height) {
  MoveWindow(GetDlgItem(id), x, y, width, height, TRUE);
}

LRESULT CDialog::SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::SendDlgItemMessageW(m_hWnd, id, msg, wParam, lParam);
}
