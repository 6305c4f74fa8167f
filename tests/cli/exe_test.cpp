// vantorix-count.exe under Wine: its output reaches a file or says why not,
// and its JSON is UTF-8 though its own text is code page 936.
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

TEST(CliExe, JsonGivesAGbkNameInUtf8) {
  const char kName[] = "cli-名字.txt";  // GBK in this build
  const std::string path = MakeTempFile(kName, "ab");
  const CliRun run = RunCli({"--format", "json", path});
  ASSERT_EQ(0, run.status) << run.err;
  const nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << "not UTF-8 JSON:\n" << run.out;
  // The temporary folder's path is ASCII.
  const std::string folder = path.substr(0, path.size() - (sizeof kName - 1));
  EXPECT_EQ(folder + reinterpret_cast<const char*>(u8"cli-名字.txt"), doc["files"][0]["file"]);
  EXPECT_FALSE(doc["files"][0].contains("file_hex"));
}

}  // namespace
