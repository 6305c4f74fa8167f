// vantorix-count.exe under Wine: its output reaches a file or says why not,
// and names in any script come and go whole.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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

}  // namespace
