#pragma once
// Constants and tables the main dialog's parts share.

#include <windows.h>

#include <string>

#include "engine/app_state.h"
#include "res/resource.h"
#include "settings/settings_store.h"

// The sampling timer of the foreground editor.
constexpr UINT_PTR kSamplingTimer = 0;
constexpr int kDefaultIntervalMs = 100;
// How long closing waits for a cancelled file count to stop.
constexpr DWORD kCountEndWaitMs = 900;
// The longest interval the timer accepts.
constexpr int kMaxIntervalMs = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM

inline constexpr char kHintText[] = "【拖拽txt文件到界面也可得到结果】";
inline constexpr char kAlteredProgramWarning[] =
    "Vantorix 程序文件已被改动，可能已损坏或被篡改。\n为安全起见，程序将退出，请重新获取 Vantorix。";

// The category tick boxes, their flags and settings.
struct CategoryBox {
  int id;
  int* flag;
  const char* subkey;
  bool tickedByDefault;
};
extern const CategoryBox kCategoryBoxes[4];

// Ticks are stored as "Yes" or "No" under the value "是否启用" of `subkey`.
void StoreTick(const char* subkey, bool ticked);
// The stored tick text: "Yes", "No", or anything else (a failed read).
std::string StoredTick(const char* subkey);

// Compact strip geometry, in pixels.
constexpr int kCompactWidth = 129;
constexpr int kCompactTotalHeight = 20;
int CompactOffset();

// True when a window of that size at `topLeft` would show on some monitor.
bool IsOnSomeMonitor(POINT topLeft, int width, int height);
