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

std::wstring Text(HWND window) {
  wchar_t text[1024] = L"";
  SendMessageW(window, WM_GETTEXT, 1024, LPARAM(text));
  return text;
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The first visible top-level window of `pid` whose caption holds `mark`.
HWND WindowOf(DWORD pid, const wchar_t* mark) {
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w) && Text(w).find(mark) != std::string::npos)
      return w;
  }
  return nullptr;
}

bool Start(std::wstring commandLine, PROCESS_INFORMATION& info) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info) != 0;
}

std::wstring Formatted(uint64_t count) {
  char text[kCountTextSize];
  FormatCount(Count(count), text, sizeof text);
  return Wide(text);
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
  wchar_t folder[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, folder);
  const std::wstring path = std::wstring(folder) + L"sampler_bench.txt";
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return Fail("cannot write the text");
  std::fwrite(corpus.text.data(), 1, corpus.text.size(), file);
  std::fclose(file);

  RegDeleteTreeW(HKEY_CURRENT_USER, L"Vantorix");
  PROCESS_INFORMATION vantorix = {}, notepad = {};
  if (!Start(L"\"" + Wide(argv[1]) + L"\"", vantorix)) return Fail("cannot start Vantorix");
  HWND main = nullptr;
  if (!WaitFor([&] { return (main = WindowOf(vantorix.dwProcessId, L"Vantorix")) != nullptr; },
               kShowTimeoutMs))
    return Fail("no Vantorix window");
  const double loadStart = NowMs();
  if (!Start(L"notepad.exe \"" + path + L"\"", notepad)) return Fail("cannot start Notepad");
  HWND frame = nullptr;
  if (!WaitFor([&] { return (frame = WindowOf(notepad.dwProcessId, L" - 记事本")) != nullptr; },
               kLoadTimeoutMs))
    return Fail("no Notepad window");
  HWND edit = FindWindowExW(frame, nullptr, L"Edit", nullptr);
  SetForegroundWindow(frame);
  HWND slot = GetDlgItem(main, kEnCharsSlot);
  const std::wstring expected = Formatted(corpus.counts.enChars);
  if (!WaitFor([&] { return Text(slot) == expected; }, kLoadTimeoutMs))
    return Fail("the count never showed");
  std::printf("text: %zu bytes, %llu English characters, counted %.1f s after Notepad "
              "started (mostly Notepad reading it)\n",
              corpus.text.size(), (unsigned long long)corpus.counts.enChars,
              (NowMs() - loadStart) / 1000);
  if (Text(GetDlgItem(main, kStatusLine)) != Text(frame))
    return Fail("the status line does not show Notepad's caption");

  // Type at the end, as a writer does; the caret's move is itself an edit
  // for the sampler, so it comes before the quiet time.
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);  // in characters
  SendMessageW(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
  Sleep(3000);
  std::printf("idle %d\n", idleSeconds);
  Sleep(DWORD(idleSeconds) * 1000);
  std::printf("idle over\n");

  std::vector<double> delays;
  uint64_t enChars = corpus.counts.enChars;
  for (int i = 0; i < letters; ++i) {
    Sleep(700 + 300 * DWORD(i % 3));  // not in step with the sampler
    const double typed = NowMs();
    PostMessageW(edit, WM_CHAR, 'a', 1);
    ++enChars;
    const std::wstring want = Formatted(enChars);
    if (!WaitFor([&] { return Text(slot) == want; }, kShowTimeoutMs, 2))
      return Fail("a typed letter never showed");
    delays.push_back(NowMs() - typed);
    std::printf("letter %d shown after %.0f ms\n", i + 1, delays.back());
  }
  if (!delays.empty()) {
    std::sort(delays.begin(), delays.end());
    std::printf("typed letters: median %.0f ms, slowest %.0f ms\n", delays[delays.size() / 2],
                delays.back());
  }

  TerminateProcess(notepad.hProcess, 0);  // no "save changes?" question
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitForSingleObject(vantorix.hProcess, 10000);
  DeleteFileW(path.c_str());
  return 0;
}
