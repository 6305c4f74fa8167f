// vantorix-count.exe under Wine: its output reaches a file or says why not,
// and names in any script come and go whole.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <thread>

#include "tests/cli/run_cli.h"
#include "tests/harness/program.h"

namespace {

TEST(CliExe, AFailedWriteIsReportedAndFailsTheRun) {
  const std::string path = MakeTempFile("cli-written.txt", "abc");
  const struct {
    const char* why;
    std::vector<std::string> args;
    CliStdout to;
  } cases[] = {
      {"the table onto a full disk", {path}, CliStdout::kFullDisk},
      {"the help with no standard output", {"--help"}, CliStdout::kClosed},
  };
  const std::string prefix = "vantorix-count: write error: ";
  for (const auto& c : cases) {
    const CliRun run = RunCli(c.args, "", c.to);
    EXPECT_EQ(1, run.status) << c.why;
    EXPECT_EQ(0u, run.err.find(prefix)) << c.why << ": " << run.err;
    EXPECT_GT(run.err.size(), prefix.size() + 2) << "the system's words";
  }
}

// Names in any script reach the program whole through its UTF-16 command
// line; JSON and redirected tables are UTF-8.
TEST(CliExe, NamesInAnyScriptAreOpenedAndWrittenInUtf8) {
  const std::string name = "cli-名字 한국어 📄.txt";
  const std::string path = MakeTempFile(name, "ab");
  const CliRun json = RunCli({"--format", "json", path});
  ASSERT_EQ(0, json.status) << json.err;
  const nlohmann::json doc = nlohmann::json::parse(json.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << "not UTF-8 JSON:\n" << json.out;
  EXPECT_EQ(path, doc["files"][0]["file"]);
  EXPECT_FALSE(doc["files"][0].contains("file_hex"));
  const CliRun table = RunCli({path});
  EXPECT_NE(std::string::npos, table.out.find(name)) << table.out;
}

// --explain keeps its texts in the user's temporary folder (TMP), not the
// drive's root; without one it says so and keeps them in memory.
TEST(CliExe, TheExplainTextsGoToTheUsersTemporaryFolder) {
  const std::string file = MakeTempFile("cli-explain.txt", "ab");
  const std::string missing = TempFolder() + "no-such-folder\\";
  const CliRun run = RunCli({"--explain", file}, "", CliStdout::kCaptured,
                            {"TMP=" + missing, "TEMP=" + missing});
  EXPECT_EQ(0, run.status);
  EXPECT_EQ(0u, run.err.find("vantorix-count: no temporary file for --explain (" + missing))
      << run.err;
  EXPECT_EQ(RunCli({"--explain", file}).out, run.out);
}

// Devices are no files: each is refused by name, at once, where NUL once
// counted as empty and COM1 waited for ever; standard input still reads.
TEST(CliExe, DevicesAreRefusedByName) {
  for (const char* device : {"NUL", "COM1", "nul.txt"}) {
    const CliRun run = RunCli({device});
    EXPECT_EQ(1, run.status) << device;
    EXPECT_EQ(std::string("vantorix-count: ") + device + ": is a device, not a file\r\n", run.err);
  }
  const CliRun piped = RunCli({"-"}, "ab");
  EXPECT_EQ(0, piped.status) << piped.err;
}

// "tr.txt " is not its neighbour "tr.txt": each name counts its own file.
TEST(CliExe, ANameEndingInASpaceOrADotCountsThatFile) {
  MakeTempFile("cli-tr.txt", "neighbour");
  const std::string spaced = TempFolder() + "cli-tr.txt ";
  ASSERT_TRUE(WriteFileAt("\\\\?\\" + spaced, "ab"));
  const std::string missing = TempFolder() + "cli-tr.txt.";
  const CliRun run = RunCli({"--format", "csv", spaced, missing});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.out.find(spaced + ",0,0,2,0,2")) << run.out;
  EXPECT_EQ("vantorix-count: " + missing + ": No such file or directory\r\n", run.err);
}

// cmd.exe leaves * and ? to the program: they match the files of their
// folder, in order of name; a name with neither, "[" and all, is taken as it
// is; a pattern matching nothing is an error naming it. A folder says what
// it is, and a file on standard input brings no word about typing.
TEST(CliExe, WildcardsMatchFilesInNameOrderAndFoldersAreNamed) {
  const std::string folder = TempFolder() + "cli-wild\\";
  for (const char* name : {"甲.txt", "b😀.txt", "a[1].txt", "c.md"})
    ASSERT_TRUE(WriteFileAt(folder + name, "ab"));
  const CliRun run = RunCli({"--format", "csv", folder + "*.txt", folder + "a[1].txt",
                             folder + "?.md", folder + "*.none"});
  EXPECT_EQ(1, run.status);
  const std::string ab = ",0,0,2,0,2,1,2\r\n";  // four counts, total, 字数, 字符数
  const std::string rows = folder + "a[1].txt" + ab + folder + "b😀.txt" + ab + folder + "甲.txt" +
                           ab + folder + "a[1].txt" + ab + folder + "c.md" + ab;
  EXPECT_NE(std::string::npos, run.out.find(rows)) << run.out;
  EXPECT_EQ("vantorix-count: " + folder + "*.none: No such file or directory\r\n", run.err);
  const std::string bare = folder.substr(0, folder.size() - 1);  // no \" on the command line
  const CliRun onFolder = RunCli({bare});
  EXPECT_EQ("vantorix-count: " + bare + ": Is a directory\r\n", onFolder.err);
  const CliRun piped = RunCli({}, "ab");
  EXPECT_EQ(0, piped.status);
  EXPECT_EQ("", piped.err);
}

// Standard input from a file a script has read a title line of already
// (cmd's "set /p" leaves the file there) counts what is left, as wc does;
// it is no file changed while read.
TEST(CliExe, StandardInputFromAFilePartlyReadCountsWhatIsLeft) {
  const std::string title = "Title\r\n";
  const CliRun run = RunCli({"--format", "csv"}, title + "\xD6\xD0\xCE\xC4" "ab.", CliStdout::kCaptured,
                            {}, {}, title.size());
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_NE(std::string::npos, run.out.find("-,2,0,2,1,4,3,5\r\n")) << run.out << run.err;
}

// A file cut short by another program while it is counted is no count:
// said on standard error, exit status 1. Each read waits a while here
// (VX_TEST_READ_PAUSE_MS), so the cut falls inside the count.
TEST(CliExe, AFileCutShortWhileCountedIsAnError) {
  const std::string path = MakeTempFile("cli-cut.txt", std::string(6 << 20, 'a'));
  std::thread cutter([&] {
    if (WaitUntilOpenedElsewhere(path, 20000)) CutFileShort(path, 1 << 20);
  });
  const CliRun run = RunCli({path}, "", CliStdout::kCaptured, {"VX_TEST_READ_PAUSE_MS=150"});
  cutter.join();
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("vantorix-count: " + path +
                ": changed while it was read (cut short, lengthened or written by another "
                "program): not counted\r\n",
            run.err);
}

// A file that another program lengthens faster than it is read (a log) is
// no count either, and the count ends while the file still grows: past the
// size the file had when opened, it has changed. The other program stops
// after kMostAppends, so a count that chases the file ends too, later.
TEST(CliExe, AFileThatKeepsGrowingWhileCountedEndsAsChanged) {
  const std::string path = MakeTempFile("cli-grow.txt", std::string(16 << 20, 'a'));
  constexpr int kMostAppends = 200;
  std::atomic<bool> countEnded{false};
  int appends = 0;
  std::thread grower([&] {
    if (!WaitUntilOpenedElsewhere(path, 20000)) return;
    for (; appends < kMostAppends && !countEnded; ++appends) {
      if (!AppendToFile(path, std::string(1 << 20, 'b'))) break;
      Sleep(10);
    }
  });
  const CliRun run = RunCli({path}, "", CliStdout::kCaptured, {"VX_TEST_READ_PAUSE_MS=20"});
  countEnded = true;
  grower.join();
  DeleteFileW(Wide(path).c_str());
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find(": changed while it was read")) << run.err;
  EXPECT_LT(appends, kMostAppends) << "the count read on while the file grew";
}

