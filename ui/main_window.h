#pragma once
// Constants and tables the main dialog's parts share.

#include <windows.h>

#include <string>

#include "engine/app_state.h"
#include "ui/window_state.h"
#include "res/resource.h"
#include "res/texts.h"
#include "settings/settings_store.h"

// The mode list's entries, in their order.
enum CalcMode : int {
  kModeEditor = 0,     // the Notepad window in the foreground, on the sampling timer
  kModeClipboard = 1,  // the clipboard, on every change
  kModeFile = 2,       // a file, chosen or dropped
  kModeNone = -1,      // no entry selected
};

// The sampling timer of the foreground editor.
constexpr UINT_PTR kSamplingTimer = 0;
constexpr int kDefaultIntervalMs = 100;
// How long closing waits for a cancelled file count to stop.
constexpr DWORD kCountEndWaitMs = 900;
// The longest interval the timer accepts.
constexpr int kMaxIntervalMs = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM

// The category tick boxes, their flags and settings.
struct CategoryBox {
  int id;
  int* flag;
  const wchar_t* subkey;
  bool tickedByDefault;
};
extern const CategoryBox kCategoryBoxes[4];

// `pixels` at 96 DPI, at the window's DPI.
inline int Scaled(int pixels) { return MulDiv(pixels, g_windowDpi, 96); }

// The DPI of `window`'s monitor (the system's on systems before Windows 10).
int WindowDpi(HWND window);

// Compact strip geometry, in pixels at 96 DPI (Scaled for the window's): a
// strip this wide, moved right by the offset, the total box across it. The
// skin's frame is taller.
constexpr int kCompactWidth = 129;
constexpr int kCompactTotalHeight = 20;
// Today's writing, below the total.
constexpr int kCompactTodayHeight = 20;
// Today's slot's place in the full window, taken when the strip first shows.
extern RECT g_todayPlace;
// How much wider than kCompactWidth the strip is (it grows to the left).
extern int g_stripExtra;
constexpr int kPlainCompactHeight = 42, kPlainCompactOffset = 105;
constexpr int kSkinnedCompactHeight = 55, kSkinnedCompactOffset = 115;
inline int CompactOffset() {
  return Scaled(g_skinned ? kSkinnedCompactOffset : kPlainCompactOffset);
}

// True when a window `width` wide at `topLeft`, its caption `captionHeight`
// tall, would leave the user a grip on that caption: its whole height and a
// square of it inside some monitor's work area.
bool CaptionIsReachable(POINT topLeft, int width, int captionHeight);
