// The AVX-512 kernel of 64-bit builds. It takes the text in chunks of eight
// 64-byte blocks and works on the chunk's bit masks in vector lanes, one
// block per 64-bit lane, so the lead/trail arithmetic of CountBlock runs for
// eight blocks at once:
//   1. each byte is classified by a table lookup into a code of three bits
//      beside its own top bit (see ByteCodes);
//   2. the four bits become bit masks: GF2P8AFFINEQB with the block as
//      matrix gathers one bit of eight bytes into one byte, three permutes
//      move those bytes into place (lane = block), and a second
//      GF2P8AFFINEQB puts each byte's bits back in text order;
//   3. leads are found per lane as if no trail came in; the trails handed
//      from lane to lane then follow from one 8-bit addition;
//   4. per lane counts accumulate in vectors and are summed at the end.
// The chunk holding the first 0 byte, a chunk with a lead the table must
// settle (none in everyday prose), and the blocks after the last whole
// chunk, go through CountBlock one block at a time.
#include "engine/gbk_scan_kernels.h"

#ifdef VX_HAVE_AVX512_KERNEL

#include <immintrin.h>

// GCC 12 takes the undefined pass-through operand inside its own AVX-512
// intrinsics for an uninitialised variable.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The tests also build this file with the vector operations emulated in
// plain code (tests/support/avx512_emulated.cpp), defining this empty, so
// that its logic is checked on processors without AVX-512.
#ifndef VX_AVX512_CODE
#define VX_AVX512_CODE \
  __attribute__((target( \
      "avx512f,avx512bw,avx512vbmi,avx512vbmi2,avx512vpopcntdq,gfni,popcnt,bmi")))
#endif

