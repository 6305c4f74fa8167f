#pragma once
// The statistics engine's entry points and its output, the result slots.

#include <cstddef>

#include "engine/app_state.h"

// Rescans `text` (0-terminated, code page 936) into the counters when
// `rescan` is non-zero, then shows the counters and the total of the ticked
// categories in the result slots, always in the order 1011, 1012, 1013,
// 1014, 1015, 1020, then Word's figures in 1022 and 1023. With `rescan` zero
// the text is ignored: a change of tick shows a new total without
// rescanning.
void Recount(const char* text, int rescan);

// The total of the ticked categories.
Count TickedTotal();

// Writes "0" into the eight result slots; the counters keep their values.
void ShowZeroResults();

// Where results go: replaces the whole text of the main dialog's control
// `id` with `text`, which is UTF-16 on Windows: the status line shows file
// names and captions in any script. The window layer connects the sink;
// until then writes are dropped.
using SlotSink = void (*)(int id, const wchar_t* text);
void SetSlotSink(SlotSink sink);
void SetSlotText(int id, const wchar_t* text);
