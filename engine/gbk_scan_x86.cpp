// Vector kernels for x86: SSE2 is the baseline of every build; AVX2, and in
// 64-bit builds AVX-512, are taken at run time when the processor and the
// system offer them.
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

// x <= k for every unsigned byte, as 0xFF / 0x00 lanes.
__attribute__((target("sse2"))) VX_ALWAYS_INLINE __m128i
LessEqualU8(__m128i x, char k) {
  return _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(k)), x);
}

struct Sse2Bits {
  unsigned high, zero, cnLead, punctCr, cr, lf;
};

__attribute__((target("sse2"))) VX_ALWAYS_INLINE Sse2Bits
ClassifySse2(__m128i v) {
  const __m128i printable = LessEqualU8(_mm_sub_epi8(v, _mm_set1_epi8(0x20)), 0x5E);
  const __m128i digit = LessEqualU8(_mm_sub_epi8(v, _mm_set1_epi8(0x30)), 9);
  const __m128i letter = LessEqualU8(
      _mm_sub_epi8(_mm_or_si128(v, _mm_set1_epi8(0x20)), _mm_set1_epi8(0x61)), 25);
  const __m128i cr = _mm_cmpeq_epi8(v, _mm_set1_epi8(0x0D));
  const __m128i punct = _mm_andnot_si128(_mm_or_si128(digit, letter), printable);
  // 0xB0..0xF7 are -80..-9 as signed bytes.
  const __m128i cnLead = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(-81)),
                                       _mm_cmpgt_epi8(_mm_set1_epi8(-8), v));
  Sse2Bits bits;
  bits.high = unsigned(_mm_movemask_epi8(v));
  bits.zero = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
  bits.cnLead = unsigned(_mm_movemask_epi8(cnLead));
  bits.punctCr = unsigned(_mm_movemask_epi8(_mm_or_si128(punct, cr)));
  bits.cr = unsigned(_mm_movemask_epi8(cr));
  bits.lf = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x0A))));
  return bits;
}

// English punctuation or CR by nibble lookup: the high nibble picks a set of
// low nibbles (one bit per set), the low nibble says which sets hold it.
__attribute__((target("avx2"))) VX_ALWAYS_INLINE __m256i
PunctOrCrAvx2(__m256i v) {
  const __m256i byHigh = _mm256_setr_epi8(
      0x20, 0, 0x01, 0x02, 0x04, 0x08, 0x04, 0x10, 0, 0, 0, 0, 0, 0, 0, 0,
      0x20, 0, 0x01, 0x02, 0x04, 0x08, 0x04, 0x10, 0, 0, 0, 0, 0, 0, 0, 0);
  const __m256i byLow = _mm256_setr_epi8(
      0x05, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x03, 0x1B, 0x1B, 0x3B, 0x1B, 0x0B,
      0x05, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0x03, 0x1B, 0x1B, 0x3B, 0x1B, 0x0B);
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i hi = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
  const __m256i lo = _mm256_and_si256(v, nibble);
  const __m256i sets = _mm256_and_si256(_mm256_shuffle_epi8(byHigh, hi),
                                        _mm256_shuffle_epi8(byLow, lo));
  return _mm256_cmpeq_epi8(sets, _mm256_setzero_si256());  // inverted
}

struct Avx2Bits {
  uint32_t high, zero, cnLead, notPunctCr, cr, lf;
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
  bits.notPunctCr = uint32_t(_mm256_movemask_epi8(PunctOrCrAvx2(v)));
  bits.cr = uint32_t(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x0D))));
  bits.lf = uint32_t(_mm256_movemask_epi8(
      _mm256_cmpeq_epi8(v, _mm256_set1_epi8(0x0A))));
  return bits;
}

}  // namespace

bool CpuHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