namespace {

constexpr size_t kChunkSize = 8 * kGbkBlockSize;
constexpr size_t kPrefetchDistance = 16 * kChunkSize;

// A byte's code, bits x y z. The same code means one thing in a single
// byte and another in a byte of a double-byte character, so that four
// masks (the top bits and x, y, z) hold all the count needs, each flag one
// or two of them read where it applies:
//   a single byte: 000 other, 100 English punctuation, 010 tab, VT or FF,
//     110 space, 111 CR, 101 LF, 001 the 0 byte;
//   a high byte: 000 other, 100 a Chinese-character lead (0xC0..0xF7), 101
//     one that is also a common trail after 0xA1 (0xB0..0xBF), 001 a common
//     trail only (0xA3, 0xA4, 0xAA..0xAF), 010 a mixed row's lead (0xA6,
//     0xA7), 011 one that is also a common trail (0xA2, 0xA8, 0xA9), 111
//     0xA1.
// Read at a single: counted as punctuation x, whitespace y | z, CR y & z,
// LF z & ~y; at a lead: Chinese character x & ~y, mixed row y, 0xA1 x & y;
// after 0xA1: common trail z.
constexpr unsigned kCodeX = 4, kCodeY = 2, kCodeZ = 1;

constexpr unsigned SingleByteCode(unsigned b) {
  if (b == 0) return kCodeZ;
  if (b == '\r') return kCodeX | kCodeY | kCodeZ;
  if (b == '\n') return kCodeX | kCodeZ;
  return (IsEnglishPunct(b) ? kCodeX : 0) | (IsSpaceByte(b) ? kCodeY : 0);
}

constexpr unsigned HighByteCode(unsigned b) {
  return (IsHanziLead(b) || b == 0xA1 ? kCodeX : 0) | (IsMixedRowLead(b) ? kCodeY : 0) |
         (IsCommonA1Trail(b) ? kCodeZ : 0);
}

// Each flag read from the codes as CountChunk and CountBlockAvx512 read it.
constexpr bool CodesReadRight() {
  for (unsigned b = 0; b < 0x80; ++b) {
    const unsigned c = SingleByteCode(b);
    const bool x = c & kCodeX, y = c & kCodeY, z = c & kCodeZ;
    const bool counted = IsEnglishPunct(b) || b == '\r' || b == '\n';
    if (x != counted || (y || z) != (IsSpaceByte(b) || b == 0) || (y && z) != (b == '\r') ||
        (z && !y) != (b == '\n' || b == 0) || (z && !x && !y) != (b == 0))
      return false;
  }
  for (unsigned b = 0x80; b < 0x100; ++b) {
    const unsigned c = HighByteCode(b);
    const bool x = c & kCodeX, y = c & kCodeY, z = c & kCodeZ;
    if ((x && !y) != IsHanziLead(b) || y != IsMixedRowLead(b) || (x && y) != (b == 0xA1) ||
        z != IsCommonA1Trail(b))
      return false;
  }
  return true;
}
static_assert(CodesReadRight(), "a byte's code reads as another class");

// By a byte's low 7 bits: in bits 6..4 the code of that single byte, in
// bits 2..0 the code of the high byte with those bits.
struct CodeTable {
  alignas(64) unsigned char byte[128];
};

constexpr CodeTable MakeCodeTable() {
  CodeTable t{};
  for (unsigned i = 0; i < 128; ++i)
    t.byte[i] = static_cast<unsigned char>(SingleByteCode(i) << 4 | HighByteCode(i | 0x80));
  return t;
}

constexpr CodeTable kCodeTable = MakeCodeTable();

// Each byte's code in bits 6..4, and its top bit in bit 7: a high byte
// takes its half of the table's entry from bits 2..0.
VX_AVX512_CODE VX_ALWAYS_INLINE __m512i ByteCodes(__m512i v) {
  const __m512i entry = _mm512_permutex2var_epi8(_mm512_load_si512(kCodeTable.byte), v,
                                                 _mm512_load_si512(kCodeTable.byte + 64));
  // Bits 2..0 to 6..4, and bit 7 set.
  const __m512i highHalf = _mm512_set1_epi64(0x0000000001020400);
  return _mm512_mask_gf2p8affine_epi64_epi8(entry, _mm512_movepi8_mask(v), entry, highHalf,
                                            0x80);
}

// After the first GF2P8AFFINEQB, byte p of qword q of block b holds bit
// 7 - p of the block's bytes 8q..8q+7. These permutes pair two blocks, for
// bits 7..4: qword p holds bit 7 - p of the first block, qword 4 + p that
// of the second.
struct PairIndex {
  alignas(64) unsigned char byte[64];
};

constexpr PairIndex MakePairIndex() {
  PairIndex t{};
  for (unsigned half = 0; half < 2; ++half)
    for (unsigned bit = 0; bit < 4; ++bit)
      for (unsigned q = 0; q < 8; ++q)
        t.byte[32 * half + 8 * bit + q] = static_cast<unsigned char>(64 * half + 8 * q + bit);
  return t;
}

constexpr PairIndex kPairIndex = MakePairIndex();

// One 64-bit mask per lane (block): the top bits, the code's bits, and
// 0xA1 (x & y & high), which the count reads a byte on too.
struct ChunkMasks {
  __m512i high, x, y, z, a1;
};

struct ChunkTally {
  __m512i leads, hanzi, puncts, crLfs;
  __m512i words, nonSpace;
  unsigned trailIn;  // 1: the next chunk starts with a trail byte
  __m512i crBefore;  // the last chunk's counted CRs (its last byte: lane 7,
                     // bit 63)
  __m512i runBefore;  // the last chunk's bytes in a word's run (likewise)
};

// The masks of the gathered blocks `g`.
VX_AVX512_CODE VX_ALWAYS_INLINE void Transpose(const __m512i g[8], ChunkMasks& m) {
  const __m512i index = _mm512_load_si512(kPairIndex.byte);
  __m512i pair[4];
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k)
    pair[k] = _mm512_permutex2var_epi8(g[2 * k], index, g[2 * k + 1]);
  // Bits 7 and 6, then 5 and 4, of four blocks each.
  const __m512i bits76 = _mm512_setr_epi64(0, 4, 8, 12, 1, 5, 9, 13);
  const __m512i bits54 = _mm512_setr_epi64(2, 6, 10, 14, 3, 7, 11, 15);
  const __m512i a76 = _mm512_permutex2var_epi64(pair[0], bits76, pair[1]);
  const __m512i a54 = _mm512_permutex2var_epi64(pair[0], bits54, pair[1]);
  const __m512i b76 = _mm512_permutex2var_epi64(pair[2], bits76, pair[3]);
  const __m512i b54 = _mm512_permutex2var_epi64(pair[2], bits54, pair[3]);
  // Reverses the bits of every byte.
  const __m512i reverse = _mm512_set1_epi64(0x8040201008040201);
  m.high = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a76, b76, 0x44), reverse, 0);
  m.x = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a76, b76, 0xEE), reverse, 0);
  m.y = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a54, b54, 0x44), reverse, 0);
  m.z = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a54, b54, 0xEE), reverse, 0);
}

