#pragma once
// Generated GBK text whose true counts come from the generator itself, not
// from the code under test.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/gbk_scan.h"

struct GbkCorpus {
  std::string text;  // no 0 byte inside
  GbkCounts counts;  // what the text holds, by construction
};

// Realistic prose: hanzi, full-width punctuation, ASCII words and digits,
// spaces, CR LF line ends and a few GBK extension characters (some with a
// trail byte below 0x80). Deterministic for a given seed.
GbkCorpus MakeGbkProse(size_t minBytes, uint32_t seed);

// Uniformly random bytes 1..255 (no terminator inside).
std::string MakeRandomBytes(size_t size, uint32_t seed);
