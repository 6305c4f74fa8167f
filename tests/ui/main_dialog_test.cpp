// The main dialog as the resource defines it, read back from the running
// window, and the ways the program is closed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/program.h"

namespace {

class MainDialog : public ::testing::Test {
 protected:
  void SetUp() override { DeleteAllSettings(); }
};

struct Expected {
  int id;
  const char* cls;
  const char* text;  // null: not checked (edits and the list)
  LONG style;        // the style bits that must be set
  bool visible;
};

TEST_F(MainDialog, ShowsEveryControlInTemplateOrder) {
  Program program;
  ASSERT_TRUE(program.Started());
  const Expected expected[] = {
      {1000, "Button", " 模式 ", BS_GROUPBOX, true},
      {-1, "Static", "计算模式：", SS_LEFT | WS_GROUP, true},
      // The combo box hands its scroll bar style on to its drop-down list.
      {1002, "ComboBox", nullptr, CBS_DROPDOWNLIST | WS_TABSTOP, true},
      {1003, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
      {1004, "Button", "控制计算频率(秒/次)：", BS_AUTOCHECKBOX | WS_TABSTOP, true},
      {1006, "Button", " 统计结果 ", BS_GROUPBOX, true},
      {1007, "Button", "中文字数：", BS_AUTOCHECKBOX | WS_TABSTOP, true},
      {1008, "Button", "中文标点：", BS_AUTOCHECKBOX | WS_TABSTOP, true},
      {1009, "Button", "英文字数：", BS_AUTOCHECKBOX | WS_TABSTOP, true},
      {1010, "Button", "英文标点：", BS_AUTOCHECKBOX | WS_TABSTOP, true},
      {1011, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
      {1012, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
      {1013, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
      {1014, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
      {-1, "Static", "合计勾选项：", SS_LEFT | WS_GROUP, true},
      {1015, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, true},
      {1016, "Static", "【拖拽txt文件到界面也可得到结果】", SS_CENTER | WS_GROUP, true},
      {1017, "Button", " 置顶选项 ", BS_GROUPBOX, true},
      {1018, "Button", "窗口置顶", BS_AUTORADIOBUTTON, true},
      {1019, "Button", "取消置顶", BS_AUTORADIOBUTTON, true},
      {1020, "Edit", nullptr, ES_CENTER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, false},
      {1021, "Button", "精简模式", BS_DEFPUSHBUTTON | BS_FLAT | WS_TABSTOP, false},
  };
  std::vector<HWND> children;
  for (HWND c = GetWindow(program.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  ASSERT_EQ(std::size(expected), children.size());
  for (size_t i = 0; i < children.size(); ++i) {
    const Expected& want = expected[i];
    HWND c = children[i];
    SCOPED_TRACE("control " + std::to_string(i) + " id " + std::to_string(want.id));
    char cls[32] = "";
    GetClassNameA(c, cls, sizeof cls);
    EXPECT_STREQ(want.cls, cls);
    EXPECT_EQ(want.id, int(short(GetDlgCtrlID(c))));
    if (want.text) {
      EXPECT_EQ(want.text, Program::WindowCaption(c));
    }
    LONG style = GetWindowLongA(c, GWL_STYLE);
    // The system turns an edit's plain border into a sunken client edge.
    if (GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
    EXPECT_EQ(want.style, style & want.style);
    EXPECT_EQ(want.visible, (style & WS_VISIBLE) != 0);
  }
  EXPECT_FALSE(program.Enabled(1003));  // the frequency box starts disabled
  // Radio buttons have no tab stop; the system gives one to the checked
  // radio (1018 at start), so look at the other.
  EXPECT_FALSE(GetWindowLongA(program.Control(1019), GWL_STYLE) & WS_TABSTOP);
}

TEST_F(MainDialog, HasItsCaptionStylesAndFrame) {
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_EQ("Vantorix", Program::WindowCaption(program.Window()));
  const LONG style = GetWindowLongA(program.Window(), GWL_STYLE);
  for (LONG bit : {LONG(WS_POPUP), LONG(WS_CAPTION), LONG(WS_SYSMENU), LONG(WS_MINIMIZEBOX),
                   LONG(WS_MAXIMIZEBOX), LONG(WS_VISIBLE)})
    EXPECT_EQ(bit, style & bit);
  const LONG exStyle = GetWindowLongA(program.Window(), GWL_EXSTYLE);
  EXPECT_EQ(WS_EX_ACCEPTFILES, exStyle & WS_EX_ACCEPTFILES);
  EXPECT_EQ(WS_EX_APPWINDOW, exStyle & WS_EX_APPWINDOW);
}

TEST_F(MainDialog, ModeListHoldsTheThreeModesWithTheirLeadingSpaces) {
  Program program;
  ASSERT_TRUE(program.Started());
  HWND list = program.Control(1002);
  ASSERT_EQ(3, SendMessageA(list, CB_GETCOUNT, 0, 0));
  const char* const modes[] = {"  计算当前文本", "  计算粘贴板", "  计算纯文本文件"};
  for (int i = 0; i < 3; ++i) {
    // The list's own text is the selected entry's.
    SendMessageA(list, CB_SETCURSEL, WPARAM(i), 0);
    EXPECT_EQ(modes[i], Program::WindowCaption(list)) << "entry " << i;
  }
}

TEST_F(MainDialog, TheAboutCommandShowsTheAboutBox) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SysCommand(0x0010);
  HWND about = program.WaitForDialog("关于 Vantorix");
  ASSERT_TRUE(about);
  Program::Answer(about, IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  EXPECT_FALSE(program.WaitForExit(300));
}

TEST_F(MainDialog, EnterDoesNotCloseTheProgramButEscapeDoes) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.PressKey(VK_RETURN);
  EXPECT_FALSE(program.WaitForExit(1000));
  program.PressKey(VK_ESCAPE);
  EXPECT_TRUE(program.WaitForExit());
}

TEST_F(MainDialog, TheCloseBoxEndsTheProcess) {
  Program program;
  ASSERT_TRUE(program.Started());
  EXPECT_TRUE(program.Close());
}

}  // namespace