__attribute__((target("sse2"))) size_t ScanGbkBlocksSse2(
    const unsigned char* data, size_t size, GbkScanState& state,
    GbkCounts& counts) {
  GbkScanState s = state;
  GbkCounts c = counts;
  size_t done = 0;
  for (; done + kGbkBlockSize <= size && !s.ended; done += kGbkBlockSize) {
    BlockBits b{};
    for (unsigned k = 0; k < kGbkBlockSize / 16; ++k) {
      const __m128i v = _mm_loadu_si128(
          reinterpret_cast<const __m128i*>(data + done + 16 * k));
      const Sse2Bits part = ClassifySse2(v);
      const unsigned shift = 16 * k;
      b.high |= BlockMask(part.high) << shift;
      b.zero |= BlockMask(part.zero) << shift;
      b.cnLead |= BlockMask(part.cnLead) << shift;
      b.punctCr |= BlockMask(part.punctCr) << shift;
      b.cr |= BlockMask(part.cr) << shift;
      b.lf |= BlockMask(part.lf) << shift;
    }
    CountBlock(b, s, c, PopcountPortable);
  }
  state = s;
  counts = c;
  return done;
}

namespace {

// The exact block step, for blocks the fast loop does not take: the first
// one of a call (it has no byte before it to load) and the one holding a 0.
__attribute__((target("avx2,popcnt"))) VX_ALWAYS_INLINE void CountBlockAvx2(
    const unsigned char* block, GbkScanState& s, GbkCounts& c) {
  BlockBits b{};
  for (unsigned k = 0; k < kGbkBlockSize / 32; ++k) {
    const __m256i v =
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32 * k));
    const Avx2Bits part = ClassifyAvx2(v);
    const unsigned shift = 32 * k;
    b.high |= BlockMask(part.high) << shift;
    b.zero |= BlockMask(part.zero) << shift;
    b.cnLead |= BlockMask(part.cnLead) << shift;
    b.punctCr |= BlockMask(~part.notPunctCr) << shift;
    b.cr |= BlockMask(part.cr) << shift;
    b.lf |= BlockMask(part.lf) << shift;
  }
  CountBlock(b, s, c, [](BlockMask m) -> unsigned {
    if constexpr (sizeof(BlockMask) == 8)
      return unsigned(__builtin_popcountll(m));
    else
      return unsigned(__builtin_popcount(m));
  });
}

__attribute__((target("popcnt"))) VX_ALWAYS_INLINE unsigned Popcnt(
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
ClassCountedAvx2(__m256i v) {
  // start - 0x80 per high nibble, and -127 + (end - start); -128: empty row.
  const __m256i start = _mm256_setr_epi8(
      -115, 0, -96, -70, -64, -37, -32, -5, 0, 0, 0, 48, 64, 80, 96, 112,
      -115, 0, -96, -70, -64, -37, -32, -5, 0, 0, 0, 48, 64, 80, 96, 112);
  const __m256i limit = _mm256_setr_epi8(
      -127, -128, -112, -122, -127, -123, -127, -124, -128, -128, -128, -112,
      -112, -112, -112, -120,
      -127, -128, -112, -122, -127, -123, -127, -124, -128, -128, -128, -112,
      -112, -112, -112, -120);
  const __m256i hi =
      _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
  const __m256i rel = _mm256_sub_epi8(v, _mm256_shuffle_epi8(start, hi));
  return _mm256_cmpgt_epi8(_mm256_shuffle_epi8(limit, hi), rel);
}

}  // namespace

