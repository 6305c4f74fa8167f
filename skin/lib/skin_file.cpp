// The ".she" skin file, version 1. All integers little-endian.
//
// Header, 36 bytes:
//   0  char[4]  ".SHE"
//   4  u16      version, 1
//   6  u16      flags, 0
//   8  u32      length of the whole file in bytes (36 .. 1 MiB)
//  12  u32      CRC-32 (zlib's) of bytes 16 .. length
//  16  u16      colour count       18  u16  metric count
//  20  u32      colour table offset
//  24  u32      metric table offset
//  28  u16      element count      30  u16  reserved, 0
//  32  u32      element table offset
// Each table lies wholly inside [36, length) at a multiple of 4.
//
// Colour entry, 8 bytes:  u16 id (ColorId), u16 0, u32 colour 0x00RRGGBB
// Metric entry, 8 bytes:  u16 id (MetricId), u16 0, i32 value
// Element entry, 28 bytes:
//   0 u32 id (not 0)   4 u16 kind (ElementKind)   6 u16 flags (kElementAuto)
//   8 u32 frame  12 u32 face  16 u32 face2  20 u32 text   (0x00RRGGBB)
//  24 u8 radius 0..24  25 u8 border 1..4  26 u16 0
//
// Ids are unique within their table and at most one element per kind is
// automatic. Items a file leaves out keep DefaultSkinData()'s values.
// scripts/make_skin.py writes this layout from the skin's text source.

#include "skin/lib/skin_file.h"

#include <cstring>
#include <utility>

namespace vxskin {
namespace {

constexpr size_t kColorEntry = 8, kMetricEntry = 8, kElementEntry = 28;

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
         (uint32_t(p[3]) << 24);
}

bool TableFits(uint32_t offset, size_t count, size_t entry, size_t length) {
  // 64-bit sums: offset + count * entry cannot wrap.
  return offset >= kSkinHeaderSize && offset % 4 == 0 &&
         uint64_t(offset) + uint64_t(count) * entry <= length;
}

bool IsColor(uint32_t v) { return (v >> 24) == 0; }

bool MetricInRange(uint16_t id, int32_t v) {
  switch (id) {
    case kMetricGlossHeight: return v >= 1 && v <= 64;
    case kMetricCaptionPad: return v >= 0 && v <= 16;
    default: return false;
  }
}

}  // namespace

const SkinElement* SkinData::Find(uint32_t id) const {
  for (const SkinElement& e : elements)
    if (e.id == id) return &e;
  return nullptr;
}

const SkinElement* SkinData::AutoFor(ElementKind kind) const {
  for (const SkinElement& e : elements)
    if (e.kind == kind && (e.flags & kElementAuto)) return &e;
  return nullptr;
}

SkinData DefaultSkinData() {
  SkinData d;
  d.colors[kColorDialogTop] = 0xF0F0F0;
  d.colors[kColorDialogBottom] = 0xF0F0F0;
  d.colors[kColorText] = 0x000000;
  d.colors[kColorDisabledText] = 0x808080;
  d.colors[kColorEditBack] = 0xFFFFFF;
  d.colors[kColorEditText] = 0x000000;
  d.colors[kColorReadOnlyBack] = 0xF0F0F0;
  d.colors[kColorGloss] = 0xFFFFFF;
  d.metrics[kMetricGlossHeight] = 24;
  d.metrics[kMetricCaptionPad] = 6;
  return d;
}

uint32_t SkinCrc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

int ParseSkin(const void* data, size_t size, SkinData* out) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (size == 0 || p == nullptr) return SKIN_E_EMPTY;
  if (std::memcmp(p, ".SHE", size < 4 ? size : 4) != 0) return SKIN_E_MAGIC;
  if (size < kSkinHeaderSize) return SKIN_E_TRUNCATED;
  if (U16(p + 4) != kSkinVersion) return SKIN_E_VERSION;

  const uint32_t length = U32(p + 8);
  if (length < kSkinHeaderSize || length > kSkinMaxFileSize) return SKIN_E_LENGTH;
  if (size < length) return SKIN_E_TRUNCATED;
  if (size > length) return SKIN_E_LENGTH;
  if (SkinCrc32(p + 16, length - 16) != U32(p + 12)) return SKIN_E_CHECKSUM;

  const uint16_t nColors = U16(p + 16), nMetrics = U16(p + 18);
  const uint16_t nElements = U16(p + 28);
  const uint32_t colorsAt = U32(p + 20), metricsAt = U32(p + 24);
  const uint32_t elementsAt = U32(p + 32);
  if (!TableFits(colorsAt, nColors, kColorEntry, length) ||
      !TableFits(metricsAt, nMetrics, kMetricEntry, length) ||
      !TableFits(elementsAt, nElements, kElementEntry, length))
    return SKIN_E_TABLE;
  if (U16(p + 6) != 0 || U16(p + 30) != 0) return SKIN_E_DATA;

  SkinData d = DefaultSkinData();
  constexpr int kSlots = int(kColorSlots) > int(kMetricSlots) ? int(kColorSlots) : int(kMetricSlots);
  bool seen[kSlots] = {};
  for (size_t i = 0; i < nColors; ++i) {
    const uint8_t* e = p + colorsAt + i * kColorEntry;
    const uint16_t id = U16(e);
    const uint32_t v = U32(e + 4);
    if (id == 0 || id >= kColorSlots || seen[id] || U16(e + 2) || !IsColor(v))
      return SKIN_E_DATA;
    seen[id] = true;
    d.colors[id] = v;
  }
  std::memset(seen, 0, sizeof seen);
  for (size_t i = 0; i < nMetrics; ++i) {
    const uint8_t* e = p + metricsAt + i * kMetricEntry;
    const uint16_t id = U16(e);
    const int32_t v = int32_t(U32(e + 4));
    if (id == 0 || id >= kMetricSlots || seen[id] || U16(e + 2) ||
        !MetricInRange(id, v))
      return SKIN_E_DATA;
    seen[id] = true;
    d.metrics[id] = v;
  }
  d.elements.reserve(nElements);
  for (size_t i = 0; i < nElements; ++i) {
    const uint8_t* e = p + elementsAt + i * kElementEntry;
    SkinElement el;
    el.id = U32(e);
    const uint16_t kind = U16(e + 4);
    el.flags = U16(e + 6);
    el.frame = U32(e + 8);
    el.face = U32(e + 12);
    el.face2 = U32(e + 16);
    el.text = U32(e + 20);
    el.radius = e[24];
    el.border = e[25];
    if (el.id == 0 || d.Find(el.id) || kind < 1 || kind > 3 ||
        (el.flags & ~kElementAuto) || U16(e + 26) || !IsColor(el.frame) ||
        !IsColor(el.face) || !IsColor(el.face2) || !IsColor(el.text) ||
        el.radius > 24 || el.border < 1 || el.border > 4)
      return SKIN_E_DATA;
    el.kind = ElementKind(kind);
    if ((el.flags & kElementAuto) && d.AutoFor(el.kind)) return SKIN_E_DATA;
    d.elements.push_back(el);
  }
  *out = std::move(d);
  return SKIN_OK;
}

}  // namespace vxskin
