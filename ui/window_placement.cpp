// Compact mode, the topmost choice, the remembered position, the minimised
// icon, the About box and the blue totals.
#include <algorithm>
#include <vector>

#include "framework/paint_dc.h"
#include "ui/about_dlg.h"
#include "ui/count_dlg.h"
#include "ui/daily_target_dlg.h"
#include "ui/main_window.h"
#include "ui/todays_writing.h"
#include "ui/writing_history_dlg.h"

RECT g_todayPlace = {};
int g_stripExtra = 0;

int WindowDpi(HWND window) {
  // GetDpiForWindow is Windows 10's: looked up, so older systems still run.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpi) {
    const UINT dpi = getDpi(window);
    if (dpi) return int(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// Moved to a monitor of another DPI: the system's suggested rectangle for
// the full window, the strip laid out again at the new scale.
void CCountDlg::OnDpiChanged(WPARAM dpi, LPARAM suggested) {
  g_windowDpi = LOWORD(dpi);
  const RECT& r = *reinterpret_cast<const RECT*>(suggested);
  if (g_normalMode == 1) {
    g_normalWidth = r.right - r.left;
    g_normalHeight = r.bottom - r.top;
    SetWindowPos(m_hWnd, nullptr, r.left, r.top, g_normalWidth, g_normalHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    SetCompactMode(1);
  }
}

namespace {

// A window's caption band, in 64 bits: a stored position may be anything
// up to INT_MAX.
struct CaptionBand {
  long long left, top, right, bottom, grip;
  bool reachable;
};

BOOL CALLBACK FindWorkAreaHolding(HMONITOR monitor, HDC, RECT*, LPARAM data) {
  CaptionBand& band = *reinterpret_cast<CaptionBand*>(data);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& work = info.rcWork;
  const long long shown = std::min<long long>(band.right, work.right) -
                          std::max<long long>(band.left, work.left);
  band.reachable = band.top >= work.top && band.bottom <= work.bottom && shown >= band.grip;
  return !band.reachable;
}

}  // namespace

// Merely touching a monitor is not enough: a caption under a top panel or
// the taskbar, or a sliver at the screen's edge, cannot be taken hold of.
bool CaptionIsReachable(POINT topLeft, int width, int captionHeight) {
  CaptionBand band = {topLeft.x, topLeft.y, 0LL + topLeft.x + width,
                      0LL + topLeft.y + captionHeight, std::min(width, captionHeight), false};
  EnumDisplayMonitors(nullptr, nullptr, FindWorkAreaHolding, reinterpret_cast<LPARAM>(&band));
  return band.reachable;
}

// From the full window's place as the window itself last had it: the stored
// one may be another's, or old where the settings could not be written.
void CCountDlg::SetCompactMode(int enable) {
  const int left = g_lastX;
  const int top = g_lastY;
  if (enable) {
    if (!g_todayPlace.right) {  // where today's slot goes back to, from the full window
      GetWindowRect(GetDlgItem(IDC_TODAY), &g_todayPlace);
      MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&g_todayPlace), 2);
    }
    const int width = StripWidth();
    g_stripExtra = width - Scaled(kCompactWidth);  // before the move: OnMove reads it
    MoveWindow(m_hWnd, left + CompactOffset() - g_stripExtra, top, width,
               Scaled(g_compactHeight + kCompactTodayHeight), TRUE);
    SetTopmost(true);
    ShowDlgItem(IDC_COMPACT_TOTAL, true);
    MoveDlgItem(IDC_COMPACT_TOTAL, -Scaled(6), 0, width, Scaled(kCompactTotalHeight));
    MoveDlgItem(IDC_TODAY, -Scaled(6), Scaled(kCompactTotalHeight), width,
                Scaled(kCompactTodayHeight));
    ShowDlgItem(IDC_RESULT_GROUP, false);
    HideAllButTheStrips();
  } else {
    ShowWhatTheStripHid();
    MoveWindow(m_hWnd, left, top, g_normalWidth, g_normalHeight, TRUE);
    if (g_todayPlace.right)
      MoveDlgItem(IDC_TODAY, g_todayPlace.left, g_todayPlace.top,
                  g_todayPlace.right - g_todayPlace.left, g_todayPlace.bottom - g_todayPlace.top);
    ShowDlgItem(IDC_RESULT_GROUP, true);
    ShowDlgItem(IDC_COMPACT_TOTAL, false);
    if (!IsDlgButtonChecked(IDC_TOPMOST_ON)) SetTopmost(false);
  }
}

// The controls the strip hid: whatever showed under the total and today's
// line (the top of the mode group, at some DPIs) would peek out below them.
static std::vector<HWND> g_hiddenByStrip;

void CCountDlg::HideAllButTheStrips() {
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(c);
    if (id == IDC_COMPACT_TOTAL || id == IDC_TODAY || !IsWindowVisible(c)) continue;
    ShowWindow(c, SW_HIDE);
    g_hiddenByStrip.push_back(c);
  }
}

