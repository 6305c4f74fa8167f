#include "tests/cli/run_cli.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

std::string TempPath(const char* what) {
  return "/tmp/vx-cli-run-" + std::to_string(getpid()) + "-" + what;
}

std::string ReadAll(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

}  // namespace

// The program's input and outputs go through files, so nothing needs
// draining while it runs.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input,
              CliStdout stdoutTo, const std::vector<std::string>& env,
              const std::vector<std::string>& prefix, size_t inputRead) {
  const std::string in = TempPath("in"), out = TempPath("out"), err = TempPath("err");
  std::ofstream(in, std::ios::binary) << input;
  const pid_t pid = fork();
  if (pid == 0) {
    const int created = O_WRONLY | O_CREAT | O_TRUNC;
    dup2(open(in.c_str(), O_RDONLY), 0);
    lseek(0, off_t(inputRead), SEEK_SET);
    dup2(open(stdoutTo == CliStdout::kFullDisk ? "/dev/full" : out.c_str(), created, 0600), 1);
    dup2(open(err.c_str(), created, 0600), 2);
    if (stdoutTo == CliStdout::kClosed) close(1);
    for (const std::string& setting : env) putenv(const_cast<char*>(setting.c_str()));
    std::vector<char*> argv;
    for (const std::string& p : prefix) argv.push_back(const_cast<char*>(p.c_str()));
    argv.push_back(const_cast<char*>(VX_COUNT_PATH));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage = {};
  wait4(pid, &status, 0, &usage);
  CliRun run;
  run.out = ReadAll(out);
  run.err = ReadAll(err);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peakKib = usage.ru_maxrss;
  for (const std::string& path : {in, out, err}) std::remove(path.c_str());
  return run;
}
