#pragma once
// Each file's --explain text, kept from the moment the file is counted until
// the report is written, in a temporary file: memory does not grow with the
// number of files. Every write reaches the file, or fails, where it is made,
// so a failure is the failing file's and every text kept stays its own.
// When no temporary file can be had, or it fails (a full disk), the texts go
// on in memory, and TakeNotice says so once.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class ExplainSpool {
 public:
  ExplainSpool();  // opens the temporary file
  ~ExplainSpool();
  ExplainSpool(const ExplainSpool&) = delete;
  ExplainSpool& operator=(const ExplainSpool&) = delete;

  // Keeps `text`; its number, for Read.
  size_t Add(const std::string& text);
  // Text number `index`; false, with `error` saying why, when it cannot be
  // read back whole.
  bool Read(size_t index, std::string& text, std::string& error) const;
  // Once the texts go to memory, why; empty otherwise, and after the first call.
  std::string TakeNotice();

 private:
  struct Entry {
    bool inMemory;
    uint64_t at;
    size_t size;
  };
  void MoveToMemory(const std::string& why);

  std::FILE* file_ = nullptr;
  bool writable_ = false;  // false once a write failed: what it holds stays readable
  uint64_t end_ = 0;       // the file's size: where the next text goes
  std::string memory_;
  std::vector<Entry> entries_;
  std::string notice_;
};