// The masks of the chunk at `p`; false when it holds a 0 byte.
VX_AVX512_CODE VX_ALWAYS_INLINE bool ChunkMasksOf(const unsigned char* p, ChunkMasks& m) {
  // Byte p of each qword gathers bit 7 - p of the qword's bytes, the last
  // byte in bit 0.
  const __m512i gatherBits = _mm512_set1_epi64(int64_t(0x0102040810204080ull));
  __m512i g[8];
#pragma GCC unroll 8
  for (int b = 0; b < 8; ++b)
    g[b] = _mm512_gf2p8affine_epi64_epi8(
        gatherBits, ByteCodes(_mm512_loadu_si512(p + kGbkBlockSize * b)), 0);
  Transpose(g, m);
  const __m512i zero = _mm512_ternarylogic_epi64(m.z, m.x, m.high, 0x10);  // z & ~x & ~high
  if (_mm512_test_epi64_mask(zero, zero)) return false;
  m.a1 = _mm512_ternarylogic_epi64(m.x, m.y, m.high, 0x80);  // all three
  return true;
}

// Each lane's mask moved one byte towards the text's start: bit i holds
// what bit i + 1 held, bit 63 the next lane's bit 0 (lane 7: `next`'s).
VX_AVX512_CODE VX_ALWAYS_INLINE __m512i ByteAfter(__m512i m, __m512i next) {
  return _mm512_shrdi_epi64(m, _mm512_alignr_epi64(next, m, 1), 1);
}

// Each lane's mask moved one byte towards the text's end: bit i holds what
// bit i - 1 held, bit 0 the lane before's bit 63 (lane 0: `before`'s lane 7).
VX_AVX512_CODE VX_ALWAYS_INLINE __m512i ByteBefore(__m512i m, __m512i before) {
  return _mm512_shldi_epi64(m, _mm512_alignr_epi64(m, before, 7), 1);
}

