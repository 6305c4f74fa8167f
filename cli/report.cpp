#include "cli/report.h"

#include <algorithm>
#include <cstdio>

#include "cli/platform.h"
#include "engine/format_count.h"
#include "engine/cp936_table.h"
#include "sources/text_encoding.h"

namespace {

const char* const kFieldNames[4] = {"cn_chars", "cn_punct", "en_chars", "en_punct"};

uint64_t Value(const GbkCounts& c, int category) {
  switch (category) {
    case kCnChars: return c.cnChars;
    case kCnPunct: return c.cnPunct;
    case kEnChars: return c.enChars;
    default: return c.enPunct;
  }
}

// The four counts, the total of the chosen categories, then Word's 字数 and
// 字符数(不计空格).
constexpr size_t kColumns = 7;
std::vector<uint64_t> Columns(const Options& options, const GbkCounts& c) {
  std::vector<uint64_t> out;
  uint64_t total = 0;
  for (int i = 0; i < 4; ++i) {
    out.push_back(Value(c, i));
    if (options.total[i]) total += Value(c, i);
  }
  out.push_back(total);
  out.push_back(c.words);
  out.push_back(c.charsNoSpace);
  return out;
}

GbkCounts Sum(const std::vector<ReportRow>& rows) {
  GbkCounts sum;
  for (const ReportRow& row : rows) sum += row.counts;
  return sum;
}

std::string Grouped(uint64_t n) {
  char text[kCountTextSize];
  FormatCount(Count(n), text, sizeof text);
  return text;
}

std::string Hex(const unsigned char* bytes, size_t size, const char* prefix) {
  std::string out;
  char h[8];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(h, sizeof h, "%s%02X", prefix, bytes[i]);
    out += h;
  }
  return out;
}

// The bytes of a tally key.
size_t KeyBytes(unsigned key, unsigned char bytes[2]) {
  if (key == kCrLfKey) {
    bytes[0] = '\r';
    bytes[1] = '\n';
    return 2;
  }
  if (key >= 0x8000) {
    bytes[0] = (unsigned char)(key >> 8);
    bytes[1] = (unsigned char)key;
    return 2;
  }
  bytes[0] = (unsigned char)key;  // a byte, or a lead without its trail
  return 1;
}

// The GBK character of a tally key of two bytes, in UTF-8; false when the
// pair is no character of code page 936.
bool GbkCharToText(const unsigned char bytes[2], std::string& out) {
  const uint32_t c = Cp936Character(bytes[0], bytes[1]);
  if (!c) return false;
  out.clear();
  AppendUtf8(c, out);
  return true;
}

// A character without a GBK form: itself, and its code point where a GBK
// character shows its bytes ("U+1F600"; a malformed unit has none).
std::string NoGbkFormText(unsigned key) {
  const uint32_t c = key - kNoGbkFormKeys;
  std::string out;
  if (c != 0x10FFFF) AppendUtf8(c, out);
  return out;
}
std::string NoGbkFormCode(unsigned key) {
  const uint32_t c = key - kNoGbkFormKeys;
  if (c == 0x10FFFF) return "malformed";
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", unsigned(c));
  return text;
}

// A character that acts on the line rather than showing: a C1 control (NEL
// ends a line, CSI starts a terminal sequence), the line and paragraph
// separators, the bidirectional marks and overrides (which reorder the rest
// of the line). None has a GBK form.
bool ActsOnTheLine(uint32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x061C ||
         c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

// How a character shows in the table: white space and controls by name or
// escape, bytes that are no character as \x escapes, a character without a
// GBK form as itself, marked (as a \u escape when it would act on the line).
std::string Shown(unsigned key) {
  if (IsNoGbkFormKey(key)) {
    const uint32_t c = key - kNoGbkFormKeys;
    if (!ActsOnTheLine(c)) return NoGbkFormText(key) + " (no GBK form)";
    char escape[16];
    std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(c));
    return std::string(escape) + " (no GBK form)";
  }
  unsigned char bytes[2];
  const size_t size = KeyBytes(key, bytes);
  if (key == kCrLfKey) return "CR LF";
  if (key < 0x80) {
    switch (key) {
      case ' ': return "SPACE";
      case '\t': return "TAB";
      case '\r': return "CR";
      case '\n': return "LF";
    }
    if (key < 0x20 || key == 0x7F) return Hex(bytes, 1, "\\x");
    return std::string(1, char(key));
  }
  std::string text;
  if (key >= 0x8000 && GbkCharToText(bytes, text)) return text;
  return Hex(bytes, size, "\\x");
}

// The length of the piece of a name at `p`: a UTF-8 character, or a byte
// that is part of none (malformed, or a start that the name cuts short),
// for which `stray` is set.
size_t NamePiece(const unsigned char* p, size_t avail, bool& stray) {
  const int len = Utf8SequenceLength(p, avail);
  stray = len <= 0;
  return stray ? 1 : size_t(len);
}

