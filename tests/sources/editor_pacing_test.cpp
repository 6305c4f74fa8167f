// When the editor sampler copies the editor's text: moved probes or a due
// refresh, spaced by what the last copy cost.
#include "sources/editor_pacing.h"

#include <gtest/gtest.h>

namespace {

EditorProbes Probes() {
  EditorProbes p;
  p.edit = 0x1234;
  p.length = 7000000;
  p.lines = 132351;
  p.selection = 0x00050005;
  return p;
}

// A state after a copy of Probes() that took `costMs` and ended at `endMs`.
EditorSamplerState CopiedAt(std::uint32_t endMs, std::uint32_t costMs) {
  EditorSamplerState state;
  const EditorProbes taken = Probes();
  NoteCopy(state, &taken, endMs - costMs, endMs);
  return state;
}

TEST(EditorPacing, AFreshStateCopiesAtOnce) {
  EXPECT_TRUE(FullCopyDue(EditorSamplerState(), Probes(), 0));
  EXPECT_TRUE(FullCopyDue(EditorSamplerState(), Probes(), 123456));
}

TEST(EditorPacing, AnUnchangedEditorIsCopiedAgainAfter25TimesTheLastCost) {
  const EditorSamplerState state = CopiedAt(1000, 200);
  EXPECT_FALSE(FullCopyDue(state, Probes(), 1100));
  EXPECT_FALSE(FullCopyDue(state, Probes(), 5999));
  EXPECT_TRUE(FullCopyDue(state, Probes(), 6000));
}

TEST(EditorPacing, AnyMovedProbeIsCopiedOnceTheLastCostHasPassed) {
  struct Change {
    const char* why;
    void (*apply)(EditorProbes&);
  };
  const Change changes[] = {
      {"a letter typed", [](EditorProbes& p) { ++p.length; }},
      {"a line split where a letter went", [](EditorProbes& p) { ++p.lines; }},
      {"a letter typed over a selected one", [](EditorProbes& p) { p.selection = 0x00060006; }},
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

TEST(EditorPacing, ATextCopiedInNoTimeIsCopiedOnEveryTick) {
  EXPECT_TRUE(FullCopyDue(CopiedAt(1000, 0), Probes(), 1000));
}

TEST(EditorPacing, AFailedCopyIsRetriedAsAChangeIs) {
  EditorSamplerState state = CopiedAt(1000, 200);
  NoteCopy(state, nullptr, 2000, 2300);
  EXPECT_FALSE(FullCopyDue(state, Probes(), 2599));
  EXPECT_TRUE(FullCopyDue(state, Probes(), 2600));
}

TEST(EditorPacing, TheTickCountMayWrapBetweenCopies) {
  const std::uint32_t end = 0xFFFFFF00u, due = end + kUnchangedSpacing * 100;  // wraps
  const EditorSamplerState state = CopiedAt(end, 100);
  EXPECT_FALSE(FullCopyDue(state, Probes(), due - 1));
  EXPECT_TRUE(FullCopyDue(state, Probes(), due));
}

TEST(EditorPacing, TheCopyTimeLimitStartsAtTheProbesAndGrowsWithTheText) {
  EXPECT_EQ(kProbeTimeLimitMs, CopyTimeLimitMs(0));
  EXPECT_EQ(kProbeTimeLimitMs, CopyTimeLimitMs(99999));
  EXPECT_LT(CopyTimeLimitMs(1000000), CopyTimeLimitMs(10000000));
  EXPECT_NE(0xFFFFFFFFu, CopyTimeLimitMs(~std::uint64_t(0)));  // never "wait forever"
}

}  // namespace
