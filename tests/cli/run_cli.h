#pragma once
// Runs the built vantorix-count with arguments and standard input, and
// keeps what it wrote and its exit status.

#include <string>
#include <vector>

struct CliRun {
  std::string out;
  std::string err;
  int status = -1;  // the exit status; -1 when it did not exit normally
  long peakKib = 0;  // the program's peak resident memory
};

// Where the program's standard output goes: captured into CliRun::out, a
// disk that is always full (/dev/full), or nowhere (the handle closed).
enum class CliStdout { kCaptured, kFullDisk, kClosed };

// `env`: "NAME=value" settings the program gets beside this process's
// environment. `prefix` (Linux only): a command the program is run
// through, given the program and its arguments after its own words.
// `inputRead`: bytes of `input` read already when the program starts, as
// after a script's read of a title line from the same file.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input = "",
              CliStdout stdoutTo = CliStdout::kCaptured,
              const std::vector<std::string>& env = {},
              const std::vector<std::string>& prefix = {}, size_t inputRead = 0);
