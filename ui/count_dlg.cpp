#include "ui/count_dlg.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "engine/recount.h"
#include "framework/message_box.h"
#include "framework/win_app.h"
#include "res/resource.h"
#include "settings/settings_store.h"
#include "skin/skin_loader.h"
#include "sources/background_count.h"
#include "sources/clipboard_reader.h"
#include "sources/editor_sampler.h"
#include "sources/file_reader.h"
#include "ui/file_choice.h"
#include "ui/main_window.h"
#include "ui/todays_writing.h"

const MessageEntry CCountDlg::kMessageMap[] = {
    map::SysCommand<&CCountDlg::OnSysCommand>(),
    map::Paint<&CCountDlg::OnPaint>(),
    map::QueryDragIcon<&CCountDlg::OnQueryDragIcon>(),
    map::Clicked<IDC_FREQ_CHECK, &CCountDlg::OnFrequencyCheck>(),
    map::EditChanged<IDC_FREQ_EDIT, &CCountDlg::OnFrequencyChange>(),
    map::ClickedWithId<IDC_CN_CHARS_CHECK, &CCountDlg::OnCategoryCheck>(),
    map::ClickedWithId<IDC_CN_PUNCT_CHECK, &CCountDlg::OnCategoryCheck>(),
    map::ClickedWithId<IDC_EN_CHARS_CHECK, &CCountDlg::OnCategoryCheck>(),
    map::ClickedWithId<IDC_EN_PUNCT_CHECK, &CCountDlg::OnCategoryCheck>(),
    map::Clicked<IDC_TOPMOST_ON, &CCountDlg::OnTopmostOn>(),
    map::Clicked<IDC_TOPMOST_OFF, &CCountDlg::OnTopmostOff>(),
    map::SelChange<IDC_MODE_COMBO, &CCountDlg::OnModeChange>(),
    map::DrawClipboard<&CCountDlg::OnDrawClipboard>(),
    map::ChangeCbChain<&CCountDlg::OnChangeCbChain>(),
    map::Move<&CCountDlg::OnMove>(),
    map::DropFiles<&CCountDlg::OnDropFiles>(),
    map::Posted<kCountMessage, &CCountDlg::OnCount>(),
    map::CtlColor<&CCountDlg::OnCtlColor>(),
    map::Clicked<IDC_COMPACT_BUTTON, &CCountDlg::OnCompactButton>(),
    map::DpiChanged<&CCountDlg::OnDpiChanged>(),
    map::Posted<WM_ENDSESSION, &CCountDlg::OnEndSession>(),
    map::Destroy<&CCountDlg::OnDestroy>(),
};
const size_t CCountDlg::kMessageMapSize = std::size(CCountDlg::kMessageMap);

namespace {

void WriteToMainDialog(int id, const wchar_t* text) {
  if (g_mainDlg) g_mainDlg->SetDlgItemText(id, text);
}

// The bytes that can be read from `at` on, `most` at the most.
size_t ReadableBytes(const char* at, size_t most) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                              PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  size_t readable = 0;
  MEMORY_BASIC_INFORMATION region;
  while (readable < most && VirtualQuery(at + readable, &region, sizeof region) == sizeof region) {
    if (region.State != MEM_COMMIT || !(region.Protect & kReadable) || (region.Protect & PAGE_GUARD))
      break;
    readable = size_t(static_cast<const char*>(region.BaseAddress) + region.RegionSize - at);
  }
  return std::min(readable, most);
}

// Any program may post WM_DROPFILES, and the system reads a drop trusting
// its offset and its closing zeros: a damaged one would read past its
// memory and take the window down. True when the names lie in readable
// memory and end with an empty one.
bool DropIsWellFormed(HDROP drop) {
  const auto* block = static_cast<const char*>(GlobalLock(drop));
  if (!block) return false;
  const size_t readable = ReadableBytes(block, size_t(1) << 28);
  bool ok = false;
  if (readable >= sizeof(DROPFILES)) {
    DROPFILES header;
    std::memcpy(&header, block, sizeof header);
    const size_t unit = header.fWide ? sizeof(wchar_t) : 1;
    int zeros = 0;
    for (size_t at = header.pFiles; !ok && at + unit <= readable; at += unit) {
      zeros = (unit == 1 ? block[at] == 0 : block[at] == 0 && block[at + 1] == 0) ? zeros + 1 : 0;
      ok = zeros == 2;
    }
  }
  GlobalUnlock(drop);
  return ok;
}

// EnumThreadWindows' callback: ends each dialog and message box of this
// thread but the main window: as Cancel, or No where there is no Cancel
// (the yes/no question).
BOOL CALLBACK CancelOwnDialog(HWND window, LPARAM main) {
  wchar_t cls[16];
  if (window == HWND(main) || !IsWindowVisible(window) || !GetClassNameW(window, cls, 16) ||
      std::wcscmp(cls, L"#32770") != 0)
    return TRUE;
  const bool yesNo = GetDlgItem(window, IDNO) && !GetDlgItem(window, IDCANCEL);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(yesNo ? IDNO : IDCANCEL, BN_CLICKED), 0);
  return TRUE;
}

}  // namespace

