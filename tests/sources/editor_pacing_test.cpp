// When the editor sampler copies the editor's text: moved probes or a due
// refresh, spaced by what the last copy cost; and when it probes.
#include "sources/editor_pacing.h"

#include <gtest/gtest.h>

namespace {

EditorProbes Probes() {
  EditorProbes p;
  p.edit = 0x1234;
  p.length = 7000000;
  p.lines = 132351;
  p.selStart = 5;  // one letter selected
  p.selEnd = 6;
  return p;
}

// A state after a copy of Probes() that took `costMs` and ended at `endMs`.
EditorSamplerState CopiedAt(std::uint32_t endMs, std::uint32_t costMs) {
  EditorSamplerState state;
  const EditorProbes taken = Probes();
  NoteCopy(state, &taken, endMs - costMs, endMs);
  return state;
}

// The first tick and no tick after a copy whose cost has not passed: the
// last moment that does not copy, and the first that does.
TEST(EditorPacing, AnUnchangedEditorIsCopiedFirstAndThenAfter25TimesTheLastCost) {
  EditorSamplerState failed = CopiedAt(1000, 200);
  NoteCopy(failed, nullptr, 2000, 2300);  // retried as a change is
  const std::uint32_t wrapped = 0xFFFFFF00u;
  const struct {
    const char* why;
    EditorSamplerState state;
    std::uint32_t lastWithout, first;
  } cases[] = {
      {"a fresh state", EditorSamplerState(), 0, 0},
      {"a copy of 200 ms", CopiedAt(1000, 200), 5999, 6000},
      {"a copy of no time: every tick", CopiedAt(1000, 0), 1000, 1000},
      {"a failed copy", failed, 2599, 2600},
      {"a clock that wraps", CopiedAt(wrapped, 100), wrapped + 2499, wrapped + 2500},
  };
  for (const auto& c : cases) {
    if (c.lastWithout != c.first) {
      EXPECT_FALSE(FullCopyDue(c.state, Probes(), c.lastWithout)) << c.why;
    }
    EXPECT_TRUE(FullCopyDue(c.state, Probes(), c.first)) << c.why;
  }
}

TEST(EditorPacing, AnyMovedProbeIsCopiedOnceTheLastCostHasPassed) {
  struct Change {
    const char* why;
    void (*apply)(EditorProbes&);
  };
  const Change changes[] = {
      {"a letter typed", [](EditorProbes& p) { ++p.length; }},
      {"a line split where a letter went", [](EditorProbes& p) { ++p.lines; }},
      {"a letter typed over the selected one", [](EditorProbes& p) { p.selStart = 6; }},
      {"the first edit after a save", [](EditorProbes& p) { p.modified = true; }},
      {"another editor in front", [](EditorProbes& p) { p.edit = 0x5678; }},
  };
  const EditorSamplerState state = CopiedAt(1000, 200);
  for (const Change& change : changes) {
    SCOPED_TRACE(change.why);
    EditorProbes now = Probes();
    change.apply(now);
    EXPECT_FALSE(FullCopyDue(state, now, 1199));
    EXPECT_TRUE(FullCopyDue(state, now, 1200));
  }
}

// A selection that grows, shrinks or moves, or a caret that moves, leaves
// the text as it was: it is counted from the copy already held.
TEST(EditorPacing, AMovedSelectionIsNoChangeOfTheText) {
  const EditorSamplerState state = CopiedAt(1000, 200);
  EditorProbes grown = Probes(), caret = Probes(), moved = Probes();
  grown.selEnd = 70000;  // past 65,536
  EXPECT_FALSE(TextMayDiffer(Probes(), grown));
  EXPECT_FALSE(FullCopyDue(state, grown, 1200));
  EXPECT_NE(Probes(), grown);  // though the counts shown are no longer its
  caret.selStart = caret.selEnd = 2;
  moved.selStart = moved.selEnd = 9;
  EXPECT_FALSE(TextMayDiffer(caret, moved));
  EXPECT_FALSE(TextMayDiffer(caret, grown));  // a selection made from the caret
}

// Probes that took their time wait 9 times as long after them; those of
// no time, or of another control, come on the next tick.
TEST(EditorPacing, ProbesAreSpacedByNineTimesTheirLastCostPerControl) {
  const std::uint32_t wrapped = 0xFFFFFFF0u;
  const struct {
    const char* why;
    std::uint32_t startMs, endMs;
    std::uintptr_t next;  // the control the next tick finds
    std::uint32_t lastWithout, first;
  } cases[] = {
      {"probes of 40 ms", 1000, 1040, 0x1234, 1399, 1400},
      {"probes of no time: every tick", 1000, 1000, 0x1234, 1000, 1000},
      {"another control", 1000, 1040, 0x5678, 1040, 1040},
      {"a clock that wraps", wrapped, wrapped + 40, 0x1234, wrapped + 399, wrapped + 400},
  };
  EXPECT_TRUE(ProbesDue(EditorSamplerState(), 0x1234, 0));
  for (const auto& c : cases) {
    EditorSamplerState state;
    NoteProbes(state, 0x1234, c.startMs, c.endMs);
    if (c.lastWithout != c.first) {
      EXPECT_FALSE(ProbesDue(state, c.next, c.lastWithout)) << c.why;
    }
    EXPECT_TRUE(ProbesDue(state, c.next, c.first)) << c.why;
  }
}

TEST(EditorPacing, TheCopyTimeLimitStartsAtTheProbesAndGrowsWithTheText) {
  EXPECT_EQ(kProbeTimeLimitMs, CopyTimeLimitMs(0));
  EXPECT_EQ(kProbeTimeLimitMs, CopyTimeLimitMs(99999));
  EXPECT_LT(CopyTimeLimitMs(1000000), CopyTimeLimitMs(10000000));
  EXPECT_NE(0xFFFFFFFFu, CopyTimeLimitMs(~std::uint64_t(0)));  // never "wait forever"
}

}  // namespace
