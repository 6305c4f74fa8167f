// Vector kernels for x86: SSE2 is the baseline of every build; AVX2 is taken
// at run time when the processor and the system offer it. The AVX-512 kernel
// of 64-bit builds lives in gbk_scan_avx512.cpp.
#include "engine/gbk_scan_kernels.h"

#ifdef VX_HAVE_X86_KERNELS

#include <immintrin.h>

#include <algorithm>

namespace {

// Bit count without the POPCNT instruction, which SSE2-era processors lack.
VX_ALWAYS_INLINE unsigned PopcountPortable(BlockMask m) {
  if constexpr (sizeof(BlockMask) == 8) {
    uint64_t x = m;
    x = x - ((x >> 1) & 0x5555555555555555ull);
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return unsigned((x * 0x0101010101010101ull) >> 56);
  } else {
    uint32_t x = m;
    x = x - ((x >> 1) & 0x55555555u);
    x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0Fu;
    return (x * 0x01010101u) >> 24;
  }
}

struct Sse2Bits {
  unsigned high, zero, cnLead, punctLine, cr, lf, space, rare;
};

// x in [lo, lo + width] for every unsigned byte, as 0xFF / 0x00 lanes:
// x - lo, moved by 0x80 so that lo is the least signed byte, and one signed
// compare.
__attribute__((target("sse2"))) VX_ALWAYS_INLINE __m128i
InRangeU8(__m128i x, char lo, char width) {
  return _mm_cmpgt_epi8(_mm_set1_epi8(char(-127 + width)),
                        _mm_add_epi8(x, _mm_set1_epi8(char(0x80 - (unsigned char)lo))));
}

// The classes of gbk_scan_kernels.h for SSE2, which has no byte lookup: by
// ranges. English punctuation is the printable bytes less digits and
// letters (both within them).
__attribute__((target("sse2"))) VX_ALWAYS_INLINE __m128i EnglishPunctSse2(__m128i v) {
  return _mm_xor_si128(_mm_xor_si128(InRangeU8(v, 0x20, 0x5E), InRangeU8(v, 0x30, 9)),
                       InRangeU8(_mm_or_si128(v, _mm_set1_epi8(0x20)), 0x61, 25));
}

__attribute__((target("sse2"))) VX_ALWAYS_INLINE __m128i HanziLeadSse2(__m128i v) {
  return InRangeU8(v, char(0xB0), 0xF7 - 0xB0);
}

// IsSpaceByte.
__attribute__((target("sse2"))) VX_ALWAYS_INLINE __m128i WhitespaceSse2(__m128i v) {
  return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), InRangeU8(v, 0x09, 4));
}

// The word bits of BlockBits, from the bytes and the bytes after them.
__attribute__((target("sse2"))) VX_ALWAYS_INLINE void
WordBitsSse2(__m128i v, __m128i next, unsigned& space, unsigned& rare) {
  const __m128i a1 = _mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xA1)));
  const __m128i white = WhitespaceSse2(v);
  const __m128i ideographic = _mm_and_si128(a1, _mm_cmpeq_epi8(next, _mm_set1_epi8(char(0xA1))));
  const __m128i mixed = _mm_or_si128(InRangeU8(v, char(0xA1), 1), InRangeU8(v, char(0xA6), 3));
  const __m128i common = _mm_or_si128(InRangeU8(next, char(0xA1), 3), InRangeU8(next, char(0xA8), 0x17));
  space = unsigned(_mm_movemask_epi8(_mm_or_si128(white, ideographic)));
  rare = unsigned(_mm_movemask_epi8(_mm_andnot_si128(_mm_and_si128(a1, common), mixed)));
}

__attribute__((target("sse2"))) VX_ALWAYS_INLINE Sse2Bits
ClassifySse2(__m128i v, __m128i next) {
  const __m128i cr = _mm_cmpeq_epi8(v, _mm_set1_epi8(0x0D));
  Sse2Bits bits;
  bits.high = unsigned(_mm_movemask_epi8(v));
  bits.zero = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
  bits.cnLead = unsigned(_mm_movemask_epi8(HanziLeadSse2(v)));
  const __m128i lf = _mm_cmpeq_epi8(v, _mm_set1_epi8(0x0A));
  bits.punctLine =
      unsigned(_mm_movemask_epi8(_mm_or_si128(EnglishPunctSse2(v), _mm_or_si128(cr, lf))));
  bits.cr = unsigned(_mm_movemask_epi8(cr));
  bits.lf = unsigned(_mm_movemask_epi8(lf));
  WordBitsSse2(v, next, bits.space, bits.rare);
  return bits;
}

