// 计算当前文本 in any program: the text control with the focus in the window
// in front, and its selection while there is one. The other programs are
// stand-ins of this process, shaped as the real ones answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/harness/program.h"

namespace {

using Slots = std::vector<std::string>;
const char kCaption[] = "稿子 - 写作";
const std::string kSelectedCaption = std::string("选中：") + kCaption;

class AnyProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
    ASSERT_TRUE(program_.Started());
    program_.SelectMode(0);
  }
  Program program_;
};

// The focus moving between two panes takes the count with it.
TEST_F(AnyProgram, TheFocusedPaneOfAnyProgramIsCounted) {
  StandInEditor writer(StandInEditor::Shape::kTwoPanes);
  writer.SetText("abc");
  writer.FocusPane(1);
  writer.SetText("中文字");
  writer.BringToFront();
  EXPECT_TRUE(program_.WaitForSlots({"3", "0", "0", "0", "3", "3"}));
  EXPECT_EQ(kCaption, program_.Text(1016));
  writer.FocusPane(0);
  EXPECT_TRUE(program_.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
}

// A RichEdit counts a paragraph end as one position; its text has CR LF.
// A selection across one counts just what it covers; emptied, the whole.
TEST_F(AnyProgram, ARichEditsSelectionAcrossAParagraphEndIsCounted) {
  StandInEditor writer(StandInEditor::Shape::kRichEdit);
  writer.SetText("ab\r\n中文\r\ncd");  // a b ¶ 中 文 ¶ c d
  writer.BringToFront();
  const Slots whole = {"2", "0", "4", "2", "6", "6"};
  EXPECT_TRUE(program_.WaitForSlots(whole));
  writer.Select(1, 4);  // b ¶ 中
  EXPECT_TRUE(program_.WaitForSlots({"1", "0", "1", "1", "2", "2"}));
  EXPECT_EQ(kSelectedCaption, program_.Text(1016));
  writer.Select(4, 4);
  EXPECT_TRUE(program_.WaitForSlots(whole));
  EXPECT_TRUE(program_.WaitForStatus(kCaption));
}

// Scintilla counts bytes of its document's code page, whatever comes
// before the selection: a character beyond the BMP is 4 UTF-8 bytes; in a
// GBK document a hanzi is 2.
TEST_F(AnyProgram, AScintillaSelectionInBytesOfItsCodePageIsCounted) {
  StandInEditor writer(StandInEditor::Shape::kScintilla);
  writer.SetText("😀a中文b");
  writer.BringToFront();
  EXPECT_TRUE(program_.WaitForSlots({"2", "1", "2", "0", "4", "4"}));  // the emoji: no GBK form
  writer.Select(5, 11);                                                  // 中文
  EXPECT_TRUE(program_.WaitForSlots({"2", "0", "0", "0", "2", "2"}));
  EXPECT_EQ(kSelectedCaption, program_.Text(1016));
  writer.SetCodePage(936);
  writer.SetText("中文abc");
  writer.Select(2, 5);  // 文a
  EXPECT_TRUE(program_.WaitForSlots({"1", "0", "1", "0", "2", "2"}));
}

// Scintilla's selection of several ranges (chosen with Ctrl, or a
// rectangle, one a line) counts each range, not the main one alone or the
// rectangle's span; a rectangle of no width (carets for typing in a
// column) selects nothing.
TEST_F(AnyProgram, EachRangeOfAScintillaSelectionOfSeveralIsCounted) {
  StandInEditor writer(StandInEditor::Shape::kScintilla);
  writer.SetText("中文ab\r\ncd英文\r\nef");  // UTF-8: 中文 at 0..6, 英文 at 12..18
  writer.BringToFront();
  const Slots whole = {"4", "0", "6", "2", "10", "10"};
  EXPECT_TRUE(program_.WaitForSlots(whole));
  writer.Select(0, 6);
  writer.AddSelection(12, 18);
  EXPECT_TRUE(program_.WaitForSlots({"4", "0", "0", "0", "4", "4"}));
  EXPECT_EQ(kSelectedCaption, program_.Text(1016));
  writer.Select(6, 7);  // b, and a over the next line: a rectangle's span is 6..11
  writer.AddSelection(10, 11, true);
  EXPECT_TRUE(program_.WaitForSlots({"0", "0", "2", "0", "2", "2"}));
  writer.Select(6, 6);
  writer.AddSelection(12, 12, true);
  EXPECT_TRUE(program_.WaitForSlots(whole));
  EXPECT_TRUE(program_.WaitForStatus(kCaption));
}

// EM_GETSEL's return value holds 16-bit positions: a selection past the
// 65,536th character counts all the same.
TEST_F(AnyProgram, ASelectionPastThe65536thCharacterIsCountedRight) {
  StandInEditor writer(StandInEditor::Shape::kTwoPanes);
  writer.SetText(std::string(70000, 'a') + "中文");
  writer.BringToFront();
  EXPECT_TRUE(program_.WaitForSlots({"2", "0", "7,0000", "0", "7,0002", "7,0002"}));
  writer.Select(69999, 70002);
  EXPECT_TRUE(program_.WaitForSlots({"2", "0", "1", "0", "3", "3"}));
}

// A control under a class name of its own is known by its answers.
TEST_F(AnyProgram, ASuperclassedEditIsCounted) {
  StandInEditor writer(StandInEditor::Shape::kSuperclassedEdit);
  writer.SetText("abcd");
  writer.BringToFront();
  EXPECT_TRUE(program_.WaitForSlots({"0", "0", "4", "0", "4", "4"}));
  EXPECT_EQ(kCaption, program_.Text(1016));
}

// A password box is never read: the counts and caption before it stay.
TEST_F(AnyProgram, APasswordIsNeverRead) {
  {
    StandInEditor writer(StandInEditor::Shape::kTwoPanes);
    writer.SetText("abc");
    writer.BringToFront();
    ASSERT_TRUE(program_.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
  }
  StandInEditor login(StandInEditor::Shape::kPasswordBox);
  login.SetText("secret");
  login.BringToFront();
  Sleep(600);
  EXPECT_EQ(Slots({"0", "0", "3", "0", "3", "3"}), program_.Slots());
  EXPECT_EQ(0, login.Copies());
}

}  // namespace
