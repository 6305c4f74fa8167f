// Compact mode, the topmost choice, the remembered position and the blue
// totals, on the real window.
#include <gtest/gtest.h>

#include "tests/harness/program.h"

namespace {

class Placement : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("窗口X位置", "窗口X位置", "200");
    StoreSetting("窗口Y位置", "窗口Y位置", "150");
  }
};

int Width(const RECT& r) { return r.right - r.left; }

// The 129-pixel strip shows only the total, the full window all but it.
bool Shows(const Program& program, bool strip) {
  return (Width(program.WindowRect()) == 129) == strip && program.Visible(1020) == strip &&
         program.Visible(1006) != strip;
}

// Enter toggles the strip; true once the window has become it (or left it).
bool ToggleStrip(Program& program, bool toStrip) {
  program.PressKey(VK_RETURN);
  return WaitFor([&] { return Shows(program, toStrip); });
}

void MoveTo(const Program& program, int x, int y) {
  SetWindowPos(program.Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT WorkArea() {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork;
}

// Where a window of this size sits centred on the primary monitor's work area.
POINT CentreFor(const RECT& window) {
  const RECT area = WorkArea();
  return {area.left + (area.right - area.left - Width(window)) / 2,
          area.top + (area.bottom - area.top - (window.bottom - window.top)) / 2};
}

TEST_F(Placement, TheFullWindowsPlaceIsStoredAlsoFromTheStripAndUsedNextTime) {
  {
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(ToggleStrip(program, true));
    MoveTo(program, program.WindowRect().left + 50, program.WindowRect().top);
    EXPECT_TRUE(WaitFor([&] { return StoredSetting("窗口X位置", "窗口X位置") == "250"; }));
    ASSERT_TRUE(ToggleStrip(program, false));
    EXPECT_EQ(250, program.WindowRect().left);
    MoveTo(program, 321, 123);
    EXPECT_TRUE(WaitFor([] { return StoredSetting("窗口X位置", "窗口X位置") == "321" &&
                                    StoredSetting("窗口Y位置", "窗口Y位置") == "123"; }));
  }
  Program again;
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(321, again.WindowRect().left);
  EXPECT_EQ(123, again.WindowRect().top);
}

TEST_F(Placement, TheStripIsAlwaysTopmostTheFullWindowAsChosenAndKept) {
  {
    Program program;
    ASSERT_TRUE(program.Started());
    program.Click(1019);
    EXPECT_FALSE(program.Topmost());
    EXPECT_EQ("No", StoredSetting("窗口置顶", "是否启用"));
    program.Click(1021);  // the compact button, then the maximize command, toggle too
    EXPECT_TRUE(WaitFor([&] { return Shows(program, true) && program.Topmost(); }));
    program.SysCommand(SC_MAXIMIZE);
    EXPECT_TRUE(WaitFor([&] { return Shows(program, false) && !program.Topmost(); }));
  }
  Program again;
  ASSERT_TRUE(again.Started());
  EXPECT_FALSE(again.Topmost());
  EXPECT_FALSE(again.Checked(1018));
  EXPECT_TRUE(again.Checked(1019));
  again.Click(1018);
  EXPECT_TRUE(again.Topmost());
  EXPECT_EQ("Yes", StoredSetting("窗口置顶", "是否启用"));
}

// A window the system first puts at the work area's corner is told from a
// centred one only where that corner is not the screen's: scripts/wine-env.sh
// --own-display leaves a strip at the top.
TEST_F(Placement, AnUnusablePositionIsReplacedByTheCentreWhichIsKept) {
  ASSERT_GT(WorkArea().top, 0) << "no strip reserved at the top of the screen";
  const char* const positions[][2] = {
      {"0", "150"}, {"200", "-5"}, {"5000", "5000"}, {"-32000", "-32000"},
      {"200", "10"},                 // the caption under the top panel
      {"1275", "150"},               // 5 pixels of it left on the screen
      {"200", "1020"},               // its top 4 pixels above the screen's bottom
      {"2147483647", "2147483647"},  // no sum with the window's size may wrap round
      {nullptr, nullptr}};
  POINT centre = {};
  for (const auto& p : positions) {
    DeleteAllSettings();
    if (p[0]) {
      StoreSetting("窗口X位置", "窗口X位置", p[0]);
      StoreSetting("窗口Y位置", "窗口Y位置", p[1]);
    }
    Program program;
    ASSERT_TRUE(program.Started());
    centre = CentreFor(program.WindowRect());
    EXPECT_EQ(centre.x, program.WindowRect().left) << (p[0] ? p[0] : "none");
    EXPECT_EQ(centre.y, program.WindowRect().top) << (p[0] ? p[0] : "none");
    // Back from the strip it is centred again.
    ASSERT_TRUE(ToggleStrip(program, true));
    ASSERT_TRUE(ToggleStrip(program, false));
    EXPECT_TRUE(WaitFor([&] {
      const RECT r = program.WindowRect();
      return r.left == centre.x && r.top == centre.y && program.Visible(1006);
    })) << (p[0] ? p[0] : "none");
  }
  // The centre was stored, and the next run starts there.
  EXPECT_EQ(std::to_string(centre.x), StoredSetting("窗口X位置", "窗口X位置"));
  EXPECT_EQ(std::to_string(centre.y), StoredSetting("窗口Y位置", "窗口Y位置"));
  Program again;
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(centre.x, again.WindowRect().left);
  EXPECT_EQ(centre.y, again.WindowRect().top);
}

// Settings another program left read-only: the window's moves are not
// stored, so the strip and the full window go where the window is, not
// back to the stored, unusable place.
TEST_F(Placement, WithItsPlaceLockedTheWindowStaysWhereItIs) {
  StoreSetting("窗口X位置", "窗口X位置", "5000");
  StoreSetting("窗口Y位置", "窗口Y位置", "5000");
  ASSERT_TRUE(LockSetting("窗口X位置") && LockSetting("窗口Y位置"));
  Program program;
  ASSERT_TRUE(program.Started());
  const POINT centre = CentreFor(program.WindowRect());
  ASSERT_EQ(centre.x, program.WindowRect().left);
  ASSERT_TRUE(ToggleStrip(program, true));
  EXPECT_EQ(centre.y, program.WindowRect().top);
  EXPECT_GT(program.WindowRect().left, centre.x);
  EXPECT_LT(program.WindowRect().right, WorkArea().right);
  ASSERT_TRUE(ToggleStrip(program, false));
  EXPECT_EQ(centre.x, program.WindowRect().left);
  EXPECT_EQ(centre.y, program.WindowRect().top);
  EXPECT_EQ("5000", StoredSetting("窗口X位置", "窗口X位置"));
}

TEST_F(Placement, TheTotalsAreDrawnInBlue) {
  const std::string file = MakeTempFile("blue.txt", std::string(88888, 'a'));
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {file}));
  ASSERT_TRUE(WaitFor([&] { return program.Text(1015) == "8,8888"; }));
  auto countBlue = [&](int id) {
    RECT r;
    GetWindowRect(program.Control(id), &r);
    HDC screen = GetDC(nullptr);
    int blue = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const COLORREF c = GetPixel(screen, x, y);
        if (GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) > 200) ++blue;
      }
    ReleaseDC(nullptr, screen);
    return blue;
  };
  Sleep(300);  // let the window paint
  EXPECT_GT(countBlue(1015), 10);  // the digits of "8,8888"
  EXPECT_EQ(0, countBlue(1013));   // the other counts keep the usual colour
}

