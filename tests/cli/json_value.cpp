#include "tests/cli/json_value.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}
  size_t at = 0;

  void Value(JsonValue& v) {
    Space();
    if (at >= s_.size()) throw std::runtime_error("end");
    const char c = s_[at];
    if (c == '{') {
      v.kind = JsonValue::kObject;
      ++at;
      if (Peek('}')) return;
      do {
        Space();
        std::string key;
        String(key);
        Expect(':');
        if (v.members.count(key)) throw std::runtime_error("duplicate key");
        Value(v.members[key]);
      } while (Peek(','));
      Expect('}');
    } else if (c == '[') {
      v.kind = JsonValue::kArray;
      ++at;
      if (Peek(']')) return;
      do {
        v.items.emplace_back();
        Value(v.items.back());
      } while (Peek(','));
      Expect(']');
    } else if (c == '"') {
      v.kind = JsonValue::kString;
      String(v.text);
    } else if (Word("null")) {
      v.kind = JsonValue::kNull;
    } else if (Word("true") || Word("false")) {
      v.kind = JsonValue::kBool;
      v.boolean = s_[at - 1] == 'e' && s_[at - 2] == 'u';
    } else {
      v.kind = JsonValue::kNumber;
      const size_t start = at;
      if (s_[at] == '-') ++at;
      if (at >= s_.size() || !isdigit((unsigned char)s_[at])) throw std::runtime_error("number");
      if (s_[at] == '0' && at + 1 < s_.size() && isdigit((unsigned char)s_[at + 1]))
        throw std::runtime_error("leading zero");
      while (at < s_.size() && strchr("0123456789.eE+-", s_[at])) ++at;
      char* end = nullptr;
      const std::string n = s_.substr(start, at - start);
      v.number = std::strtod(n.c_str(), &end);
      if (*end) throw std::runtime_error("number");
    }
  }
  void Space() {
    while (at < s_.size() && strchr(" \t\r\n", s_[at])) ++at;
  }

 private:
  bool Peek(char c) {
    Space();
    if (at < s_.size() && s_[at] == c) return ++at, true;
    return false;
  }
  void Expect(char c) {
    if (!Peek(c)) throw std::runtime_error("expected");
  }
  bool Word(const char* w) {
    const std::string word(w);
    if (s_.compare(at, word.size(), word) != 0) return false;
    at += word.size();
    return true;
  }
  void Utf8(unsigned cp, std::string& out) {
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | cp >> 6);
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | cp >> 12);
      out += char(0x80 | (cp >> 6 & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | cp >> 18);
      out += char(0x80 | (cp >> 12 & 0x3F));
      out += char(0x80 | (cp >> 6 & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  unsigned Hex4() {
    if (at + 4 > s_.size()) throw std::runtime_error("escape");
    const std::string h = s_.substr(at, 4);
    char* end = nullptr;
    const unsigned v = unsigned(std::strtoul(h.c_str(), &end, 16));
    if (*end) throw std::runtime_error("escape");
    at += 4;
    return v;
  }
  void String(std::string& out) {
    if (at >= s_.size() || s_[at] != '"') throw std::runtime_error("string");
    ++at;
    for (;;) {
      if (at >= s_.size()) throw std::runtime_error("unterminated");
      const unsigned char c = (unsigned char)s_[at++];
      if (c == '"') return;
      if (c < 0x20) throw std::runtime_error("control character");
      if (c != '\\') {
        out += char(c);
        continue;
      }
      if (at >= s_.size()) throw std::runtime_error("escape");
      const char e = s_[at++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          unsigned cp = Hex4();
          if (cp >= 0xD800 && cp <= 0xDBFF && s_.compare(at, 2, "\\u") == 0) {
            at += 2;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (Hex4() - 0xDC00);
          }
          Utf8(cp, out);
          break;
        }
        default: throw std::runtime_error("escape");
      }
    }
  }

  const std::string& s_;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  static const JsonValue kMissing;
  const auto found = members.find(key);
  return found == members.end() ? kMissing : found->second;
}

bool ParseJson(const std::string& text, JsonValue& out, size_t* where) {
  Reader reader(text);
  try {
    reader.Value(out);
    reader.Space();
    if (reader.at != text.size()) throw std::runtime_error("trailing text");
  } catch (const std::exception&) {
    if (where) *where = reader.at;
    return false;
  }
  return true;
}
