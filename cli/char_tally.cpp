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

CharTally::CharTally() : counts_(0x10000, 0), category_(0x10000, -1) {}

void CharTally::Record(unsigned key, int category) {
  ++counts_[key];
  category_[key] = int8_t(category);
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
  for (unsigned key = 0; key < counts_.size(); ++key) {
    if (!counts_[key] || category_[key] != category) continue;
    const auto standingIn = standIns_.find(key);
    if (standingIn == standIns_.end()) {
      out.push_back({key, counts_[key]});
      continue;
    }
    // The stand-in's own occurrences, then the characters it stood for.
    if (const uint64_t own = counts_[key] - std::min(counts_[key], standingIn->second))
      out.push_back({key, own});
    for (const auto& [codePoint, n] : noGbkForm_)
      if (NoGbkFormStandIn(codePoint) == key) out.push_back({kNoGbkFormKeys + codePoint, n});
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const Entry& a, const Entry& b) { return a.count > b.count; });
  return out;
}
