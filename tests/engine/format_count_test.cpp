#include "engine/format_count.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Format(Count value) {
  char out[kCountTextSize];
  FormatCount(value, out, sizeof out);
  return out;
}

TEST(FormatCount, GroupsDigitsInFoursFromTheRight) {
  EXPECT_EQ("0", Format(0.0));
  EXPECT_EQ("7", Format(7.0));
  EXPECT_EQ("1234", Format(1234.0));
  EXPECT_EQ("9999", Format(9999.0));
  EXPECT_EQ("1,0000", Format(10000.0));
  EXPECT_EQ("1,2345", Format(12345.0));
  EXPECT_EQ("1234,5678", Format(12345678.0));
  EXPECT_EQ("1,2345,6789", Format(123456789.0));
  EXPECT_EQ("9007,1992,5474,0992", Format(9007199254740992.0));  // 2^53
}

TEST(FormatCount, KeepsTheSignOutsideTheGroups) {
  EXPECT_EQ("-3", Format(-3.0));
  EXPECT_EQ("-1234", Format(-1234.0));
  EXPECT_EQ("-1,2345", Format(-12345.0));
  EXPECT_EQ("-1234,5678", Format(-12345678.0));
  EXPECT_EQ("0", Format(-0.0));
}

TEST(FormatCount, NeverWritesPastASmallBuffer) {
  char out[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  FormatCount(123456789.0, out, 5);
  EXPECT_STREQ("1,23", out);
  EXPECT_EQ('x', out[5]);
}

TEST(FormatCount, ClampsBeyondTheLargestCount) {
  EXPECT_EQ("922,3372,0368,5477,5807", Format(1e30));
  EXPECT_EQ("-922,3372,0368,5477,5807", Format(-1e30));
}

}  // namespace
