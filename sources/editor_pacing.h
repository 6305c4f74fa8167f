#pragma once
// When the foreground editor sampler copies the editor's whole text. The
// copy crosses processes and costs both sides in proportion to the text
// (a tenth to a fifth of a second for 10 MB under Wine), while the probes
// before it (length, line count, selection, modified flag) cost next
// to nothing whatever the size. So a tick probes, and copies only when the
// probes moved or a refresh is due, spaced by what the last copy cost.
// Portable: no window code, tested natively.

#include <cstdint>

// The editor's cheap answers. Equal probes mean the text most likely did
// not change; they miss an edit that keeps them all, such as another
// program replacing a text by one as long, hence the refresh.
struct EditorProbes {
  std::uintptr_t edit = 0;      // the text control, 0 for an editor without one
  std::uint64_t length = 0;     // in the control's own units
  std::uint64_t lines = 0;
  std::uint64_t selStart = 0;   // the selection, in the control's own positions
  std::uint64_t selEnd = 0;
  std::uint32_t ranges = 1;     // Scintilla's multiple or rectangular selections: more
  std::uint32_t codePage = 0;   // where positions count bytes: their code page
  bool modified = false;
  bool HasSelection() const { return selEnd > selStart; }
};
bool operator==(const EditorProbes& a, const EditorProbes& b);
bool operator!=(const EditorProbes& a, const EditorProbes& b);

// True when `a` and `b` say the same text: the same control, length, line
// count, modified flag and code page, whatever the selection.
bool SameText(const EditorProbes& a, const EditorProbes& b);

// True when `now` says the text may differ from the one `before` was taken
// with: another control, its length, line count or modified flag moved, or
// a selection collapsed to a caret (typing over a selection can keep the
// length). A selection or caret that only moved leaves the text as it was:
// its count comes from the copy already held.
bool TextMayDiffer(const EditorProbes& before, const EditorProbes& now);

// What the sampler remembers between ticks. A default one probes and
// copies at once.
struct EditorSamplerState {
  bool counted = false;         // the results show a copy taken with `probes`
  EditorProbes probes;
  std::uint32_t copyEndMs = 0;  // when the last copy ended, on a wrapping clock
  std::uint32_t copyCostMs = 0; // how long it took, counting included
  std::uintptr_t probedEdit = 0;  // the control last probed,
  std::uint32_t probeEndMs = 0;   // when its probes ended,
  std::uint32_t probeCostMs = 0;  // and how long they took
};

// A change is copied once the last copy's cost has passed since it ended
// (copying at most half the time while the user types); an unchanged editor
// once 25 times that cost has passed, so the refresh takes at most 4 % of a
// core on either side, whatever the machine. A small text costs under a
// millisecond and is copied on every tick, as the user expects.
constexpr std::uint32_t kChangedSpacing = 1;
constexpr std::uint32_t kUnchangedSpacing = 25;

// The probes run on the window's thread. An editor at rest answers them in
// well under a millisecond, and is probed on every tick; one busy between
// its messages may take up to each probe's time limit. Its next probes wait
// 9 times what its last ones took, so that they hold the window's thread a
// tenth of the time at most, and the window stays at the user's service.
constexpr std::uint32_t kProbeSpacing = 9;

// True when a tick at `nowMs` should probe the text control `edit`; another
// control than the last one probed is probed at once.
bool ProbesDue(const EditorSamplerState& state, std::uintptr_t edit, std::uint32_t nowMs);

// Notes probes of `edit` from `startMs` to `endMs`, answered or not.
void NoteProbes(EditorSamplerState& state, std::uintptr_t edit, std::uint32_t startMs,
                std::uint32_t endMs);

// True when a tick at `nowMs` (milliseconds on a clock that wraps at 2^32)
// should copy the editor whose probes are `now`.
bool FullCopyDue(const EditorSamplerState& state, const EditorProbes& now,
                 std::uint32_t nowMs);

// Notes a copy from `startMs` to `endMs`: `taken` holds the probes taken
// before it, or is null when the copy failed. A selection counted from the
// copy already held is noted by setting state.probes' selection.
void NoteCopy(EditorSamplerState& state, const EditorProbes* taken, std::uint32_t startMs,
              std::uint32_t endMs);

// Each probe's time limit, and the copy's for a text of `length` UTF-16
// units: the probe's limit and 4 ms more per 100,000 units (a 10 MB text
// gets 330 to 450 ms). Windows holds the whole copy to the limit: a fixed
// one would leave every document of a few MB uncounted.
constexpr std::uint32_t kProbeTimeLimitMs = 50;
std::uint32_t CopyTimeLimitMs(std::uint64_t length);
