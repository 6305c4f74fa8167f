#include "skin/lib/skin_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/skin/skin_test_files.h"

using namespace vxskin;

namespace {

using Bytes = std::vector<uint8_t>;

// Header offsets, as the file's readers and writers agree on them.
constexpr size_t kLengthAt = 8, kCrcAt = 12, kColorCountAt = 16,
                 kColorsAt = 20, kMetricsAt = 24, kElementCountAt = 28,
                 kElementsAt = 32;

uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
// After an edit: a matching length and CRC, so only the edit is wrong.
void Reseal(Bytes& b) {
  Put32(b, kLengthAt, uint32_t(b.size()));
  Put32(b, kCrcAt, SkinCrc32(b.data() + 16, b.size() - 16));
}

int Parse(const Bytes& b) {
  SkinData d;
  return ParseSkin(b.data(), b.size(), &d);
}

// The text source, read here independently of scripts/make_skin.py:
// section -> key -> value.
using Source = std::map<std::string, std::map<std::string, std::string>>;
Source ReadSource(const std::string& path) {
  Source s;
  std::ifstream f(HostPath(path));
  std::string line, section;
  while (std::getline(f, line)) {
    std::istringstream in(line);
    std::string key, eq, value;
    if (!(in >> key) || key[0] == '#') continue;
    if (key[0] == '[') {
      section = line.substr(line.find('[') + 1);
      section.erase(section.find(']'));
    } else if (in >> eq >> value && eq == "=") {
      s[section][key] = value;
    }
  }
  return s;
}
uint32_t Colour(const std::string& hex) { return std::stoul(hex.substr(1), nullptr, 16); }

class SkinFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    good_ = ReadBytes(VX_SKIN_FILE);
    ASSERT_GT(good_.size(), kSkinHeaderSize) << VX_SKIN_FILE;
  }
  size_t ElementAt(size_t i) const { return Get32(good_, kElementsAt) + 28 * i; }
  Bytes good_;
};

TEST_F(SkinFileTest, GeneratedFileCarriesEveryValueOfItsTextSource) {
  SkinData d;
  ASSERT_EQ(SKIN_OK, ParseSkin(good_.data(), good_.size(), &d));
  const Source src = ReadSource(VX_SKIN_SOURCE);
  ASSERT_FALSE(src.empty());

  const std::map<std::string, ColorId> colours = {
      {"dialog_top", kColorDialogTop}, {"dialog_bottom", kColorDialogBottom},
      {"text", kColorText}, {"disabled_text", kColorDisabledText},
      {"edit_back", kColorEditBack}, {"edit_text", kColorEditText},
      {"readonly_back", kColorReadOnlyBack}, {"gloss", kColorGloss}};
  ASSERT_EQ(colours.size(), src.at("colours").size());
  for (const auto& [name, value] : src.at("colours"))
    EXPECT_EQ(Colour(value), d.colors[colours.at(name)]) << name;
  EXPECT_EQ(std::stoi(src.at("metrics").at("gloss_height")),
            d.metrics[kMetricGlossHeight]);
  EXPECT_EQ(std::stoi(src.at("metrics").at("caption_padding")),
            d.metrics[kMetricCaptionPad]);

  const std::map<std::string, ElementKind> kinds = {
      {"groupbox", ElementKind::kGroupBox}, {"button", ElementKind::kPushButton},
      {"edit", ElementKind::kEdit}};
  size_t elements = 0;
  for (const auto& [section, keys] : src) {
    if (section.rfind("element ", 0) != 0) continue;
    ++elements;
    const SkinElement* e = d.Find(std::stoul(section.substr(8)));
    ASSERT_NE(nullptr, e) << section;
    EXPECT_EQ(kinds.at(keys.at("kind")), e->kind) << section;
    EXPECT_EQ(keys.count("auto") && keys.at("auto") == "yes", e->flags == kElementAuto);
    EXPECT_EQ(Colour(keys.at("frame")), e->frame) << section;
    EXPECT_EQ(Colour(keys.at("face")), e->face) << section;
    EXPECT_EQ(Colour(keys.at("face2")), e->face2) << section;
    EXPECT_EQ(Colour(keys.at("text")), e->text) << section;
    EXPECT_EQ(std::stoi(keys.at("radius")), e->radius) << section;
    EXPECT_EQ(std::stoi(keys.at("border")), e->border) << section;
  }
  EXPECT_EQ(elements, d.elements.size());
  // The program maps its group boxes to element 1018.
  ASSERT_NE(nullptr, d.Find(1018));
  EXPECT_EQ(ElementKind::kGroupBox, d.Find(1018)->kind);
}

