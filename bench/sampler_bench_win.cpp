// The Windows half of bench/sampler_bench.sh: puts a GBK text of a given
// size in Wine's Notepad, in front of a freshly started Vantorix, and
// waits until Vantorix shows its count. Then it prints "idle" and leaves
// both alone for the given seconds (the script reads their CPU time on the
// Linux side meanwhile), and types letters at the end of the text, printing
// how long each took to show in Vantorix's English-characters slot. All
// the while it asks Vantorix's window a message every 20 ms and prints the
// longest it took to answer, beside the longest a bystander took: an idle
// window of the driver's own, which only Wine's server can keep waiting
// (it carries every message, a copy of Notepad's text included).
//
//   sampler_bench_win.exe VANTORIX.EXE BYTES IDLE_SECONDS LETTERS
// Settings are deleted first: run it in a Wine prefix of its own.
#include <windows.h>

#include <algorithm>
#include <atomic>
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

// The longest Vantorix's window and the bystander took to answer a
// message, in ms, in each phase: while Notepad loads the text and it is
// first counted, while nothing changes, while letters are typed. Each is
// asked from a thread of its own, so that both are asked all the time.
enum Phase { kLoading, kIdle, kTyping };
std::atomic<Phase> g_phase{kLoading};
struct Asked {
  std::atomic<HWND> window{nullptr};
  double worstMs[3] = {};  // written by its asking thread, read at the end
};
Asked g_vantorix, g_bystander;
std::atomic<bool> g_stopAsking{false};

DWORD WINAPI KeepAsking(void* param) {
  Asked& asked = *static_cast<Asked*>(param);
  while (!g_stopAsking) {
    if (HWND window = asked.window.load()) {
      const double start = NowMs();
      DWORD_PTR result;
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
      double& worst = asked.worstMs[g_phase.load()];
      worst = std::max(worst, NowMs() - start);
    }
    Sleep(20);
  }
  return 0;
}

// The bystander: an idle window on a thread of its own.
DWORD WINAPI RunBystander(void*) {
  g_bystander.window = CreateWindowExW(0, L"Static", L"bystander", WS_OVERLAPPED, 0, 0, 10, 10,
                                       nullptr, nullptr, nullptr, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
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
  CloseHandle(CreateThread(nullptr, 0, RunBystander, nullptr, 0, nullptr));
  if (!WaitFor([] { return g_bystander.window.load() != nullptr; }, kShowTimeoutMs))
    return Fail("no bystander window");
  g_vantorix.window = main;
  HANDLE asking[] = {CreateThread(nullptr, 0, KeepAsking, &g_vantorix, 0, nullptr),
                     CreateThread(nullptr, 0, KeepAsking, &g_bystander, 0, nullptr)};
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
  // Notepad may retitle itself once it has read the file; the next tick
  // shows the new caption.
  if (!WaitFor([&] { return Text(GetDlgItem(main, kStatusLine)) == Text(frame); }, 2000))
    return Fail("the status line does not show Notepad's caption");

  // Type at the end, as a writer does; the caret's move is itself an edit
  // for the sampler, so it comes before the quiet time.
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);  // in characters
  SendMessageW(edit, EM_SETSEL, WPARAM(end), LPARAM(end));
  Sleep(3000);
  g_phase = kIdle;
  std::printf("idle %d\n", idleSeconds);
  Sleep(DWORD(idleSeconds) * 1000);
  std::printf("idle over\n");
  g_phase = kTyping;

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
  // A selection made shows as the selection's count (the status line
  // marked 选中：), from the copy already held; one emptied, as the whole
  // text's, after a fresh copy (typing over a selection keeps the length).
  HWND status = GetDlgItem(main, kStatusLine);
  const std::wstring selectedMark = L"选中：";
  for (int i = 0; i < 6; ++i) {
    Sleep(700 + 300 * DWORD(i % 3));
    const bool select = i % 2 == 0;
    const double asked = NowMs();
    SendMessageW(edit, EM_SETSEL, select ? WPARAM(1000 * (i + 1)) : 0, select ? 5000000 : 0);
    if (!WaitFor([&] { return (Text(status).rfind(selectedMark, 0) == 0) == select; },
                 kShowTimeoutMs, 2))
      return Fail("a selection never showed");
    std::printf("selection %s shown after %.0f ms\n", select ? "made" : "emptied",
                NowMs() - asked);
  }
  g_stopAsking = true;
  WaitForMultipleObjects(2, asking, TRUE, 20000);
  const double* v = g_vantorix.worstMs;
  const double* b = g_bystander.worstMs;
  std::printf("worst answer of the window (of a bystander): %.0f (%.0f) ms while Notepad "
              "loaded the text and it was first counted, %.0f (%.0f) ms idle, %.0f (%.0f) ms "
              "while letters were typed\n",
              v[kLoading], b[kLoading], v[kIdle], b[kIdle], v[kTyping], b[kTyping]);

  TerminateProcess(notepad.hProcess, 0);  // no "save changes?" question
  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitForSingleObject(vantorix.hProcess, 10000);
  DeleteFileW(path.c_str());
  return 0;
}
