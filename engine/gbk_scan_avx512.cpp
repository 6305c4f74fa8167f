// The AVX-512 kernel of 64-bit builds. It takes the text in chunks of eight
// 64-byte blocks and works on the chunk's bit masks in vector lanes, one
// block per 64-bit lane, so the lead/trail arithmetic of CountBlock runs for
// eight blocks at once:
//   1. each byte is classified by a table lookup into eight flags: high,
//      Chinese-character lead, English punctuation (or CR), CR or LF,
//      whitespace, mixed row's lead, 0xA1, common trail after 0xA1;
//   2. the flags become bit masks: GF2P8AFFINEQB with the block as matrix
//      gathers one flag of eight bytes into one byte, three permutes move
//      those bytes into place (lane = block), and a second GF2P8AFFINEQB
//      puts each byte's bits back in text order;
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

#define VX_AVX512_TARGET \
  "avx512f,avx512bw,avx512vbmi,avx512vbmi2,avx512vpopcntdq,gfni,popcnt,bmi"

namespace {

constexpr size_t kChunkSize = 8 * kGbkBlockSize;
constexpr size_t kPrefetchDistance = 16 * kChunkSize;

// The flags of a byte by its low 7 bits, in bits 6..4; bit 7 stays free for
// the byte's own top bit. A high byte reads the Chinese-lead flag, a low
// byte the other two; what a byte reads from the other half is masked off.
constexpr unsigned char kHanziLeadFlag = 0x40;  // value | 0x80 is 0xB0..0xF7
constexpr unsigned char kPunctCrFlag = 0x20;    // English punctuation or CR
constexpr unsigned char kLineFlag = 0x10;       // CR or LF
constexpr unsigned char kSpaceFlag = 0x08;      // whitespace
constexpr unsigned char kMixedFlag = 0x04;      // value | 0x80 is a mixed row's lead
constexpr unsigned char kA1Flag = 0x02;         // value | 0x80 is 0xA1
constexpr unsigned char kCommonFlag = 0x01;     // value | 0x80 is a common trail after 0xA1

struct ClassTable {
  alignas(64) unsigned char byte[128];
};

constexpr ClassTable MakeClassTable() {
  ClassTable t{};
  for (unsigned i = 0; i < 128; ++i) {
    const bool punctCr = IsEnglishPunct(i) || i == '\r';
    const bool hanziLead = IsHanziLead(i | 0x80);
    const bool line = i == '\r' || i == '\n';
    t.byte[i] = static_cast<unsigned char>(
        (hanziLead ? kHanziLeadFlag : 0) | (punctCr ? kPunctCrFlag : 0) |
        (line ? kLineFlag : 0) | (IsSpaceByte(i) ? kSpaceFlag : 0) |
        (IsMixedRowLead(i | 0x80) ? kMixedFlag : 0) | ((i | 0x80) == 0xA1 ? kA1Flag : 0) |
        (IsCommonA1Trail(i | 0x80) ? kCommonFlag : 0));
  }
  return t;
}

constexpr ClassTable kClassTable = MakeClassTable();

// After the first GF2P8AFFINEQB, byte p of qword q of block b holds flag p of
// the block's bytes 8q..8q+7. These permutes pair two blocks, for flags
// 0..3 and 4..7: qword p holds flag `first` + p of the first block, qword
// 4 + p that of the second.
struct PairIndex {
  alignas(64) unsigned char byte[64];
};

constexpr PairIndex MakePairIndex(unsigned first) {
  PairIndex t{};
  for (unsigned half = 0; half < 2; ++half)
    for (unsigned flag = 0; flag < 4; ++flag)
      for (unsigned q = 0; q < 8; ++q)
        t.byte[32 * half + 8 * flag + q] =
            static_cast<unsigned char>(64 * half + 8 * q + first + flag);
  return t;
}

constexpr PairIndex kPairIndexLow = MakePairIndex(0);
constexpr PairIndex kPairIndexHigh = MakePairIndex(4);

// One 64-bit mask per lane (block) and flag.
struct ChunkMasks {
  __m512i high, hanziLead, punctCr, line;
  __m512i space, mixed, a1, common;
};

struct ChunkTally {
  __m512i leads, hanzi, puncts, crLfs;
  __m512i words, nonSpace;
  unsigned trailIn;  // 1: the next chunk starts with a trail byte
  __m512i crBefore;  // the last chunk's counted CRs (its last byte: lane 7,
                     // bit 63)
  __m512i runBefore;  // the last chunk's bytes in a word's run (likewise)
};

// Four flags (those `pairIndex` picks) of the eight gathered blocks `g`, as
// one 64-bit mask per lane and flag.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE void TransposeFour(
    const __m512i g[8], const PairIndex& pairIndex, __m512i& f0, __m512i& f1,
    __m512i& f2, __m512i& f3) {
  const __m512i index = _mm512_load_si512(pairIndex.byte);
  __m512i pair[4];
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k)
    pair[k] = _mm512_permutex2var_epi8(g[2 * k], index, g[2 * k + 1]);
  // Flags 0 and 1, then 2 and 3, of four blocks each.
  const __m512i flags01 = _mm512_setr_epi64(0, 4, 8, 12, 1, 5, 9, 13);
  const __m512i flags23 = _mm512_setr_epi64(2, 6, 10, 14, 3, 7, 11, 15);
  const __m512i a01 = _mm512_permutex2var_epi64(pair[0], flags01, pair[1]);
  const __m512i a23 = _mm512_permutex2var_epi64(pair[0], flags23, pair[1]);
  const __m512i b01 = _mm512_permutex2var_epi64(pair[2], flags01, pair[3]);
  const __m512i b23 = _mm512_permutex2var_epi64(pair[2], flags23, pair[3]);
  // Reverses the bits of every byte.
  const __m512i reverse = _mm512_set1_epi64(0x8040201008040201);
  f0 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a01, b01, 0x44), reverse, 0);
  f1 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a01, b01, 0xEE), reverse, 0);
  f2 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a23, b23, 0x44), reverse, 0);
  f3 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_i64x2(a23, b23, 0xEE), reverse, 0);
}

