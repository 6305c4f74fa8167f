#pragma once
// GDI drawing of the skin's parts. Stateless: callers pass the skin, the
// element and the colours they have settled on.

#include <windows.h>

#include "skin/lib/skin_file.h"

namespace vxskin {

// 0x00RRGGBB from the file to a COLORREF (0x00BBGGRR).
inline COLORREF ToColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A skin's size in pixels at 96 DPI (a radius, a border, the gloss band) at
// `hwnd`'s DPI: the skin looks alike on every display.
int Px(HWND hwnd, int pixels);

// `b` laid over `a` at opacity `alpha` (0..255); exact at both ends.
COLORREF Mix(COLORREF a, COLORREF b, int alpha);

// The dialog background, cx x cy, top-down 32-bit DIB: a vertical gradient
// from the skin's top to bottom colour, with a gloss band over its first
// `glossHeight` rows at `glossAlpha` on row 0, fading to nothing.
HBITMAP MakeDialogBackground(const SkinData& skin, int cx, int cy,
                             int glossAlpha, int glossHeight);

// Group box: rounded frame from the caption's middle down, and the caption
// on a filled plate. Draws no interior: the controls inside show through.
void PaintGroupBox(HWND hwnd, HDC dc, const SkinData& skin,
                   const SkinElement& el, COLORREF text);

// Push button face, frame, caption and focus cue; `back`, if any, fills the
// corners outside the rounded face.
void PaintPushButton(HWND hwnd, HDC dc, const SkinElement& el, COLORREF text,
                     HBRUSH back);

// Repaints the border of an edit box (its non-client edge) flat.
void PaintEditFrame(HWND hwnd, const SkinElement& el);

}  // namespace vxskin