// The fast loop needs per byte only three bits, taken from whole-vector
// compares: high, "counted as its own class" (hanzi lead or English
// punctuation) and "LF right after a CR byte" (from a load one byte back).
// Which bytes are trails follows from the high bits; the classes then
// follow from the byte's own bit, since a non-trail high byte is a lead and
// a non-trail low byte a single. The carry of a lead into the next block
// depends on the incoming carry only when the whole block is high bytes,
// which keeps the chain between blocks two instructions long.
__attribute__((target("avx2,popcnt"))) size_t ScanGbkBlocksAvx2(
    const unsigned char* data, size_t size, GbkScanState& state,
    GbkCounts& counts) {
  constexpr unsigned kTopBit = kGbkBlockSize - 1;
  constexpr unsigned kVectors = kGbkBlockSize / 32;
  constexpr BlockMask kOddBits = BlockMask(0xAAAAAAAAAAAAAAAAull);
  if (size < kGbkBlockSize) return 0;

  GbkScanState s = state;
  GbkCounts c = counts;
  CountBlockAvx2(data, s, c);
  size_t done = kGbkBlockSize;
  if (s.ended) {
    state = s;
    counts = c;
    return done;
  }

  BlockMask trailNext = s.trailNext ? 1 : 0;
  const BlockMask trailIn = trailNext;
  BlockMask prevNonTrail = s.afterCr ? 1 : 0;  // with a CR there: counted
  uint64_t leads = 0, hanzi = 0, puncts = 0, crLfs = 0;
  const size_t fastFrom = done;
  bool zero = false;
  for (; done + kGbkBlockSize <= size; done += kGbkBlockSize) {
    const unsigned char* p = data + done;
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

    BlockMask high = 0, counted = 0, crLf = 0;
    for (unsigned k = 0; k < kVectors; ++k) {
      const __m256i before =
          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k - 1));
      const __m256i pair =
          _mm256_and_si256(_mm256_cmpeq_epi8(v[k], _mm256_set1_epi8('\n')),
                           _mm256_cmpeq_epi8(before, _mm256_set1_epi8('\r')));
      const unsigned shift = 32 * k;
      high |= BlockMask(uint32_t(_mm256_movemask_epi8(v[k]))) << shift;
      counted |= BlockMask(uint32_t(_mm256_movemask_epi8(
                     ClassCountedAvx2(v[k])))) << shift;
      crLf |= BlockMask(uint32_t(_mm256_movemask_epi8(pair))) << shift;
    }

    // Leads and trails as if no trail came in, then flipped over the first
    // run of high bytes and the byte after it when one did.
    const BlockMask code0 = (((high << 1) | kOddBits) - high) ^ kOddBits;
    const BlockMask firstRun = high ^ (high + 1);
    const BlockMask trail =
        code0 ^ high ^ (firstRun & (BlockMask(0) - trailNext));
    const BlockMask lead = high & ~trail;
    const BlockMask single = ~(high | trail);
    trailNext = ((code0 & high) >> kTopBit) |
                (trailNext & BlockMask(high == BlockMask(~BlockMask(0))));
    leads += Popcnt(lead);
    hanzi += Popcnt(counted & lead);
    puncts += Popcnt(counted & single);
    crLfs += Popcnt(crLf & ((~trail << 1) | prevNonTrail));
    prevNonTrail = ~trail >> kTopBit;
  }

  // Every lead has its trail, in this stretch or just after it.
  const uint64_t trails = leads + trailIn - trailNext;
  const uint64_t singles = (done - fastFrom) - trails - leads;
  c.cnChars += hanzi;
  c.cnPunct += leads - hanzi;
  c.enPunct += puncts;
  c.enChars += singles - puncts - crLfs;
  s.trailNext = trailNext != 0;
  s.afterCr = prevNonTrail && data[done - 1] == '\r';
  if (zero) {
    CountBlockAvx2(data + done, s, c);  // ends the text
    done += kGbkBlockSize;
  }
  state = s;
  counts = c;
  return done;
}

#ifdef VX_HAVE_AVX512_KERNEL

#define VX_AVX512_TARGET "avx512f,avx512bw,avx512vbmi,popcnt,bmi"

