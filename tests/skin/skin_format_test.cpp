#include "skin/lib/skin_file.h"

#include <gtest/gtest.h>

#include "tests/skin/skin_test_files.h"

using namespace vxskin;

namespace {

using Bytes = std::vector<uint8_t>;

// Header offsets, as the file's readers and writers agree on them.
constexpr size_t kLengthAt = 8, kCrcAt = 12, kColorCountAt = 16, kColorsAt = 20, kMetricsAt = 24,
                 kElementCountAt = 28, kElementsAt = 32;

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
// Writes the `width` low bytes of `v`, little-endian.
void Put(Bytes& b, size_t at, uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
// After an edit: a matching length and CRC, so only the edit is wrong.
void Reseal(Bytes& b) {
  Put(b, kLengthAt, uint32_t(b.size()), 4);
  Put(b, kCrcAt, SkinCrc32(b.data() + 16, b.size() - 16), 4);
}

int Parse(const Bytes& b) {
  SkinData d;
  return ParseSkin(b.data(), b.size(), &d);
}

class SkinFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = ReadBytes(VX_SKIN_FILE);
    ASSERT_EQ(SKIN_OK, Parse(good_)) << VX_SKIN_FILE;
  }
  // The good file with `width` bytes at `at` set to `v`, resealed or not.
  Bytes With(size_t at, uint32_t v, int width, bool reseal) const {
    Bytes b = good_;
    Put(b, at, v, width);
    if (reseal) Reseal(b);
    return b;
  }
  size_t ElementAt(size_t i) const { return Get32(good_, kElementsAt) + 28 * i; }
  Bytes good_;
};

TEST_F(SkinFileTest, HeaderFaultsAreToldApart) {
  Bytes longer = good_, largest = good_;
  longer.push_back(0);
  largest.resize(kSkinMaxFileSize);  // unused bytes after the tables
  Reseal(largest);
  const struct {
    const char* why;
    Bytes bytes;
    int code;
  } cases[] = {
      {"nothing", {}, SKIN_E_EMPTY},
      {"another format", {'M', 'Z'}, SKIN_E_MAGIC},
      {"the header cut short", {'.', 'S', 'H', 'E'}, SKIN_E_TRUNCATED},
      {"the build's malformed skin", ReadBytes(VX_BAD_SKIN_FILE), SKIN_E_TRUNCATED},
      {"version 2", With(4, 2, 2, false), SKIN_E_VERSION},
      {"version 0", With(4, 0, 2, false), SKIN_E_VERSION},
      {"the largest file", largest, SKIN_OK},
      {"a byte the length leaves out", longer, SKIN_E_LENGTH},
      {"a length inside the header", With(kLengthAt, 20, 4, false), SKIN_E_LENGTH},
      {"a length past the largest file", With(kLengthAt, kSkinMaxFileSize + 1, 4, false),
       SKIN_E_LENGTH},
      {"a length past the end", With(kLengthAt, uint32_t(good_.size()) + 1, 4, false),
       SKIN_E_TRUNCATED},
  };
  for (const auto& c : cases) EXPECT_EQ(c.code, Parse(c.bytes)) << c.why;
}

TEST_F(SkinFileTest, AnyFlippedBitAfterTheLengthFailsTheChecksum) {
  for (size_t at = kCrcAt; at < good_.size(); ++at) {
    Bytes b = good_;
    b[at] ^= 0x10;
    EXPECT_EQ(SKIN_E_CHECKSUM, Parse(b)) << at;
  }
}

