#include "engine/text_tally.h"

#include <cstring>

#include "engine/app_state.h"
#include "engine/recount.h"

void TextTally::Add(const char* piece, size_t size) {
  ScanGbk(reinterpret_cast<const unsigned char*>(piece), size, state_,
          counts_);
}

void TextTally::AddText(const char* text) {
  if (text) Add(text, std::strlen(text));
  state_.ended = true;
}

void TextTally::StartAfter(const unsigned char* before) {
  state_ = GbkScanState();
  ScanGbkScalar(before, 2, state_, counts_);
  counts_ = GbkCounts();
}

void TextTally::Join(const TextTally& next) {
  if (state_.ended) return;
  counts_ += next.counts_;
  state_ = next.state_;
}

void TextTally::Publish() const {
  g_cnChars = Count(counts_.cnChars);
  g_cnPunct = Count(counts_.cnPunct);
  g_enChars = Count(counts_.enChars);
  g_enPunct = Count(counts_.enPunct);
  g_words = Count(counts_.words);
  g_charsNoSpace = Count(counts_.charsNoSpace);
  Recount(nullptr, 0);
}