TEST_F(SkinFileTest, FailedParseLeavesTheOutputAlone) {
  SkinData d;
  d.colors[kColorText] = 0x123456;
  good_[0] = 'X';
  EXPECT_EQ(SKIN_E_MAGIC, ParseSkin(good_.data(), good_.size(), &d));
  EXPECT_EQ(0x123456u, d.colors[kColorText]);
}

TEST_F(SkinFileTest, EmptyShortAndForeignFilesAreToldApart) {
  EXPECT_EQ(SKIN_E_EMPTY, ParseSkin(nullptr, 0, nullptr));
  EXPECT_EQ(SKIN_E_EMPTY, Parse({}));
  EXPECT_EQ(SKIN_E_MAGIC, Parse({'M', 'Z'}));
  EXPECT_EQ(SKIN_E_MAGIC, Parse(Bytes{'.', 'S', 'H', 'X', 1, 0, 0, 0}));
  EXPECT_EQ(SKIN_E_TRUNCATED, Parse({'.', 'S'}));
  EXPECT_EQ(SKIN_E_TRUNCATED, Parse({'.', 'S', 'H', 'E'}));
  EXPECT_EQ(SKIN_E_TRUNCATED, ReadBytes(VX_BAD_SKIN_FILE).empty()
                                  ? -1 : Parse(ReadBytes(VX_BAD_SKIN_FILE)));
}

TEST_F(SkinFileTest, EveryTruncationIsRejected) {
  // Each copy is exactly as large as its buffer, so a read past the cut
  // is a read past the allocation (caught by the sanitizer build).
  for (size_t n = 1; n < good_.size(); ++n) {
    const Bytes cut(good_.begin(), good_.begin() + n);
    const int rc = Parse(cut);
    if (n >= 4) EXPECT_EQ(SKIN_E_TRUNCATED, rc) << n;
    else EXPECT_NE(SKIN_OK, rc) << n;
  }
}

TEST_F(SkinFileTest, VersionAndLengthFieldsAreChecked) {
  Bytes b = good_;
  Put16(b, 4, 2);
  EXPECT_EQ(SKIN_E_VERSION, Parse(b));
  Put16(b, 4, 0);
  EXPECT_EQ(SKIN_E_VERSION, Parse(b));

  b = good_;
  b.push_back(0);  // trailing byte the length does not cover
  EXPECT_EQ(SKIN_E_LENGTH, Parse(b));
  b = good_;
  Put32(b, kLengthAt, 20);
  EXPECT_EQ(SKIN_E_LENGTH, Parse(b));
  Put32(b, kLengthAt, uint32_t(kSkinMaxFileSize) + 1);
  EXPECT_EQ(SKIN_E_LENGTH, Parse(b));
  Put32(b, kLengthAt, uint32_t(good_.size()) + 1);
  EXPECT_EQ(SKIN_E_TRUNCATED, Parse(b));
}

TEST_F(SkinFileTest, AnyFlippedBitAfterTheLengthFailsTheChecksum) {
  for (size_t at = kCrcAt; at < good_.size(); ++at) {
    Bytes b = good_;
    b[at] ^= 0x10;
    EXPECT_EQ(SKIN_E_CHECKSUM, Parse(b)) << at;
  }
}

TEST_F(SkinFileTest, TablesOutsideTheFileAreRejected) {
  const uint32_t size = uint32_t(good_.size());
  struct Case { size_t field; uint32_t value; bool is16; };
  const Case cases[] = {
      {kElementsAt, size - 4, false},        // runs past the end
      {kElementsAt, 0xFFFFFFF0u, false},     // offset + size would wrap
      {kElementsAt, 8, false},               // inside the header
      {kMetricsAt, Get32(good_, kMetricsAt) + 2, false},    // misaligned
      {kElementCountAt, 0xFFFF, true},       // more entries than bytes
      {kColorCountAt, 0xFFFF, true},
      {kColorsAt, size, false},
      {kMetricsAt, 0, false},
  };
  for (const Case& c : cases) {
    Bytes b = good_;
    if (c.is16) Put16(b, c.field, uint16_t(c.value));
    else Put32(b, c.field, c.value);
    Reseal(b);
    EXPECT_EQ(SKIN_E_TABLE, Parse(b)) << "field " << c.field << " = " << c.value;
  }
}