// `text` as UTF-8, as CSV and JSON must be: a byte that is no part of a
// UTF-8 character becomes U+FFFD, and `exact` (when given) tells whether
// none did.
std::string AsUtf8(const std::string& text, bool* exact = nullptr) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::string out;
  bool replaced = false;
  for (size_t at = 0, len; at < text.size(); at += len) {
    bool stray;
    len = NamePiece(p + at, text.size() - at, stray);
    if (stray) {
      out += "\uFFFD";
      replaced = true;
    } else {
      out.append(text, at, len);
    }
  }
  if (exact) *exact = !replaced;
  return out;
}

std::string JsonString(const std::string& text, bool* exact = nullptr) {
  std::string out = "\"";
  for (const char ch : AsUtf8(text, exact)) {
    const unsigned char c = (unsigned char)ch;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char e[8];
      std::snprintf(e, sizeof e, "\\u%04x", c);
      out += e;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

// A file's members in JSON: its name, and where that could not be given
// exactly, the name's bytes in hex, so that nothing is lost.
std::string JsonFile(const std::string& name) {
  bool exact;
  std::string out = "\"file\": " + JsonString(name, &exact);
  if (!exact)
    out += ", \"file_hex\": \"" +
           Hex(reinterpret_cast<const unsigned char*>(name.data()), name.size(), "") + "\"";
  return out;
}

// Whether the piece of a name at `p`, `len` bytes long, must not reach the
// terminal as it is: a control, a stray byte (output is UTF-8), or a
// character that acts on the line.
bool Escaped(const unsigned char* p, size_t len, bool stray) {
  if (stray) return true;
  if (len == 1) return p[0] < 0x20 || p[0] == 0x7F;
  return ActsOnTheLine(Utf8CodePoint(p, int(len)));
}

}  // namespace

// A newline would break a row or a message in two, an escape or a C1
// control would drive the terminal, a direction override would turn the
// rest of the line around: a run of such bytes goes in one $'...'.
std::string QuotedName(const std::string& name) {
  const auto* p = reinterpret_cast<const unsigned char*>(name.data());
  std::string out = "'";
  bool quoted = false;
  bool inEscapes = false;  // within $'...'
  for (size_t at = 0, len; at < name.size(); at += len) {
    bool stray;
    len = NamePiece(p + at, name.size() - at, stray);
    if (Escaped(p + at, len, stray)) {
      if (!inEscapes) out += "'$'";
      quoted = inEscapes = true;
      for (size_t i = at; i < at + len; ++i) {
        const unsigned char c = p[i];
        char e[8];
        if (c >= '\a' && c <= '\r')
          std::snprintf(e, sizeof e, "\\%c", "abtnvfr"[c - '\a']);
        else
          std::snprintf(e, sizeof e, "\\%03o", c);
        out += e;
      }
      continue;
    }
    if (inEscapes) out += "''";
    inEscapes = false;
    if (p[at] == '\'')
      out += "'\\''";
    else
      out.append(name, at, len);
  }
  return quoted ? out + "'" : name;
}

namespace {

std::string CsvField(const std::string& s) {
  if (s.find_first_of("\",\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Padded(const std::string& s, size_t width) {
  // Widths count bytes: the numbers and headings are ASCII.
  return std::string(width > s.size() ? width - s.size() : 0, ' ') + s;
}

// The counts table, without the --explain sections.
std::string Table(const Options& options, const std::vector<ReportRow>& rows,
                  bool withSums) {
  std::vector<std::pair<std::string, std::vector<std::string>>> lines;
  std::vector<std::string> heading(kCategoryNames, kCategoryNames + 4);
  heading.insert(heading.end(), {"total", "words", "chars-nospace"});
  lines.push_back({"file", heading});
  auto add = [&](const std::string& name, const GbkCounts& c) {
    std::vector<std::string> cells;
    for (uint64_t v : Columns(options, c)) cells.push_back(Grouped(v));
    lines.push_back({name, cells});
  };
  for (const ReportRow& row : rows) add(QuotedName(row.name), row.counts);
  if (withSums) add("total", Sum(rows));

  std::vector<size_t> width(kColumns, 0);
  for (const auto& line : lines)
    for (size_t i = 0; i < kColumns; ++i) width[i] = std::max(width[i], line.second[i].size());
  std::string out;
  for (const auto& line : lines) {
    for (size_t i = 0; i < kColumns; ++i) out += Padded(line.second[i], width[i]) + "  ";
    out += line.first + kNewline;
  }

  return out;
}

std::string TableExplain(const std::string& name, const CharTally& chars) {
  std::string out = kNewline;
  out += QuotedName(name) + ":" + kNewline;
  for (int c = 0; c < kCategories; ++c) {
    const std::vector<CharTally::Entry> entries = chars.Of(Category(c));
    out += std::string("  ") + kCategoryNames[c] + " (" + Grouped(entries.size()) +
           " distinct)" + kNewline;
    size_t countWidth = 0;
    for (const auto& e : entries) countWidth = std::max(countWidth, Grouped(e.count).size());
    for (const auto& e : entries) {
      unsigned char bytes[2];
      const size_t size = KeyBytes(e.key, bytes);
      const std::string code = IsNoGbkFormKey(e.key) ? NoGbkFormCode(e.key) : Hex(bytes, size, "");
      out += "    " + Padded(Grouped(e.count), countWidth) + "  " + Shown(e.key) + "  " + code +
             kNewline;
    }
  }
  return out;
}

std::string JsonCounts(const Options& options, const GbkCounts& c) {
  const std::vector<uint64_t> values = Columns(options, c);
  std::string out;
  for (int i = 0; i < 4; ++i)
    out += std::string("\"") + kFieldNames[i] + "\": " + std::to_string(values[i]) + ", ";
  return out + "\"total\": " + std::to_string(values[4]) + ", \"words\": " +
         std::to_string(values[5]) + ", \"chars_nospace\": " + std::to_string(values[6]);
}

std::string JsonExplain(const CharTally& chars) {
  std::string out = "\"explain\": {";
  for (int c = 0; c < kCategories; ++c) {
    out += std::string(c ? ", " : "") + "\"" + kFieldNames[c] + "\": [";
    bool first = true;
    for (const auto& e : chars.Of(Category(c))) {
      if (IsNoGbkFormKey(e.key)) {
        const std::string text = NoGbkFormText(e.key);
        out += std::string(first ? "" : ", ") + "{\"char\": " +
               (text.empty() ? "null" : JsonString(text)) + ", \"gbk\": null, \"no_gbk_form\": \"" +
               NoGbkFormCode(e.key) + "\", \"count\": " + std::to_string(e.count) + "}";
        first = false;
        continue;
      }
      unsigned char bytes[2];
      const size_t size = KeyBytes(e.key, bytes);
      std::string text;
      const bool isText = e.key < 0x80 || e.key == kCrLfKey ||
                          (e.key >= 0x8000 && GbkCharToText(bytes, text));
      if (e.key < 0x8000) text.assign(reinterpret_cast<const char*>(bytes), size);
      out += std::string(first ? "" : ", ") + "{\"char\": " + (isText ? JsonString(text) : "null") +
             ", \"gbk\": \"" + Hex(bytes, size, "") + "\", \"count\": " +
             std::to_string(e.count) + "}";
      first = false;
    }
    out += "]";
  }
  return out + "}";
}

std::string JsonHead(const Options& options) {
  std::string out = "{\"count\": [";
  bool first = true;
  for (int i = 0; i < 4; ++i)
    if (options.total[i]) {
      out += std::string(first ? "" : ", ") + "\"" + kCategoryNames[i] + "\"";
      first = false;
    }
  return out + "]," + kNewline + " \"files\": [";
}

std::string JsonFileObject(const Options& options, const ReportRow& row, bool first,
                           const std::string& explain) {
  std::string out = std::string(first ? "" : ",") + kNewline + "  {" + JsonFile(row.name) +
                    ", " + JsonCounts(options, row.counts);
  if (!explain.empty()) out += ", " + explain;
  return out + "}";
}

std::string JsonTail(const Options& options, const std::vector<ReportRow>& rows) {
  return std::string("],") + kNewline + " \"totals\": {" + JsonCounts(options, Sum(rows)) +
         "}}" + kNewline;
}

std::string Csv(const Options& options, const std::vector<ReportRow>& rows, bool withSums) {
  // Records end in CR LF on every platform, as RFC 4180 has them.
  std::string out = "file";
  for (const char* name : kFieldNames) out += std::string(",") + name;
  out += ",total,words,chars_nospace\r\n";
  auto add = [&](const std::string& name, const GbkCounts& c) {
    out += CsvField(name);
    for (uint64_t v : Columns(options, c)) out += "," + std::to_string(v);
    out += "\r\n";
  };
  for (const ReportRow& row : rows) add(AsUtf8(row.name), row.counts);
  if (withSums) add("total", Sum(rows));
  return out;
}

}  // namespace

std::string ExplainText(const Options& options, const std::string& name, const CharTally& chars) {
  return options.format == Format::kJson ? JsonExplain(chars) : TableExplain(name, chars);
}

bool WriteReport(const Options& options, const std::vector<ReportRow>& rows, bool withSums,
                 const ExplainSpool* spool,
                 const std::function<bool(const std::string&)>& write,
                 const UnreadableExplain& unreadable) {
  // The row's --explain text, or "" when there is none to be had.
  auto explainOf = [&](const ReportRow& row) {
    std::string text, why;
    if (spool && !spool->Read(row.explain, text, why)) {
      unreadable(row.name, why);
      text.clear();
    }
    return text;
  };
  switch (options.format) {
    case Format::kCsv:
      return write(Csv(options, rows, withSums));
    case Format::kJson:
      if (!write(JsonHead(options))) return false;
      for (size_t r = 0; r < rows.size(); ++r)
        if (!write(JsonFileObject(options, rows[r], r == 0, explainOf(rows[r])))) return false;
      return write(JsonTail(options, rows));
    case Format::kTable:
      break;
  }
  if (!write(Table(options, rows, withSums))) return false;
  if (!spool) return true;
  for (const ReportRow& row : rows)
    if (!write(explainOf(row))) return false;
  return true;
}