// The masks of the chunk at `p`; false when it holds a 0 byte.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE bool
ChunkMasksOf(const unsigned char* p, ChunkMasks& m) {
  __m512i v[8];
#pragma GCC unroll 8
  for (int b = 0; b < 8; ++b) v[b] = _mm512_loadu_si512(p + kGbkBlockSize * b);
  const __m512i least0 =
      _mm512_min_epu8(_mm512_min_epu8(v[0], v[1]), _mm512_min_epu8(v[2], v[3]));
  const __m512i least1 =
      _mm512_min_epu8(_mm512_min_epu8(v[4], v[5]), _mm512_min_epu8(v[6], v[7]));
  const __m512i least = _mm512_min_epu8(least0, least1);
  if (_mm512_testn_epi8_mask(least, least)) return false;

  const __m512i tableLow = _mm512_load_si512(kClassTable.byte);
  const __m512i tableHigh = _mm512_load_si512(kClassTable.byte + 64);
  // Byte p of each qword gathers bit 7 - p (flag p: high, Chinese lead,
  // punctuation, line) of the qword's bytes, the last byte in bit 0.
  const __m512i gatherFlags = _mm512_set1_epi64(int64_t(0x0102040810204080ull));
  __m512i g[8];
#pragma GCC unroll 8
  for (int b = 0; b < 8; ++b) {
    const __m512i flags = _mm512_permutex2var_epi8(tableLow, v[b], tableHigh);
    const __m512i withHigh = _mm512_ternarylogic_epi32(
        v[b], flags, _mm512_set1_epi8(char(0x80)), 0xEC);  // (v & 0x80) | flags
    g[b] = _mm512_gf2p8affine_epi64_epi8(gatherFlags, withHigh, 0);
  }
  TransposeFour(g, kPairIndexLow, m.high, m.hanziLead, m.punctCr, m.line);
  TransposeFour(g, kPairIndexHigh, m.space, m.mixed, m.a1, m.common);
  // The table's flag reads a low byte as the high one of its low 7 bits: a
  // trail 0x21 after 0xA1 is no ideographic space.
  m.a1 = _mm512_and_si512(m.a1, m.high);
  return true;
}

// Each lane's mask moved one byte towards the text's start: bit i holds
// what bit i + 1 held, bit 63 the next lane's bit 0 (lane 7: `next`'s).
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE __m512i
ByteAfter(__m512i m, __m512i next) {
  return _mm512_shrdi_epi64(m, _mm512_alignr_epi64(next, m, 1), 1);
}

// Each lane's mask moved one byte towards the text's end: bit i holds what
// bit i - 1 held, bit 0 the lane before's bit 63 (lane 0: `before`'s lane 7).
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE __m512i
ByteBefore(__m512i m, __m512i before) {
  return _mm512_shldi_epi64(m, _mm512_alignr_epi64(m, before, 7), 1);
}

