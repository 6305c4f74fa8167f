#pragma once
// The command line of vantorix-count.

#include <string>
#include <vector>

#include "sources/text_encoding.h"

enum class Format { kTable, kCsv, kJson };

struct Options {
  // The categories of the total; by default those the window ticks on its
  // first run.
  bool total[4] = {true, false, true, false};  // indexed by Category
  Format format = Format::kTable;
  EncodingChoice encoding = EncodingChoice::kAuto;  // as the window reads files
  bool explain = false;
  bool binary = false;  // counts files that show a binary format's signature
  bool help = false;
  bool version = false;
  std::vector<std::string> files;  // empty: standard input
};

// Fills `options` from the arguments (the program's name first); returns
// what is wrong with them, or an empty string.
std::string ParseOptions(const std::vector<std::string>& args, Options& options);

// The names --count takes, indexed by Category.
extern const char* const kCategoryNames[4];
