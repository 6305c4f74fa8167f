#pragma once
// Counts one text, whole or piece by piece, apart from the published state:
// nothing reaches AppState or the result slots until Publish, so a source
// that fails half-way leaves the last results on screen untouched.

#include <cstddef>

#include "engine/gbk_scan.h"

class TextTally {
 public:
  // Adds the next piece. Pieces may split a double-byte character; the first
  // 0 byte ends the text and later pieces are ignored.
  void Add(const char* piece, size_t size);
  // Adds a 0-terminated text (null counts as empty).
  void AddText(const char* text);

  // Starts over as the tally of a text that follows the two bytes at
  // `before`, which end at a sync point (GbkSyncPoint): counted apart from
  // whatever came before them.
  void StartAfter(const unsigned char* before);
  // Adds `next`, the tally of the text that follows this one's, counted
  // apart from a sync point (StartAfter). Nothing after an end is added.
  void Join(const TextTally& next);
  // Adds the counts of `other`, a text of its own (another range of a
  // selection of several): each is counted as a whole, nothing joins them.
  void AddApart(const TextTally& other) { counts_ += other.counts_; }

  bool Ended() const { return state_.ended; }
  const GbkCounts& Counts() const { return counts_; }

  // Makes these the current counts and shows them with the ticked total.
  void Publish() const;

 private:
  GbkScanState state_;
  GbkCounts counts_;
};
