#pragma once
// The block kernels behind ScanGbk, visible to their tests. Each one consumes
// whole blocks only (kGbkBlockSize bytes), each with a byte after it (a
// lead's class may need its trail there), stops after the block holding the
// first 0 byte, and returns how many bytes it consumed; ScanGbk finishes the
// rest with the scalar loop. They start where no mixed row's lead waits for
// its trail (state.pendingLead is 0), and leave none waiting.

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "engine/gbk_scan.h"
#include "engine/word_class.h"

#if defined(__GNUC__)
#define VX_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VX_ALWAYS_INLINE inline
#endif

// One bit per byte of a block: 64 bytes where 64-bit arithmetic is native.
// VX_NARROW_BLOCKS gives a 64-bit build the 32-bit build's blocks, so that
// their arithmetic is tested on hosts that run no 32-bit programs.
#ifdef VX_NARROW_BLOCKS
using BlockMask = uint32_t;
#else
using BlockMask = std::conditional_t<sizeof(void*) == 8, uint64_t, uint32_t>;
#endif
constexpr size_t kGbkBlockSize = sizeof(BlockMask) * 8;

#if defined(__x86_64__) || defined(__i386__)
#define VX_HAVE_X86_KERNELS 1
size_t ScanGbkBlocksSse2(const unsigned char* data, size_t size,
                         GbkScanState& state, GbkCounts& counts);
size_t ScanGbkBlocksAvx2(const unsigned char* data, size_t size,
                         GbkScanState& state, GbkCounts& counts);
bool CpuHasAvx2();
#endif

// AVX-512 needs 64-bit block masks, so it exists in 64-bit builds only.
#if defined(__x86_64__) && !defined(VX_NARROW_BLOCKS)
#define VX_HAVE_AVX512_KERNEL 1
size_t ScanGbkBlocksAvx512(const unsigned char* data, size_t size,
                           GbkScanState& state, GbkCounts& counts);
bool CpuHasAvx512();
#endif

// The classes of gbk_scan.h, for the scalar loop and the kernels' tables.
constexpr bool IsEnglishPunct(unsigned b) {
  return (b >= 0x20 && b <= 0x2F) || (b >= 0x3A && b <= 0x40) ||
         (b >= 0x5B && b <= 0x60) || (b >= 0x7B && b <= 0x7E);
}
constexpr bool IsHanziLead(unsigned b) { return b >= 0xB0 && b <= 0xF7; }

// Per-byte facts of one block, one bit per byte.
struct BlockBits {
  BlockMask high;     // byte >= 0x80
  BlockMask zero;     // byte == 0
  BlockMask cnLead;   // 0xB0..0xF7: a Chinese character when it is a lead
  BlockMask punctLine;  // English punctuation, CR or LF
  BlockMask cr;       // CR
  BlockMask lf;       // LF
  // A single byte that is whitespace, or 0xA1 before 0xA1 (the ideographic
  // space when it is a lead).
  BlockMask space;
  // A mixed row's byte that, as a lead, needs a look at the table: all but
  // 0xA1 before a common trail.
  BlockMask rare;
};

// BlockBits' space and rare from per-byte masks of the block (whitespace,
// a mixed row's lead byte, 0xA1, a common trail after 0xA1) and the byte
// after the block: the kernels that classify bytes by table see each byte
// alone, and pair it with the next here.
VX_ALWAYS_INLINE void PairWordBits(BlockMask white, BlockMask mixed, BlockMask a1,
                                   BlockMask common, unsigned char after,
                                   BlockMask& space, BlockMask& rare) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  const BlockMask a1After = (a1 >> 1) | (BlockMask(after == 0xA1) << kTopBit);
  const BlockMask commonAfter =
      (common >> 1) | (BlockMask(IsCommonA1Trail(after)) << kTopBit);
  space = white | (a1 & a1After);
  rare = mixed & ~(a1 & commonAfter);
}

