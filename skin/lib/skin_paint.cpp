#include "skin/lib/skin_paint.h"

#include <algorithm>
#include <string>

namespace vxskin {
namespace {

// Selects a GDI object for the lifetime of the scope.
class Select {
 public:
  Select(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  ~Select() { SelectObject(dc_, old_); }
  Select(const Select&) = delete;
  Select& operator=(const Select&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

HFONT ControlFont(HWND hwnd) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int Lerp(int a, int b, int num, int den) {
  return den ? a + (b - a) * num / den : a;
}

// A control's whole text, in any script.
std::wstring WindowText(HWND hwnd) {
  std::wstring text(size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(hwnd, &text[0], int(text.size()))));
  return text;
}

bool FocusCueHidden(HWND hwnd) {
  return (SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

}  // namespace

COLORREF Mix(COLORREF a, COLORREF b, int alpha) {
  alpha = std::clamp(alpha, 0, 255);
  auto ch = [alpha](int x, int y) { return (x * (255 - alpha) + y * alpha + 127) / 255; };
  return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)),
             ch(GetBValue(a), GetBValue(b)));
}

HBITMAP MakeDialogBackground(const SkinData& skin, int cx, int cy,
                             int glossAlpha, int glossHeight) {
  cx = std::max(cx, 1), cy = std::max(cy, 1);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = cx;
  bi.bmiHeader.biHeight = -cy;  // top-down: row 0 is the top
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return nullptr;
  const COLORREF top = ToColorRef(skin.colors[kColorDialogTop]);
  const COLORREF bottom = ToColorRef(skin.colors[kColorDialogBottom]);
  const COLORREF gloss = ToColorRef(skin.colors[kColorGloss]);
  auto* px = static_cast<uint32_t*>(bits);
  for (int y = 0; y < cy; ++y) {
    COLORREF c = RGB(Lerp(GetRValue(top), GetRValue(bottom), y, cy - 1),
                     Lerp(GetGValue(top), GetGValue(bottom), y, cy - 1),
                     Lerp(GetBValue(top), GetBValue(bottom), y, cy - 1));
    if (y < glossHeight && glossAlpha > 0)
      c = Mix(c, gloss, glossAlpha * (glossHeight - y) / glossHeight);
    // DIB pixels are 0x00RRGGBB, the reverse of a COLORREF.
    const uint32_t v = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    std::fill(px + size_t(y) * cx, px + size_t(y + 1) * cx, v);
  }
  return bmp;
}

int Px(HWND hwnd, int pixels) {
  // GetDpiForWindow is Windows 10's: looked up, so older systems still run.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  const UINT dpi = getDpi ? getDpi(hwnd) : 0;
  return MulDiv(pixels, dpi ? int(dpi) : 96, 96);
}

void PaintGroupBox(HWND hwnd, HDC dc, const SkinData& skin,
                   const SkinElement& el, COLORREF text) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  Select font(dc, ControlFont(hwnd));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  const std::wstring caption = WindowText(hwnd);
  const int len = int(caption.size());
  const int r = Px(hwnd, el.radius);
  const int inset = std::max(r, Px(hwnd, 4)) + Px(hwnd, 4);

  HPEN pen = CreatePen(PS_INSIDEFRAME, Px(hwnd, el.border), ToColorRef(el.frame));
  HBRUSH face = CreateSolidBrush(ToColorRef(el.face));
  {
    Select p(dc, pen);
    Select b(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rc.left, rc.top + tm.tmHeight / 2, rc.right, rc.bottom,
              2 * r, 2 * r);
    if (len > 0) {
      RECT size = {0, 0, 0, 0};
      DrawTextW(dc, caption.c_str(), len, &size, DT_CALCRECT | DT_SINGLELINE);
      const int pad = Px(hwnd, skin.metrics[kMetricCaptionPad]);
      RECT plate = {rc.left + inset, rc.top, 0, rc.top + tm.tmHeight + Px(hwnd, 2)};
      plate.right = std::min(plate.left + size.right + 2 * pad, LONG(rc.right - inset));
      if (plate.right > plate.left) {
        SelectObject(dc, face);
        RoundRect(dc, plate.left, plate.top, plate.right, plate.bottom, r, r);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text);
        DrawTextW(dc, caption.c_str(), len, &plate,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      }
    }
  }
  DeleteObject(face);
  DeleteObject(pen);
}

void PaintPushButton(HWND hwnd, HDC dc, const SkinElement& el, COLORREF text,
                     HBRUSH back) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  if (back) FillRect(dc, &rc, back);
  const LRESULT state = SendMessageW(hwnd, BM_GETSTATE, 0, 0);
  const bool pressed = (state & BST_PUSHED) != 0;
  const bool isDefault =
      (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const int r = Px(hwnd, el.radius);

  // Face: vertical gradient, reversed while pressed, clipped to the corners.
  const int saved = SaveDC(dc);
  HRGN clip = CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1,
                                 2 * r, 2 * r);
  ExtSelectClipRgn(dc, clip, RGN_AND);
  DeleteObject(clip);
  const COLORREF a = ToColorRef(pressed ? el.face2 : el.face);
  const COLORREF b = ToColorRef(pressed ? el.face : el.face2);
  const int h = rc.bottom - rc.top;
  for (int y = 0; y < h; ++y) {
    SetDCBrushColor(dc, Mix(a, b, h > 1 ? 255 * y / (h - 1) : 0));
    RECT line = {rc.left, rc.top + y, rc.right, rc.top + y + 1};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
  }
  RestoreDC(dc, saved);

  HPEN pen = CreatePen(PS_INSIDEFRAME, Px(hwnd, el.border + (isDefault ? 1 : 0)),
                       ToColorRef(el.frame));
  {
    Select p(dc, pen);
    Select br(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, 2 * r, 2 * r);
  }
  DeleteObject(pen);

  const std::wstring caption = WindowText(hwnd);
  const int len = int(caption.size());
  Select font(dc, ControlFont(hwnd));
  RECT tr = rc;
  if (pressed) OffsetRect(&tr, 1, 1);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text);
  DrawTextW(dc, caption.c_str(), len, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if ((state & BST_FOCUS) && !FocusCueHidden(hwnd)) {
    RECT focus = rc;
    InflateRect(&focus, -Px(hwnd, 3), -Px(hwnd, 3));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &focus);
  }
}

void PaintEditFrame(HWND hwnd, const SkinElement& el) {
  RECT wr, cr;
  GetWindowRect(hwnd, &wr);
  GetClientRect(hwnd, &cr);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&cr), 2);
  // The edge is as thick as the gap between window and client on the left
  // (scroll bars sit on the right and bottom).
  const int edge = std::min<int>(cr.left - wr.left, Px(hwnd, 3));
  if (edge <= 0) return;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  RECT r = {0, 0, wr.right - wr.left, wr.bottom - wr.top};
  const COLORREF frame = ToColorRef(el.frame);
  for (int i = 0; i < edge; ++i) {
    // Outer rings in the frame colour, any further ring a pale tint of it.
    SetDCBrushColor(dc, i < Px(hwnd, el.border) ? frame : Mix(frame, RGB(255, 255, 255), 190));
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    InflateRect(&r, -1, -1);
  }
  ReleaseDC(hwnd, dc);
}

}  // namespace vxskin