// Counts the chunk of masks `m`, whose next chunk's masks are `next`; false,
// counting nothing, when a lead in it needs the table.
VX_AVX512_CODE VX_ALWAYS_INLINE bool CountChunk(const ChunkMasks& m, const ChunkMasks& next,
                                                ChunkTally& t) {
  const __m512i oddBits = _mm512_set1_epi64(int64_t(0xAAAAAAAAAAAAAAAAull));
  const __m512i one = _mm512_set1_epi64(1);
  const __m512i zero = _mm512_setzero_si512();
  const __m512i high = m.high;
  // Leads as if no trail came in (see CountBlock). Shifts by one are
  // additions: those run on more of the processor's vector units.
  const __m512i borrow = _mm512_sub_epi64(
      _mm512_or_si512(_mm512_add_epi64(high, high), oddBits), high);
  const __m512i lead0 = _mm512_ternarylogic_epi64(borrow, oddBits, high, 0x28);
  // A trail coming in flips the first run of high bytes.
  const __m512i highPlus1 = _mm512_add_epi64(high, one);
  const __m512i firstRun = _mm512_andnot_si512(highPlus1, high);

  // A lane hands a trail on when its last byte is a lead; a lane of high
  // bytes (its last byte is never a lead in lead0) only hands on what it
  // got. That ripples through the lanes like the carry of an addition; bit 8
  // goes on to the next chunk.
  const unsigned allHigh = _mm512_testn_epi64_mask(highPlus1, highPlus1);
  const unsigned endsInLead = _mm512_cmplt_epi64_mask(lead0, zero);
  const unsigned trailBits =
      (((endsInLead << 1) | t.trailIn) + allHigh) ^ allHigh;
  const __mmask8 trailIn = __mmask8(trailBits);
  const __m512i lead = _mm512_mask_xor_epi64(lead0, trailIn, lead0, firstRun);
  const __m512i leadNext = _mm512_add_epi64(lead, lead);
  const __m512i trail = _mm512_mask_or_epi64(leadNext, trailIn, leadNext, one);

  // A mixed row's lead is settled here when it is 0xA1 before a common trail
  // (0xA1 0xA1, the ideographic space, among them).
  const __m512i commonAfter = ByteAfter(m.z, next.z);
  // At a lead, mixed & ~(a1 & commonAfter): y & ~(x & commonAfter).
  const __m512i unsettled = _mm512_ternarylogic_epi64(m.y, m.x, commonAfter, 0x70);
  if (_mm512_test_epi64_mask(unsettled, lead)) return false;
  t.trailIn = trailBits >> 8;

  const __m512i single = _mm512_ternarylogic_epi64(high, trail, trail, 0x03);  // ~(high | trail)
  // Singles counted as punctuation: English punctuation, CR and LF.
  const __m512i counted = _mm512_and_si512(m.x, single);
  // An LF right after a counted CR is not counted again; a CR is never a
  // lead, so such an LF is a single.
  const __m512i cr = _mm512_ternarylogic_epi64(m.y, m.z, single, 0x80);  // all three
  const __m512i lf = _mm512_ternarylogic_epi64(m.z, m.y, high, 0x10);  // z & ~y & ~high
  const __m512i afterCr = ByteBefore(cr, t.crBefore);
  t.crBefore = cr;

  // Word runs: the singles that are no whitespace (no lead here joins
  // words: those need the table). Each character that is no whitespace is
  // one of the two figures; each lead and each run's start, one word. A lead
  // and a single are never the same byte, so each figure is one count.
  const __m512i inRun = _mm512_ternarylogic_epi64(single, m.y, m.z, 0x10);  // single & ~(y | z)
  const __m512i inRunBefore = ByteBefore(inRun, t.runBefore);
  t.runBefore = inRun;
  // The leads of all but the ideographic space: lead & ~(a1 & a1After).
  const __m512i charLead =
      _mm512_ternarylogic_epi64(lead, m.a1, ByteAfter(m.a1, next.a1), 0x70);
  // charLead | (inRun & ~inRunBefore)
  const __m512i words = _mm512_ternarylogic_epi64(charLead, inRun, inRunBefore, 0xF4);

  t.leads = _mm512_add_epi64(t.leads, _mm512_popcnt_epi64(lead));
  t.hanzi = _mm512_add_epi64(
      t.hanzi,
      _mm512_popcnt_epi64(_mm512_ternarylogic_epi64(lead, m.x, m.y, 0x40)));  // lead & x & ~y
  t.puncts = _mm512_add_epi64(t.puncts, _mm512_popcnt_epi64(counted));
  t.crLfs = _mm512_add_epi64(
      t.crLfs, _mm512_popcnt_epi64(_mm512_and_si512(lf, afterCr)));
  t.words = _mm512_add_epi64(t.words, _mm512_popcnt_epi64(words));
  t.nonSpace =
      _mm512_add_epi64(t.nonSpace, _mm512_popcnt_epi64(_mm512_or_si512(charLead, inRun)));
  return true;
}

