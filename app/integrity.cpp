#include "app/integrity.h"

#include <windows.h>
#include <imagehlp.h>

#include <vector>

bool ProgramFileIsIntact() {
  // The wide path: a folder name outside code page 936 must not read as an
  // altered file.
  std::vector<wchar_t> path(32768);
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
  if (n == 0 || n >= path.size()) return false;
  DWORD stored = 0, computed = 0;
  if (MapFileAndCheckSumW(path.data(), &stored, &computed) != CHECKSUM_SUCCESS) return false;
  return stored != 0 && stored == computed;
}
