// The Windows half of bench/sampler_bench.sh: puts a GBK text of a given
// size in Wine's Notepad, in front of a freshly started Vantorix, and
// waits until Vantorix shows its count. Then it prints "idle" and leaves
// both alone for the given seconds (the script reads their CPU time on the
// Linux side meanwhile), and types letters at the end of the text, printing
// how long each took to show in Vantorix's English-characters slot.
//
//   sampler_bench_win.exe VANTORIX.EXE BYTES IDLE_SECONDS LETTERS
// Settings are deleted first: run it in a Wine prefix of its own.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/format_count.h"
#include "tests/support/gbk_corpus.h"

namespace {

constexpr int kEnCharsSlot = 1013;
constexpr int kStatusLine = 1016;
constexpr DWORD kLoadTimeoutMs = 300000;  // Wine's Notepad reads 10 MB slowly
constexpr DWORD kShowTimeoutMs = 30000;

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

template <class Condition>
bool WaitFor(Condition done, DWORD timeoutMs, DWORD pollMs = 20) {
  const double end = NowMs() + timeoutMs;
  while (!done()) {
    if (NowMs() > end) return false;
    Sleep(pollMs);
  }
  return true;
}

std::string Text(HWND window) {
  char text[1024] = "";
  SendMessageA(window, WM_GETTEXT, sizeof text, LPARAM(text));
  return text;
}

// The first visible top-level window of `pid` whose caption holds `mark`.
HWND WindowOf(DWORD pid, const char* mark) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w) && Text(w).find(mark) != std::string::npos)
      return w;
  }
  return nullptr;
}

bool Start(std::string commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info) != 0;
}

std::string Formatted(uint64_t count) {
  char text[kCountTextSize];
  FormatCount(Count(count), text, sizeof text);
  return text;
}

int Fail(const char* why) {
  std::printf("sampler_bench: %s\n", why);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: VANTORIX.EXE BYTES IDLE_SECONDS LETTERS");
  const size_t bytes = size_t(std::strtoull(argv[2], nullptr, 10));
  const int idleSeconds = std::atoi(argv[3]);
  const int letters = std::atoi(argv[4]);
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // the script reads as we go

  const GbkCorpus corpus = MakeGbkProse(bytes, 7);
  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const std::string path = std::string(folder) + "sampler_bench.txt";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return Fail("cannot write the text");
  std::fwrite(corpus.text.data(), 1, corpus.text.size(), file);
  std::fclose(file);

  RegDeleteTreeA(HKEY_CURRENT_USER, "Vantorix");
  PROCESS_INFORMATION vantorix = {}, notepad = {};
  if (!Start(std::string("\"") + argv[1] + "\"", vantorix)) return Fail("cannot start Vantorix");
  HWND main = nullptr;
  if (!WaitFor([&] { return (main = WindowOf(vantorix.dwProcessId, "Vantorix")) != nullptr; },
               kShowTimeoutMs))
    return Fail("no Vantorix window");
  const double loadStart = NowMs();
  if (!Start("notepad.exe \"" + path + "\"", notepad)) return Fail("cannot start Notepad");
  HWND frame = nullptr;
  if (!WaitFor([&] { return (frame = WindowOf(notepad.dwProcessId, " - 记事本")) != nullptr; },
               kLoadTimeoutMs))
    return Fail("no Notepad window");
  HWND edit = FindWindowExA(frame, nullptr, "Edit", nullptr);
  SetForegroundWindow(frame);
  HWND slot = GetDlgItem(main, kEnCharsSlot);
  const std::string expected = Formatted(corpus.counts.enChars);
  if (!WaitFor([&] { return Text(slot) == expected; }, kLoadTimeoutMs))
    return Fail(("the count never showed: " + Text(slot) + " for " + expected).c_str());
  std::printf("text: %zu bytes, %llu English characters, counted %.1f s after Notepad "
              "started (mostly Notepad reading it)\n",
              corpus.text.size(), (unsigned long long)corpus.counts.enChars,
              (NowMs() - loadStart) / 1000);
  if (Text(GetDlgItem(main, kStatusLine)) != Text(frame))
    return Fail("the status line does not show Notepad's caption");

  // Type at the end, as a writer does; the caret's move is itself an edit
  // for the sampler, so it comes before the quiet time.
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);  // in characters
  SendMessageA(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
  Sleep(3000);
  std::printf("idle %d\n", idleSeconds);
  Sleep(DWORD(idleSeconds) * 1000);
  std::printf("idle over\n");

  std::vector<double> delays;
  uint64_t enChars = corpus.counts.enChars;
  for (int i = 0; i < letters; ++i) {
    Sleep(700 + 300 * DWORD(i % 3));  // not in step with the sampler
    const double typed = NowMs();
    PostMessageA(edit, WM_CHAR, 'a', 1);
    ++enChars;
    const std::string want = Formatted(enChars);
    if (!WaitFor([&] { return Text(slot) == want; }, kShowTimeoutMs, 2))
      return Fail(("a typed letter never showed: " + Text(slot)).c_str());
    delays.push_back(NowMs() - typed);
    std::printf("letter %d shown after %.0f ms\n", i + 1, delays.back());
  }
  if (!delays.empty()) {
    std::sort(delays.begin(), delays.end());
    std::printf("typed letters: median %.0f ms, slowest %.0f ms\n", delays[delays.size() / 2],
                delays.back());
  }

  TerminateProcess(notepad.hProcess, 0);  // no "save changes?" question
  PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitForSingleObject(vantorix.hProcess, 10000);
  DeleteFileA(path.c_str());
  return 0;
}
