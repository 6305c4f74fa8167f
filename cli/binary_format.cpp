#include "cli/binary_format.h"

#include <cctype>
#include <cstring>

namespace {

const struct {
  const char* signature;
  size_t length;
  const char* what;
} kFormats[] = {
    {"PK\x03\x04", 4, "a zip archive"},
    {"PK\x05\x06", 4, "a zip archive"},  // an empty one
    {"%PDF-", 5, "a PDF document"},
    {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8, "an Office compound file"},
    {"\x89PNG\r\n\x1A\n", 8, "a PNG image"},
    {"\xFF\xD8\xFF", 3, "a JPEG image"},
    {"GIF87a", 6, "a GIF image"},
    {"GIF89a", 6, "a GIF image"},
};

// What the usual extensions of the containers hold.
const struct {
  const char* extension;
  const char* what;
} kContents[] = {
    {".docx", "Word document"},           {".doc", "Word document"},
    {".xlsx", "Excel workbook"},          {".xls", "Excel workbook"},
    {".pptx", "PowerPoint presentation"}, {".ppt", "PowerPoint presentation"},
    {".odt", "OpenDocument text"},        {".ods", "OpenDocument spreadsheet"},
    {".epub", "EPUB book"},
};

bool EndsWithIgnoringCase(const std::string& name, const char* end) {
  const size_t n = std::strlen(end);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(name[name.size() - n + i])) != end[i]) return false;
  return true;
}

}  // namespace

std::string BinaryFormatOf(const unsigned char* head, size_t size, const std::string& name) {
  for (const auto& format : kFormats) {
    if (size < format.length || std::memcmp(head, format.signature, format.length) != 0) continue;
    std::string what = format.what;
    for (const auto& content : kContents)
      if (EndsWithIgnoringCase(name, content.extension))
        return what + " (" + content.what + ")";
    return what;
  }
  return "";
}
