#pragma once
// The main dialog: the whole user interface of Vantorix.

#include <windows.h>

#include "framework/dialog.h"

class CCountDlg : public CDialog {
 public:
  // `programIsIntact` is the self-check start-up runs last: false ends the
  // program with a warning.
  explicit CCountDlg(bool (*programIsIntact)());
  ~CCountDlg() override;

  // Compact mode: a strip 129 pixels wide at 96 DPI showing only the total
  // and today's writing.
  void SetCompactMode(int enable);
  void ToggleCompactMode();
  // Widens or narrows the strip, when it shows, to today's text.
  void FitStripToToday();

 protected:
  BOOL OnInitDialog() override;

  // Message handlers, in the order of the message map.
  void OnSysCommand(UINT id, LPARAM param);
  void OnPaint();
  HICON OnQueryDragIcon();
  void OnFrequencyCheck();
  void OnFrequencyChange();
  void OnCategoryCheck(UINT box);
  void OnTopmostOn();
  void OnTopmostOff();
  void OnModeChange();
  void OnDrawClipboard();
  void OnChangeCbChain(HWND removed, HWND next);
  void OnMove(int x, int y);
  void OnDropFiles(HDROP drop);
  void OnCount(WPARAM wParam, LPARAM lParam);
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
  void OnCompactButton();
  void OnDpiChanged(WPARAM dpi, LPARAM suggested);
  void OnEndSession(WPARAM ending, LPARAM);
  void OnDestroy();
  void OnCancel() override;
  DECLARE_MESSAGE_MAP()

 private:
  void AddSystemMenuEntries();
  int StripWidth();
  void HideAllButTheStrips();
  void ShowWhatTheStripHid();
  void RestoreWindowPosition();
  void KeepPlace();
  void RestoreMode();
  void RestoreCategoryTicks();
  void RestoreTopmost();
  void StartSampling(int intervalMs);
  void StopSampling();
  int SelectedMode();
  void SetTopmost(bool topmost);

  bool (*m_programIsIntact)();
  HICON m_hIcon;
  HWND m_nextClipboardViewer = nullptr;
};
