#include "ui/writing_history_dlg.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "framework/dialog.h"
#include "res/resource.h"
#include "ui/main_window.h"
#include "ui/todays_writing.h"

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kAxis = RGB(160, 160, 160);
constexpr COLORREF kPastBar = RGB(110, 150, 215);
constexpr COLORREF kTodayBar = RGB(235, 120, 40);
constexpr COLORREF kTodayBand = RGB(253, 236, 220);  // behind today's bar, even an empty one
constexpr COLORREF kTargetLine = RGB(200, 40, 40);
constexpr COLORREF kLabel = RGB(70, 70, 70);

std::wstring MonthDay(Day day) {
  const std::string date = DateText(day);  // YYYY-MM-DD
  return std::wstring(date.begin() + 5, date.end());
}

// The days as text: what the picture shows, for whoever cannot see it.
std::wstring DaysText(const WritingPicture& p) {
  std::wstring text = L"近 " + std::to_wstring(p.growth.size()) + L" 天：";
  for (size_t i = 0; i < p.growth.size(); ++i)
    text += (i ? L"，" : L"") + MonthDay(p.firstDay + Day(i)) + L" " + std::to_wstring(p.growth[i]);
  return text;
}

void FillRect(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  const RECT r = {left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  ::FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF colour, int width, int style) {
  HPEN pen = CreatePen(style, width, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Label(HDC dc, int x, int y, const std::wstring& text, UINT align) {
  SetTextAlign(dc, align);
  TextOutW(dc, x, y, text.c_str(), int(text.size()));
}

// The bars in `area`, scaled to the largest day or the target; a day that
// lost characters shows no bar.
void DrawPicture(HDC dc, RECT area, const WritingRecord& record, int dpi) {
  const WritingPicture& p = record.picture;
  FillRect(dc, area.left, area.top, area.right, area.bottom, kBackground);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kLabel);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  const int line = metrics.tmHeight;
  const int pad = MulDiv(4, dpi, 96);
  const RECT plot = {area.left + pad, area.top + line + pad, area.right - pad,
                     area.bottom - line - pad};
  int64_t top = std::max<int64_t>(record.target, 1);
  for (int64_t g : p.growth) top = std::max(top, g);

  const int days = int(p.growth.size());
  const int slot = std::max(1, int(plot.right - plot.left) / std::max(days, 1));
  const int gap = std::max(1, slot / 5);
  for (int i = 0; i < days; ++i) {
    const int64_t g = std::max<int64_t>(p.growth[size_t(i)], 0);
    const int height = ShareOfSpan(g, top, plot.bottom - plot.top);
    const int x = plot.left + i * slot;
    if (i == days - 1) FillRect(dc, x, plot.top, x + slot, plot.bottom, kTodayBand);
    FillRect(dc, x + gap, plot.bottom - height, x + slot - gap, plot.bottom,
             i == days - 1 ? kTodayBar : kPastBar);
    if ((days - 1 - i) % 7 == 0)  // every week back from today
      Label(dc, x + slot / 2, plot.bottom + pad / 2, MonthDay(p.firstDay + Day(i)), TA_CENTER | TA_TOP);
  }
  Line(dc, plot.left, plot.bottom, plot.right, plot.bottom, kAxis, MulDiv(1, dpi, 96), PS_SOLID);
  Label(dc, plot.left, area.top + pad / 2, L"最高 " + std::to_wstring(top), TA_LEFT | TA_TOP);
  if (record.target > 0) {
    const int y = plot.bottom - ShareOfSpan(record.target, top, plot.bottom - plot.top);
    Line(dc, plot.left, y, plot.right, y, kTargetLine, 1, PS_DASH);
    SetTextColor(dc, kTargetLine);
    Label(dc, plot.right, y - line, L"目标 " + std::to_wstring(record.target), TA_RIGHT | TA_TOP);
  }
}

class CWritingHistoryDlg : public CDialog {
 public:
  explicit CWritingHistoryDlg(HWND parent) : CDialog(IDD_WRITING_HISTORY, parent) {}

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_record = CurrentWritingRecord(kWritingHistoryDays);
    SetDlgItemText(IDC_HISTORY_CHART, DaysText(m_record.picture).c_str());
    SetDlgItemText(IDC_HISTORY_FIGURES, m_record.figures.c_str());
    return TRUE;
  }
  void OnDrawItem(WPARAM id, LPARAM param) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(param);
    if (id != IDC_HISTORY_CHART) return;
    HGDIOBJ font = SelectObject(item->hDC, HFONT(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    DrawPicture(item->hDC, item->rcItem, m_record, WindowDpi(m_hWnd));
    SelectObject(item->hDC, font);
  }
  DECLARE_MESSAGE_MAP()

 private:
  WritingRecord m_record;
};

const MessageEntry CWritingHistoryDlg::kMessageMap[] = {
    map::Posted<WM_DRAWITEM, &CWritingHistoryDlg::OnDrawItem>(),
};
const size_t CWritingHistoryDlg::kMessageMapSize = std::size(CWritingHistoryDlg::kMessageMap);

}  // namespace

void ShowWritingHistory(HWND parent) {
  CWritingHistoryDlg dialog(parent);
  dialog.DoModal();
}