// English punctuation, CR or LF by nibble lookup: the high nibble picks a set of
// low nibbles (one bit per set), the low nibble says which sets hold it.
__attribute__((target("avx2"))) VX_ALWAYS_INLINE __m256i
PunctOrLineAvx2(__m256i v) {
  const __m256i byHigh = _mm256_setr_epi8(
      0x20, 0, 0x01, 0x02, 0x04, 0x08, 0x04, 0x10, 0, 0, 0, 0, 0, 0, 0, 0,
      0x20, 0, 0x01, 0x02, 0x04, 0x08, 0x04, 0x10, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i byLow = _mm256_setr_epi8(
      0x05, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x23, 0x1B, 0x1B, 0x3B, 0x1B, 0x0B,
      0x05, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x23, 0x1B, 0x1B, 0x3B, 0x1B, 0x0B);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
  const __m256i lo = _mm256_and_si256(v, nibble);
  const __m256i sets = _mm256_and_si256(_mm256_shuffle_epi8(byHigh, hi),
                                        _mm256_shuffle_epi8(byLow, lo));
  return _mm256_cmpeq_epi8(sets, _mm256_setzero_si256());  // inverted
}

struct Avx2Bits {
  uint32_t high, zero, cnLead, notPunctLine, cr, lf;
};

// The per-byte masks PairWordBits takes, by nibble lookup as in
// PunctOrLineAvx2: whitespace (two sets: 0x09..0x0D and 0x20), a mixed row's
// lead byte, 0xA1, and a common trail after 0xA1 (two sets: 0xA1..0xA4 with
// 0xA8..0xAF, and 0xB0..0xBF).
struct Avx2WordBytes {
  uint32_t white, mixed, a1, common;
};

// The bytes with any of `bits` set: adding `toTop` carries them into bit 7.
__attribute__((target("avx2"))) VX_ALWAYS_INLINE uint32_t
AnyBitAvx2(__m256i sets, char bits, char toTop) {
  return uint32_t(_mm256_movemask_epi8(
      _mm256_adds_epu8(_mm256_and_si256(sets, _mm256_set1_epi8(bits)), _mm256_set1_epi8(toTop))));
}

__attribute__((target("avx2"))) VX_ALWAYS_INLINE Avx2WordBytes
WordBytesAvx2(__m256i v) {
  const __m256i byHigh = _mm256_setr_epi8(
      0x01, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0x1C, 0x20, 0, 0, 0, 0,
      0x01, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0x1C, 0x20, 0, 0, 0, 0);
  const __m256i byLow = _mm256_setr_epi8(
      0x22, 0x3C, 0x34, 0x30, 0x30, 0x20, 0x24, 0x24, 0x34, 0x35, 0x31, 0x31, 0x31, 0x31, 0x30, 0x30,
      0x22, 0x3C, 0x34, 0x30, 0x30, 0x20, 0x24, 0x24, 0x34, 0x35, 0x31, 0x31, 0x31, 0x31, 0x30, 0x30);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
  const __m256i lo = _mm256_and_si256(v, nibble);
  const __m256i sets = _mm256_and_si256(_mm256_shuffle_epi8(byHigh, hi),
                                        _mm256_shuffle_epi8(byLow, lo));
  Avx2WordBytes out;
  out.white = AnyBitAvx2(sets, 0x03, 0x7F);
  out.mixed = uint32_t(_mm256_movemask_epi8(_mm256_slli_epi16(sets, 5)));
  out.a1 = uint32_t(_mm256_movemask_epi8(_mm256_slli_epi16(sets, 4)));
  out.common = AnyBitAvx2(sets, 0x30, 0x70);
  return out;
}

// The masks of a block's vectors into one of each.
struct BlockWordBytes {
  BlockMask white = 0, mixed = 0, a1 = 0, common = 0;
  VX_ALWAYS_INLINE void Add(const Avx2WordBytes& part, unsigned shift) {
    white |= BlockMask(part.white) << shift;
    mixed |= BlockMask(part.mixed) << shift;
    a1 |= BlockMask(part.a1) << shift;
    common |= BlockMask(part.common) << shift;
  }
  VX_ALWAYS_INLINE void Pair(unsigned char after, BlockMask& space, BlockMask& rare) const {
    PairWordBits(white, mixed, a1, common, after, space, rare);
  }
};

__attribute__((target("avx2"))) VX_ALWAYS_INLINE Avx2Bits
ClassifyAvx2(__m256i v) {
  const __m256i cnLead =
      _mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8(-81)),
                       _mm256_cmpgt_epi8(_mm256_set1_epi8(-8), v));
  Avx2Bits bits;
  bits.high = uint32_t(_mm256_movemask_epi8(v));
  bits.zero = uint32_t(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
  bits.cnLead = uint32_t(_mm256_movemask_epi8(cnLead));
  bits.notPunctLine = uint32_t(_mm256_movemask_epi8(PunctOrLineAvx2(v)));
  bits.cr = uint32_t(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x0D))));
  bits.lf = uint32_t(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x0A))));
  return bits;
}

}  // namespace

bool CpuHasAvx2() {
  __builtin_cpu_init();
  // BMI1 (ANDN) came with AVX2 in every processor; the test is for systems
  // that hide one.
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") &&
         __builtin_cpu_supports("bmi");
}

