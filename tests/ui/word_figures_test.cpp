// Word's 字数 and 字符数(不计空格) in the window (slots 1022 and 1023): from
// every source, a selection included, whatever the ticks.
#include <gtest/gtest.h>

#include <string>

#include "tests/harness/program.h"
#include "tests/support/gbk_corpus.h"

namespace {

// 我 爱 Python 编 程 。 e-mail: a@b.cn: 8 words of 24 characters.
const char kGbkText[] = "\xCE\xD2\xB0\xAE" "Python" "\xB1\xE0\xB3\xCC\xA1\xA3" "e-mail: a@b.cn";
// The same in UTF-8, with a word holding an emoji, which has no GBK form.
const char kText[] = "我爱Python编程。e-mail: a@b.cn Hello👍World";

class WordFiguresInTheWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
    ASSERT_TRUE(program_.Started());
  }
  Program program_;
};

TEST_F(WordFiguresInTheWindow, FilesInEachEncodingAndTheClipboardShowThem) {
  const std::u16string utf16 = u"我爱Python编程。e-mail: a@b.cn Hello👍World";
  const struct {
    std::string path;
    const char* words;
    const char* charsNoSpace;
  } files[] = {
      {MakeTempFile("words-gbk.txt", kGbkText), "8", "24"},
      {MakeTempFile("words-utf8.txt", kText), "9", "35"},
      {MakeTempFile("words-utf16.txt", "\xFF\xFE" + Utf16(utf16, false)), "9", "35"},
  };
  for (const auto& f : files) {
    ASSERT_TRUE(DropFiles(program_, {f.path}));
    EXPECT_TRUE(program_.WaitForWordFigures(f.words, f.charsNoSpace)) << f.path;
  }
  program_.SelectMode(1);
  ASSERT_TRUE(PutClipboardText(kText));
  EXPECT_TRUE(program_.WaitForWordFigures("9", "35"));
  // No tick changes them.
  program_.Click(1007);
  program_.Click(1010);
  EXPECT_TRUE(program_.WaitForSlots({"4", "2", "25", "6", "31", "31"}));
  EXPECT_TRUE(program_.WaitForWordFigures("9", "35"));
}

// An editor's whole text, then its selection, then the whole again.
TEST_F(WordFiguresInTheWindow, AnEditorsTextAndItsSelectionShowThem) {
  program_.SelectMode(0);
  StandInEditor writer(StandInEditor::Shape::kRichEdit);
  writer.SetText("我爱Python编程。");
  writer.BringToFront();
  EXPECT_TRUE(program_.WaitForWordFigures("6", "11"));
  writer.Select(2, 9);  // Python编
  EXPECT_TRUE(program_.WaitForWordFigures("2", "7"));
  writer.Select(0, 0);
  EXPECT_TRUE(program_.WaitForWordFigures("6", "11"));
}

}  // namespace
