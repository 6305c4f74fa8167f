// Calculation modes, the sampling frequency and the category ticks.
#include <cwchar>
#include <string>

#include "engine/recount.h"
#include "sources/background_count.h"
#include "sources/clipboard_reader.h"
#include "sources/file_reader.h"
#include "ui/count_dlg.h"
#include "ui/file_choice.h"
#include "ui/main_window.h"

const CategoryBox kCategoryBoxes[4] = {
    {IDC_CN_CHARS_CHECK, &g_cnCharsOn, kSettingCnChars, true},
    {IDC_CN_PUNCT_CHECK, &g_cnPunctOn, kSettingCnPunct, false},
    {IDC_EN_CHARS_CHECK, &g_enCharsOn, kSettingEnChars, true},
    {IDC_EN_PUNCT_CHECK, &g_enPunctOn, kSettingEnPunct, false},
};

void CCountDlg::OnModeChange() {
  const int mode = SelectedMode();
  CancelCount();
  ShowZeroResults();
  SetDlgItemText(IDC_STATUS, kHintText);
  StopSampling();
  g_clipboardWatch = 0;
  switch (mode) {
    case kModeEditor:
      if (IsDlgButtonChecked(IDC_FREQ_CHECK)) EnableDlgItem(IDC_FREQ_EDIT, true);
      EnableDlgItem(IDC_FREQ_CHECK, true);
      StartSampling(g_intervalMs);
      break;
    case kModeClipboard:
      EnableDlgItem(IDC_FREQ_EDIT, false);
      EnableDlgItem(IDC_FREQ_CHECK, false);
      g_clipboardWatch = 1;
      CountClipboardText();
      break;
    case kModeFile:
      EnableDlgItem(IDC_FREQ_EDIT, false);
      EnableDlgItem(IDC_FREQ_CHECK, false);
      ChooseAndAnalyzeFile();
      break;
    default:
      break;
  }
}

void CCountDlg::OnFrequencyCheck() {
  StopSampling();
  g_clipboardWatch = 0;
  if (IsDlgButtonChecked(IDC_FREQ_CHECK)) {
    // OnFrequencyChange judges it, a failed read's status text included.
    SetDlgItemText(IDC_FREQ_EDIT, ReadSettingText(kSettingFrequency).c_str());
    EnableDlgItem(IDC_FREQ_EDIT, true);
  } else {
    g_intervalMs = kDefaultIntervalMs;
    EnableDlgItem(IDC_FREQ_EDIT, false);
  }
  const int mode = SelectedMode();
  if (mode == kModeEditor) StartSampling(g_intervalMs);
  if (mode == kModeClipboard) g_clipboardWatch = 1;
}

// Any change of the frequency text, typed or set by the program. Setting
// the box from here runs this handler again, once, before the outer run
// writes its own status text.
void CCountDlg::OnFrequencyChange() {
  StopSampling();
  const std::wstring text = GetDlgItemText(IDC_FREQ_EDIT).substr(0, 259);
  const double ms = std::wcstod(text.c_str(), nullptr) * 1000.0;
  if (!(ms >= kDefaultIntervalMs)) {  // also NaN
    SetDlgItemText(IDC_FREQ_EDIT, L"0.1");
    SetDlgItemText(IDC_STATUS, kFrequencyTooLowText);
    return;
  }
  if (ms > double(kMaxIntervalMs)) {
    const std::wstring capped = std::to_wstring(kMaxIntervalMs / 1000) + L"." +
                                std::to_wstring(kMaxIntervalMs % 1000 + 1000).substr(1);
    SetDlgItemText(IDC_FREQ_EDIT, capped.c_str());
    SetDlgItemText(IDC_STATUS, (kFrequencyCappedText + capped).c_str());
    return;
  }
  g_intervalMs = int(ms);
  WriteSettingText(kSettingFrequency, text);
  const int mode = SelectedMode();
  if (mode == kModeEditor) StartSampling(g_intervalMs);
  if (mode == kModeClipboard) g_clipboardWatch = 1;
  SetDlgItemText(IDC_STATUS, kFrequencyChangedText);
}

void CCountDlg::OnCategoryCheck(UINT id) {
  for (const CategoryBox& box : kCategoryBoxes) {
    if (box.id != int(id)) continue;
    *box.flag = IsDlgButtonChecked(box.id) ? 1 : 0;
    WriteFlagSetting(box.subkey, *box.flag != 0);
    Recount(nullptr, 0);
  }
}