namespace {

// Per byte value below 0x80: bit 7 says English punctuation or CR, bit 6 says
// the value with its top bit set (0xB0..0xF7) leads a Chinese character. One
// 128-entry lookup on a byte's low 7 bits then serves high and low bytes.
struct ClassTable {
  alignas(64) unsigned char byte[128];
};

constexpr ClassTable MakeClassTable() {
  ClassTable t{};
  for (unsigned i = 0; i < 128; ++i) {
    const bool punctCr = (i >= 0x20 && i <= 0x2F) || (i >= 0x3A && i <= 0x40) ||
                         (i >= 0x5B && i <= 0x60) || (i >= 0x7B && i <= 0x7E) ||
                         i == 0x0D;
    const bool hanziLead = (i | 0x80) >= 0xB0 && (i | 0x80) <= 0xF7;
    t.byte[i] = static_cast<unsigned char>((punctCr ? 0x80 : 0) |
                                           (hanziLead ? 0x40 : 0));
  }
  return t;
}

constexpr ClassTable kClassTable = MakeClassTable();

struct Avx512Tables {
  __m512i low, high;  // kClassTable in two halves, for vpermi2b
};

__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE __m512i
ClassOf(__m512i v, const Avx512Tables& t) {
  return _mm512_permutex2var_epi8(t.low, v, t.high);
}

// The exact block step, for a lone last block and the blocks up to the
// first 0.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE void
CountBlockAvx512(const unsigned char* block, const Avx512Tables& t,
                 GbkScanState& s, GbkCounts& c) {
  const __m512i v = _mm512_loadu_si512(block);
  const __m512i cls = ClassOf(v, t);
  BlockBits b;
  b.high = _mm512_movepi8_mask(v);
  b.zero = _mm512_testn_epi8_mask(v, v);
  b.cnLead = _mm512_test_epi8_mask(cls, _mm512_set1_epi8(0x40));
  b.punctCr = _mm512_movepi8_mask(cls);
  b.cr = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r'));
  b.lf = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
  CountBlock(b, s, c, [](BlockMask m) -> unsigned {
    return unsigned(__builtin_popcountll(m));
  });
}

struct Avx512Tally {
  uint64_t leads = 0, hanzi = 0;
  uint64_t marked = 0;      // non-trail bytes counted by class, plus LFs
                            // after a CR
  uint64_t crTrailLfs = 0;  // LFs after a CR that is a trail
  uint64_t trailNext = 0;   // all ones: the next block starts with a trail
  uint64_t prevTrail = 0;   // 1: the byte before the block is a trail
};

// One block of the fast loop; `before` holds the bytes one position back.
// Leads and trails come as in the AVX2 loop. An LF right after a CR byte is
// always a single (a CR is never a lead), so these LFs are marked with the
// punctuation, counted apart in `crLfBytes` (one lane per byte), and
// subtracted again; the one exception, a CR that is a trail, is rare.
__attribute__((target(VX_AVX512_TARGET))) VX_ALWAYS_INLINE void
FastBlockAvx512(__m512i v, __m512i before, const Avx512Tables& t,
                Avx512Tally& k, __m512i& crLfBytes) {
  constexpr uint64_t kOddBits = 0xAAAAAAAAAAAAAAAAull;
  const __m512i cls = ClassOf(v, t);
  // A byte's own class bit: bit 6 of its entry when it is high, else bit 7.
  const __m512i own =
      _mm512_ternarylogic_epi32(v, cls, _mm512_slli_epi16(cls, 1), 0xAC);
  const __mmask64 crLfK = _mm512_mask_cmpeq_epi8_mask(
      _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n')), before,
      _mm512_set1_epi8('\r'));
  crLfBytes = _mm512_mask_sub_epi8(crLfBytes, crLfK, crLfBytes,
                                   _mm512_set1_epi8(-1));
  const uint64_t high = _mm512_movepi8_mask(v);
  const uint64_t marked = _kor_mask64(_mm512_movepi8_mask(own), crLfK);

  const uint64_t code0 = (((high << 1) | kOddBits) - high) ^ kOddBits;
  const uint64_t firstRun = high ^ (high + 1);
  const uint64_t trail = code0 ^ high ^ (firstRun & k.trailNext);
  const uint64_t lead = high & ~trail;
  k.trailNext = uint64_t(int64_t(lead) >> 63);
  k.leads += uint64_t(__builtin_popcountll(lead));
  k.hanzi += uint64_t(__builtin_popcountll(marked & lead));
  k.marked += uint64_t(__builtin_popcountll(marked & ~trail));
  const uint64_t crTrail = _cvtmask64_u64(crLfK) & ((trail << 1) | k.prevTrail);
  if (crTrail) k.crTrailLfs += uint64_t(__builtin_popcountll(crTrail));
  k.prevTrail = trail >> 63;
}

}  // namespace

bool CpuHasAvx512() {
  __builtin_cpu_init();
  // GCC reports AVX-512 features only when the system saves their registers.
  return __builtin_cpu_supports("avx512f") &&
         __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
}

