// The system's code page 936 on Windows: the code page functions.
#include <windows.h>

#include "sources/text_encoding.h"

uint16_t SystemGbkForm(uint32_t codePoint) {
  if (codePoint >= 0x10000) return 0;  // code page 936 has nothing beyond the BMP
  const wchar_t in = wchar_t(codePoint);
  unsigned char out[4];
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &in, 1,
                                    reinterpret_cast<char*>(out), sizeof out, nullptr,
                                    &usedDefault);
  if (usedDefault) return 0;
  if (n == 1 && out[0] < 0x80) return out[0];
  if (n == 2) return uint16_t(out[0] << 8 | out[1]);
  return 0;
}
