#include "tests/cli/run_cli.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "tests/harness/program.h"

namespace {

std::string TempPath(const char* what) {
  return TempFolder() + "vx-cli-run-" + std::to_string(GetCurrentProcessId()) + "-" + what;
}

// A handle the program inherits: an existing file to read, or a new one.
HANDLE Inherited(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(Wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write && path.compare(0, 3, "Z:\\") != 0 ? CREATE_ALWAYS : OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// This process's environment block with `settings` ("NAME=value") in place
// of any of the same names.
std::wstring Environment(const std::vector<std::string>& settings) {
  auto nameOf = [](const std::wstring& entry) { return entry.substr(0, entry.find(L'=', 1)); };
  std::wstring block;
  wchar_t* own = GetEnvironmentStringsW();
  for (const wchar_t* v = own; *v; v += std::wcslen(v) + 1) {
    const std::wstring entry = v;
    const bool replaced = std::any_of(settings.begin(), settings.end(), [&](const std::string& s) {
      return _wcsicmp(nameOf(Wide(s)).c_str(), nameOf(entry).c_str()) == 0;
    });
    if (!replaced) block += entry + L'\0';
  }
  FreeEnvironmentStringsW(own);
  for (const std::string& s : settings) block += Wide(s) + L'\0';
  return block + L'\0';
}

}  // namespace

// The program's input and outputs go through files, so nothing needs
// draining while it runs. Wine shows Linux's /dev/full as Z:\dev\full.
CliRun RunCli(const std::vector<std::string>& args, const std::string& input,
              CliStdout stdoutTo, const std::vector<std::string>& env,
              const std::vector<std::string>&, size_t inputRead) {
  const std::string in = TempPath("in"), out = TempPath("out"), err = TempPath("err");
  WriteFileAt(in, input);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inherited(in, false);
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(inputRead);
  SetFilePointerEx(startup.hStdInput, at, nullptr, FILE_BEGIN);
  startup.hStdOutput = stdoutTo == CliStdout::kClosed    ? nullptr
                       : stdoutTo == CliStdout::kFullDisk ? Inherited("Z:\\dev\\full", true)
                                                          : Inherited(out, true);
  startup.hStdError = Inherited(err, true);
  std::string command = std::string("\"") + VX_COUNT_PATH + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";

  CliRun run;
  PROCESS_INFORMATION info = {};
  // No console: with one of its own (CREATE_NO_WINDOW), the program under
  // Wine wrote there when given no standard output.
  std::wstring wide = Wide(command);
  if (CreateProcessW(nullptr, &wide[0], nullptr, nullptr, TRUE,
                     DETACHED_PROCESS | CREATE_UNICODE_ENVIRONMENT, Environment(env).data(),
                     nullptr, &startup, &info)) {
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0)
      GetExitCodeProcess(info.hProcess, &code);
    else
      TerminateProcess(info.hProcess, code);  // a hung run fails, and goes
    run.status = int(code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  run.out = ReadFileAt(out);
  run.err = ReadFileAt(err);
  for (const std::string& path : {in, out, err}) DeleteFileW(Wide(path).c_str());
  return run;
}