namespace {

// The exact block step of the SSE2 kernel, for the blocks its fast loop does
// not take (see CountBlockAvx2).
__attribute__((target("sse2"), noinline)) void CountBlockSse2(
    const unsigned char* block, GbkScanState& s, GbkCounts& c) {
  BlockBits b{};
  for (unsigned k = 0; k < kGbkBlockSize / 16; ++k) {
    const unsigned char* p = block + 16 * k;
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
    const Sse2Bits part = ClassifySse2(v, next);
    const unsigned shift = 16 * k;
    b.high |= BlockMask(part.high) << shift;
    b.zero |= BlockMask(part.zero) << shift;
    b.cnLead |= BlockMask(part.cnLead) << shift;
    b.punctLine |= BlockMask(part.punctLine) << shift;
    b.cr |= BlockMask(part.cr) << shift;
    b.lf |= BlockMask(part.lf) << shift;
    b.space |= BlockMask(part.space) << shift;
    b.rare |= BlockMask(part.rare) << shift;
  }
  CountBlock(b, block, s, c, PopcountPortable);
}

// The exact block step, for blocks the fast loop does not take: the first
// one of a call (it has no byte before it to load) and the one holding a 0.
// Out of line: it runs twice a call at most.
__attribute__((target("avx2,popcnt,bmi"), noinline)) void CountBlockAvx2(
    const unsigned char* block, GbkScanState& s, GbkCounts& c) {
  BlockBits b{};
  BlockWordBytes words;
  for (unsigned k = 0; k < kGbkBlockSize / 32; ++k) {
    const __m256i v =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * k));
    const Avx2Bits part = ClassifyAvx2(v);
    words.Add(WordBytesAvx2(v), 32 * k);
    const unsigned shift = 32 * k;
    b.high |= BlockMask(part.high) << shift;
    b.zero |= BlockMask(part.zero) << shift;
    b.cnLead |= BlockMask(part.cnLead) << shift;
    b.punctLine |= BlockMask(~part.notPunctLine) << shift;
    b.cr |= BlockMask(part.cr) << shift;
    b.lf |= BlockMask(part.lf) << shift;
  }
  words.Pair(block[kGbkBlockSize], b.space, b.rare);
  CountBlock(b, block, s, c, [](BlockMask m) -> unsigned {
    if constexpr (sizeof(BlockMask) == 8)
      return unsigned(__builtin_popcountll(m));
    else
      return unsigned(__builtin_popcount(m));
  });
}

__attribute__((target("popcnt,bmi"))) VX_ALWAYS_INLINE unsigned Popcnt(
    BlockMask m) {
  if constexpr (sizeof(BlockMask) == 8)
    return unsigned(__builtin_popcountll(m));
  else
    return unsigned(__builtin_popcount(m));
}

// "Counted as a class of its own" in one compare: Chinese-character leads
// (0xB0..0xF7) for high bytes, English punctuation or CR for the others.
// Each high nibble holds one interval of low nibbles, so a lookup by high
// nibble gives the interval's start (moved to -128) and its width, and a
// signed compare finishes; bytes below the start wrap to large positives.
__attribute__((target("avx2"))) VX_ALWAYS_INLINE __m256i
ClassCountedAvx2(__m256i v, __m256i hi) {
  // start - 0x80 per high nibble, and -127 + (end - start); -128: empty row.
  const __m256i start = _mm256_setr_epi8(
      -115, 0, -96, -70, -64, -37, -32, -5, 0, 0, 0, 48, 64, 80, 96, 112,
      -115, 0, -96, -70, -64, -37, -32, -5, 0, 0, 0, 48, 64, 80, 96, 112);
  const __m256i limit = _mm256_setr_epi8(
      -127, -128, -112, -122, -127, -123, -127, -124, -128, -128, -128, -112,
      -112, -112, -112, -120,
      -127, -128, -112, -122, -127, -123, -127, -124, -128, -128, -128, -112,
      -112, -112, -112, -120);
  const __m256i rel = _mm256_sub_epi8(v, _mm256_shuffle_epi8(start, hi));
  return _mm256_cmpgt_epi8(_mm256_shuffle_epi8(limit, hi), rel);
}

// Word's classes for the fast loop in one lookup by nibbles (as in
// PunctOrLineAvx2). A byte's high half says what it is as a character's
// start: 0x10 for 0xA1, 0x20 and up for whitespace (0x09..0x0D, 0x20) and
// the other mixed rows' leads. Its low half says whether, after 0xA1, it
// makes a common East Asian mark (0x01: 0xA2..0xA4 and 0xA8..0xAF, 0x02:
// 0xB0..0xBF; IsCommonA1Trail without the ideographic space).
__attribute__((target("avx2"))) VX_ALWAYS_INLINE __m256i
WordSetsAvx2(__m256i hi, __m256i lo) {
  const __m256i byHigh = _mm256_setr_epi8(
      0x20, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, char(0x91), 0x02, 0, 0, 0, 0,
      0x20, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, char(0x91), 0x02, 0, 0, 0, 0);
  const __m256i byLow = _mm256_setr_epi8(
      0x42, 0x12, char(0x83), 0x03, 0x03, 0x02, char(0x82), char(0x82), char(0x83), char(0xA3),
      0x23, 0x23, 0x23, 0x23, 0x03, 0x03,
      0x42, 0x12, char(0x83), 0x03, 0x03, 0x02, char(0x82), char(0x82), char(0x83), char(0xA3),
      0x23, 0x23, 0x23, 0x23, 0x03, 0x03);
  return _mm256_and_si256(_mm256_shuffle_epi8(byHigh, hi), _mm256_shuffle_epi8(byLow, lo));
}

