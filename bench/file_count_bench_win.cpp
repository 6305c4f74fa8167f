// A big file counted the ways a Windows user counts it, under Wine: by
// vantorix-count.exe, and by the window itself (dropped on the real
// program, or chosen in its open-file dialog, driven through window
// messages as the black-box tests do). For the window it also takes the
// worst time the window took to answer a message while the count ran, and
// what Wine without a window manager makes a closing dialog wait (hiding a
// window waits up to 2 s for a manager to confirm it). Prints seconds;
// bench/file_count_bench.sh sets them beside dd's.
//   file_count_bench_win.exe FILE COUNT_EXE [window]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "tests/harness/program.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Best of `runs` wall times of the command line counting `file`.
double TimeCommandLine(const std::string& countExe, const std::string& file, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    std::wstring command = Wide("\"" + countExe + "\" \"" + file + "\"");
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    startup.hStdOutput = startup.hStdError = null;
    PROCESS_INFORMATION info = {};
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info))
      return -1;
    WaitForSingleObject(info.hProcess, INFINITE);
    best = std::min(best, Seconds(start));
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    CloseHandle(null);
  }
  return best;
}

// The window's count of a file dropped or chosen in the dialog: wall time
// from the drop or the dialog's answer until its counts show, and the worst
// answer time meanwhile.
bool TimeWindow(const std::string& file, bool chosen, double& seconds, double& worstAnswer) {
  DeleteAllSettings();
  StoreSetting("计算模式", "计算模式", "3");  // no mode running beside the count
  Program program;
  if (!program.Started()) return false;
  const std::string name = file.substr(file.find_last_of('\\') + 1);
  worstAnswer = 0;
  if (chosen) program.SelectMode(2);
  if (chosen ? !ChooseInFileDialog(program, file) : !DropFiles(program, {file})) return false;
  const auto start = Clock::now();
  for (;;) {
    const auto asked = Clock::now();
    if (!program.Answers(60000)) return false;
    worstAnswer = std::max(worstAnswer, Seconds(asked));
    // Done: the counts are in and the status line shows the name (and how
    // the file was read) without a progress figure.
    const std::string status = program.Text(1016);
    if (program.Text(1011) != "0" && status.compare(0, name.size(), name) == 0 &&
        status.find('%') == std::string::npos)
      break;
    if (Seconds(start) > 600) return false;
    Sleep(2);
  }
  seconds = Seconds(start);
  return program.Close();
}

// How long Wine takes to hide a top-level window, as a dialog closing does:
// without a window manager it waits for one to confirm, up to 2 s.
double HideWait() {
  HWND window = CreateWindowExW(0, L"Static", L"hide", WS_OVERLAPPEDWINDOW, 100, 100, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
  ShowWindow(window, SW_SHOW);
  WaitFor([] {  // let it map
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return false;
  }, 500);
  const auto start = Clock::now();
  ShowWindow(window, SW_HIDE);
  const double seconds = Seconds(start);
  DestroyWindow(window);
  return seconds;
}

}  // namespace

// With "window" as third argument the window's figures, else the command
// line's.
int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: file_count_bench_win FILE COUNT_EXE [window]\n");
    return 2;
  }
  if (argc == 3) {
    const double commandLine = TimeCommandLine(argv[2], argv[1], 5);
    // The same program on an empty file: what Wine takes to start it.
    const std::string empty = std::string(argv[1]) + ".empty";
    WriteFileAt(empty, "");
    const double start = TimeCommandLine(argv[2], empty, 5);
    DeleteFileW(Wide(empty).c_str());
    if (commandLine < 0 || start < 0) return 1;
    std::printf("vantorix-count.exe %.3f\nexe-start %.3f\n", commandLine, start);
    return 0;
  }
  // The best of the window's times, the worst of its answers.
  for (bool chosen : {false, true}) {
    double window = 1e30, worst = 0;
    for (int run = 0; run < 3; ++run) {
      double seconds, worstAnswer;
      if (!TimeWindow(argv[1], chosen, seconds, worstAnswer)) {
        std::fprintf(stderr, "file_count_bench_win: a run failed\n");
        return 1;
      }
      window = std::min(window, seconds);
      worst = std::max(worst, worstAnswer);
    }
    const char* how = chosen ? "chosen" : "dropped";
    std::printf("window-%s %.3f\nworst-answer-%s %.3f\n", how, window, how, worst);
  }
  std::printf("wine-hide-wait %.3f\n", HideWait());
  return 0;
}
