#pragma once
// VxSkin.dll: restyles the dialogs of the process that loads it from a
// ".she" skin file. The program resolves the five functions below by name
// with GetProcAddress; the typedefs are what it casts the addresses to.
//
// All five use the __stdcall convention (SKIN_API) and are exported with
// their plain names (no leading underscore, no @N), on i686 and x86_64
// alike. Call them from the thread that owns the dialogs (the UI thread):
// the skin follows the windows of that thread only, never another process.
//
// Every function returns an int: SKIN_OK (0) on success, otherwise one of
// the SKIN_E_* codes. A call that fails changes nothing.

// Result codes. The parser shares them, so this part is plain C.
#define SKIN_OK 0
#define SKIN_E_ARG 1           // bad argument: null path, non-null reserved
                               // pointer, a reserved integer not 0
#define SKIN_E_OPEN 2          // skin file missing or unreadable
// The file was read but is not a usable skin (codes 3 to 10):
#define SKIN_E_EMPTY 3         // the file is empty
#define SKIN_E_MAGIC 4         // does not start with ".SHE"
#define SKIN_E_VERSION 5       // a format version this DLL does not read
#define SKIN_E_TRUNCATED 6     // shorter than its header or its stated length
#define SKIN_E_LENGTH 7        // longer than its stated length, or stated
                               // length impossible (under the header, > 1 MiB)
#define SKIN_E_CHECKSUM 8      // contents do not match the stored CRC-32
#define SKIN_E_TABLE 9         // a table lies outside the file or overlaps
                               // the header
#define SKIN_E_DATA 10         // an entry is invalid: unknown or repeated id,
                               // unknown element kind, value out of range,
                               // reserved field not 0
#define SKIN_E_NOT_ATTACHED 11 // no skin attached yet (Skin_Map, SetForeColor)
#define SKIN_E_WINDOW 12       // not a window of the calling thread
#define SKIN_E_ELEMENT 13      // the skin has no element with that id
#define SKIN_E_KIND 14         // the element does not suit that control
#define SKIN_E_SYSTEM 15       // Windows refused (hook or subclass)

#ifdef _WIN32
#include <windows.h>

#define SKIN_API __stdcall

#ifdef __cplusplus
extern "C" {
#endif

// Attaches the skin in the file `path` (full path, UTF-16) to the
// calling thread: every top-level dialog of the thread and its controls
// now, and those created later (a thread-local CBT hook). `reserved` must
// be NULL. Calling it again with another file replaces the skin; if the new
// file is bad, the old skin stays as it was. On error nothing is touched.
// Returns SKIN_OK, SKIN_E_ARG, SKIN_E_OPEN, 3..10 for a malformed file, or
// SKIN_E_SYSTEM.
int SKIN_API Skin_AttachEx(const wchar_t* path, void* reserved);

// Tunes the glass look of skinned top-level dialogs:
//   glossAlpha   opacity 0..255 of a white gloss band fading down from the
//                top edge of the dialog's client area (0 = none);
//   glossHeight  height of that band in pixels, 1..64; 0 = the skin's own;
//   cornerRadius radius 0..24 of the window's rounded corners (a window
//                region, re-applied on resize; 0 = square; none while the
//                window is maximised);
//   reserved1..6 must be 0.
// Out-of-range values are clamped. Works before or after Skin_AttachEx;
// before, the values wait for the skin. Returns SKIN_OK or SKIN_E_ARG.
int SKIN_API Skin_AdjustAero(int glossAlpha, int glossHeight, int cornerRadius,
                             int reserved1, int reserved2, int reserved3,
                             int reserved4, int reserved5, int reserved6);

// Opacity of the popup menus (class "#32768") the thread opens from now on:
// 0..255, 255 = opaque. Clamped, with 32 as the floor so that a menu never
// turns invisible. Returns SKIN_OK.
int SKIN_API Skin_SetMenuAlpha(int alpha);

// Draws the control `hwnd` as the skin's element number `element` (for the
// default skin, 1018 = group box: rounded frame, caption on a filled
// plate). The mapping outlives a change of skin; a skin without that
// element leaves the control to its normal drawing. Returns SKIN_OK,
// SKIN_E_NOT_ATTACHED, SKIN_E_WINDOW, SKIN_E_ELEMENT (no such element) or
// SKIN_E_KIND (e.g. a group-box element on an edit box).
int SKIN_API Skin_Map(HWND hwnd, int element);

// Text colour of the control `hwnd` (static, check box, radio button,
// group box, push button): red, green, blue, each clamped to 0..255. It
// wins over both the skin's colours and the parent's own WM_CTLCOLOR*
// choice. Returns SKIN_OK, SKIN_E_NOT_ATTACHED or SKIN_E_WINDOW.
int SKIN_API Skin_SetForeColor(HWND hwnd, int red, int green, int blue);

#ifdef __cplusplus
}
#endif

typedef int(SKIN_API* SkinAttachExFn)(const wchar_t* path, void* reserved);
typedef int(SKIN_API* SkinAdjustAeroFn)(int glossAlpha, int glossHeight,
                                        int cornerRadius, int reserved1,
                                        int reserved2, int reserved3,
                                        int reserved4, int reserved5,
                                        int reserved6);
typedef int(SKIN_API* SkinSetMenuAlphaFn)(int alpha);
typedef int(SKIN_API* SkinMapFn)(HWND hwnd, int element);
typedef int(SKIN_API* SkinSetForeColorFn)(HWND hwnd, int red, int green,
                                          int blue);

#endif  // _WIN32