// Counts the chunk of masks `m`, whose next chunk's masks are `next`; false,
// counting nothing, when a lead in it needs the table.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE bool CountChunk(
    const ChunkMasks& m, const ChunkMasks& next, ChunkTally& t) {
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
  const __m512i commonAfter = ByteAfter(m.common, next.common);
  // mixed & ~(a1 & commonAfter), at a lead.
  const __m512i unsettled = _mm512_ternarylogic_epi64(m.mixed, m.a1, commonAfter, 0x70);
  if (_mm512_test_epi64_mask(unsettled, lead)) return false;
  t.trailIn = trailBits >> 8;

  const __m512i single = _mm512_ternarylogic_epi64(high, trail, trail, 0x03);  // ~(high | trail)
  // Singles counted as punctuation: English punctuation, CR and LF (a high
  // byte reads the line flag of its low 7 bits: masked off).
  const __m512i counted =
      _mm512_ternarylogic_epi64(m.punctCr, m.line, single, 0xA8);  // (punctCr | line) & single
  // An LF right after a counted CR is not counted again; a CR is never a
  // lead, so such an LF is a single.
  const __m512i cr = _mm512_ternarylogic_epi64(m.line, m.punctCr, single, 0x80);  // all three
  const __m512i lf = _mm512_ternarylogic_epi64(m.line, m.punctCr, high, 0x10);
  const __m512i afterCr = ByteBefore(cr, t.crBefore);
  t.crBefore = cr;

  // Word runs: the singles that are no whitespace (no lead here joins
  // words: those need the table). Each character that is no whitespace is
  // one of the two figures; each lead and each run's start, one word. A lead
  // and a single are never the same byte, so each figure is one count.
  const __m512i inRun = _mm512_andnot_si512(m.space, single);
  const __m512i inRunBefore = ByteBefore(inRun, t.runBefore);
  t.runBefore = inRun;
  // The leads of all but the ideographic space: lead & ~(a1 & a1After).
  const __m512i charLead =
      _mm512_ternarylogic_epi64(lead, m.a1, ByteAfter(m.a1, next.a1), 0x70);
  // charLead | (inRun & ~inRunBefore)
  const __m512i words = _mm512_ternarylogic_epi64(charLead, inRun, inRunBefore, 0xF4);

  t.leads = _mm512_add_epi64(t.leads, _mm512_popcnt_epi64(lead));
  t.hanzi = _mm512_add_epi64(
      t.hanzi, _mm512_popcnt_epi64(_mm512_and_si512(lead, m.hanziLead)));
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
__attribute__((target(VX_AVX512_TARGET))) size_t ScanChunks(
    const unsigned char* data, size_t size, GbkScanState& s, GbkCounts& c) {
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

// x in [lo, lo + width] for every unsigned byte.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE __mmask64
InRangeAvx512(__m512i x, char lo, char width) {
  return _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, _mm512_set1_epi8(lo)),
                                _mm512_set1_epi8(width));
}

// The word bits of BlockBits, from the bytes and the bytes after them.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE void
WordBitsAvx512(__m512i v, __m512i next, BlockMask& space, BlockMask& rare) {
  const __mmask64 a1 = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(char(0xA1)));
  const __mmask64 white =
      _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(' ')) | InRangeAvx512(v, 0x09, 4);
  const __mmask64 ideographic =
      a1 & _mm512_cmpeq_epi8_mask(next, _mm512_set1_epi8(char(0xA1)));
  const __mmask64 mixed = InRangeAvx512(v, char(0xA1), 1) | InRangeAvx512(v, char(0xA6), 3);
  const __mmask64 common =
      InRangeAvx512(next, char(0xA1), 3) | InRangeAvx512(next, char(0xA8), 0x17);
  space = white | ideographic;
  rare = mixed & ~(a1 & common);
}

// The exact block step, for the blocks the chunk loop leaves.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE void
CountBlockAvx512(const unsigned char* block, GbkScanState& s, GbkCounts& c) {
  const __m512i v = _mm512_loadu_si512(block);
  const __m512i flags = _mm512_permutex2var_epi8(
      _mm512_load_si512(kClassTable.byte), v,
      _mm512_load_si512(kClassTable.byte + 64));
  BlockBits b;
  b.high = _mm512_movepi8_mask(v);
  b.zero = _mm512_testn_epi8_mask(v, v);
  b.cnLead = _mm512_test_epi8_mask(flags, _mm512_set1_epi8(kHanziLeadFlag));
  b.punctLine = _mm512_test_epi8_mask(flags, _mm512_set1_epi8(kPunctCrFlag | kLineFlag));
  b.cr = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r'));
  b.lf = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
  WordBitsAvx512(v, _mm512_loadu_si512(block + 1), b.space, b.rare);
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

__attribute__((target(VX_AVX512_TARGET))) size_t ScanGbkBlocksAvx512(
    const unsigned char* data, size_t size, GbkScanState& state,
    GbkCounts& counts) {
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