// Counts the whole chunks up to the first one holding a 0 or needing the
// table, each with the next chunk's masks at hand, and returns how many
// bytes they hold. The next chunk's masks are made before this one is
// counted, which lets the two overlap.
VX_AVX512_CODE size_t ScanChunks(const unsigned char* data, size_t size, GbkScanState& s,
                                 GbkCounts& c) {
  // A trail coming in of a lead that joins words: for the block step.
  if (s.trailNext && s.afterWordPart) return 0;
  ChunkTally t;
  t.leads = t.hanzi = t.puncts = t.crLfs = _mm512_setzero_si512();
  t.words = t.nonSpace = _mm512_setzero_si512();
  t.trailIn = s.trailNext ? 1 : 0;
  t.crBefore = _mm512_set1_epi64(s.afterCr ? int64_t(1ull << 63) : 0);
  t.runBefore = _mm512_set1_epi64(s.afterWordPart ? int64_t(1ull << 63) : 0);
  const unsigned trailFirst = t.trailIn;
  size_t done = 0;
  ChunkMasks current, next;
  bool have = size >= kChunkSize && ChunkMasksOf(data, current);
  while (have) {
    // Text beyond the caches streams in faster when asked for well ahead.
    if (size - done >= kPrefetchDistance + kChunkSize)
      for (size_t line = 0; line < kChunkSize; line += kGbkBlockSize)
        _mm_prefetch(reinterpret_cast<const char*>(data + done +
                                                   kPrefetchDistance + line),
                     _MM_HINT_T0);
    if (size - done < 2 * kChunkSize || !ChunkMasksOf(data + done + kChunkSize, next)) break;
    if (!CountChunk(current, next, t)) break;
    done += kChunkSize;
    current = next;
  }
  if (done == 0) return 0;

  // Every lead has its trail, in these chunks or just after them.
  const uint64_t leads = uint64_t(_mm512_reduce_add_epi64(t.leads));
  const uint64_t hanzi = uint64_t(_mm512_reduce_add_epi64(t.hanzi));
  const uint64_t puncts = uint64_t(_mm512_reduce_add_epi64(t.puncts));
  const uint64_t crLfs = uint64_t(_mm512_reduce_add_epi64(t.crLfs));
  const uint64_t words = uint64_t(_mm512_reduce_add_epi64(t.words));
  const uint64_t nonSpace = uint64_t(_mm512_reduce_add_epi64(t.nonSpace));
  const uint64_t trailIn = trailFirst;
  const uint64_t trailOut = t.trailIn;
  const uint64_t singles = done - (leads + trailIn - trailOut) - leads;
  c.cnChars += hanzi;
  c.cnPunct += leads - hanzi;
  c.enPunct += puncts - crLfs;
  c.enChars += singles - puncts;
  c.words += words;
  c.charsNoSpace += nonSpace;
  s.trailNext = trailOut != 0;
  alignas(64) uint64_t last[8];
  _mm512_store_si512(last, t.crBefore);
  s.afterCr = last[7] >> 63;
  _mm512_store_si512(last, t.runBefore);
  s.afterWordPart = last[7] >> 63;
  return done;
}

// The exact block step, for the blocks the chunk loop leaves.
VX_AVX512_CODE VX_ALWAYS_INLINE void CountBlockAvx512(const unsigned char* block,
                                                      GbkScanState& s, GbkCounts& c) {
  const __m512i v = _mm512_loadu_si512(block);
  const __m512i codes = ByteCodes(v);
  const __mmask64 x = _mm512_test_epi8_mask(codes, _mm512_set1_epi8(kCodeX << 4));
  const __mmask64 y = _mm512_test_epi8_mask(codes, _mm512_set1_epi8(kCodeY << 4));
  const __mmask64 z = _mm512_test_epi8_mask(codes, _mm512_set1_epi8(kCodeZ << 4));
  BlockBits b;
  b.high = _mm512_movepi8_mask(v);
  b.zero = _mm512_testn_epi8_mask(v, v);
  b.cnLead = x & ~y;  // read at leads
  b.punctLine = x;    // read at singles
  b.cr = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r'));
  b.lf = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
  const __mmask64 white = (y | z) & ~b.high & ~b.zero;
  PairWordBits(white, y & b.high, x & y & b.high, z & b.high, block[kGbkBlockSize], b.space,
               b.rare);
  CountBlock(b, block, s, c, [](BlockMask m) -> unsigned {
    return unsigned(__builtin_popcountll(m));
  });
}

}  // namespace

bool CpuHasAvx512() {
  __builtin_cpu_init();
  // GCC reports AVX-512 features only when the system saves their registers.
  return __builtin_cpu_supports("avx512f") &&
         __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("avx512vbmi2") &&
         __builtin_cpu_supports("avx512vpopcntdq") &&
         __builtin_cpu_supports("gfni") && __builtin_cpu_supports("popcnt") &&
         __builtin_cpu_supports("bmi");
}

VX_AVX512_CODE size_t ScanGbkBlocksAvx512(const unsigned char* data, size_t size,
                                          GbkScanState& state, GbkCounts& counts) {
  GbkScanState s = state;
  GbkCounts c = counts;
  size_t done = 0;
  while (!s.ended) {
    done += ScanChunks(data + done, size - done, s, c);
    // A chunk the chunk loop left: block by block, then back to chunks.
    const size_t chunkEnd = done + kChunkSize;
    for (; done + kGbkBlockSize < size && done < chunkEnd && !s.ended; done += kGbkBlockSize)
      CountBlockAvx512(data + done, s, c);
    if (done + kGbkBlockSize >= size) break;
  }
  state = s;
  counts = c;
  return done;
}

#endif  // VX_HAVE_AVX512_KERNEL
