// Scintilla, the editing component of many code and text editors. Its
// questions are numbers above WM_USER that take no pointer, so they cross
// processes as they are; it answers WM_GETTEXT in UTF-16 whatever its
// document's code page, but counts positions in bytes of that code page.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "sources/text_control.h"
#include "sources/text_positions.h"

namespace {

enum : UINT {
  SCI_GETLENGTH = 2006,
  SCI_GETCODEPAGE = 2137,
  SCI_GETSELECTIONSTART = 2143,
  SCI_GETSELECTIONEND = 2145,
  SCI_GETLINECOUNT = 2154,
  SCI_GETMODIFY = 2159,
  SCI_GETSELECTIONS = 2570,
  SCI_GETSELECTIONNSTART = 2585,
  SCI_GETSELECTIONNEND = 2587,
};

// How many bytes a character takes in the document: 65001 is UTF-8, 0 the
// system's code page.
CodePointBytes BytesIn(UINT codePage) {
  if (codePage == 0) codePage = GetACP();
  if (codePage == CP_UTF8) return Utf8Bytes;
  if (codePage == 936) return Cp936Bytes;
  return [codePage](uint32_t c) -> unsigned {  // another double-byte code page
    wchar_t units[2] = {wchar_t(c), 0};
    int n = 1;
    if (c >= 0x10000) {
      units[0] = wchar_t(0xD800 + ((c - 0x10000) >> 10));
      units[1] = wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
      n = 2;
    }
    const int bytes = WideCharToMultiByte(codePage, 0, units, n, nullptr, 0, nullptr, nullptr);
    return bytes > 0 ? unsigned(bytes) : 1;
  };
}

constexpr std::uint32_t kMostRanges = 1u << 16;

class Scintilla : public TextControl {
 public:
  using TextControl::TextControl;

  bool Probe(EditorProbes& probes) const override {
    probes.edit = std::uintptr_t(Window());
    DWORD_PTR length = 0, lines = 0, start = 0, end = 0, modified = 0, codePage = 0, ranges = 0;
    if (!AskControl(Window(), SCI_GETLENGTH, 0, 0, kProbeTimeLimitMs, length) ||
        !AskControl(Window(), SCI_GETLINECOUNT, 0, 0, kProbeTimeLimitMs, lines) ||
        !AskControl(Window(), SCI_GETSELECTIONSTART, 0, 0, kProbeTimeLimitMs, start) ||
        !AskControl(Window(), SCI_GETSELECTIONEND, 0, 0, kProbeTimeLimitMs, end) ||
        !AskControl(Window(), SCI_GETMODIFY, 0, 0, kProbeTimeLimitMs, modified) ||
        !AskControl(Window(), SCI_GETCODEPAGE, 0, 0, kProbeTimeLimitMs, codePage) ||
        !AskControl(Window(), SCI_GETSELECTIONS, 0, 0, kProbeTimeLimitMs, ranges))
      return false;
    probes.length = length;
    probes.lines = lines;
    probes.selStart = start;
    probes.selEnd = end;
    probes.modified = modified != 0;
    probes.codePage = std::uint32_t(codePage);
    // A Scintilla older than multiple selections answers 0.
    probes.ranges = std::uint32_t(std::clamp<DWORD_PTR>(ranges, 1, UINT32_MAX));
    return true;
  }

  // Of several ranges (chosen with Ctrl, or a rectangle, one a line), the
  // probes hold only the main one, or the rectangle's span from its first
  // line to its last: each range is asked here, two questions a range. More
  // than kMostRanges (a column down a huge file) are counted as their span.
  std::vector<TextRange> SelectionIn(const char16_t* text, size_t length,
                                     const EditorProbes& probes) const override {
    std::vector<uint64_t> positions = {probes.selStart, probes.selEnd};
    if (probes.ranges > 1 && probes.ranges <= kMostRanges) {
      positions.resize(2 * size_t(probes.ranges));
      for (size_t i = 0; i < probes.ranges; ++i) {
        DWORD_PTR start = 0, end = 0;
        if (!AskControl(Window(), SCI_GETSELECTIONNSTART, i, 0, kProbeTimeLimitMs, start) ||
            !AskControl(Window(), SCI_GETSELECTIONNEND, i, 0, kProbeTimeLimitMs, end))
          return {};
        positions[2 * i] = start;
        positions[2 * i + 1] = std::max(start, end);
      }
    }
    const std::vector<size_t> at =
        BytePositionsToIndexes(text, length, positions, BytesIn(UINT(probes.codePage)));
    std::vector<TextRange> ranges;
    for (size_t i = 0; i < at.size(); i += 2) ranges.push_back({at[i], at[i + 1]});
    return ranges;
  }

 protected:
  // The probes' length is in bytes; the copy needs UTF-16 units, which
  // Scintilla works out over its whole document, so it is asked only here.
  bool Utf16Length(const EditorProbes& probes, std::uint64_t& length) const override {
    DWORD_PTR units = 0;
    if (!AskControl(Window(), WM_GETTEXTLENGTH, 0, 0, CopyTimeLimitMs(probes.length), units))
      return false;
    length = units;
    return true;
  }
};

}  // namespace

std::unique_ptr<TextControl> ScintillaControl(HWND window) {
  return std::make_unique<Scintilla>(window);
}
