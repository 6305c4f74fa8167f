// The system's code page 936 on Linux: glibc's iconv.
#include <iconv.h>

#include "sources/text_encoding.h"

uint16_t SystemGbkForm(uint32_t codePoint) {
  static const iconv_t cd = iconv_open("GBK", "WCHAR_T");  // glibc: UCS-4, this byte order
  if (cd == iconv_t(-1)) return 0;
  wchar_t in = wchar_t(codePoint);
  char* ip = reinterpret_cast<char*>(&in);
  size_t il = sizeof in;
  unsigned char out[8];
  char* op = reinterpret_cast<char*>(out);
  size_t ol = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1)) return 0;
  const size_t n = sizeof out - ol;
  if (n == 1 && out[0] < 0x80) return out[0];
  if (n == 2) return uint16_t(out[0] << 8 | out[1]);
  return 0;
}
