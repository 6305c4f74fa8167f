#include "ui/todays_writing.h"

#include <shlobj.h>

#include "engine/format_count.h"
#include "engine/recount.h"
#include "res/resource.h"
#include "res/texts.h"
#include "settings/settings_store.h"
#include "sources/editor_sampler.h"
#include "ui/count_dlg.h"
#include "ui/window_state.h"
#include "writing/writing_text.h"

namespace {

// Saves and refreshes: often enough that a crash loses at most 30 s, and
// that the slot turns to the new day soon after midnight.
constexpr UINT_PTR kWritingTimer = 1;
constexpr UINT kWritingTimerMs = 30 * 1000;

WritingTracker g_tracker;
bool g_unsaved = false;
// The stored target, read at start and when set: not on every count.
int g_target = 0;

// By the dialog's rule: a value it would refuse ("1e9", one past INT_MAX,
// a failed read's status text) is no target, not whatever number its start
// makes.
int StoredTarget() {
  const std::optional<int> target = ParseDailyTarget(ReadSettingText(kSettingDailyTarget));
  return target && *target > 0 ? *target : 0;
}

// Writes the slot, and fits the strip to it, only when its text changed:
// each count of the text being written comes here.
void ShowToday() {
  static std::wstring shown;
  const std::wstring text = TodaySlotText(g_tracker.TodayGrowth(ReadLocalTime()), g_target);
  if (text == shown) return;
  shown = text;
  SetSlotText(IDC_TODAY, text.c_str());
  if (g_mainDlg) g_mainDlg->FitStripToToday();
}

// The sampler counted a whole text: its window's total, as 合计勾选项 shows it.
void NoteWholeText(const std::wstring& caption) {
  if (g_tracker.Observe(caption, int64_t(TickedTotal()), ReadLocalTime())) {
    g_unsaved = true;
    ShowToday();
  }
}

void SaveIfUnsaved() {
  if (!g_unsaved) return;
  // A failed save (a full disk, a locked file) is tried again next time.
  g_unsaved = !g_tracker.Save(HistoryFilePath(), ReadLocalTime());
}

void CALLBACK OnWritingTimer(HWND, UINT, UINT_PTR, DWORD) {
  SaveIfUnsaved();
  ShowToday();
}

std::wstring DateOf(Day day) {
  const std::string date = DateText(day);
  return std::wstring(date.begin(), date.end());
}

}  // namespace

std::wstring HistoryFilePath() {
  wchar_t folder[MAX_PATH] = L"";
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return L"history.csv";  // beside the program's working folder, rather than nowhere
  return std::wstring(folder) + L"\\Vantorix\\history.csv";
}

void StartTodaysWriting(HWND window) {
  g_tracker.Load(HistoryFilePath(), ReadLocalTime());
  g_target = StoredTarget();
  SetWholeTextSink(NoteWholeText);
  ShowToday();
  SetTimer(window, kWritingTimer, kWritingTimerMs, OnWritingTimer);
}

void FinishTodaysWriting(HWND window) {
  KillTimer(window, kWritingTimer);
  SetWholeTextSink(nullptr);
  SaveIfUnsaved();
  // Unsaved now, the day's writing since the last save would be lost: the
  // user may free the file (Excel keeps one it opened from being replaced),
  // or move away one too large to read, and try again. The window is
  // going: the box belongs to no window.
  while (g_unsaved) {
    const std::wstring text =
        kHistoryUnsavedText + HistoryFilePath() +
        (g_tracker.TooLargeToSave() ? kHistoryTooLargeAdvice : kHistoryUnsavedAdvice);
    if (MessageBoxW(nullptr, text.c_str(), kHistoryUnsavedCaption,
                    MB_RETRYCANCEL | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND) != IDRETRY)
      break;
    SaveIfUnsaved();
  }
}

void SaveTodaysWriting() { SaveIfUnsaved(); }

int DailyTarget() { return g_target; }

void SetDailyTarget(int target) {
  WriteNumberSetting(kSettingDailyTarget, target);
  g_target = StoredTarget();  // as stored: what the next start shows
  ShowToday();
}

WritingRecord CurrentWritingRecord(int days) {
  WritingRecord record;
  record.now = ReadLocalTime();
  record.picture = g_tracker.Picture(days, record.now);
  record.target = DailyTarget();
  std::wstring& f = record.figures;
  f = TodaySlotText(g_tracker.TodayGrowth(record.now), record.target);
  const std::wstring speed = SpeedText(g_tracker.SpeedPerHour(record.now));
  f += L"\n速度：" + (speed.empty() ? std::wstring(L"—") : speed) + L"（写作 " +
       CountText(g_tracker.ActiveMinutes(record.now)) + L" 分钟）";
  f += L"\n最多的一天：";
  f += record.picture.bestDay ? DateOf(*record.picture.bestDay) + L"，" +
                                    CountText(double(record.picture.bestGrowth))
                              : std::wstring(L"—");
  f += L"\n近 7 天平均：" + CountText(double(int64_t(record.picture.weekAverage)));
  return record;
}
