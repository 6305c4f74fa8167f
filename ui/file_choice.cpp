#include "ui/file_choice.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "framework/file_dialog.h"
#include "res/texts.h"
#include "sources/file_reader.h"
#include "ui/count_dlg.h"
#include "ui/window_state.h"

void ChooseAndAnalyzeFile() {
  CFileDialog dialog(TRUE, kOpenFileDefaultExtension, nullptr,
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT |
                         OFN_ALLOWMULTISELECT | OFN_ENABLESIZING,
                     kOpenFileFilter);
  dialog.SetTitle(kOpenFileTitle);
  if (dialog.DoModal() != IDOK) return;
  const std::wstring path = dialog.GetPathName();
  if (!path.empty()) AnalyzeFiles({path}, UserWantsToCountOtherType);
}

namespace {

// EnumThreadWindows' callback: answers "no" to the question's box, which
// this thread shows.
BOOL CALLBACK DeclineQuestionBox(HWND window, LPARAM) {
  wchar_t cls[16], caption[16];
  if (GetClassNameW(window, cls, 16) && wcscmp(cls, L"#32770") == 0 &&
      GetWindowTextW(window, caption, 16) && wcscmp(caption, kOtherTypeCaption) == 0)
    SendMessageW(window, WM_COMMAND, IDNO, 0);
  return TRUE;
}

}  // namespace

void CloseOpenQuestion() { EnumThreadWindows(GetCurrentThreadId(), DeclineQuestionBox, 0); }

// The question has no owner, so the main window would go on taking input
// while it waits (a mode change, another drop) and could be re-entered: keep
// it disabled for the question's time.
bool UserWantsToCountOtherType() {
  HWND main = g_mainDlg ? g_mainDlg->GetSafeHwnd() : nullptr;
  const bool wasEnabled = main && !EnableWindow(main, FALSE);
  const int answer = MessageBoxW(nullptr, kOtherTypeQuestion, kOtherTypeCaption,
                                 MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO);
  if (wasEnabled) EnableWindow(main, TRUE);
  return answer == IDYES;
}
