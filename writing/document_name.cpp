#include "writing/document_name.h"

#include "sources/text_encoding.h"

namespace {

bool TakeOffPrefix(std::wstring& text, const wchar_t* prefix) {
  if (text.compare(0, std::wstring(prefix).size(), prefix) != 0) return false;
  text.erase(0, std::wstring(prefix).size());
  return true;
}

bool TakeOffSuffix(std::wstring& text, const wchar_t* suffix) {
  const size_t size = std::wstring(suffix).size();
  if (text.size() < size || text.compare(text.size() - size, size, suffix) != 0) return false;
  text.erase(text.size() - size);
  return true;
}

bool TakeOffOneMark(std::wstring& text) {
  return TakeOffPrefix(text, L"\u25CF ") || TakeOffPrefix(text, L"*") ||
         TakeOffSuffix(text, L" *") || TakeOffSuffix(text, L" \u2022");
}

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both come out alike.
std::string Utf8Of(const std::wstring& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = uint32_t(text[i]);
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(uint32_t(text[i + 1])))
      unit = 0x10000 + ((unit - 0xD800) << 10) + (uint32_t(text[++i]) - 0xDC00);
    AppendUtf8(unit > 0x10FFFF ? 0xFFFD : unit, out);
  }
  return out;
}

}  // namespace

std::string DocumentName(const std::wstring& caption) {
  std::wstring name = caption;
  while (TakeOffOneMark(name)) {
  }
  return Utf8Of(name);
}
