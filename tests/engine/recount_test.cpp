#include "engine/recount.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Writes = std::vector<std::pair<int, std::wstring>>;
Writes g_writes;

// The six slots as Recount writes them: the four counts, the total twice.
Writes Slots(const wchar_t* a, const wchar_t* b, const wchar_t* c, const wchar_t* d,
             const wchar_t* total) {
  return {{1011, a}, {1012, b}, {1013, c}, {1014, d}, {1015, total}, {1020, total}};
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

TEST_F(RecountTest, ATickChangeShowsANewTotalWithoutRescanning) {
  Recount("\xD6\xD0 ab", 1);
  g_writes.clear();
  g_cnCharsOn = 0;
  g_enPunctOn = 1;
  Recount(nullptr, 0);
  EXPECT_EQ(Slots(L"1", L"0", L"2", L"1", L"3"), g_writes);
}

}  // namespace
