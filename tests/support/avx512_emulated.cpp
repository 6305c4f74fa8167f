// Compiles engine/gbk_scan_avx512.cpp for any x86-64 processor: SIMDe gives
// the AVX-512 operations in plain code under their own names, and the few
// it lacks are written out below from their definitions in Intel's manual.
// Built without AVX-512 enabled, any call left to the compiler's own
// definitions fails to compile rather than running them.
#include "tests/support/avx512_emulated.h"

#ifdef VX_HAVE_AVX512_KERNEL

// The compiler's own header first: the kernel includes it again, which must
// not redefine what SIMDe's names stand for.
#include <immintrin.h>

#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/avx512.h>
#include <simde/x86/gfni.h>

#include <cstdint>

namespace emulated {

using Lanes = simde__m512i_private;

inline simde__m512i Of(const Lanes& l) { return simde__m512i_from_private(l); }
inline Lanes LanesOf(simde__m512i v) { return simde__m512i_to_private(v); }

// The 16 qwords hi:lo moved down by `count` qwords; the low 8 stay.
inline simde__m512i AlignrEpi64(simde__m512i hi, simde__m512i lo, int count) {
  const Lanes h = LanesOf(hi), l = LanesOf(lo);
  Lanes r;
  for (int i = 0; i < 8; ++i) {
    const int from = i + (count & 7);
    r.i64[i] = from < 8 ? l.i64[from] : h.i64[from - 8];
  }
  return Of(r);
}

inline simde__mmask8 CmpltEpi64Mask(simde__m512i a, simde__m512i b) {
  const Lanes x = LanesOf(a), y = LanesOf(b);
  unsigned mask = 0;
  for (int i = 0; i < 8; ++i) mask |= unsigned(x.i64[i] < y.i64[i]) << i;
  return simde__mmask8(mask);
}

inline int64_t ReduceAddEpi64(simde__m512i a) {
  const Lanes x = LanesOf(a);
  uint64_t sum = 0;
  for (int i = 0; i < 8; ++i) sum += x.u64[i];
  return int64_t(sum);
}

// Each qword of a above the same qword of b, shifted left by `count`: the
// upper half.
inline simde__m512i ShldiEpi64(simde__m512i a, simde__m512i b, int count) {
  const Lanes x = LanesOf(a), y = LanesOf(b);
  const unsigned n = unsigned(count) & 63;
  Lanes r;
  for (int i = 0; i < 8; ++i)
    r.u64[i] = n ? (x.u64[i] << n) | (y.u64[i] >> (64 - n)) : x.u64[i];
  return Of(r);
}

// Each qword of b above the same qword of a, shifted right by `count`: the
// lower half.
inline simde__m512i ShrdiEpi64(simde__m512i a, simde__m512i b, int count) {
  const Lanes x = LanesOf(a), y = LanesOf(b);
  const unsigned n = unsigned(count) & 63;
  Lanes r;
  for (int i = 0; i < 8; ++i)
    r.u64[i] = n ? (x.u64[i] >> n) | (y.u64[i] << (64 - n)) : x.u64[i];
  return Of(r);
}

inline simde__mmask64 TestnEpi8Mask(simde__m512i a, simde__m512i b) {
  const Lanes x = LanesOf(a), y = LanesOf(b);
  uint64_t mask = 0;
  for (int i = 0; i < 64; ++i) mask |= uint64_t((x.u8[i] & y.u8[i]) == 0) << i;
  return mask;
}

}  // namespace emulated

// The compiler's own definitions of these need AVX-512; the kernel's calls
// reach the emulations instead.
#undef _mm512_alignr_epi64
#undef _mm512_cmplt_epi64_mask
#undef _mm512_reduce_add_epi64
#undef _mm512_shldi_epi64
#undef _mm512_shrdi_epi64
#undef _mm512_shuffle_i64x2
#undef _mm512_testn_epi8_mask
#define _mm512_alignr_epi64 emulated::AlignrEpi64
#define _mm512_cmplt_epi64_mask emulated::CmpltEpi64Mask
#define _mm512_reduce_add_epi64 emulated::ReduceAddEpi64
#define _mm512_shldi_epi64 emulated::ShldiEpi64
#define _mm512_shrdi_epi64 emulated::ShrdiEpi64
#define _mm512_shuffle_i64x2 simde_mm512_shuffle_i64x2  // SIMDe has it, unaliased
#define _mm512_testn_epi8_mask emulated::TestnEpi8Mask

#define VX_AVX512_CODE
#define ScanGbkBlocksAvx512 ScanGbkBlocksAvx512Emulated
#define CpuHasAvx512 CpuHasAvx512Emulated
#include "engine/gbk_scan_avx512.cpp"

#endif  // VX_HAVE_AVX512_KERNEL
