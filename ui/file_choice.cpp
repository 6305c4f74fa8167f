#include "ui/file_choice.h"

#include <windows.h>

#include <string>

#include "framework/file_dialog.h"
#include "sources/file_reader.h"
#include "ui/count_dlg.h"
#include "ui/window_state.h"

void ChooseAndAnalyzeFile() {
  CFileDialog dialog(TRUE, "DEM Files (*DEM)", nullptr,
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT |
                         OFN_ALLOWMULTISELECT | OFN_ENABLESIZING,
                     "纯文本文件 (*.txt、*.cpp、*.c、*.h、*.asm)|*.txt; *.cpp; *.c; *.h; *.asm||");
  dialog.SetTitle("请选择文件");
  if (dialog.DoModal() != IDOK) return;
  const std::string path = dialog.GetPathName();
  if (!path.empty()) AnalyzeFiles({path}, UserWantsToCountOtherType);
}

// The question has no owner, so the main window would go on taking input
// while it waits (a mode change, another drop) and could be re-entered: keep
// it disabled for the question's time.
bool UserWantsToCountOtherType() {
  HWND main = g_mainDlg ? g_mainDlg->GetSafeHwnd() : nullptr;
  const bool wasEnabled = main && !EnableWindow(main, FALSE);
  const int answer = MessageBoxA(nullptr, "该文件可能不是纯文本格式，是否继续分析？", "提示",
                                 MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO);
  if (wasEnabled) EnableWindow(main, TRUE);
  return answer == IDYES;
}