CCountDlg::CCountDlg(bool (*programIsIntact)())
    : CDialog(IDD_MAIN), m_programIsIntact(programIsIntact) {
  m_hIcon = LoadIconW(AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleW(nullptr),
                      MAKEINTRESOURCEW(IDR_MAINFRAME));
  g_mainDlg = this;
  SetSlotSink(WriteToMainDialog);
}

CCountDlg::~CCountDlg() {
  SetSlotSink(nullptr);
  if (g_mainDlg == this) g_mainDlg = nullptr;
}

BOOL CCountDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, LPARAM(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, LPARAM(m_hIcon));
  SetCountWindow(m_hWnd);
  AddSystemMenuEntries();
  g_windowDpi = WindowDpi(m_hWnd);
  g_skinned = ApplySkin(*this);
  g_compactHeight = g_skinned ? kSkinnedCompactHeight : kPlainCompactHeight;
  SendDlgItemMessage(IDC_MODE_COMBO, CB_SETCURSEL, kModeEditor);
  ShowZeroResults();
  CheckDlgButton(IDC_TOPMOST_ON, BST_CHECKED);
  CheckDlgButton(IDC_CN_CHARS_CHECK, BST_CHECKED);
  CheckDlgButton(IDC_EN_CHARS_CHECK, BST_CHECKED);
  SetTopmost(true);
  m_nextClipboardViewer = SetClipboardViewer(m_hWnd);
  RECT window;
  GetWindowRect(m_hWnd, &window);
  g_normalWidth = window.right - window.left;
  g_normalHeight = window.bottom - window.top;
  RestoreWindowPosition();
  RestoreMode();
  // OnFrequencyChange judges it, a failed read's status text included.
  SetDlgItemText(IDC_FREQ_EDIT, ReadSettingText(kSettingFrequency).c_str());
  // Sampling starts at the default pace whatever was restored; the stored
  // interval takes over once the mode or frequency controls are used.
  StopSampling();
  StartSampling(kDefaultIntervalMs);
  RestoreCategoryTicks();
  Recount(nullptr, 0);
  RestoreTopmost();
  StartTodaysWriting(m_hWnd);
  SetDlgItemText(IDC_STATUS, kHintText);
  if (!m_programIsIntact()) {
    AfxMessageBox(kAlteredProgramWarning, MB_OK | MB_ICONSTOP);
    EndDialog(IDCANCEL);
  }
  return TRUE;
}

// The window's own commands below the system's: the daily target, the
// writing record and the About box.
void CCountDlg::AddSystemMenuEntries() {
  HMENU menu = GetSystemMenu(m_hWnd, FALSE);
  if (!menu) return;
  HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleW(nullptr);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (const auto& [command, text] : {std::pair{IDM_DAILY_TARGET, IDS_DAILY_TARGET},
                                      std::pair{IDM_WRITING_HISTORY, IDS_WRITING_HISTORY},
                                      std::pair{IDM_ABOUTBOX, IDS_ABOUTBOX}}) {
    wchar_t name[64] = L"";
    LoadStringW(instance, UINT(text), name, int(std::size(name)));
    AppendMenuW(menu, MF_STRING, UINT_PTR(command), name);
  }
}

void CCountDlg::RestoreWindowPosition() {
  const POINT stored = {ReadNumberSetting(kSettingWindowX, 0),
                        ReadNumberSetting(kSettingWindowY, 0)};
  // The caption's height as this window has it (at its DPI, with or
  // without the skin), the system's at least.
  RECT window = {}, client = {};
  GetWindowRect(m_hWnd, &window);
  GetClientRect(m_hWnd, &client);
  MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const int caption = std::max<int>(client.top - window.top, GetSystemMetrics(SM_CYCAPTION));
  if (stored.x > 0 && stored.y > 0 && CaptionIsReachable(stored, g_normalWidth, caption)) {
    SetWindowPos(m_hWnd, nullptr, stored.x, stored.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    // Centred here, not left to the framework: below a top panel the dialog
    // manager has already moved the new window off 0,0, which reads as placed.
    CenterOnWorkArea();
  }
  KeepPlace();  // also where the window did not move, so no WM_MOVE noted it
}

void CCountDlg::RestoreMode() {
  int mode = ReadNumberSetting(kSettingMode, kModeEditor);
  if (mode < 0) mode = kModeEditor;
  // An index past the list leaves it without a selection (not every
  // system clears it by itself).
  if (SendDlgItemMessage(IDC_MODE_COMBO, CB_SETCURSEL, WPARAM(mode)) == CB_ERR)
    SendDlgItemMessage(IDC_MODE_COMBO, CB_SETCURSEL, WPARAM(kModeNone));
  SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_MODE_COMBO, CBN_SELCHANGE),
               LPARAM(GetDlgItem(IDC_MODE_COMBO)));
}

