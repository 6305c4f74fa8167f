#pragma once
// The --explain tally: how often each distinct character occurs, filed under
// the category the engine gives it. It feeds the text byte by byte through
// the engine's own scan (ScanGbkScalar) and files each character where that
// scan counted it, so it cannot disagree with the counts.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/gbk_scan.h"

enum Category { kCnChars, kCnPunct, kEnChars, kEnPunct, kCategories };

// Keys of the characters: a single byte is its value, a double-byte
// character lead << 8 | trail; these two stand for what has no byte value.
constexpr unsigned kCrLfKey = 0x0D0A;  // a CR LF line end, counted once
inline unsigned LoneLeadKey(unsigned lead) { return 0x100 | lead; }  // no trail
// A character without a GBK form, counted as its stand-in (NoGbkFormStandIn)
// but listed as itself: its code point above this.
constexpr unsigned kNoGbkFormKeys = 0x1000000;
inline bool IsNoGbkFormKey(unsigned key) { return key >= kNoGbkFormKeys; }

class CharTally {
 public:
  void Add(const unsigned char* data, size_t size);
  // Files what still waits for its next byte, at the end of the text.
  void Finish();
  // One of the stand-ins added stands for `codePoint`, which has no GBK
  // form.
  void NoteNoGbkForm(uint32_t codePoint);

  struct Entry {
    unsigned key;
    uint64_t count;
  };
  // The characters of `category`, most frequent first (then by key).
  std::vector<Entry> Of(Category category) const;

 private:
  void Record(unsigned key, int category);

  GbkScanState state_;
  int pendingLead_ = -1;  // a lead byte waiting for its trail
  int leadCategory_ = 0;
  bool pendingCr_ = false;  // a CR waiting to see whether LF follows
  int crCategory_ = 0;
  // Each key's count and category, in pages of 256 keys (by the key's high
  // byte) made as a key of theirs is first recorded: a text touches few of
  // them, and --explain over thousands of small files would otherwise clear
  // and search 65,536 keys for each.
  struct Page {
    uint64_t count[256] = {};
    int8_t category[256] = {};
  };
  class Pages {
   public:
    Pages() = default;
    Pages(const Pages& other) { *this = other; }
    Pages& operator=(const Pages& other);
    Pages(Pages&&) = default;
    Pages& operator=(Pages&&) = default;
    Page& Of(unsigned high) {
      Page* page = page_[high].get();
      return page ? *page : Make(high);
    }
    const Page* Find(unsigned high) const { return page_[high].get(); }

   private:
    Page& Make(unsigned high);  // out of the way of the counting loop

    std::array<std::unique_ptr<Page>, 256> page_;
  };
  Pages pages_;
  std::map<uint32_t, uint64_t> noGbkForm_;  // by code point
  std::map<unsigned, uint64_t> standIns_;  // by stand-in: how many stand in
};
