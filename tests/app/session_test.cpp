// A user's whole session: every source, compact mode, then a restart that
// finds everything where it was left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/program.h"

namespace {

using Slots = std::vector<std::string>;

TEST(Session, EverySourceThenARestartKeepsTheSettings) {
  DeleteAllSettings();
  const std::string file = MakeTempFile("chapter.txt", "\xD6\xD0\xCE\xC4\xA3\xAC" "ab\r\n");
  RECT placed;
  {
    Program program;
    ASSERT_TRUE(program.Started());
    // Mode 0: Notepad in the foreground.
    Notepad notepad;
    ASSERT_TRUE(notepad.Started());
    notepad.SetText("\xD6\xD0 abc");
    notepad.BringToFront();
    ASSERT_TRUE(program.WaitForStatus(notepad.Caption()));
    EXPECT_TRUE(WaitFor([&] { return program.Slots() == Slots{"1", "0", "3", "1", "4", "4"}; }));

    // Mode 1: a copied text.
    program.SelectMode(1);
    ASSERT_TRUE(PutClipboardText("xyz"));
    ASSERT_TRUE(program.WaitForStatus("xyz"));
    EXPECT_EQ("3", program.Text(1015));

    // Mode 2 through a drop, with Chinese punctuation ticked in.
    program.Click(1008);
    ASSERT_TRUE(DropFiles(program, {file}));
    ASSERT_TRUE(program.WaitForStatus("chapter.txt"));
    EXPECT_TRUE(program.WaitForSlots({"2", "1", "2", "1", "5", "5"}));
    EXPECT_EQ(2, program.SelectedMode());

    // Compact and back, then put the window somewhere of our own.
    const RECT full = program.WindowRect();
    program.PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return program.WindowRect().right - program.WindowRect().left == 129; }));
    program.PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return program.WindowRect().right - program.WindowRect().left ==
                                     full.right - full.left; }));
    SetWindowPos(program.Window(), nullptr, 260, 140, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(WaitFor([&] { return StoredSetting("窗口X位置", "窗口X位置") == "260"; }));
    placed = program.WindowRect();
    EXPECT_TRUE(program.Close());
  }
  Program again;
  ASSERT_TRUE(again.Started());
  const RECT r = again.WindowRect();
  EXPECT_EQ(placed.left, r.left);
  EXPECT_EQ(placed.top, r.top);
  EXPECT_TRUE(again.Checked(1007));
  EXPECT_TRUE(again.Checked(1008));
  EXPECT_TRUE(again.Checked(1009));
  EXPECT_FALSE(again.Checked(1010));
  EXPECT_EQ(0, again.SelectedMode());  // the mode itself is never stored
  EXPECT_EQ("0.1", again.Text(1003));
}

}  // namespace