void CCountDlg::RestoreCategoryTicks() {
  for (const CategoryBox& box : kCategoryBoxes) {
    const StoredFlag stored = ReadFlagSetting(box.subkey);
    if (stored == StoredFlag::kYes) {
      *box.flag = 1;
      CheckDlgButton(box.id, BST_CHECKED);
    } else if (box.tickedByDefault) {
      if (stored == StoredFlag::kNo) {
        *box.flag = 0;
        CheckDlgButton(box.id, BST_UNCHECKED);
      }
    } else {
      CheckDlgButton(box.id, BST_UNCHECKED);
    }
  }
}

void CCountDlg::RestoreTopmost() {
  const StoredFlag stored = ReadFlagSetting(kSettingTopmost);
  if (stored == StoredFlag::kNo) {
    SetTopmost(false);
    CheckDlgButton(IDC_TOPMOST_ON, BST_UNCHECKED);
    CheckDlgButton(IDC_TOPMOST_OFF, BST_CHECKED);
  } else {
    SetTopmost(true);
    if (stored == StoredFlag::kYes) CheckDlgButton(IDC_TOPMOST_ON, BST_CHECKED);
  }
}

void CCountDlg::StartSampling(int intervalMs) {
  ResetEditorSampler();
  if (!SetTimer(m_hWnd, kSamplingTimer, UINT(intervalMs), SampleForegroundEditor))
    SetDlgItemText(IDC_STATUS, kTimerFailedText);
}

void CCountDlg::StopSampling() { KillTimer(m_hWnd, kSamplingTimer); }

int CCountDlg::SelectedMode() {
  return int(SendDlgItemMessage(IDC_MODE_COMBO, CB_GETCURSEL));
}

void CCountDlg::SetTopmost(bool topmost) {
  SetWindowPos(m_hWnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Clipboard viewer chain: count while watching, and do our part of the
// chain: pass every notification on, follow the chain's changes, and leave
// it when the window goes.
void CCountDlg::OnDrawClipboard() {
  Default();
  if (m_nextClipboardViewer)
    SendMessageW(m_nextClipboardViewer, WM_DRAWCLIPBOARD, 0, 0);
  if (g_clipboardWatch) CountClipboardText();
}

void CCountDlg::OnChangeCbChain(HWND removed, HWND next) {
  if (removed == m_nextClipboardViewer)
    m_nextClipboardViewer = next;
  else if (m_nextClipboardViewer)
    SendMessageW(m_nextClipboardViewer, WM_CHANGECBCHAIN, WPARAM(removed), LPARAM(next));
}

// Told to close while a dialog of ours waits (WM_CLOSE, as End Task
// sends): each dialog's loop runs above ours and would keep the program
// alive, hidden, until answered. End them, and forget dropped files still
// waiting, which could ask another question.
void CCountDlg::OnCancel() {
  AnalyzeFiles({}, nullptr);
  EnumThreadWindows(GetCurrentThreadId(), CancelOwnDialog, LPARAM(m_hWnd));
  CDialog::OnCancel();
}

// The system ends the program after this without closing the window.
void CCountDlg::OnEndSession(WPARAM ending, LPARAM) {
  if (ending) SaveTodaysWriting();
}

void CCountDlg::OnDestroy() {
  // A cancelled count stops within one piece; the process must not end
  // under it.
  CancelCount(kCountEndWaitMs);
  SetCountWindow(nullptr);
  ChangeClipboardChain(m_hWnd, m_nextClipboardViewer);
  m_nextClipboardViewer = nullptr;
  StopSampling();
  FinishTodaysWriting(m_hWnd);
  Default();
}

void CCountDlg::OnDropFiles(HDROP drop) {
  if (!DropIsWellFormed(drop)) return;  // not the system's to free either
  StopSampling();
  g_clipboardWatch = 0;
  EnableDlgItem(IDC_FREQ_EDIT, false);
  EnableDlgItem(IDC_FREQ_CHECK, false);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::wstring> paths;
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');  // any length
    path.resize(DragQueryFileW(drop, i, &path[0], UINT(path.size())));
    paths.push_back(path);
  }
  SendDlgItemMessage(IDC_MODE_COMBO, CB_SETCURSEL, kModeFile);  // no notification
  CloseOpenQuestion();  // the newest drop wins: its question, if any, replaces it
  AnalyzeFiles(std::move(paths), UserWantsToCountOtherType);
  DragFinish(drop);
  Default();
}

void CCountDlg::OnCount(WPARAM wParam, LPARAM lParam) { OnCountMessage(wParam, lParam); }

HBRUSH CCountDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
  const HBRUSH base = HBRUSH(Default());
  const int id = GetDlgCtrlID(control);
  if (kind == CTLCOLOR_EDIT && (id == IDC_COMPACT_TOTAL || id == IDC_TOTAL_EDIT)) {
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    // The base brush, not none: an edit given no brush asks the default
    // handling, which would put the text colour back to black.
  }
  return base;
}
