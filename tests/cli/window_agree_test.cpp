// vantorix-count.exe and the window count the same files alike: each file
// is dropped on the real program and counted by the command line, and the
// table's cells must read exactly as the six result slots.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/run_cli.h"
#include "tests/harness/program.h"
#include "tests/support/gbk_corpus.h"

namespace {

// The window's six slots as the table's one row gives them: the four
// counts and the total, which the window shows twice.
std::vector<std::string> SlotsFromTable(const std::string& table) {
  std::istringstream lines(table);
  std::string heading, row;
  std::getline(lines, heading);
  std::getline(lines, row);
  std::istringstream cells(row);
  std::vector<std::string> slots(5);
  for (std::string& cell : slots) cells >> cell;
  slots.push_back(slots[4]);
  return slots;
}

TEST(CliWindowAgree, EveryFormOfAFileCountsAlikeInBoth) {
  DeleteAllSettings();  // the first run's ticks: Chinese and English characters
  StoreSetting("计算模式", "计算模式", "3");
  std::string prose8;
  while (prose8.size() < 300000) prose8 += u8"床前明月光，疑是地上霜。举头望明月，低头思故乡。\r\n";
  const std::u16string sample16 = u"中文，abc 123。\r\n";
  const struct {
    const char* name;
    std::string content;
    const char* reading;  // what the status line adds
  } files[] = {
      {"agree-gbk.txt", MakeGbkProse(300000, 11).text, ""},
      {"agree-edges.txt", std::string("a\rb\r\r\nc\n\x81\x40\xFE\x7E\tend\xB0", 17), ""},
      {"agree-utf8.txt", prose8, " (UTF-8)"},  // no mark, CR LF line ends
      {"agree-utf8-mark.txt", "\xEF\xBB\xBF" + prose8, " (UTF-8)"},
      {"agree-utf16le.txt", "\xFF\xFE" + Utf16(sample16, false), " (UTF-16)"},
      {"agree-utf16be.txt", "\xFE\xFF" + Utf16(sample16, true), " (UTF-16)"},
      {"agree-utf16-zero.txt", "\xFF\xFE" + Utf16(u"ab", false) + std::string("\0\0\0\xDC", 4),
       " (UTF-16)"},
      {"agree-no-gbk-form.txt", u8"a😀b€c丂", " (UTF-8)"},
      {"agree-utf8-bad-end.txt", prose8 + "\xFF" + "ab", ""},  // read as GBK
      {"agree-every-bmp-character.txt", EveryBmpCharacter(), " (UTF-8)"},
  };
  Program program;
  ASSERT_TRUE(program.Started());
  for (const auto& file : files) {
    const std::string path = MakeTempFile(file.name, file.content);
    const CliRun run = RunCli({path});
    EXPECT_EQ(0, run.status) << run.err;
    ASSERT_TRUE(DropFiles(program, {path}));
    EXPECT_TRUE(program.WaitForStatus(std::string(file.name) + file.reading)) << file.name;
    EXPECT_TRUE(program.WaitForSlots(SlotsFromTable(run.out))) << file.name << ":\n" << run.out;
  }
}

}  // namespace
