// The window on any system code page: run under 936, 1252 and 65001 (the
// locale picks it, tests/ui/CMakeLists.txt). Every text reads as written,
// every source counts a text alike, Notepad is found in any language and
// shape, files named in any script are counted, and the program runs from
// folders named in any script.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/harness/program.h"

namespace {

using Slots = std::vector<std::string>;

class CodePage : public ::testing::Test {
 protected:
  void SetUp() override {
    // The run's locale must have given the code page it is named for.
    const char* expected = std::getenv("VX_CODE_PAGE");
    ASSERT_TRUE(expected) << "run through ctest, which names the code page";
    ASSERT_EQ(UINT(std::atoi(expected)), GetACP());
    DeleteAllSettings();
    StoreSetting("计算模式", "计算模式", "3");  // start with no mode running
  }
};

// The text of the dialog's first control whose text begins with `start`
// (for the labels without an identifier of their own), or "".
std::string LabelStartingWith(const Program& program, const std::string& start) {
  for (HWND c = GetWindow(program.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    const std::string text = Program::WindowCaption(c);
    if (text.compare(0, start.size(), start) == 0) return text;
  }
  return "";
}

TEST_F(CodePage, EveryTextOfTheWindowReadsAsWritten) {
  Program program;
  ASSERT_TRUE(program.Started());
  const struct {
    int id;
    const char* text;
  } labels[] = {
      {1000, " 模式 "},     {1004, "控制计算频率(秒/次)："}, {1006, " 统计结果 "},
      {1007, "中文字数："}, {1008, "中文标点："},           {1009, "英文字数："},
      {1010, "英文标点："}, {1016, "【拖拽txt文件到界面也可得到结果】"},
      {1017, " 置顶选项 "}, {1018, "窗口置顶"},             {1019, "取消置顶"},
  };
  for (const auto& label : labels) EXPECT_EQ(label.text, program.Text(label.id)) << label.id;
  EXPECT_EQ("计算模式：", LabelStartingWith(program, "计算"));
  EXPECT_EQ("合计勾选项：", LabelStartingWith(program, "合计"));
  EXPECT_EQ((std::vector<std::string>{"  计算当前文本", "  计算粘贴板", "  计算纯文本文件"}),
            program.Modes());

  program.SelectMode(2);
  ASSERT_TRUE(ChooseInFileDialog(program, MakeTempFile("其他.md", "abc")));
  HWND question = program.WaitForDialog("提示");
  ASSERT_TRUE(question);
  EXPECT_EQ("该文件可能不是纯文本格式，是否继续分析？", Program::MessageBoxText(question));
  Program::Answer(question, IDYES);  // counted all the same
  EXPECT_TRUE(program.WaitForStatus("其他.md"));
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
}

// The clipboard mode counts the text already there, then every text
// copied; outside the mode a copy changes nothing.
TEST_F(CodePage, ChineseTextOnTheClipboardCounts) {
  Program program;
  ASSERT_TRUE(program.Started());
  ASSERT_TRUE(PutClipboardText("abc"));
  Sleep(500);
  EXPECT_EQ(Slots(6, "0"), program.Slots());
  EXPECT_EQ("【拖拽txt文件到界面也可得到结果】", program.Text(1016));
  program.SelectMode(1);
  EXPECT_TRUE(program.WaitForStatus("abc"));
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "3", "0", "3", "3"}));
  const std::string poem = "春眠不觉晓，处处闻啼鸟。";
  ASSERT_TRUE(PutClipboardText(poem));
  EXPECT_TRUE(program.WaitForStatus(poem));  // the text itself
  EXPECT_TRUE(program.WaitForSlots({"10", "2", "0", "0", "10", "10"}));
}

TEST_F(CodePage, FilesNamedInAnyScriptAreCountedDroppedAndChosen) {
  const Slots slots = {"2", "2", "3", "0", "5", "5"};  // 中文，abc。
  for (const std::string name : {"한국어.txt", "📄 notes.txt", "诗.txt"}) {
    const std::string path = MakeTempFile(name, "中文，abc。");
    Program program;
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(DropFiles(program, {path}));
    EXPECT_TRUE(program.WaitForStatus(name + " (UTF-8)")) << name;
    EXPECT_TRUE(program.WaitForSlots(slots)) << name;

    program.SelectMode(0);  // zeros, then the same file chosen
    ASSERT_TRUE(program.WaitForSlots(Slots(6, "0")));
    program.SelectMode(2);
    ASSERT_TRUE(ChooseInFileDialog(program, path));
    EXPECT_TRUE(program.WaitForStatus(name + " (UTF-8)")) << name;
    EXPECT_TRUE(program.WaitForSlots(slots)) << name;
  }
}

// Notepad as Windows 11 builds it (its text in a RichEdit, one of its tabs
// showing), Notepad in English and a window known only by its long caption
// are counted, their captions shown whole.
TEST_F(CodePage, NotepadOfEveryShapeAndLanguageIsCounted) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  const Slots sample = {"2", "2", "6", "2", "8", "8"};  // 中文，abc 123。 and a line end
  for (auto shape : {StandInEditor::Shape::kWindows11, StandInEditor::Shape::kWindows11TwoTabs,
                     StandInEditor::Shape::kClassicEnglish, StandInEditor::Shape::kLongCaption}) {
    StandInEditor editor(shape);
    ASSERT_TRUE(editor.Started());
    editor.SetText("中文，abc 123。\r\n");
    if (shape == StandInEditor::Shape::kWindows11TwoTabs) editor.SetText("不是这个", true);
    editor.BringToFront();
    EXPECT_TRUE(program.WaitForSlots(sample)) << editor.Caption();
    EXPECT_EQ(editor.Caption(), program.Text(1016));
    editor.SetText("ab");
    EXPECT_TRUE(program.WaitForSlots({"0", "0", "2", "0", "2", "2"})) << editor.Caption();
  }
}