// From the sets of a vector and the low halves of the sets of the bytes
// after it, a bit for each byte that is plain: no whitespace, and no lead
// whose class the table must give (0xA1 before anything but a common mark,
// and the other mixed rows). 0x8F plus the low half after, less the sets
// with saturation, keeps bit 7 where the sets are at most 0x0F plus that
// half: for the bytes of no set, and for 0xA1 before a common mark.
__attribute__((target("avx2"))) VX_ALWAYS_INLINE uint32_t
PlainAvx2(__m256i sets, __m256i nextLow, __m256i all8F) {
  return uint32_t(_mm256_movemask_epi8(
      _mm256_subs_epu8(_mm256_add_epi8(nextLow, all8F), sets)));
}

// Per byte, 1 where it makes a common East Asian mark after 0xA1 (the
// ideographic space aside, which the table settles).
struct ByteTable {
  unsigned char byte[256];
};

constexpr ByteTable MakeCommonAfterA1() {
  ByteTable t{};
  for (unsigned b = 0; b < 256; ++b) t.byte[b] = IsCommonA1Trail(b) && b != 0xA1;
  return t;
}

constexpr ByteTable kCommonAfterA1 = MakeCommonAfterA1();

// A constant the compiler cannot see through: it keeps it in a register or
// in memory (where a vector instruction reads it as an operand), rather than
// building it anew in every pass of a loop short of registers.
__attribute__((target("avx2"))) VX_ALWAYS_INLINE __m256i Opaque(__m256i k) {
  asm("" : "+x"(k));
  return k;
}

// What the fast loop's rare blocks add up outside its registers.
struct RareTally {
  size_t spaceLeads = 0, wordPartLeads = 0;
  // CR LF pairs the loop took for line ends whose CR is a trail byte.
  size_t crTrailLfs = 0;
  // The block whose last byte is a CR that is a trail byte: an LF after it
  // (the next block's first byte) is in crTrailLfs.
  const unsigned char* crTrailAtEnd = nullptr;
  // Run starts the loop will count in error: a word part right after the
  // trail of a word-part lead that ends a block, which the next block sees
  // as the start of a run. The last such block and its share of the count.
  size_t joinedStarts = 0, joinedAtEnd = 0;
  const unsigned char* wordPartAtEnd = nullptr;
};

// Whether the character at q (within [q, end)) joins a word's run: a single
// that is no whitespace, or a word-part lead whose trail is there too.
inline bool StartsWordPart(const unsigned char* q, const unsigned char* end) {
  if (q >= end) return false;
  if (*q < 0x80) return *q != 0 && !IsSpaceByte(*q);
  return q + 1 < end && IsMixedRowLead(*q) && GbkWordClass(q[0], q[1]) == WordClass::kWordPart;
}

// A word-part lead ends the block at p: the character after its trail
// continues its run.
inline void JoinAfterBlock(const unsigned char* p, const unsigned char* end, RareTally& t) {
  t.wordPartAtEnd = p;
  t.joinedAtEnd = StartsWordPart(p + kGbkBlockSize + 1, end) ? 1 : 0;
  t.joinedStarts += t.joinedAtEnd;
}

// The exact classes behind the marks of a block: leads by the table (0xA1
// before 0xA1, the ideographic space, at once), and whitespace trail bytes,
// of which only a CR matters, for the LF after it. Returns the word-part
// leads and their trails. Out of line: it is rare in prose, and the loop
// keeps its registers.
__attribute__((noinline, cold)) BlockMask SettleRareBlock(const unsigned char* p,
                                                          const unsigned char* end,
                                                          BlockMask lead, BlockMask special,
                                                          RareTally& t) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  BlockMask inRun = 0;
  for (BlockMask rare = special & lead; rare; rare &= rare - 1) {
    const unsigned i = unsigned(__builtin_ctzll(rare));
    const WordClass c = p[i] == 0xA1 && p[i + 1] == 0xA1 ? WordClass::kSpace
                                                         : GbkWordClass(p[i], p[i + 1]);
    if (c == WordClass::kSpace) ++t.spaceLeads;
    if (c == WordClass::kWordPart) {
      ++t.wordPartLeads;
      inRun |= BlockMask(3) << i;
      if (i == kTopBit) JoinAfterBlock(p, end, t);
    }
  }
  for (BlockMask trails = special & ~lead; trails; trails &= trails - 1) {
    const unsigned i = unsigned(__builtin_ctzll(trails));
    if (p[i] != '\r') continue;
    if (i == kTopBit) t.crTrailAtEnd = p;
    t.crTrailLfs += p[i + 1] == '\n';
  }
  return inRun;
}

