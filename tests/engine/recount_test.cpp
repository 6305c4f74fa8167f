#include "engine/recount.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Writes = std::vector<std::pair<int, std::wstring>>;
Writes g_writes;

// The eight slots as Recount writes them: the four counts, the total twice,
// Word's 字数 and 字符数(不计空格).
Writes Slots(const wchar_t* a, const wchar_t* b, const wchar_t* c, const wchar_t* d,
             const wchar_t* total, const wchar_t* words, const wchar_t* charsNoSpace) {
  return {{1011, a}, {1012, b}, {1013, c}, {1014, d}, {1015, total}, {1020, total},
          {1022, words}, {1023, charsNoSpace}};
}

class RecountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSlotSink([](int id, const wchar_t* text) { g_writes.emplace_back(id, text); });
    g_writes.clear();
    g_cnCharsOn = 1, g_cnPunctOn = 0, g_enCharsOn = 1, g_enPunctOn = 0;
  }
  void TearDown() override { SetSlotSink(nullptr); }
};

// Word's figures stay as they are: no tick touches them. 中文。 ab holds
// more Chinese characters than marks, so a tick adding the wrong one shows.
TEST_F(RecountTest, ATickChangeShowsANewTotalWithoutRescanning) {
  Recount("\xD6\xD0\xCE\xC4\xA1\xA3 ab", 1);
  g_writes.clear();
  g_cnCharsOn = 0;
  g_cnPunctOn = 1;
  g_enPunctOn = 1;
  Recount(nullptr, 0);
  EXPECT_EQ(Slots(L"2", L"1", L"2", L"1", L"4", L"4", L"5"), g_writes);
}

// A count that failed shows zeros everywhere, the compact strip too.
TEST_F(RecountTest, ZeroResultsClearEverySlot) {
  ShowZeroResults();
  EXPECT_EQ(Slots(L"0", L"0", L"0", L"0", L"0", L"0", L"0"), g_writes);
}

}  // namespace
