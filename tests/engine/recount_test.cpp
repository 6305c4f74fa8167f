#include "engine/recount.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/text_tally.h"

namespace {

std::vector<std::pair<int, std::string>> g_writes;

void Record(int id, const char* text) { g_writes.emplace_back(id, text); }

class RecountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSlotSink(Record);
    g_writes.clear();
    g_cnCharsOn = 1, g_cnPunctOn = 0, g_enCharsOn = 1, g_enPunctOn = 0;
    g_cnChars = g_cnPunct = g_enChars = g_enPunct = 0.0;
  }
  void TearDown() override { SetSlotSink(nullptr); }

  using Writes = std::vector<std::pair<int, std::string>>;
  static Writes Slots(const char* a, const char* b, const char* c,
                      const char* d, const char* total) {
    return {{1011, a}, {1012, b}, {1013, c}, {1014, d}, {1015, total},
            {1020, total}};
  }
};

TEST_F(RecountTest, WritesTheSixSlotsInOrderWithTheTickedTotal) {
  // 中文，abc 123。 CR LF
  Recount("\xD6\xD0\xCE\xC4\xA3\xAC" "abc 123\xA1\xA3\r\n", 1);
  EXPECT_EQ(Slots("2", "2", "6", "2", "8"), g_writes);
}

TEST_F(RecountTest, ATickChangeShowsANewTotalWithoutRescanning) {
  Recount("\xD6\xD0 ab", 1);
  g_writes.clear();
  g_cnCharsOn = 0;
  g_enPunctOn = 1;
  Recount(nullptr, 0);
  EXPECT_EQ(Slots("1", "0", "2", "1", "3"), g_writes);
}

TEST_F(RecountTest, TotalFollowsEveryCombinationOfTicks) {
  g_cnChars = 1, g_cnPunct = 10, g_enChars = 100, g_enPunct = 1000;
  for (int mask = 0; mask < 16; ++mask) {
    g_cnCharsOn = mask & 1, g_cnPunctOn = (mask >> 1) & 1;
    g_enCharsOn = (mask >> 2) & 1, g_enPunctOn = (mask >> 3) & 1;
    const double want = (mask & 1) * 1 + ((mask >> 1) & 1) * 10 +
                        ((mask >> 2) & 1) * 100 + ((mask >> 3) & 1) * 1000;
    EXPECT_EQ(want, TickedTotal()) << "ticks " << mask;
  }
}

TEST_F(RecountTest, ThreeLoneCrsNeverShowANegativeTotal) {
  Recount("\r\r\r", 1);
  EXPECT_EQ(Slots("0", "0", "0", "3", "0"), g_writes);
}

TEST_F(RecountTest, LargeCountsAreGrouped) {
  const std::string text(123456, 'a');
  Recount(text.c_str(), 1);
  EXPECT_EQ(Slots("0", "0", "12,3456", "0", "12,3456"), g_writes);
}

TEST_F(RecountTest, ZeroResultsLeaveTheCountersAlone) {
  Recount("abc", 1);
  g_writes.clear();
  ShowZeroResults();
  EXPECT_EQ(Slots("0", "0", "0", "0", "0"), g_writes);
  EXPECT_EQ(3.0, g_enChars);
}

TEST_F(RecountTest, ATallyReachesTheSlotsOnlyWhenPublished) {
  Recount("abc", 1);
  g_writes.clear();
  TextTally tally;
  tally.Add("\xB0", 1);  // a hanzi split across two pieces
  tally.Add("\xA1xy", 3);
  EXPECT_TRUE(g_writes.empty());
  EXPECT_EQ(3.0, g_enChars);
  tally.Publish();
  EXPECT_EQ(Slots("1", "0", "2", "0", "3"), g_writes);
}

}  // namespace
