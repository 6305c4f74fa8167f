// Compact mode, the topmost choice, the remembered position and the blue
// totals, on the real window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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
int Height(const RECT& r) { return r.bottom - r.top; }

void MoveTo(const Program& program, int x, int y) {
  SetWindowPos(program.Window(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT WorkArea() {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork;
}

RECT CentredOnPrimary(const RECT& window) {
  const RECT area = WorkArea();
  RECT centred;
  centred.left = area.left + (area.right - area.left - Width(window)) / 2;
  centred.top = area.top + (area.bottom - area.top - Height(window)) / 2;
  centred.right = centred.left + Width(window);
  centred.bottom = centred.top + Height(window);
  return centred;
}

TEST_F(Placement, EnterTheButtonAndMaximizeEachToggleTheCompactStrip) {
  Program program;
  ASSERT_TRUE(program.Started());
  const RECT full = program.WindowRect();
  ASSERT_EQ(200, full.left);
  ASSERT_EQ(150, full.top);

  // The window moves first, then its controls change: wait for all of it.
  auto compact = [&] {
    return Width(program.WindowRect()) == 129 && program.Visible(1020) && !program.Visible(1006);
  };
  auto restored = [&] {
    const RECT r = program.WindowRect();
    return r.left == full.left && r.top == full.top && Width(r) == Width(full) &&
           Height(r) == Height(full) && !program.Visible(1020) && program.Visible(1006);
  };
  program.PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor(compact));
  // Skinned: the strip is 55 pixels high and moves right by 115.
  const RECT strip = program.WindowRect();
  EXPECT_EQ(55, Height(strip));
  EXPECT_EQ(full.left + 115, strip.left);
  EXPECT_EQ(full.top, strip.top);
  RECT total;
  GetWindowRect(program.Control(1020), &total);
  EXPECT_EQ(129, Width(total));
  EXPECT_EQ(20, Height(total));
  program.PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFor(restored));

  program.Click(1021);
  EXPECT_TRUE(WaitFor(compact));
  program.Click(1021);
  EXPECT_TRUE(WaitFor(restored));

  program.SysCommand(SC_MAXIMIZE);
  EXPECT_TRUE(WaitFor(compact));
  program.SysCommand(SC_MAXIMIZE);
  EXPECT_TRUE(WaitFor(restored));
}

TEST_F(Placement, DraggingTheStripMovesTheFullWindowToo) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.PressKey(VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return Width(program.WindowRect()) == 129; }));
  const RECT strip = program.WindowRect();
  MoveTo(program, strip.left + 50, strip.top);
  EXPECT_TRUE(WaitFor([&] { return StoredSetting("窗口X位置", "窗口X位置") == "250"; }));
  program.PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return program.WindowRect().left == 250; }));
}

TEST_F(Placement, TheStripIsAlwaysTopmostTheFullWindowAsChosen) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.Click(1019);
  EXPECT_FALSE(program.Topmost());
  EXPECT_EQ("No", StoredSetting("窗口置顶", "是否启用"));
  program.PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return Width(program.WindowRect()) == 129 && program.Topmost(); }));
  program.PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return Width(program.WindowRect()) != 129 && !program.Topmost(); }));
  program.Click(1018);
  EXPECT_TRUE(program.Topmost());
  EXPECT_EQ("Yes", StoredSetting("窗口置顶", "是否启用"));
}

TEST_F(Placement, TheNotTopmostChoiceHoldsAcrossRuns) {
  StoreSetting("窗口置顶", "是否启用", "No");
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_FALSE(program.Topmost());
  EXPECT_FALSE(program.Checked(1018));
  EXPECT_TRUE(program.Checked(1019));
}

TEST_F(Placement, AMovedWindowStartsThereNextTime) {
  {
    Program program;
    ASSERT_TRUE(program.Started());
    MoveTo(program, 321, 123);
    EXPECT_TRUE(WaitFor([] { return StoredSetting("窗口X位置", "窗口X位置") == "321" &&
                                    StoredSetting("窗口Y位置", "窗口Y位置") == "123"; }));
  }
  Program again;
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(321, again.WindowRect().left);
  EXPECT_EQ(123, again.WindowRect().top);
}

// A window the system first puts at the work area's corner is told from a
// centred one only where that corner is not the screen's: scripts/wine-env.sh
// --own-display leaves a strip at the top.
TEST_F(Placement, AnUnusablePositionIsReplacedByTheCentre) {
  ASSERT_GT(WorkArea().top, 0) << "no strip reserved at the top of the screen";
  const char* const positions[][2] = {
      {"0", "150"}, {"200", "-5"}, {nullptr, nullptr}, {"5000", "5000"}, {"-32000", "-32000"}};
  for (const auto& p : positions) {
    DeleteAllSettings();
    if (p[0]) {
      StoreSetting("窗口X位置", "窗口X位置", p[0]);
      StoreSetting("窗口Y位置", "窗口Y位置", p[1]);
    }
    Program program;
    ASSERT_TRUE(program.Started());
    const RECT r = program.WindowRect();
    const RECT centred = CentredOnPrimary(r);
    EXPECT_EQ(centred.left, r.left) << (p[0] ? p[0] : "none");
    EXPECT_EQ(centred.top, r.top) << (p[0] ? p[0] : "none");
  }
}

TEST_F(Placement, ACentredWindowGoesBackToTheCentreFromTheStripAndStartsThere) {
  DeleteAllSettings();
  RECT centred;
  {
    Program program;
    ASSERT_TRUE(program.Started());
    centred = CentredOnPrimary(program.WindowRect());
    ASSERT_EQ(centred.left, program.WindowRect().left);
    program.PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return Width(program.WindowRect()) == 129; }));
    program.PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] {
      const RECT r = program.WindowRect();
      return r.left == centred.left && r.top == centred.top && program.Visible(1006);
    }));
    EXPECT_EQ(std::to_string(centred.left), StoredSetting("窗口X位置", "窗口X位置"));
    EXPECT_EQ(std::to_string(centred.top), StoredSetting("窗口Y位置", "窗口Y位置"));
  }
  Program again;
  ASSERT_TRUE(again.Started());
  EXPECT_EQ(centred.left, again.WindowRect().left);
  EXPECT_EQ(centred.top, again.WindowRect().top);
}

TEST_F(Placement, TheTotalsAreDrawnInBlue) {
  const std::string file = MakeTempFile("blue.txt", std::string(88888, 'a'));
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(DropFiles(program, {file}));
  ASSERT_TRUE(program.WaitForStatus("blue.txt"));
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

}  // namespace