// The fast loops of both kernels take from whole-vector work per byte three
// bits: high, "counted as its own class" (hanzi lead, or English
// punctuation, CR or LF) and "plain" (no whitespace, and no lead whose class
// the table must give), and count the CR LF pairs in vector lanes. Which
// bytes are trails follows from the high bits; the classes then follow from
// the byte's own bits, since a non-trail high byte is a lead and a non-trail
// low byte a single. Every lead is an East Asian character unless it is not
// plain, and a trail byte that is not plain (whitespace after a lead: a CR
// there is no line end) is as rare; either sends the block to
// SettleRareBlock.

// What the fast loop carries from block to block. Apart from the RareTally,
// whose address the rare blocks take, so that it stays in registers.
struct FastLoop {
  BlockMask trailNext = 0;  // 1: the next block starts with a trail byte
  BlockMask trailIn = 0;    // trailNext where the loop began
  // The last block's bytes in a word's run: the top bit carries on.
  BlockMask lastInRun = 0;
};

// What one block adds, as masks to count.
struct FastBlockMasks {
  BlockMask lead, hanzi, punct;  // punct: English punctuation, CR and LF singles
  BlockMask nonSpaceSingle, runStart;
};

// The fast loop's sums. size_t: no count exceeds the call's size, and a
// 32-bit build keeps each in one register instead of a pair.
struct FastSums {
  size_t leads = 0, hanzi = 0, puncts = 0, nonSpaceSingles = 0, runStarts = 0, crLfs = 0;
};

// The loop's start after the call's first block, `first`, which the exact
// step took and left `s`.
VX_ALWAYS_INLINE FastLoop BeginFastLoop(const unsigned char* first, const unsigned char* end,
                                        const GbkScanState& s, RareTally& t) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  FastLoop f;
  f.trailNext = f.trailIn = s.trailNext ? 1 : 0;
  f.lastInRun = s.afterWordPart ? BlockMask(1) << kTopBit : 0;
  // A CR there that is no line end is a trail byte; an LF after it counts.
  if (first[kTopBit] == '\r' && !s.afterCr) {
    t.crTrailAtEnd = first;
    t.crTrailLfs += first[kGbkBlockSize] == '\n';
  }
  if (s.trailNext && s.afterWordPart) JoinAfterBlock(first, end, t);
  return f;
}

// Leads and trails as in CountBlock, and the masks of the block at p to
// count. The chain from block to block is a few instructions long, short
// beside a block's work.
VX_ALWAYS_INLINE FastBlockMasks StepFastBlock(FastLoop& f, RareTally& t, const unsigned char* p,
                                              const unsigned char* end, BlockMask high,
                                              BlockMask counted, BlockMask plain) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  constexpr BlockMask kOddBits = BlockMask(0xAAAAAAAAAAAAAAAAull);
  const BlockMask potential = high & ~f.trailNext;
  const BlockMask code = (((potential << 1) | kOddBits) - potential) ^ kOddBits;
  const BlockMask trail = code ^ (high | f.trailNext);
  const BlockMask lead = code & high;
  const BlockMask notSingle = high | trail;
  // Word runs as in CountBlock: non-space singles, and word-part characters
  // (a trail in the next block is left out: JoinAfterBlock).
  const BlockMask nonSpaceSingle = plain & ~notSingle;
  BlockMask inRun = nonSpaceSingle;
  if (const BlockMask rare = ~plain & (high ^ trail))
    inRun |= SettleRareBlock(p, end, lead, rare, t);
  const BlockMask runStart = inRun & ~((inRun << 1) | (f.lastInRun >> kTopBit));
  f.lastInRun = inRun;
  f.trailNext = lead >> kTopBit;
  return {lead, counted & lead, counted & ~notSingle, nonSpaceSingle, runStart};
}

// Adds what the loop took, data[from, done), to the state and counts.
VX_ALWAYS_INLINE void FinishFastLoop(const FastLoop& f, RareTally t, const FastSums& sums,
                                      const unsigned char* data, size_t from, size_t done,
                                      GbkScanState& s, GbkCounts& c) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  // Every lead has its trail, in what the loop took or just after it.
  const size_t trails = sums.leads + f.trailIn - f.trailNext;
  const size_t singles = (done - from) - trails - sums.leads;
  const unsigned char* last = data + done - kGbkBlockSize;
  const bool crTrailLast = t.crTrailAtEnd == last;
  // The next block is not the loop's: its LF was not taken.
  if (crTrailLast && data[done] == '\n') --t.crTrailLfs;
  // Nor does it count the run it joins.
  if (t.wordPartAtEnd == last) t.joinedStarts -= t.joinedAtEnd;
  c.cnChars += sums.hanzi;
  c.cnPunct += sums.leads - sums.hanzi;
  c.enPunct += sums.puncts - (sums.crLfs - t.crTrailLfs);
  c.enChars += singles - sums.puncts;
  c.words += sums.leads - t.spaceLeads - t.wordPartLeads + sums.runStarts - t.joinedStarts;
  c.charsNoSpace += sums.leads - t.spaceLeads + sums.nonSpaceSingles;
  s.trailNext = f.trailNext != 0;
  s.afterCr = !crTrailLast && data[done - 1] == '\r';
  s.afterWordPart = (f.lastInRun >> kTopBit) != 0;
}