// Any program's focused text control and its selection count alike on
// every system: a RichEdit's Chinese text, and a Scintilla document in the
// system's own code page, whose byte positions differ between them.
TEST_F(CodePage, AnyProgramsTextAndSelectionCountAlike) {
  Program program;
  ASSERT_TRUE(program.Started());
  program.SelectMode(0);
  {
    StandInEditor writer(StandInEditor::Shape::kRichEdit);
    writer.SetText("中文，abc 123。\r\n");
    writer.BringToFront();
    EXPECT_TRUE(program.WaitForSlots({"2", "2", "6", "2", "8", "8"}));
    writer.Select(0, 3);  // 中文，
    EXPECT_TRUE(program.WaitForSlots({"2", "1", "0", "0", "2", "2"}));
    EXPECT_EQ("选中：稿子 - 写作", program.Text(1016));
  }
  StandInEditor scintilla(StandInEditor::Shape::kScintilla);
  scintilla.SetCodePage(0);
  scintilla.SetText("\xC3\xA9" "abc");                 // éabc
  const unsigned afterA = GetACP() == 1252 ? 2 : 3;  // é takes 1 byte in 1252, 2 in GBK and UTF-8
  scintilla.Select(afterA, afterA + 2);                 // bc
  scintilla.BringToFront();
  EXPECT_TRUE(program.WaitForSlots({"0", "0", "2", "0", "2", "2"}));
}

// The same text counts alike from the clipboard, from Notepad and from a
// UTF-8 file: each source's text becomes its GBK form the same way.
TEST_F(CodePage, EverySourceCountsTheSameTextAlike) {
  const struct {
    const char* why;
    std::string text;
    Slots slots;
  } cases[] = {
      {"Chinese", "中文，abc 123。\r\n", {"2", "2", "6", "2", "8", "8"}},
      {"no GBK form: one mark each", "😀한😀한abc", {"0", "4", "3", "0", "3", "3"}},
      {"the euro sign takes nothing with it", "€a", {"0", "1", "1", "0", "1", "1"}},
      {"a CR alone, as a RichEdit ends paragraphs", "a\rb\r", {"0", "0", "2", "2", "2", "2"}},
      {"the first 0 ends the text", std::string("ab\0cd", 5), {"0", "0", "2", "0", "2", "2"}},
  };
  Program program;
  ASSERT_TRUE(program.Started());
  StandInEditor editor(StandInEditor::Shape::kWindows11);
  ASSERT_TRUE(editor.Started());
  int file = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    ASSERT_TRUE(PutClipboardText(c.text));
    program.SelectMode(1);
    EXPECT_TRUE(program.WaitForSlots(c.slots)) << "the clipboard";
    program.SelectMode(-1);  // zeros between the sources
    ASSERT_TRUE(program.WaitForSlots(Slots(6, "0")));
    editor.SetText(c.text);
    editor.BringToFront();
    program.SelectMode(0);
    EXPECT_TRUE(program.WaitForSlots(c.slots)) << "Notepad";
    SetForegroundWindow(program.Window());
    program.SelectMode(-1);
    ASSERT_TRUE(program.WaitForSlots(Slots(6, "0")));
    ASSERT_TRUE(DropFiles(program, {MakeTempFile("same-" + std::to_string(++file) + ".txt", c.text)}));
    EXPECT_TRUE(program.WaitForSlots(c.slots)) << "a UTF-8 file";
  }
}

// An exe kept under 工具 and a temporary folder under a user named 张三:
// the self-check passes and the skin is written there and attached.
TEST_F(CodePage, TheProgramRunsSkinnedFromFoldersNamedInAnyScript) {
  const std::string exe = TempFolder() + "工具 한국어\\Vantorix.exe";
  ASSERT_TRUE(WriteFileAt(exe, ReadFileAt(ProgramPath())));
  const std::string temp = TempFolder() + "张三 😀\\Temp\\";
  ASSERT_TRUE(WriteFileAt(temp + "placeholder", ""));
  DeleteFileW(Wide(temp + "Sk.tmp").c_str());
  // The program inherits the temporary folder from these.
  const wchar_t* const variables[] = {L"TMP", L"TEMP"};
  std::wstring saved[2];
  for (int i = 0; i < 2; ++i) {
    wchar_t value[MAX_PATH] = L"";
    GetEnvironmentVariableW(variables[i], value, MAX_PATH);
    saved[i] = value;
    SetEnvironmentVariableW(variables[i], Wide(temp).c_str());
  }
  {
    Program program(exe);
    EXPECT_TRUE(program.Started()) << "a warning or a message box came first";
    EXPECT_FALSE(ReadFileAt(temp + "Sk.tmp").empty());
    program.PressKey(VK_RETURN);  // the skinned strip is 55 pixels high, and 20 of today's
    EXPECT_TRUE(WaitFor([&] {
      const RECT r = program.WindowRect();
      return r.right - r.left == 129 && r.bottom - r.top == 55 + 20;
    }));
  }
  for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(variables[i], saved[i].c_str());
}

}  // namespace
