#include "app/integrity.h"

#include <windows.h>
#include <imagehlp.h>

bool ProgramFileIsIntact() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return false;
  DWORD stored = 0, computed = 0;
  if (MapFileAndCheckSumA(path, &stored, &computed) != CHECKSUM_SUCCESS) return false;
  return stored != 0 && stored == computed;
}
