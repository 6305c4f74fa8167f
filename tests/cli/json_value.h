#pragma once
// A strict little JSON reader for the tests: it rejects what is not JSON
// (so a passing parse is the validity check) and gives the values back.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct JsonValue {
  enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
  bool boolean = false;
  double number = 0;
  std::string text;  // a string's value, UTF-8
  std::vector<JsonValue> items;
  std::map<std::string, JsonValue> members;

  const JsonValue& operator[](const std::string& key) const;
  const JsonValue& operator[](size_t i) const { return items.at(i); }
  uint64_t Count() const { return uint64_t(number); }
};

// Parses the whole of `text`; false (with `where` the offset) when it is not
// exactly one JSON value.
bool ParseJson(const std::string& text, JsonValue& out, size_t* where = nullptr);
