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

// Counts the file `name` ("-": standard input) into `out`, as `options`
// say (the encoding, --explain, --binary). On failure returns false with
// `error` saying why, without the file's name: a file that starts as a
// binary format does (binary_format.h) is refused unless --binary.
bool CountInput(const std::string& name, const Options& options, InputCount& out,
                std::string& error);

// The window's words for a file beginning with byte 0xFF.
extern const char* const kNotAnsiMessage;
