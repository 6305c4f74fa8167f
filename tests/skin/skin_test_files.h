#pragma once
// Reading the build's skin files from the tests, natively or under Wine.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Build paths are Unix paths; under Wine the Unix root is drive Z:.
inline std::string HostPath(const std::string& path) {
#ifdef _WIN32
  std::string p = "Z:" + path;
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
#else
  return path;
#endif
}

// An ASCII path as the wide calls take it.
inline std::wstring WideOf(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream f(HostPath(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