// vantorix-count.exe with a console of the test's own as its standard
// input, what it writes going to files.
class CliConsole : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeConsole();  // whatever console the test runner gave, one of our own
    if (!AllocConsole()) GTEST_SKIP() << "no console to be had here: " << GetLastError();
    console_ = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit_, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, console_);
  }
  void TearDown() override {
    for (HANDLE h : {info_.hProcess, info_.hThread, out_, err_, console_})
      if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    FreeConsole();
  }

  // Starts it with --format csv, its output to `out` and its errors to `err`
  // (the same file when they are the same name).
  void Start(const std::string& out, const std::string& err) {
    auto create = [&](const std::string& path) {
      return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit_, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    out_ = create(out);
    if (err != out) err_ = create(err);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = console_;
    startup.hStdOutput = out_;
    startup.hStdError = err_ ? err_ : out_;
    std::wstring command = L"\"" + Wide(VX_COUNT_PATH) + L"\" --format csv";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                               &startup, &info_));
  }

  SECURITY_ATTRIBUTES inherit_ = {sizeof inherit_, nullptr, TRUE};
  HANDLE console_ = nullptr, out_ = nullptr, err_ = nullptr;
  PROCESS_INFORMATION info_ = {};
};

// Started with no file while standard input is a console, the program says
// on standard error, once, what it reads and how to end it. (Wine's console
// does not end a read at Ctrl+Z, so the test ends the program itself.)
TEST_F(CliConsole, ItSaysItReadsWhatIsTyped) {
  const std::string out = TempFolder() + "cli-console-out.txt";
  const std::string err = TempFolder() + "cli-console-err.txt";
  Start(out, err);
  const std::string hint =
      "vantorix-count: reading standard input; end it with Ctrl+Z, then Enter\r\n";
  EXPECT_TRUE(WaitFor([&] { return ReadFileAt(err) == hint; }, 10000)) << ReadFileAt(err);
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(info_.hProcess, 500)) << "it waits for the typing";
  TerminateProcess(info_.hProcess, 1);
  WaitForSingleObject(info_.hProcess, 10000);
  EXPECT_EQ(hint, ReadFileAt(err)) << "said once";
}