void CCountDlg::ShowWhatTheStripHid() {
  for (HWND c : g_hiddenByStrip) ShowWindow(c, SW_SHOW);
  g_hiddenByStrip.clear();
}

// The strip's width: 129 pixels at 96 DPI, or wider, to the left, while
// today's text needs more (a target's share with large numbers), so that it
// is read whole.
int CCountDlg::StripWidth() {
  HWND today = GetDlgItem(IDC_TODAY);
  const std::wstring text = GetDlgItemText(IDC_TODAY);
  SIZE size = {};
  if (HDC dc = GetDC(today)) {
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(today, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(today, dc);
  }
  const DWORD margins = DWORD(SendMessageW(today, EM_GETMARGINS, 0, 0));
  RECT window, client;
  GetWindowRect(m_hWnd, &window);
  GetClientRect(m_hWnd, &client);
  const int frames = (window.right - window.left) - client.right;
  const int needed = size.cx + LOWORD(margins) + HIWORD(margins) +
                     2 * GetSystemMetrics(SM_CXEDGE) + Scaled(6 + 4) + frames;
  return std::max(Scaled(kCompactWidth), needed);
}

void CCountDlg::FitStripToToday() {
  if (g_normalMode != 0) return;
  RECT window;
  GetWindowRect(m_hWnd, &window);
  if (StripWidth() != window.right - window.left) SetCompactMode(1);
}

// The flag changes before the move: the move reaches OnMove at once, and
// OnMove must know which window's edge it is storing.
void CCountDlg::ToggleCompactMode() {
  if (g_normalMode == 1) {
    g_normalMode = 0;
    SetCompactMode(1);
  } else {
    g_normalMode = 1;
    SetCompactMode(0);
  }
}

void CCountDlg::OnSysCommand(UINT id, LPARAM) {
  const UINT command = id & 0xFFF0;
  if (command == IDM_ABOUTBOX) {
    CAboutDlg about(m_hWnd);
    about.DoModal();
  } else if (command == IDM_DAILY_TARGET) {
    if (const std::optional<int> target = AskDailyTarget(m_hWnd, DailyTarget()))
      SetDailyTarget(*target);
  } else if (command == IDM_WRITING_HISTORY) {
    ShowWritingHistory(m_hWnd);
  } else if (command == SC_MAXIMIZE) {
    // From the taskbar while minimised: back on screen first, so the strip
    // is not placed relative to the minimised position.
    if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_RESTORE);
    ToggleCompactMode();
  } else {
    Default();
  }
}

void CCountDlg::OnCompactButton() { ToggleCompactMode(); }

void CCountDlg::OnTopmostOn() {
  SetTopmost(true);
  WriteFlagSetting(kSettingTopmost, true);
}

void CCountDlg::OnTopmostOff() {
  SetTopmost(false);
  WriteFlagSetting(kSettingTopmost, false);
}

void CCountDlg::OnMove(int, int) {
  Default();
  KeepPlace();
}

// Notes and stores the full window's left edge, also while the compact
// strip moves.
void CCountDlg::KeepPlace() {
  RECT window;
  GetWindowRect(m_hWnd, &window);
  if (window.left != g_lastX) {
    g_lastX = window.left;
    if (g_normalMode == 0) g_lastX = window.left - CompactOffset() + g_stripExtra;
    WriteNumberSetting(kSettingWindowX, g_lastX);
  }
  if (window.top != g_lastY) {
    g_lastY = window.top;
    WriteNumberSetting(kSettingWindowY, g_lastY);
  }
}

void CCountDlg::OnPaint() {
  if (!IsIconic(m_hWnd)) {
    Default();
    return;
  }
  CPaintDC dc(m_hWnd);
  SendMessageW(m_hWnd, WM_ICONERASEBKGND, WPARAM(dc.GetSafeHdc()), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(m_hWnd, &client);
  DrawIcon(dc.GetSafeHdc(), (client.right - iconWidth + 1) / 2,
           (client.bottom - iconHeight + 1) / 2, m_hIcon);
}

HICON CCountDlg::OnQueryDragIcon() { return m_hIcon; }
