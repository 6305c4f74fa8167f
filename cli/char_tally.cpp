#include "cli/char_tally.h"

#include <algorithm>

#include "engine/word_class.h"

namespace {

int CountedCategory(const GbkCounts& c) {
  if (c.cnChars) return kCnChars;
  if (c.cnPunct) return kCnPunct;
  if (c.enChars) return kEnChars;
  if (c.enPunct) return kEnPunct;
  return -1;
}

}  // namespace

CharTally::Pages& CharTally::Pages::operator=(const Pages& other) {
  for (size_t high = 0; high < page_.size(); ++high)
    page_[high] = other.page_[high] ? std::make_unique<Page>(*other.page_[high]) : nullptr;
  return *this;
}

CharTally::Page& CharTally::Pages::Make(unsigned high) {
  page_[high] = std::make_unique<Page>();
  return *page_[high];
}

void CharTally::Record(unsigned key, int category) {
  Page& page = pages_.Of(key >> 8);
  ++page.count[key & 0xFF];
  page.category[key & 0xFF] = int8_t(category);
}

void CharTally::Add(const unsigned char* data, size_t size) {
  for (size_t i = 0; i < size && !state_.ended; ++i) {
    const unsigned char b = data[i];
    const bool isTrail = state_.trailNext;
    GbkCounts counted;
    ScanGbkScalar(&b, 1, state_, counted);
    const int category = CountedCategory(counted);
    if (state_.ended) break;
    if (isTrail) {
      Record(unsigned(pendingLead_) << 8 | b, leadCategory_);
      pendingLead_ = -1;
      continue;
    }
    if (pendingCr_) {
      pendingCr_ = false;
      if (category < 0) {  // the LF of a CR LF: the CR counted for both
        Record(kCrLfKey, crCategory_);
        continue;
      }
      Record('\r', crCategory_);
    }
    if (category < 0) continue;
    if (b >= 0x80) {
      pendingLead_ = b;
      leadCategory_ = category;
    } else if (b == '\r') {
      pendingCr_ = true;
      crCategory_ = category;
    } else {
      Record(b, category);
    }
  }
  if (state_.ended) Finish();
}

void CharTally::Finish() {
  if (pendingLead_ >= 0) Record(LoneLeadKey(unsigned(pendingLead_)), leadCategory_);
  if (pendingCr_) Record('\r', crCategory_);
  pendingLead_ = -1;
  pendingCr_ = false;
}

void CharTally::NoteNoGbkForm(uint32_t codePoint) {
  ++noGbkForm_[codePoint];
  ++standIns_[NoGbkFormStandIn(codePoint)];
}

std::vector<CharTally::Entry> CharTally::Of(Category category) const {
  std::vector<Entry> out;
  for (unsigned high = 0; high < 256; ++high) {
    const Page* page = pages_.Find(high);
    if (!page) continue;
    for (unsigned low = 0; low < 256; ++low) {
      const uint64_t count = page->count[low];
      if (!count || page->category[low] != category) continue;
      const unsigned key = high << 8 | low;
      const auto standingIn = standIns_.find(key);
      if (standingIn == standIns_.end()) {
        out.push_back({key, count});
        continue;
      }
      // The stand-in's own occurrences, then the characters it stood for.
      if (const uint64_t own = count - std::min(count, standingIn->second))
        out.push_back({key, own});
      for (const auto& [codePoint, n] : noGbkForm_)
        if (NoGbkFormStandIn(codePoint) == key) out.push_back({kNoGbkFormKeys + codePoint, n});
    }
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const Entry& a, const Entry& b) { return a.count > b.count; });
  return out;
}