// The classes of the rare leads, from the table: sets the bits of those that
// join words in `wordPart` and of the spaces in `space`. Reads the trail of a
// lead in the block's last byte from the byte after the block.
inline void SettleRareLeads(const unsigned char* block, BlockMask rare,
                            BlockMask& wordPart, BlockMask& space) {
  for (; rare; rare &= rare - 1) {
    const unsigned i = unsigned(__builtin_ctzll(rare));
    const WordClass c = GbkWordClass(block[i], block[i + 1]);
    if (c == WordClass::kWordPart) wordPart |= BlockMask(1) << i;
    if (c == WordClass::kSpace) space |= BlockMask(1) << i;
  }
}

// Counts one block from its bits. Which high bytes are leads follows from
// the parity of each run of high bytes: a run always starts at a character
// boundary (the byte before it is a single byte or a trail), and leads and
// trails alternate within it. The carry-propagating subtraction below finds
// the leads of every run at once, the way fast JSON parsers find escaped
// quotes after runs of backslashes.
template <typename PopcountFn>
VX_ALWAYS_INLINE void CountBlock(const BlockBits& b, const unsigned char* block,
                                 GbkScanState& state, GbkCounts& counts,
                                 PopcountFn popcount) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  constexpr BlockMask kOddBits = BlockMask(0xAAAAAAAAAAAAAAAAull);

  BlockMask valid = ~BlockMask(0);
  if (b.zero) {
    valid = (b.zero & (~b.zero + 1)) - 1;  // the bytes before the first 0
    state.ended = true;
  }
  const BlockMask carry = state.trailNext ? 1 : 0;
  const BlockMask potential = b.high & ~carry;
  const BlockMask code =
      (((potential << 1) | kOddBits) - potential) ^ kOddBits;
  const BlockMask trail = code ^ (b.high | carry);
  const BlockMask leadHigh = code & b.high;

  const BlockMask countedHigh = leadHigh & valid;
  const BlockMask single = ~b.high & ~trail & valid;
  const BlockMask crCounted = b.cr & single;
  const BlockMask lfAfterCr =
      b.lf & single & ((crCounted << 1) | (state.afterCr ? 1 : 0));

  // Word runs: a single that is no whitespace, or both bytes of a lead's
  // character that joins words; a run starts where the byte before is not
  // in one.
  BlockMask spaceLead = countedHigh & b.space, wordPartLead = 0;
  if (const BlockMask rare = countedHigh & b.rare)
    SettleRareLeads(block, rare, wordPartLead, spaceLead);
  const BlockMask wordPartTrailIn = state.trailNext && state.afterWordPart ? 1 : 0;
  const BlockMask inRun = (single & ~b.space) | wordPartLead |
                          (wordPartLead << 1) | wordPartTrailIn;
  const BlockMask runStart =
      inRun & ~((inRun << 1) | (state.afterWordPart ? 1 : 0)) & valid;

  state.trailNext = (leadHigh >> kTopBit) != 0;
  state.afterCr = (crCounted >> kTopBit) != 0;
  state.afterWordPart = (inRun >> kTopBit) != 0;

  const unsigned highs = popcount(countedHigh);
  const unsigned hanzi = popcount(countedHigh & b.cnLead);
  const unsigned singles = popcount(single);
  const unsigned puncts = popcount(single & b.punctLine);
  const unsigned skipped = lfAfterCr ? popcount(lfAfterCr) : 0;
  counts.cnChars += hanzi;
  counts.cnPunct += highs - hanzi;
  counts.enPunct += puncts - skipped;
  counts.enChars += singles - puncts;
  const unsigned spaceLeads = spaceLead ? popcount(spaceLead) : 0;
  counts.words += highs - spaceLeads - (wordPartLead ? popcount(wordPartLead) : 0) +
                  popcount(runStart);
  counts.charsNoSpace += highs - spaceLeads + singles - popcount(single & b.space);
}