TEST_F(SkinFileTest, BadEntriesAreRejected) {
  const size_t colours = Get32(good_, kColorsAt);
  const size_t metrics = Get32(good_, kMetricsAt);
  const size_t e0 = ElementAt(0), e1 = ElementAt(1);
  struct Case { const char* what; size_t at; uint32_t value; int bytes; };
  const Case cases[] = {
      {"colour id 0", colours, 0, 2},
      {"unknown colour id", colours, kColorSlots, 2},
      {"repeated colour id", colours + 8, Get32(good_, colours) & 0xFFFF, 2},
      {"colour with a top byte", colours + 4, 0x01FFFFFF, 4},
      {"colour reserved field", colours + 2, 1, 2},
      {"gloss height 0", metrics + 4, 0, 4},
      {"gloss height 65", metrics + 4, 65, 4},
      {"unknown metric", metrics, kMetricSlots, 2},
      {"element id 0", e0, 0, 4},
      {"repeated element id", e1, Get32(good_, e0), 4},
      {"unknown element kind", e0 + 4, 9, 2},
      {"unknown element flag", e0 + 6, 2, 2},
      {"element colour top byte", e0 + 8, 0xFF000000, 4},
      {"radius 25", e0 + 24, 25, 1},
      {"border 0", e0 + 25, 0, 1},
      {"border 5", e0 + 25, 5, 1},
      {"element reserved field", e0 + 26, 1, 2},
      {"header flags", 6, 1, 2},
  };
  for (const Case& c : cases) {
    Bytes b = good_;
    if (c.bytes == 1) b[c.at] = uint8_t(c.value);
    else if (c.bytes == 2) Put16(b, c.at, uint16_t(c.value));
    else Put32(b, c.at, c.value);
    Reseal(b);
    EXPECT_EQ(SKIN_E_DATA, Parse(b)) << c.what;
  }
}

TEST_F(SkinFileTest, AtMostOneAutomaticElementPerKind) {
  SkinData d;
  ASSERT_EQ(SKIN_OK, Parse(good_));
  ASSERT_EQ(SKIN_OK, ParseSkin(good_.data(), good_.size(), &d));
  // Turn the group box (not automatic) into a second automatic push button.
  const SkinElement* autoButton = d.AutoFor(ElementKind::kPushButton);
  ASSERT_NE(nullptr, autoButton);
  for (size_t i = 0; i < d.elements.size(); ++i) {
    if (d.elements[i].flags & kElementAuto) continue;
    Bytes b = good_;
    Put16(b, ElementAt(i) + 4, uint16_t(ElementKind::kPushButton));
    Reseal(b);
    EXPECT_EQ(SKIN_OK, Parse(b));  // a second, mapped-only button is fine
    Put16(b, ElementAt(i) + 6, kElementAuto);
    Reseal(b);
    EXPECT_EQ(SKIN_E_DATA, Parse(b));
  }
}

TEST_F(SkinFileTest, MissingItemsKeepTheDefaults) {
  Bytes b = good_;
  Put16(b, kColorCountAt, 0);
  Put16(b, kColorCountAt + 2, 0);
  Put16(b, kElementCountAt, 0);
  Reseal(b);
  SkinData d;
  ASSERT_EQ(SKIN_OK, ParseSkin(b.data(), b.size(), &d));
  const SkinData def = DefaultSkinData();
  EXPECT_EQ(0, std::memcmp(def.colors, d.colors, sizeof d.colors));
  EXPECT_EQ(0, std::memcmp(def.metrics, d.metrics, sizeof d.metrics));
  EXPECT_TRUE(d.elements.empty());
  EXPECT_EQ(nullptr, d.Find(1018));
}

TEST_F(SkinFileTest, RandomResealedDamageNeverYieldsOutOfRangeValues) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 3000; ++round) {
    Bytes b = good_;
    const int edits = 1 + int(rng() % 4);
    for (int k = 0; k < edits; ++k) b[16 + rng() % (b.size() - 16)] = uint8_t(rng());
    Reseal(b);
    SkinData d;
    const int rc = ParseSkin(b.data(), b.size(), &d);
    ASSERT_TRUE(rc == SKIN_OK || rc == SKIN_E_TABLE || rc == SKIN_E_DATA) << rc;
    if (rc != SKIN_OK) continue;
    for (int id = 1; id < kColorSlots; ++id) EXPECT_EQ(0u, d.colors[id] >> 24);
    EXPECT_GE(d.metrics[kMetricGlossHeight], 1);
    EXPECT_LE(d.metrics[kMetricGlossHeight], 64);
    for (const SkinElement& e : d.elements) {
      EXPECT_LE(e.radius, 24);
      EXPECT_GE(e.border, 1);
      EXPECT_LE(e.border, 4);
    }
  }
}

TEST(SkinCrc32, MatchesTheStandardCheckValue) {
  const char* check = "123456789";
  EXPECT_EQ(0xCBF43926u, SkinCrc32(reinterpret_cast<const uint8_t*>(check), 9));
  EXPECT_EQ(0u, SkinCrc32(nullptr, 0));
}

}  // namespace