struct Sse2FastBits {
  unsigned high, counted, notPlain;
};

// The fast loop's bits of 16 bytes, from the bytes, the bytes after them and
// the bytes before them. Adds the LFs after a CR to `pairs`.
__attribute__((target("sse2"))) VX_ALWAYS_INLINE Sse2FastBits
FastBitsSse2(__m128i v, __m128i next, __m128i before, __m128i& pairs) {
  const __m128i lf = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
  const __m128i cr = _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'));
  const __m128i counted = _mm_or_si128(_mm_or_si128(EnglishPunctSse2(v), HanziLeadSse2(v)),
                                       _mm_or_si128(cr, lf));
  const __m128i white = WhitespaceSse2(v);
  const __m128i otherMixed = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xA2))),
                                          InRangeU8(v, char(0xA6), 3));
  // IsCommonA1Trail without the ideographic space: 0xA2..0xA4, 0xA8..0xBF.
  const __m128i common = _mm_andnot_si128(InRangeU8(next, char(0xA5), 2),
                                          InRangeU8(next, char(0xA2), 0x1D));
  const __m128i a1Rare = _mm_andnot_si128(common, _mm_cmpeq_epi8(v, _mm_set1_epi8(char(0xA1))));
  pairs = _mm_sub_epi8(pairs, _mm_and_si128(lf, _mm_cmpeq_epi8(before, _mm_set1_epi8('\r'))));
  return {unsigned(_mm_movemask_epi8(v)), unsigned(_mm_movemask_epi8(counted)),
          unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(white, otherMixed), a1Rare)))};
}

// Bit counts without POPCNT: the masks go into vector lanes whose bytes
// count their own bits, at most 8, so 31 blocks add up in bytes; PSADBW sums
// them. A 64-bit mask takes half a vector, a 32-bit one a quarter.
class Sse2BitCounts {
 public:
  __attribute__((target("sse2"))) VX_ALWAYS_INLINE Sse2BitCounts()
      : a_(_mm_setzero_si128()), b_(a_), c_(a_) {}

  __attribute__((target("sse2"))) VX_ALWAYS_INLINE void Add(const FastBlockMasks& m) {
    if constexpr (sizeof(BlockMask) == 8) {
      a_ = _mm_add_epi8(a_, BitsPerByte(_mm_set_epi64x(int64_t(m.hanzi), int64_t(m.lead))));
      b_ = _mm_add_epi8(b_, BitsPerByte(_mm_set_epi64x(int64_t(m.nonSpaceSingle),
                                                       int64_t(m.punct))));
      c_ = _mm_add_epi8(c_, BitsPerByte(_mm_set_epi64x(0, int64_t(m.runStart))));
    } else {
      a_ = _mm_add_epi8(a_, BitsPerByte(_mm_set_epi32(int(m.nonSpaceSingle), int(m.punct),
                                                      int(m.hanzi), int(m.lead))));
      c_ = _mm_add_epi8(c_, BitsPerByte(_mm_cvtsi32_si128(int(m.runStart))));
    }
  }

  // Adds the counts to `sums`.
  __attribute__((target("sse2"))) VX_ALWAYS_INLINE void MoveTo(FastSums& sums) {
    if constexpr (sizeof(BlockMask) == 8) {
      AddHalves(a_, sums.leads, sums.hanzi);
      AddHalves(b_, sums.puncts, sums.nonSpaceSingles);
    } else {
      const __m128i lowQuarters = _mm_set_epi32(0, -1, 0, -1);
      AddHalves(_mm_and_si128(a_, lowQuarters), sums.leads, sums.puncts);
      AddHalves(_mm_srli_epi64(a_, 32), sums.hanzi, sums.nonSpaceSingles);
    }
    size_t none = 0;
    AddHalves(c_, sums.runStarts, none);
  }

 private:
  __attribute__((target("sse2"))) static VX_ALWAYS_INLINE __m128i BitsPerByte(__m128i x) {
    const __m128i m1 = _mm_set1_epi8(0x55), m2 = _mm_set1_epi8(0x33), m4 = _mm_set1_epi8(0x0F);
    x = _mm_sub_epi8(x, _mm_and_si128(_mm_srli_epi16(x, 1), m1));
    x = _mm_add_epi8(_mm_and_si128(x, m2), _mm_and_si128(_mm_srli_epi16(x, 2), m2));
    return _mm_and_si128(_mm_add_epi8(x, _mm_srli_epi16(x, 4)), m4);
  }

