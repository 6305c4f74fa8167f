// Today's growth, active minutes and speed, as the window's slot shows
// them, from sightings of documents passed with their local time.
#include "writing/writing_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "writing/writing_text.h"

namespace {

const Day kDay0 = DayOf(2024, 2, 28);  // a leap year's February: the days after cross a month

struct Sight {
  const wchar_t* caption;
  int64_t total;
  int day;     // after kDay0
  int minute;  // of the day
};

LocalTime TimeOf(const Sight& sight) { return {kDay0 + sight.day, sight.minute}; }

WritingTracker Seen(const std::vector<Sight>& sights) {
  WritingTracker tracker;
  for (const Sight& sight : sights) tracker.Observe(sight.caption, sight.total, TimeOf(sight));
  return tracker;
}

const wchar_t kA[] = L"a.txt - 记事本";
const wchar_t kB[] = L"b.txt - 记事本";
constexpr int k2300 = 23 * 60, k2359 = 23 * 60 + 59;
// "😀.txt" as UTF-16 gives it, where wchar_t is UTF-32 (on Windows, L"😀.txt" itself).
const wchar_t kEmojiAsPair[] = {wchar_t(0xD83D), wchar_t(0xDE00), L'.', L't', L'x', L't', 0};

TEST(WritingTracker, GrowthIsEachDocumentsLatestMinusItsFirstTotalOfTheDay) {
  const struct {
    const char* why;
    std::vector<Sight> sights;
    std::vector<int64_t> days;  // growth of the last days, ending at the last sight
  } cases[] = {
      {"typing", {{kA, 100, 0, 600}, {L"*a.txt - 记事本", 130, 0, 601}, {kA, 180, 0, 602}}, {80}},
      {"deleting lowers it, below zero too", {{kA, 100, 0, 600}, {kA, 60, 0, 601}}, {-40}},
      {"a big block pasted", {{kA, 100, 0, 600}, {kA, 50100, 0, 600}}, {50000}},
      {"two documents add up",
       {{kA, 100, 0, 600}, {kB, 10, 0, 600}, {kA, 150, 0, 601}, {kB, 30, 0, 602}}, {70}},
      {"Save As: the new name starts at its total then",
       {{kA, 100, 0, 600}, {kA, 150, 0, 601}, {kB, 150, 0, 602}, {kB, 160, 0, 603}}, {60}},
      {"a leading \"● \" is a modified mark",
       {{L"a.txt", 100, 0, 600}, {L"● a.txt", 110, 0, 601}}, {10}},
      {"a trailing \" *\" is one", {{L"a.txt", 100, 0, 600}, {L"a.txt *", 110, 0, 601}}, {10}},
      {"a trailing \" •\" is one", {{L"a.txt", 100, 0, 600}, {L"a.txt •", 110, 0, 601}}, {10}},
      {"an emoji the same in UTF-16 and UTF-32",
       {{L"\U0001F600.txt", 100, 0, 600}, {kEmojiAsPair, 130, 0, 601}}, {30}},
      {"marks at both ends come off together",
       {{L"a.txt", 100, 0, 600}, {L"● *a.txt *", 110, 0, 601}}, {10}},
      {"saved between two sightings: the same document",
       {{L"*a.txt - 记事本", 100, 0, 600}, {kA, 130, 0, 601}}, {30}},
      {"renamed between two sightings: a new one, from its total then",
       {{kA, 100, 0, 600}, {kB, 140, 0, 601}}, {0}},
      {"known the day before: it starts where that day left it",
       {{kA, 100, 0, k2300}, {kA, 200, 0, k2359}, {kA, 260, 1, 10}}, {100, 60}},
      {"first seen after midnight: it starts at its first total",
       {{kA, 100, 0, k2300}, {kB, 500, 1, 5}, {kB, 520, 1, 6}}, {0, 20}},
      {"typing through midnight: each day its own part",
       {{kA, 100, 0, k2300}, {kA, 150, 0, k2359}, {kA, 170, 1, 0}, {kA, 200, 1, 1}}, {50, 50}},
      {"a week without sightings: the days between have none",
       {{kA, 100, 0, 600}, {kA, 200, 0, 601}, {kA, 260, 7, 600}}, {100, 0, 0, 0, 0, 0, 0, 60}},
      {"the clock set back a day: still today", {{kA, 100, 1, 600}, {kA, 130, 0, 605}}, {0, 30}},
      {"marks alone and totals out of range are no sighting",
       {{kA, 100, 0, 600}, {L"*", 500, 0, 601}, {kA, -5, 0, 602}, {kA, kLargestTotal + 1, 0, 603}},
       {0}},
      {"the largest total is a sighting", {{kA, 0, 0, 600}, {kA, kLargestTotal, 0, 601}},
       {kLargestTotal}},
  };
  for (const auto& c : cases) {
    const WritingTracker tracker = Seen(c.sights);
    const LocalTime last = TimeOf(c.sights.back());
    const WritingPicture picture = tracker.Picture(int(c.days.size()), last);
    EXPECT_EQ(c.days, picture.growth) << c.why;
    EXPECT_EQ(c.days.back(), tracker.TodayGrowth(last)) << c.why;
    // Every day in these has a row, or none and less than the best: today
    // and a day below zero can be the best too.
    EXPECT_EQ(*std::max_element(c.days.begin(), c.days.end()), picture.bestGrowth) << c.why;
  }
}

TEST(WritingTracker, ActiveMinutesAreDistinctMinutesOfChangePerDocument) {
  const struct {
    const char* why;
    std::vector<Sight> sights;
    int minutes;
    std::optional<double> speed;  // per hour
  } cases[] = {
      {"first sightings only: no speed", {{kA, 100, 0, 600}, {kB, 50, 0, 601}}, 0, std::nullopt},
      {"three changes in one minute",
       {{kA, 100, 0, 600}, {kA, 110, 0, 601}, {kA, 120, 0, 601}, {kA, 130, 0, 601}}, 1, 1800},
      {"a minute seen unchanged is not active",
       {{kA, 100, 0, 600}, {kA, 160, 0, 601}, {kA, 160, 0, 602}, {kA, 160, 0, 603}}, 1, 3600},
      {"two documents changed in one minute count twice",
       {{kA, 100, 0, 600}, {kB, 100, 0, 600}, {kA, 130, 0, 601}, {kB, 130, 0, 601}}, 2, 1800},
      {"a clock minute come round again counts once",
       {{kA, 100, 0, 600}, {kA, 110, 0, 601}, {kA, 120, 0, 602}, {kA, 130, 0, 601}}, 2, 900},
      {"deleting is writing too, at a pace below zero", {{kA, 100, 0, 600}, {kA, 40, 0, 601}}, 1,
       -3600},
      {"a new day starts without any",
       {{kA, 100, 0, k2359}, {kA, 110, 0, k2359}, {kA, 110, 1, 0}}, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    const WritingTracker tracker = Seen(c.sights);
    const LocalTime last = TimeOf(c.sights.back());
    EXPECT_EQ(c.minutes, tracker.ActiveMinutes(last)) << c.why;
    EXPECT_EQ(c.speed, tracker.SpeedPerHour(last)) << c.why;
  }
}

// An editor left in front is seen on every tick: each unchanged sighting
// had the window rewrite the whole history, every 30 s all day.
TEST(WritingTracker, OnlyASightingThatChangesSomethingAsksForASave) {
  WritingTracker tracker;
  EXPECT_TRUE(tracker.Observe(kA, 100, {kDay0, 600}));  // first seen today
  EXPECT_FALSE(tracker.Observe(kA, 100, {kDay0, 601}));
  EXPECT_TRUE(tracker.Observe(kA, 130, {kDay0, 602}));
  EXPECT_TRUE(tracker.Observe(kA, 130, {kDay0 + 1, 0}));  // the new day's row
}

// Asked after midnight before any sighting, today has nothing yet.
TEST(WritingTracker, TheNewDayShowsNothingBeforeItsFirstSighting) {
  const WritingTracker tracker = Seen({{kA, 100, 0, 600}, {kA, 150, 0, 601}});
  const LocalTime next = {kDay0 + 1, 0};
  EXPECT_EQ(0, tracker.TodayGrowth(next));
  EXPECT_EQ(std::nullopt, tracker.SpeedPerHour(next));
  EXPECT_TRUE(tracker.TodayRows(next).empty());
  EXPECT_EQ((std::vector<int64_t>{50, 0}), tracker.Picture(2, next).growth);
}

TEST(WritingText, SlotAndSpeedTextsGroupNumbersAsTheProductDoes) {
  const struct {
    int64_t growth, target;
    const wchar_t* shown;
  } slots[] = {
      {12345, 0, L"今日 1,2345"},                         // no target
      {3214, 4000, L"今日 3214 / 4000（80%）"},
      {3999, 4000, L"今日 3999 / 4000（99%）"},           // rounded down
      {50000, 4000, L"今日 5,0000 / 4000（1250%）"},
      {-120, 4000, L"今日 -120 / 4000（-3%）"},           // -3.0 %
      {-1, 4000, L"今日 -1 / 4000（-1%）"},               // floor of -0.025 %
      {0, -5, L"今日 0"},                                 // a target below zero is none
      {kLargestTotal, 1, L"今日 9007,1992,5474,0992 / 1（90,0719,9254,7409,9200%）"},
      // A day's sum held at the largest int64_t: its share at that of 2^54.
      {std::numeric_limits<int64_t>::max(), 4000,
       L"今日 922,3372,0368,5477,5807 / 4000（450,3599,6273,7049%）"},
  };
  for (const auto& c : slots) EXPECT_EQ(c.shown, TodaySlotText(c.growth, c.target)) << c.growth;

  EXPECT_EQ(L"1820 字/小时", SpeedText(1820.9));
  EXPECT_EQ(L"1,2345 字/小时", SpeedText(12345.0));
  EXPECT_EQ(L"-60 字/小时", SpeedText(-60.0));
  EXPECT_EQ(L"", SpeedText(std::nullopt));
}

// The record's bars and target line: a day or a target of any size gets
// its share of the picture's height (a target of 5,000,000 times the 1,000
// steps the picture once used overflowed an int, and its line fell
// anywhere), a lost day none.
TEST(WritingPictureScale, AnyDayOrTargetGetsItsShareOfTheHeight) {
  constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
  const struct {
    int64_t value, top;
    int share;
  } cases[] = {
      {0, 4000, 0},          {-300, 4000, 0},          {1000, 4000, 50},
      {4000, 4000, 200},     {9000, 4000, 200},        {5000000, 5000000, 200},
      {2500000, 5000000, 100}, {kMost / 2, kMost, 100}, {kMost, kMost, 200},
      {1, kMost, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.share, ShareOfSpan(c.value, c.top, 200)) << c.value << " of " << c.top;
}

// What the daily target dialog takes: digits with blanks around them, or
// nothing for no target; anything else is refused, never read as a part.
TEST(WritingText, ADailyTargetIsAWholeNumberOrNothing) {
  const struct {
    const wchar_t* typed;
    std::optional<int> target;
  } cases[] = {
      {L"", 0},                     // empty: no target
      {L"  ", 0},                   // blank
      {L"0", 0},
      {L"4000", 4000},
      {L" 4000\t", 4000},           // blanks around it
      {L"\u30004000\u3000", 4000},  // the ideographic space an input method types
      {L"2147483647", 2147483647},  // the largest a setting holds
      {L"2147483648", std::nullopt},
      {L"99999999999999999999", std::nullopt},
      {L"-5", std::nullopt},
      {L"+5", std::nullopt},
      {L"4,000", std::nullopt},
      {L"40 00", std::nullopt},
      {L"3.5", std::nullopt},
      {L"四千", std::nullopt},
      {L"\uFF14\uFF10", std::nullopt},  // full-width digits
      {L"abc", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(c.target, ParseDailyTarget(c.typed)) << c.typed;
}

}  // namespace
