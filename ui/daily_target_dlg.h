#pragma once
// The daily target dialog (每日目标): a whole number of characters, as
// 合计勾选项 counts them; 0 or empty for no target. Anything else is
// refused with a message and the dialog stays open.

#include <windows.h>

#include <optional>
#include <string>

// Asks for the target, showing `current`; the new one, or nothing when the
// dialog was cancelled.
std::optional<int> AskDailyTarget(HWND parent, int current);