  // The sums of the bytes of each half of `bytes`.
  __attribute__((target("sse2"))) static VX_ALWAYS_INLINE void AddHalves(__m128i bytes,
                                                                         size_t& low,
                                                                         size_t& high) {
    const __m128i sums = _mm_sad_epu8(bytes, _mm_setzero_si128());
    low += uint32_t(_mm_cvtsi128_si32(sums));
    high += uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }

  __m128i a_, b_, c_;
};

// The whole blocks, each with a byte after it, in `left` bytes (more than a
// block), `most` at most: a stretch of a fast loop between its sums.
inline size_t StretchBlocks(size_t left, size_t most) {
  return std::min((left - 1) / kGbkBlockSize, most);
}

// Whether any of the kVectors vectors v holds a 0 byte.
template <unsigned kVectors>
__attribute__((target("sse2"))) VX_ALWAYS_INLINE bool AnyZeroSse2(const __m128i* v) {
  __m128i least = v[0];
  for (unsigned k = 1; k < kVectors; ++k) least = _mm_min_epu8(least, v[k]);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0;
}

// The frame of both kernels' fast loops: the exact step takes the call's
// first block (the loop loads the byte before each block) and the block
// holding a 0, the loop the blocks between them.
using ExactBlockStep = void (*)(const unsigned char* block, GbkScanState& s, GbkCounts& c);
// Counts from `done` the whole blocks with a byte after them, up to the
// first holding a 0, and returns where it stopped.
using FastBlocksLoop = size_t (*)(const unsigned char* data, size_t size, size_t done,
                                  FastLoop& f, RareTally& t, FastSums& sums);

template <ExactBlockStep kExactStep, FastBlocksLoop kFastBlocks>
size_t ScanWithFastLoop(const unsigned char* data, size_t size, GbkScanState& state,
                        GbkCounts& counts) {
  if (size <= kGbkBlockSize) return 0;
  GbkScanState s = state;
  GbkCounts c = counts;
  kExactStep(data, s, c);
  size_t done = kGbkBlockSize;
  if (!s.ended) {
    RareTally t;
    FastLoop f = BeginFastLoop(data, data + size, s, t);
    FastSums sums;
    const size_t stop = kFastBlocks(data, size, done, f, t, sums);
    FinishFastLoop(f, t, sums, data, done, stop, s, c);
    done = stop;
    // Short of the end, the loop met a 0: its block ends the text.
    if (done + kGbkBlockSize < size) {
      kExactStep(data + done, s, c);
      done += kGbkBlockSize;
    }
  }
  state = s;
  counts = c;
  return done;
}

__attribute__((target("sse2"), noinline)) size_t FastBlocksSse2(
    const unsigned char* data, size_t size, size_t done, FastLoop& carry, RareTally& t,
    FastSums& totals) {
  constexpr unsigned kVectors = kGbkBlockSize / 16;
  // In registers, not behind the references.
  FastLoop f = carry;
  FastSums sums = totals;
  bool zero = false;
  while (!zero && done + kGbkBlockSize < size) {
    // Bit counts add up per byte, 8 a block at most, and CR LF pairs per
    // byte lane, kVectors a block at most, between the sums.
    constexpr size_t kStretch = 31;
    static_assert(kStretch * 8 <= 255 && kStretch * kVectors <= 255, "a byte lane overflows");
    const unsigned char* p = data + done;
    const unsigned char* const stretchEnd =
        p + StretchBlocks(size - done, kStretch) * kGbkBlockSize;
    __m128i pairs = _mm_setzero_si128();
    Sse2BitCounts bitCounts;
    for (; p != stretchEnd; p += kGbkBlockSize) {
      __m128i v[kVectors];
      for (unsigned k = 0; k < kVectors; ++k)
        v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      if (AnyZeroSse2<kVectors>(v)) {
        zero = true;
        break;
      }
      BlockMask high = 0, counted = 0, notPlain = 0;
      for (unsigned k = 0; k < kVectors; ++k) {
        const unsigned char* q = p + 16 * k;
        const Sse2FastBits bits = FastBitsSse2(
            v[k], _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 1)),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(q - 1)), pairs);
        high |= BlockMask(bits.high) << (16 * k);
        counted |= BlockMask(bits.counted) << (16 * k);
        notPlain |= BlockMask(bits.notPlain) << (16 * k);
      }
      const FastBlockMasks m = StepFastBlock(f, t, p, data + size, high, counted, ~notPlain);
      bitCounts.Add(m);
    }
    done = size_t(p - data);
    bitCounts.MoveTo(sums);
    const __m128i pairSums = _mm_sad_epu8(pairs, _mm_setzero_si128());
    sums.crLfs += uint32_t(_mm_cvtsi128_si32(_mm_add_epi32(pairSums, _mm_srli_si128(pairSums, 8))));
  }
  carry = f;
  totals = sums;
  return done;
}

