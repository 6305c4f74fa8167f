// vantorix-count.exe and the window count the same files alike: each file is
// dropped on the real program and counted by the command line, and the
// table's cells must read exactly as the six result slots.
#include <gtest/gtest.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/program.h"
#include "tests/support/gbk_corpus.h"

namespace {

// Runs the command line on `path`; its standard output and exit code.
std::string RunCount(const std::string& path, DWORD& exitCode) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) return "";
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write;
  startup.hStdError = write;
  std::string command = std::string("\"") + VX_COUNT_PATH + "\" \"" + path + "\"";
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  CloseHandle(write);
  std::string out;
  if (started) {
    char buffer[4096];
    DWORD got;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
    WaitForSingleObject(info.hProcess, 30000);
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  CloseHandle(read);
  return out;
}

// The window's six slots as the command line's table gives them: the four
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

// Lone CRs, CR LF, an LF alone, GBK extension characters (one with a trail
// below 0x80), a tab, and a lead byte with no trail at the end.
const char kEdges[] = "a\rb\r\r\nc\n\x81\x40\xFE\x7E\tend\xB0";

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t u : text) {
    const char hi = char(u >> 8), lo = char(u & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

TEST(CliWindowAgree, CountsOfDroppedFilesMatchTheResultSlots) {
  DeleteAllSettings();  // the first run's ticks: Chinese and English characters
  StoreSetting("计算模式", "计算模式", "3");
  // Real text in each form a file comes in today; the status line names the
  // converted ones' reading.
  std::string prose8;
  while (prose8.size() < 300000) prose8 += u8"床前明月光，疑是地上霜。举头望明月，低头思故乡。\r\n";
  const std::string sample8 = u8"中文，abc 123。\r\n";
  const std::u16string sample16 = u"中文，abc 123。\r\n";
  const struct {
    const char* name;
    std::string content;
    const char* reading;
  } files[] = {
      {"agree-sample.txt", "\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n", ""},
      {"agree-prose.txt", MakeGbkProse(300000, 11).text, ""},  // 1,2345-sized counts
      {"agree-edges.txt", std::string(kEdges, sizeof kEdges - 1), ""},
      {"agree-zero.txt", std::string("ab\0cd", 5), ""},
      {"agree-utf8.txt", prose8, " (UTF-8)"},  // no mark, CR LF line ends
      {"agree-utf8-mark.txt", "\xEF\xBB\xBF" + sample8, " (UTF-8)"},
      {"agree-utf16le.txt", Utf16(sample16, false), " (UTF-16)"},
      {"agree-utf16be.txt", Utf16(sample16, true), " (UTF-16)"},
      {"agree-utf16-zero.txt", Utf16(u"ab", false) + std::string("\0\0\0\xDC", 4), " (UTF-16)"},
      {"agree-no-gbk-form.txt", u8"a😀b€c丂", " (UTF-8)"},
      {"agree-utf8-bad-end.txt", prose8 + "\xFF" + "ab", ""},  // read as GBK
  };
  Program program;
  ASSERT_TRUE(program.Started());
  for (const auto& file : files) {
    const std::string path = MakeTempFile(file.name, file.content);
    DWORD exitCode = 99;
    const std::string table = RunCount(path, exitCode);
    EXPECT_EQ(0u, exitCode) << table;
    const std::vector<std::string> expected = SlotsFromTable(table);
    ASSERT_TRUE(DropFiles(program, {path}));
    EXPECT_TRUE(program.WaitForStatus(std::string(file.name) + file.reading)) << file.name;
    EXPECT_TRUE(WaitFor([&] { return program.Slots() == expected; }))
        << file.name << ":\n" << table << "window: " << ::testing::PrintToString(program.Slots());
  }
}

}  // namespace
