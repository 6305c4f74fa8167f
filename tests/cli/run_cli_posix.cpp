#include "tests/cli/run_cli.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

CliRun RunCli(const std::vector<std::string>& args, const std::string& input,
              CliStdout stdoutTo) {
  int in[2], out[2], err[2];
  if (pipe(in) || pipe(out) || pipe(err)) return {};
  signal(SIGPIPE, SIG_IGN);  // the program may exit before reading all input
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (stdoutTo == CliStdout::kFullDisk) dup2(open("/dev/full", O_WRONLY), 1);
    if (stdoutTo == CliStdout::kClosed) close(1);
    std::vector<char*> argv{const_cast<char*>(VX_COUNT_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(VX_COUNT_PATH, argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);

  // Feeds the input while draining both outputs, so no pipe fills up.
  CliRun run;
  size_t fed = 0;
  int toChild = in[1];
  if (input.empty()) {
    close(toChild);
    toChild = -1;
  } else {
    fcntl(toChild, F_SETFL, O_NONBLOCK);
  }
  int fds[2] = {out[0], err[0]};
  std::string* into[2] = {&run.out, &run.err};
  while (fds[0] >= 0 || fds[1] >= 0) {
    pollfd polled[3] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}, {toChild, POLLOUT, 0}};
    if (poll(polled, 3, -1) < 0) break;  // negative descriptors are skipped
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if (!polled[i].revents) continue;
      const ssize_t n = read(fds[i], buffer, sizeof buffer);
      if (n > 0) {
        into[i]->append(buffer, size_t(n));
      } else {
        close(fds[i]);
        fds[i] = -1;
      }
    }
    if (toChild >= 0 && polled[2].revents) {
      const ssize_t n = write(toChild, input.data() + fed, input.size() - fed);
      if (n > 0) fed += size_t(n);
      if (n < 0 || fed == input.size()) {
        close(toChild);
        toChild = -1;
      }
    }
  }
  if (toChild >= 0) close(toChild);
  int status = 0;
  rusage usage = {};
  wait4(pid, &status, 0, &usage);
  run.peakKib = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}
