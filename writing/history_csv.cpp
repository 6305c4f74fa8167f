#include "writing/history_csv.h"

#include <cstring>

namespace {

const char* const kColumns[] = {"日期", "文档", "初见合计", "最新合计", "净增", "活跃分钟"};
constexpr size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];

std::string QuotedIfNeeded(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// The length of the line end at content[at] (LF, CR LF, or a CR alone as
// old Mac files end their lines), 0 when none.
size_t LineEndAt(const std::string& content, size_t at) {
  if (at >= content.size()) return 0;
  if (content[at] == '\n') return 1;
  if (content[at] != '\r') return 0;
  return at + 1 < content.size() && content[at + 1] == '\n' ? 2 : 1;
}

// A quoted field from content[at] (its opening quote) to past its closing
// one. False when the closing quote is missing or not followed by a comma,
// a line end or the end of the content.
bool ReadQuotedField(const std::string& content, size_t& at, std::string& field) {
  for (++at; at < content.size(); ++at) {
    if (content[at] != '"') {
      field += content[at];
    } else if (at + 1 < content.size() && content[at + 1] == '"') {
      field += '"';
      ++at;
    } else {
      ++at;
      return at == content.size() || content[at] == ',' || LineEndAt(content, at) > 0;
    }
  }
  return false;
}

// The fields of the record starting at content[at]; `end` is where the
// next one starts. False when a quoted field is broken, and at a field more
// than a record has: a quote can carry a record over line ends, and a
// record read on to the end of the content from each line would make the
// reading quadratic.
bool ReadFields(const std::string& content, size_t at, std::vector<std::string>& fields,
                size_t& end) {
  fields.clear();
  for (;;) {
    std::string field;
    if (at < content.size() && content[at] == '"') {
      if (!ReadQuotedField(content, at, field)) return false;
    } else {
      // Unquoted, a quote is taken as it is, as spreadsheets do.
      while (at < content.size() && content[at] != ',' && LineEndAt(content, at) == 0)
        field += content[at++];
    }
    fields.push_back(std::move(field));
    if (at < content.size() && content[at] == ',') {
      if (fields.size() == kColumnCount) return false;
      ++at;
      continue;
    }
    end = at + LineEndAt(content, at);
    return true;
  }
}

// A whole number in plain digits, an optional minus sign before them.
bool ParseWhole(const std::string& text, int64_t lowest, int64_t highest, int64_t& value) {
  const bool negative = !text.empty() && text[0] == '-';
  const size_t digits = text.size() - (negative ? 1 : 0);
  if (digits == 0 || digits > 16) return false;  // 2^53 has 16 digits
  int64_t magnitude = 0;
  for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
  }
  value = negative ? -magnitude : magnitude;
  return value >= lowest && value <= highest;
}

bool RowOf(std::vector<std::string>& fields, HistoryRow& row) {
  int64_t minutes = 0;
  if (fields.size() != kColumnCount || !ParseDate(fields[0], row.day) ||
      !ParseWhole(fields[2], 0, kLargestTotal, row.firstTotal) ||
      !ParseWhole(fields[3], 0, kLargestTotal, row.latestTotal) ||
      !ParseWhole(fields[4], -kLargestTotal, kLargestTotal, row.growth) ||
      !ParseWhole(fields[5], 0, kMinutesPerDay, minutes))
    return false;
  row.document = std::move(fields[1]);
  row.activeMinutes = int(minutes);
  return true;
}

bool IsHeader(const std::vector<std::string>& fields) {
  if (fields.size() != kColumnCount) return false;
  for (size_t i = 0; i < kColumnCount; ++i)
    if (fields[i] != kColumns[i]) return false;
  return true;
}

bool IsBlank(const std::vector<std::string>& fields) {
  return fields.size() == 1 && fields[0].empty();
}

// Every text ends in LF, as the side file's lines are told apart by it: a
// CR alone becomes CR LF.
std::string WithLineEnd(std::string text) {
  if (!text.empty() && text.back() == '\r')
    text += '\n';
  else if (text.empty() || text.back() != '\n')
    text += "\r\n";
  return text;
}

}  // namespace

std::string HistoryRecord(const HistoryRow& row) {
  return DateText(row.day) + ',' + QuotedIfNeeded(row.document) + ',' +
         std::to_string(row.firstTotal) + ',' + std::to_string(row.latestTotal) + ',' +
         std::to_string(row.latestTotal - row.firstTotal) + ',' +
         std::to_string(row.activeMinutes) + "\r\n";
}

HistoryText ParseHistory(const std::string& content) {
  HistoryText read;
  const size_t markSize = std::strlen(kUtf8Mark);
  size_t at = content.compare(0, markSize, kUtf8Mark) == 0 ? markSize : 0;
  std::vector<std::string> fields;
  while (at < content.size()) {
    size_t end = at;
    const bool whole = ReadFields(content, at, fields, end);
    if (whole && (IsHeader(fields) || IsBlank(fields))) {
      at = end;
      continue;
    }
    ReadRecord record;
    if (whole && RowOf(fields, record.row)) {
      record.text = WithLineEnd(content.substr(at, end - at));
      read.records.push_back(std::move(record));
      at = end;
      continue;
    }
    const size_t lineEnd = content.find_first_of("\r\n", at);
    end = lineEnd == std::string::npos ? content.size() : lineEnd + LineEndAt(content, lineEnd);
    read.damaged.push_back(WithLineEnd(content.substr(at, end - at)));
    at = end;
  }
  return read;
}
