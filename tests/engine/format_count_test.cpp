#include "engine/format_count.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatCount, GroupsDigitsInFoursFromTheRight) {
  const struct {
    double value;
    const char* shown;
  } cases[] = {
      {0.0, "0"},
      {10000.0, "1,0000"},
      {123456789.0, "1,2345,6789"},
      {9007199254740992.0, "9007,1992,5474,0992"},  // 2^53
      {-12345678.0, "-1234,5678"},                  // the sign outside the groups
      {-0.0, "0"},
      {-1.0, "-1"},                                 // a day's writing that lost one
      {1e30, "922,3372,0368,5477,5807"},  // clamped to the largest count
      {-1e30, "-922,3372,0368,5477,5807"},
  };
  for (const auto& c : cases) {
    char out[kCountTextSize];
    FormatCount(c.value, out, sizeof out);
    EXPECT_STREQ(c.shown, out) << c.value;
  }
}

TEST(FormatCount, NeverWritesPastASmallBuffer) {
  char out[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  FormatCount(123456789.0, out, 5);
  EXPECT_STREQ("1,23", out);
  EXPECT_EQ('x', out[5]);
}

}  // namespace
