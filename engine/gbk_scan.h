#pragma once
// Classification of GBK (code page 936) text into four categories, by byte
// value alone:
//   - a byte >= 0x80 at a character start is a lead byte and takes the next
//     byte as its trail (never classified). Leads 0xB0..0xF7 (the GB2312
//     hanzi rows) are Chinese characters; every other lead is Chinese
//     punctuation;
//   - 0x20..0x2F, 0x3A..0x40, 0x5B..0x60, 0x7B..0x7E, CR and LF are English
//     punctuation, except an LF directly after a counted CR: a line end
//     counts once, as punctuation, whether CR LF, LF or CR;
//   - every other byte below 0x80 (letters, digits, tab and the other
//     controls, 0x7F) is an English character.
// The first 0 byte ends the text.
//
// In the same pass it counts Word's two figures (engine/word_class.h): 字数
// (`words`) and 字符数(不计空格) (`charsNoSpace`). For those a lead byte's
// character is East Asian unless its row mixes classes (0xA1, 0xA2,
// 0xA6..0xA9), where the trail decides.
//
// The scan is incremental: a text may arrive in pieces of any size, split
// anywhere (even between a lead and its trail byte), and gives the same
// counts as one pass over the whole text.

#include <cstddef>
#include <cstdint>

struct GbkCounts {
  uint64_t cnChars = 0;
  uint64_t cnPunct = 0;
  uint64_t enChars = 0;
  uint64_t enPunct = 0;
  uint64_t words = 0;         // 字数
  uint64_t charsNoSpace = 0;  // 字符数(不计空格)
};

inline GbkCounts& operator+=(GbkCounts& sum, const GbkCounts& more) {
  sum.cnChars += more.cnChars;
  sum.cnPunct += more.cnPunct;
  sum.enChars += more.enChars;
  sum.enPunct += more.enPunct;
  sum.words += more.words;
  sum.charsNoSpace += more.charsNoSpace;
  return sum;
}

// What carries from one piece to the next.
struct GbkScanState {
  bool trailNext = false;  // the next byte is the trail of a lead byte
  bool afterCr = false;    // the previous byte was a counted CR
  bool ended = false;      // a 0 byte was met: nothing after it counts
  bool afterWordPart = false;  // the last character joins a word's run
  // A lead of a mixed row whose trail is still to come: counted for now as
  // an East Asian character, set right when the trail comes (0: none).
  unsigned char pendingLead = 0;
  bool wordPartBeforeLead = false;  // afterWordPart before that lead
};

// Adds the bytes [data, data + size) to `counts`, continuing from `state`.
// Reads no byte outside that range. Uses the fastest kernel this processor
// offers.
void ScanGbk(const unsigned char* data, size_t size, GbkScanState& state,
             GbkCounts& counts);

// The plain byte-at-a-time scan: the reference the fast kernels must match.
void ScanGbkScalar(const unsigned char* data, size_t size,
                   GbkScanState& state, GbkCounts& counts);

// The first offset p (2 <= p <= size) that follows two bytes 0x01..0x7F in
// a row, or 0 when there is none. Neither byte can be a lead; the first may
// be a trail, but either way the second is a character of its own, so the
// state at p follows from the second alone, and the text from p on may be
// counted apart from what comes before it (TextTally::StartAfter, Join).
size_t GbkSyncPoint(const unsigned char* data, size_t size);

// Name of the kernel ScanGbk uses here ("avx512", "avx2", "sse2" or "scalar").
const char* GbkKernelName();