// Two blocks per iteration with one zero test for both. The byte before a
// block comes from an unaligned load, except for the first block of the
// call, which takes it from the state so nothing before `data` is read.
__attribute__((target(VX_AVX512_TARGET))) size_t ScanGbkBlocksAvx512(
    const unsigned char* data, size_t size, GbkScanState& state,
    GbkCounts& counts) {
  // Iterations between folds of the byte-wide CR LF counters, which each
  // iteration raises by at most 2.
  constexpr size_t kFoldEvery = 127;
  if (size < kGbkBlockSize) return 0;
  const Avx512Tables tables{_mm512_load_si512(kClassTable.byte),
                            _mm512_load_si512(kClassTable.byte + 64)};
  GbkScanState s = state;
  GbkCounts c = counts;
  size_t done = 0;

  const __m512i first = _mm512_loadu_si512(data);
  if (!_mm512_testn_epi8_mask(first, first)) {
    Avx512Tally k;
    k.trailNext = s.trailNext ? ~uint64_t(0) : 0;
    // A CR before the call is there (and counted) only when afterCr is set.
    k.prevTrail = 0;
    // Byte 63 of the first operand, then bytes 0..62 of the second.
    const __m512i back = _mm512_add_epi8(
        _mm512_set1_epi8(63),
        _mm512_set_epi8(63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51,
                        50, 49, 48, 47, 46, 45, 44, 43, 42, 41, 40, 39, 38, 37,
                        36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23,
                        22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9,
                        8, 7, 6, 5, 4, 3, 2, 1, 0));
    const __m512i carried = _mm512_set1_epi8(s.afterCr ? '\r' : 0);
    __m512i crLfBytes = _mm512_setzero_si512();
    FastBlockAvx512(first, _mm512_permutex2var_epi8(carried, back, first),
                    tables, k, crLfBytes);
    __m512i crLfs = _mm512_sad_epu8(crLfBytes, _mm512_setzero_si512());

    const unsigned char* p = data + kGbkBlockSize;
    const unsigned char* const end = data + size;
    bool zero = false;
    while (!zero && end - p >= ptrdiff_t(2 * kGbkBlockSize)) {
      const size_t pairs = std::min<size_t>(
          kFoldEvery, size_t(end - p) / (2 * kGbkBlockSize));
      const unsigned char* const stop = p + pairs * 2 * kGbkBlockSize;
      crLfBytes = _mm512_setzero_si512();
      for (; p != stop; p += 2 * kGbkBlockSize) {
        const __m512i v0 = _mm512_loadu_si512(p);
        const __m512i v1 = _mm512_loadu_si512(p + kGbkBlockSize);
        const __m512i least = _mm512_min_epu8(v0, v1);
        if (_mm512_testn_epi8_mask(least, least)) {
          zero = true;
          break;
        }
        FastBlockAvx512(v0, _mm512_loadu_si512(p - 1), tables, k, crLfBytes);
        FastBlockAvx512(v1, _mm512_loadu_si512(p + kGbkBlockSize - 1),
                        tables, k, crLfBytes);
      }
      crLfs = _mm512_add_epi64(
          crLfs, _mm512_sad_epu8(crLfBytes, _mm512_setzero_si512()));
    }
    done = size_t(p - data);

    // Every lead has its trail, in this stretch or just after it.
    const uint64_t trailIn = s.trailNext ? 1 : 0;
    const uint64_t trailOut = k.trailNext & 1;
    const uint64_t trails = k.leads + trailIn - trailOut;
    const uint64_t singles = done - trails - k.leads;
    alignas(64) uint64_t crLfLanes[8];
    _mm512_store_si512(crLfLanes, crLfs);
    uint64_t crLfCount = 0;
    for (uint64_t lane : crLfLanes) crLfCount += lane;
    c.cnChars += k.hanzi;
    c.cnPunct += k.leads - k.hanzi;
    const uint64_t marked = k.marked - k.hanzi;  // the singles among them
    c.enPunct += marked - crLfCount;
    // Of the LFs after a CR, those after a counted CR are not counted.
    c.enChars += singles - marked + k.crTrailLfs;
    s.trailNext = trailOut != 0;
    s.afterCr = !k.prevTrail && data[done - 1] == '\r';
  }

  // A lone last block, or the blocks up to the one holding the first 0.
  for (; done + kGbkBlockSize <= size && !s.ended; done += kGbkBlockSize)
    CountBlockAvx512(data + done, tables, s, c);
  state = s;
  counts = c;
  return done;
}

#endif  // VX_HAVE_AVX512_KERNEL

#endif  // VX_HAVE_X86_KERNELS
