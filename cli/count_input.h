#pragma once
// Counting one input: open it, work out its encoding, convert it to code
// page 936 when it is in another, and stream it through the engine.

#include <memory>
#include <string>

#include "cli/char_tally.h"
#include "cli/options.h"
#include "engine/gbk_scan.h"

struct InputCount {
  GbkCounts counts;
  std::unique_ptr<CharTally> chars;  // with --explain
};

// Counts the file `name` ("-": standard input) into `out`. On failure
// returns false with `error` saying why, without the file's name.
bool CountInput(const std::string& name, EncodingChoice encoding, bool explain,
                InputCount& out, std::string& error);

// The window's words for a file beginning with byte 0xFF.
extern const char* const kNotAnsiMessage;