__attribute__((target("avx2,popcnt,bmi"), noinline)) size_t FastBlocksAvx2(
    const unsigned char* data, size_t size, size_t done, FastLoop& carry, RareTally& t,
    FastSums& totals) {
  constexpr unsigned kVectors = kGbkBlockSize / 32;
  // In registers, not behind the references; the sums one by one, which
  // keeps the compiler from packing them into a vector.
  FastLoop f = carry;
  size_t leads = 0, hanzi = 0, puncts = 0, nonSpaceSingles = 0, runStarts = 0, crLfs = 0;
  bool zero = false;
  const __m256i nibble = Opaque(_mm256_set1_epi8(0x0F));
  const __m256i allLf = Opaque(_mm256_set1_epi8('\n'));
  const __m256i allCr = Opaque(_mm256_set1_epi8('\r'));
  const __m256i all8F = Opaque(_mm256_set1_epi8(char(0x8F)));
  while (!zero && done + kGbkBlockSize < size) {
    // CR LF pairs add up per byte lane, which holds two a block: 127 blocks
    // at most between the sums.
    const unsigned char* p = data + done;
    const unsigned char* const stretchEnd = p + StretchBlocks(size - done, 127) * kGbkBlockSize;
    __m256i pairs = _mm256_setzero_si256();
    for (; p != stretchEnd; p += kGbkBlockSize) {
      __m256i v[kVectors];
      __m256i least = _mm256_setzero_si256();
      for (unsigned k = 0; k < kVectors; ++k) {
        v[k] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
        least = k ? _mm256_min_epu8(least, v[k]) : v[k];
      }
      least = _mm256_cmpeq_epi8(least, _mm256_setzero_si256());
      if (!_mm256_testz_si256(least, least)) {
        zero = true;
        break;
      }

      // Last vector first: each one's word marks need the sets of the bytes
      // after it (the block's last byte is settled below). Each mask is taken
      // as soon as its parts are ready: the 32-bit build has eight vector
      // registers, and parts kept alive past the others went to memory.
      BlockMask high = 0, counted = 0, plain = 0;
      __m256i nextLow = _mm256_setzero_si256();
      for (unsigned k = kVectors; k-- > 0;) {
        const unsigned shift = 32 * k;
        const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(v[k], 4), nibble);
        const __m256i sets = WordSetsAvx2(hi, _mm256_and_si256(v[k], nibble));
        const __m256i setsLow = _mm256_and_si256(sets, nibble);
        const __m256i after = _mm256_alignr_epi8(
            _mm256_permute2x128_si256(setsLow, nextLow, 0x21), setsLow, 1);
        nextLow = setsLow;
        plain |= BlockMask(PlainAvx2(sets, after, all8F)) << shift;
        const __m256i lf = _mm256_cmpeq_epi8(v[k], allLf);
        counted |= BlockMask(uint32_t(_mm256_movemask_epi8(
                       _mm256_or_si256(ClassCountedAvx2(v[k], hi), lf)))) << shift;
        const __m256i before =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k - 1));
        pairs = _mm256_sub_epi8(pairs, _mm256_and_si256(lf, _mm256_cmpeq_epi8(before, allCr)));
        high |= BlockMask(uint32_t(_mm256_movemask_epi8(v[k]))) << shift;
      }
      // The vectors hold no byte after the block: an 0xA1 in its last byte
      // is plain before a common mark. By table, not by a branch, which
      // missed on about one block in twenty of Chinese prose.
      plain |= BlockMask((p[kGbkBlockSize - 1] == 0xA1) & kCommonAfterA1.byte[p[kGbkBlockSize]])
               << (kGbkBlockSize - 1);
      const FastBlockMasks m = StepFastBlock(f, t, p, data + size, high, counted, plain);
      leads += Popcnt(m.lead);
      hanzi += Popcnt(m.hanzi);
      puncts += Popcnt(m.punct);
      nonSpaceSingles += Popcnt(m.nonSpaceSingle);
      runStarts += Popcnt(m.runStart);
    }
    done = size_t(p - data);
    const __m256i laneSums = _mm256_sad_epu8(pairs, _mm256_setzero_si256());
    const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(laneSums),
                                       _mm256_extracti128_si256(laneSums, 1));
    // At most 127 blocks' pairs: the low 32 bits hold the sum (a 32-bit
    // build has no 64-bit move out of a vector).
    crLfs += uint32_t(_mm_cvtsi128_si32(_mm_add_epi64(half, _mm_unpackhi_epi64(half, half))));
  }
  carry = f;
  totals.leads += leads;
  totals.hanzi += hanzi;
  totals.puncts += puncts;
  totals.nonSpaceSingles += nonSpaceSingles;
  totals.runStarts += runStarts;
  totals.crLfs += crLfs;
  return done;
}

}  // namespace

size_t ScanGbkBlocksSse2(const unsigned char* data, size_t size, GbkScanState& state,
                         GbkCounts& counts) {
  return ScanWithFastLoop<CountBlockSse2, FastBlocksSse2>(data, size, state, counts);
}

size_t ScanGbkBlocksAvx2(const unsigned char* data, size_t size, GbkScanState& state,
                         GbkCounts& counts) {
  return ScanWithFastLoop<CountBlockAvx2, FastBlocksAvx2>(data, size, state, counts);
}

#endif  // VX_HAVE_X86_KERNELS
