#include "sources/editor_pacing.h"

bool operator==(const EditorProbes& a, const EditorProbes& b) {
  return SameText(a, b) && a.selStart == b.selStart && a.selEnd == b.selEnd &&
         a.ranges == b.ranges;
}

bool operator!=(const EditorProbes& a, const EditorProbes& b) { return !(a == b); }

bool SameText(const EditorProbes& a, const EditorProbes& b) {
  return a.edit == b.edit && a.length == b.length && a.lines == b.lines &&
         a.modified == b.modified && a.codePage == b.codePage;
}

bool TextMayDiffer(const EditorProbes& before, const EditorProbes& now) {
  return !SameText(before, now) || (before.HasSelection() && !now.HasSelection());
}

bool FullCopyDue(const EditorSamplerState& state, const EditorProbes& now,
                 std::uint32_t nowMs) {
  const bool changed = !state.counted || TextMayDiffer(state.probes, now);
  const std::uint64_t wait =
      std::uint64_t(changed ? kChangedSpacing : kUnchangedSpacing) * state.copyCostMs;
  return std::uint32_t(nowMs - state.copyEndMs) >= wait;
}

void NoteCopy(EditorSamplerState& state, const EditorProbes* taken, std::uint32_t startMs,
              std::uint32_t endMs) {
  state.counted = taken != nullptr;
  if (taken) state.probes = *taken;
  state.copyEndMs = endMs;
  state.copyCostMs = endMs - startMs;
}

bool ProbesDue(const EditorSamplerState& state, std::uintptr_t edit, std::uint32_t nowMs) {
  const std::uint64_t wait = std::uint64_t(kProbeSpacing) * state.probeCostMs;
  return edit != state.probedEdit || std::uint32_t(nowMs - state.probeEndMs) >= wait;
}

void NoteProbes(EditorSamplerState& state, std::uintptr_t edit, std::uint32_t startMs,
                std::uint32_t endMs) {
  state.probedEdit = edit;
  state.probeEndMs = endMs;
  state.probeCostMs = endMs - startMs;
}

std::uint32_t CopyTimeLimitMs(std::uint64_t length) {
  const std::uint64_t limit = kProbeTimeLimitMs + length / 100000 * 4;
  constexpr std::uint32_t kLongest = 0xFFFFFFFEu;  // one short of INFINITE
  return limit > kLongest ? kLongest : std::uint32_t(limit);
}
