#include "cli/options.h"

#include <cctype>
#include <cstring>

const char* const kCategoryNames[4] = {"cn-chars", "cn-punct", "en-chars", "en-punct"};

namespace {

bool ParseCount(const std::string& list, bool total[4]) {
  bool picked[4] = {};
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string name = list.substr(start, comma - start);
    if (name == "all") {
      for (bool& p : picked) p = true;
    } else {
      int found = -1;
      for (int i = 0; i < 4; ++i)
        if (name == kCategoryNames[i]) found = i;
      if (found < 0) return false;
      picked[found] = true;
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::memcpy(total, picked, sizeof picked);
  return true;
}

bool ParseEncoding(const std::string& name, EncodingChoice& out) {
  static const struct {
    const char* name;
    EncodingChoice value;
  } kNames[] = {{"gbk", EncodingChoice::kGbk},         {"cp936", EncodingChoice::kGbk},
                {"utf-8", EncodingChoice::kUtf8},      {"utf8", EncodingChoice::kUtf8},
                {"utf-16", EncodingChoice::kUtf16},    {"utf-16le", EncodingChoice::kUtf16Le},
                {"utf-16be", EncodingChoice::kUtf16Be}, {"auto", EncodingChoice::kAuto}};
  // Encoding names are case-insensitive, as everywhere (UTF-8, GBK).
  std::string lower = name;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  for (const auto& n : kNames)
    if (lower == n.name) {
      out = n.value;
      return true;
    }
  return false;
}

bool ParseFormat(const std::string& name, Format& out) {
  if (name == "table") out = Format::kTable;
  else if (name == "csv") out = Format::kCsv;
  else if (name == "json") out = Format::kJson;
  else return false;
  return true;
}

}  // namespace

std::string ParseOptions(const std::vector<std::string>& args, Options& options) {
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg == "-" || arg.compare(0, 1, "-") != 0) {
      options.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      continue;
    }
    if (arg == "-V" || arg == "--version") {
      options.version = true;
      continue;
    }
    if (arg == "--explain") {
      options.explain = true;
      continue;
    }
    if (arg == "--binary") {
      options.binary = true;
      continue;
    }
    // The options with a value: "--name value" or "--name=value".
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::string value;
    if (name != "--count" && name != "--format" && name != "--encoding")
      return "unrecognized option '" + arg + "'";
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return "option '" + name + "' requires an argument";
    }
    bool good;
    if (name == "--count") good = ParseCount(value, options.total);
    else if (name == "--format") good = ParseFormat(value, options.format);
    else good = ParseEncoding(value, options.encoding);
    if (!good) return "invalid argument '" + value + "' for '" + name + "'";
  }
  if (options.explain && options.format == Format::kCsv)
    return "--explain goes with --format table or json";
  return "";
}
