#pragma once
// The buffers both scan benchmarks time: generated GBK prose and random
// bytes 1..255 (the worst case for the lead/trail logic), at 1 MB, which
// stays in cache, and 100 MB, which streams from memory. None holds a 0, so
// memchr for 0 reads each one to the end.

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/gbk_corpus.h"

struct BenchBuffer {
  std::string name;  // e.g. "prose 1MB"
  std::string text;
};

inline std::string Tiled(const std::string& unit, size_t size) {
  std::string out;
  out.reserve(size);
  while (out.size() < size) out += unit;
  out.resize(size);
  return out;
}

inline std::vector<BenchBuffer> MakeBenchBuffers() {
  constexpr size_t kSmall = size_t(1) << 20;
  constexpr size_t kLarge = size_t(100) << 20;
  const std::string prose = MakeGbkProse(kSmall, 1).text.substr(0, kSmall);
  const std::string noise = MakeRandomBytes(kSmall, 5);
  std::vector<BenchBuffer> buffers;
  buffers.push_back({"prose 1MB", prose});
  buffers.push_back({"prose 100MB", Tiled(prose, kLarge)});
  buffers.push_back({"random 1MB", noise});
  buffers.push_back({"random 100MB", Tiled(noise, kLarge)});
  return buffers;
}