// The system's DPI, as Windows keeps it for the user; the program reads it
// when it starts. Set back to 96 when the test ends.
class AtDpi {
 public:
  explicit AtDpi(DWORD dpi) { Set(dpi); }
  ~AtDpi() { Set(96); }

 private:
  static void Set(DWORD dpi) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
    RegCloseKey(key);
  }
};

int ClientHeight(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  return r.bottom - r.top;
}

// The dialog's font (宋体, 9 points) at `dpi`, selected into a memory DC
// for measuring.
class DialogFont {
 public:
  explicit DialogFont(int dpi)
      : font_(CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, 0, 0, 0, 0, L"宋体")),
        dc_(CreateCompatibleDC(nullptr)),
        old_(SelectObject(dc_, font_)) {}
  ~DialogFont() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(font_);
  }
  int LineHeight() const {
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc_, &metrics);
    return metrics.tmHeight;
  }
  int Width(const std::wstring& text) const {
    SIZE size = {};
    GetTextExtentPoint32W(dc_, text.c_str(), int(text.size()), &size);
    return size.cx;
  }

 private:
  HFONT font_;
  HDC dc_;
  HGDIOBJ old_;
};

// Every label, choice and result of the full window fits its control at
// `dpi`: its text's width (a tick box's or radio button's mark beside it)
// within the control's.
void ExpectEveryTextFits(const Program& program, int dpi) {
  const DialogFont font(dpi);
  for (HWND c = GetWindow(program.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string text = Program::WindowCaption(c);
    if (text.empty() || !IsWindowVisible(c)) continue;
    wchar_t cls[32] = L"";
    GetClassNameW(c, cls, 32);
    if (_wcsicmp(cls, L"ComboBox") == 0) continue;
    const LONG style = GetWindowLongW(c, GWL_STYLE);
    const LONG kind = style & BS_TYPEMASK;
    const bool marked = _wcsicmp(cls, L"Button") == 0 &&
                        (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX ||
                         kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON);
    RECT r;
    GetClientRect(c, &r);
    const int needed = font.Width(Wide(text)) + (marked ? MulDiv(16, dpi, 96) : 0);
    EXPECT_LE(needed, r.right - r.left) << text << " at " << dpi << " DPI";
  }
}

// The strip follows the DPI: at 144 and 192 its total box had stayed 20
// pixels high, shorter than a line of the window's own font, so the total
// was cut off. Today's line below it, with a target's share (the longest
// form), is read whole: the strip widens for it.
TEST_F(Placement, TheStripGrowsWithTheDpiSoItsTotalFits) {
  StoreSetting("每日目标", "每日目标", "10000");
  for (DWORD dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    AtDpi setting(dpi);
    Program program;
    ASSERT_TRUE(program.Started());
    const DialogFont font{int(dpi)};
    ExpectEveryTextFits(program, int(dpi));
    program.PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return program.Visible(1020); }));
    EXPECT_GE(Width(program.WindowRect()), MulDiv(129, int(dpi), 96));
    EXPECT_GE(ClientHeight(program.Control(1020)), font.LineHeight());
    EXPECT_GE(ClientHeight(program.Control(1024)), font.LineHeight());
    RECT box, today, strip, client;
    GetWindowRect(program.Control(1020), &box);
    GetWindowRect(program.Control(1024), &today);
    GetWindowRect(program.Window(), &strip);
    GetClientRect(program.Window(), &client);
    EXPECT_LE(box.bottom, strip.bottom) << "the total box inside the strip";
    EXPECT_LE(today.bottom, strip.bottom) << "today's line inside the strip";
    const std::string todayText = program.Text(1024);
    EXPECT_EQ("今日 0 / 1,0000（0%）", todayText);
    EXPECT_LE(font.Width(Wide(todayText)), client.right) << "today's text within the strip";
    EXPECT_TRUE(program.Close());
  }
}

// Moved to a monitor of another DPI, the full window takes the system's
// suggested rectangle and the strip is laid out at the new scale; back to
// the first DPI, the strip is as it was.
TEST_F(Placement, ADpiChangeLaysTheWindowAndTheStripOutAgain) {
  Program program;
  ASSERT_TRUE(program.Started());
  const RECT suggested = {100, 80, 100 + 340, 80 + 420};
  ASSERT_TRUE(SendDpiChange(program, 144, suggested));
  const RECT full = program.WindowRect();
  EXPECT_EQ(suggested.left, full.left);
  EXPECT_EQ(340, Width(full));
  EXPECT_EQ(420, full.bottom - full.top);
  program.PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return program.Visible(1020); }));
  EXPECT_EQ(MulDiv(129, 144, 96), Width(program.WindowRect()));
  EXPECT_GE(ClientHeight(program.Control(1020)), DialogFont{144}.LineHeight());
  ASSERT_TRUE(SendDpiChange(program, 96, suggested));
  EXPECT_EQ(129, Width(program.WindowRect()));
}

}  // namespace
