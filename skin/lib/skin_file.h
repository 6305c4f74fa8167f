#pragma once
// The skin file parser. Portable C++ (no windows.h): the DLL uses it, and
// the native tests check it on Linux. The byte layout is described at the
// top of skin_file.cpp.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skin/skin_api.h"

namespace vxskin {

constexpr uint16_t kSkinVersion = 1;
constexpr size_t kSkinHeaderSize = 36;
constexpr size_t kSkinMaxFileSize = 1u << 20;

// Colours are 0x00RRGGBB.
enum ColorId : uint16_t {
  kColorDialogTop = 1,   // dialog background gradient, top row
  kColorDialogBottom,    // ... and bottom row
  kColorText,            // statics, check boxes, radio buttons
  kColorDisabledText,
  kColorEditBack,
  kColorEditText,
  kColorReadOnlyBack,    // read-only and disabled edit boxes
  kColorGloss,           // the gloss band of Skin_AdjustAero
  kColorSlots            // one past the last id
};

enum MetricId : uint16_t {
  kMetricGlossHeight = 1,  // default gloss band height, 1..64 px
  kMetricCaptionPad,       // space either side of a caption, 0..16 px
  kMetricSlots
};

enum class ElementKind : uint16_t { kGroupBox = 1, kPushButton = 2, kEdit = 3 };

constexpr uint16_t kElementAuto = 1;  // drawn on every control of its kind

struct SkinElement {
  uint32_t id = 0;
  ElementKind kind = ElementKind::kGroupBox;
  uint16_t flags = 0;
  uint32_t frame = 0;  // frame line
  uint32_t face = 0;   // caption plate / face, top
  uint32_t face2 = 0;  // face, bottom (vertical gradient)
  uint32_t text = 0;
  uint8_t radius = 0;  // corner radius, 0..24 px
  uint8_t border = 1;  // frame width, 1..4 px
};

struct SkinData {
  uint16_t version = kSkinVersion;
  uint32_t colors[kColorSlots] = {};  // by ColorId; [0] unused
  int32_t metrics[kMetricSlots] = {};  // by MetricId; [0] unused
  std::vector<SkinElement> elements;

  const SkinElement* Find(uint32_t id) const;
  // The element drawn on every control of `kind` unless mapped otherwise.
  const SkinElement* AutoFor(ElementKind kind) const;
};

// Neutral values for whatever a skin file leaves out.
SkinData DefaultSkinData();

// Checks and decodes a whole skin file held in memory. Returns SKIN_OK and
// fills *out, or a SKIN_E_* code (3..10) and leaves *out alone. Reads no
// byte outside [data, data + size).
int ParseSkin(const void* data, size_t size, SkinData* out);

// CRC-32 as in zlib and the file header.
uint32_t SkinCrc32(const uint8_t* data, size_t size);

}  // namespace vxskin
