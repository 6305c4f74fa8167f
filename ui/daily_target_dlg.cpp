#include "ui/daily_target_dlg.h"

#include <iterator>

#include "framework/dialog.h"
#include "framework/message_box.h"
#include "res/resource.h"
#include "res/texts.h"
#include "writing/writing_text.h"

namespace {

class CDailyTargetDlg : public CDialog {
 public:
  CDailyTargetDlg(HWND parent, int current)
      : CDialog(IDD_DAILY_TARGET, parent), m_target(current) {}
  int Target() const { return m_target; }

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_TARGET_EDIT, m_target > 0 ? std::to_wstring(m_target).c_str() : L"");
    return TRUE;
  }
  void OnOK() override {
    const std::optional<int> target = ParseDailyTarget(GetDlgItemText(IDC_TARGET_EDIT));
    if (!target) {
      MessageBoxW(m_hWnd, kDailyTargetRefusedText, kOtherTypeCaption, MB_OK | MB_ICONEXCLAMATION);
      SetFocus(GetDlgItem(IDC_TARGET_EDIT));
      return;
    }
    m_target = *target;
    CDialog::OnOK();
  }

 private:
  int m_target;
};

}  // namespace

std::optional<int> AskDailyTarget(HWND parent, int current) {
  CDailyTargetDlg dialog(parent, current);
  if (dialog.DoModal() != IDOK) return std::nullopt;
  return dialog.Target();
}