TEST_F(SkinFileTest, TablesOutsideTheFileAndBadEntriesAreRejected) {
  const uint32_t size = uint32_t(good_.size());
  const size_t colours = Get32(good_, kColorsAt), metrics = Get32(good_, kMetricsAt);
  const size_t e0 = ElementAt(0), e1 = ElementAt(1);
  const struct {
    const char* why;
    size_t at;
    uint32_t value;
    int width;
    int code;
  } cases[] = {
      {"elements past the end", kElementsAt, size - 4, 4, SKIN_E_TABLE},
      {"offset + size would wrap", kElementsAt, 0xFFFFFFF0u, 4, SKIN_E_TABLE},
      {"misaligned metrics", kMetricsAt, uint32_t(metrics) + 2, 4, SKIN_E_TABLE},
      {"more elements than bytes", kElementCountAt, 0xFFFF, 2, SKIN_E_TABLE},
      {"metrics at 0", kMetricsAt, 0, 4, SKIN_E_TABLE},
      {"colours inside the header", kColorsAt, 16, 4, SKIN_E_TABLE},
      {"colour id 0", colours, 0, 2, SKIN_E_DATA},
      {"unknown colour id", colours, kColorSlots, 2, SKIN_E_DATA},
      {"repeated colour id", colours + 8, Get32(good_, colours) & 0xFFFF, 2, SKIN_E_DATA},
      {"colour with a top byte", colours + 4, 0x01FFFFFF, 4, SKIN_E_DATA},
      {"colour reserved field", colours + 2, 1, 2, SKIN_E_DATA},
      {"gloss height 0", metrics + 4, 0, 4, SKIN_E_DATA},
      {"gloss height 65", metrics + 4, 65, 4, SKIN_E_DATA},
      {"unknown metric", metrics, kMetricSlots, 2, SKIN_E_DATA},
      {"caption padding 16", metrics + 12, 16, 4, SKIN_OK},
      {"caption padding -1", metrics + 12, 0xFFFFFFFF, 4, SKIN_E_DATA},
      {"element id 0", e0, 0, 4, SKIN_E_DATA},
      {"repeated element id", e1, Get32(good_, e0), 4, SKIN_E_DATA},
      {"unknown element kind", e0 + 4, 9, 2, SKIN_E_DATA},
      {"element kind 0", e0 + 4, 0, 2, SKIN_E_DATA},
      {"unknown element flag", e0 + 6, 2, 2, SKIN_E_DATA},
      {"element colour top byte", e0 + 8, 0xFF000000, 4, SKIN_E_DATA},
      {"element bottom face top byte", e0 + 16, 0x01000000, 4, SKIN_E_DATA},
      {"radius 24", e0 + 24, 24, 1, SKIN_OK},
      {"radius 25", e0 + 24, 25, 1, SKIN_E_DATA},
      {"border 0", e0 + 25, 0, 1, SKIN_E_DATA},
      {"border 5", e0 + 25, 5, 1, SKIN_E_DATA},
      {"element reserved field", e0 + 26, 1, 2, SKIN_E_DATA},
      {"header flags", 6, 1, 2, SKIN_E_DATA},
      {"header reserved field", 30, 1, 2, SKIN_E_DATA},
  };
  for (const auto& c : cases) EXPECT_EQ(c.code, Parse(With(c.at, c.value, c.width, true))) << c.why;
}

// A value changed in the file is the value read, in its own slot.
TEST_F(SkinFileTest, EntriesAreReadIntoTheirSlots) {
  const size_t colour = Get32(good_, kColorsAt), metric = Get32(good_, kMetricsAt);
  Bytes b = good_;
  Put(b, colour + 4, 0x123456, 4);
  Put(b, metric + 4, 33, 4);
  Put(b, ElementAt(0) + 16, 0x654321, 4);
  Reseal(b);
  SkinData d;
  ASSERT_EQ(SKIN_OK, ParseSkin(b.data(), b.size(), &d));
  EXPECT_EQ(0x123456u, d.colors[Get32(good_, colour) & 0xFFFF]);
  EXPECT_EQ(33, d.metrics[Get32(good_, metric) & 0xFFFF]);
  EXPECT_EQ(0x654321u, d.elements[0].face2);
}

TEST_F(SkinFileTest, AtMostOneAutomaticElementPerKind) {
  SkinData d;
  ParseSkin(good_.data(), good_.size(), &d);
  ASSERT_NE(nullptr, d.AutoFor(ElementKind::kPushButton));
  // Each element of another kind turned into a second push button, before
  // or after the automatic one: fine as a mapped one, refused as an
  // automatic one.
  for (size_t i = 0; i < d.elements.size(); ++i) {
    if (d.elements[i].kind == ElementKind::kPushButton) continue;
    Bytes b = With(ElementAt(i) + 4, uint16_t(ElementKind::kPushButton), 2, false);
    Put(b, ElementAt(i) + 6, 0, 2);
    Reseal(b);
    EXPECT_EQ(SKIN_OK, Parse(b)) << i;
    Put(b, ElementAt(i) + 6, kElementAuto, 2);
    Reseal(b);
    EXPECT_EQ(SKIN_E_DATA, Parse(b)) << i;
  }
}

}  // namespace