// Typed text is characters, not the console's code page: Chinese typed at a
// console whose input code page has no Chinese (437, an English Windows)
// counts as Chinese, and a line starting with Ctrl+Z ends the input.
TEST_F(CliConsole, TextTypedCountsWhateverItsCodePage) {
  SetConsoleCP(437);
  std::vector<INPUT_RECORD> keys;
  for (const wchar_t c : std::wstring(L"中文ab\r\x1A\r")) {
    INPUT_RECORD key = {};
    key.EventType = KEY_EVENT;
    key.Event.KeyEvent.bKeyDown = TRUE;
    key.Event.KeyEvent.wRepeatCount = 1;
    key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
    key.Event.KeyEvent.uChar.UnicodeChar = c;
    keys.push_back(key);
  }
  DWORD written = 0;
  ASSERT_TRUE(WriteConsoleInputW(console_, keys.data(), DWORD(keys.size()), &written));
  const std::string out = TempFolder() + "cli-typed-out.txt";
  Start(out, out);
  const bool ended = WaitForSingleObject(info_.hProcess, 10000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(info_.hProcess, 1);
  WaitForSingleObject(info_.hProcess, 10000);
  EXPECT_TRUE(ended) << "Ctrl+Z then Enter did not end the input";
  EXPECT_NE(std::string::npos, ReadFileAt(out).find("\r\n-,2,0,2,1,4,3,4\r\n")) << ReadFileAt(out);
}

}  // namespace
