// VxSkin.dll: the exported functions, the skin's process-wide state and
// the subclass procedures that draw it.
//
// A dialog gets DialogProc: background, WM_CTLCOLOR* colours, rounded
// corners. A control gets ControlProc only when it needs one: it is drawn
// as a skin element (group box, push button, edit frame) or has its own
// text colour. Windows are subclassed with SetWindowSubclass, so whatever
// the program itself subclassed stays in the chain.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "skin/lib/skin_file.h"
#include "skin/lib/skin_paint.h"
#include "skin/skin_api.h"

using namespace vxskin;

namespace {

constexpr UINT_PTR kDialogId = 0x56584431;   // "VXD1"
constexpr UINT_PTR kControlId = 0x56584331;  // "VXC1"
constexpr UINT_PTR kMenuId = 0x56584D31;     // "VXM1"
constexpr int kMenuAlphaFloor = 32;

struct DialogInfo {
  bool full = true;       // skinned; false: only passes on control colours
  bool topLevel = false;
  bool region = false;    // a region of ours is set
  SIZE regionSize = {0, 0};
  int regionRadius = 0;
  HBITMAP back = nullptr;  // background bitmap, backSize large
  HBRUSH backBrush = nullptr;
  SIZE backSize = {0, 0};
};

// What a control is, for drawing: 0 or an ElementKind.
using Kind = int;

struct ControlInfo {
  Kind kind = 0;
  uint32_t mapped = 0;  // element from Skin_Map; 0: the skin's automatic one
  bool hasFore = false;
  COLORREF fore = 0;
};

struct State {
  bool attached = false;
  SkinData skin;
  HHOOK hook = nullptr;
  DWORD hookThread = 0;
  int glossAlpha = 0, glossHeight = 0, cornerRadius = 0;
  int menuAlpha = 255;
  HBRUSH editBrush = nullptr, readOnlyBrush = nullptr;
  // Every window we subclassed, with the data its procedure gets.
  std::map<HWND, DialogInfo*> dialogs;
  std::map<HWND, ControlInfo*> controls;
  std::set<HWND> menus;
};
State g;

LRESULT CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

bool ClassIs(HWND hwnd, const wchar_t* name) {
  wchar_t cls[64];
  return GetClassNameW(hwnd, cls, 64) > 0 &&
         CompareStringOrdinal(cls, -1, name, -1, TRUE) == CSTR_EQUAL;
}

bool OwnWindow(HWND hwnd) {
  return hwnd && IsWindow(hwnd) &&
         GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

Kind Classify(HWND hwnd, LONG style) {
  if (ClassIs(hwnd, L"Button")) {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:
        return int(ElementKind::kGroupBox);
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        return (style & (BS_ICON | BS_BITMAP)) ? 0 : int(ElementKind::kPushButton);
    }
    return 0;
  }
  return ClassIs(hwnd, L"Edit") ? int(ElementKind::kEdit) : 0;
}

// Controls that keep an opaque field colour rather than the dialog's.
bool IsFieldLike(HWND hwnd) {
  return hwnd && (ClassIs(hwnd, L"Edit") || ClassIs(hwnd, L"ComboBox") ||
                  ClassIs(hwnd, L"ListBox"));
}

DialogInfo* GetDialogInfo(HWND hwnd) {
  const auto it = g.dialogs.find(hwnd);
  return it == g.dialogs.end() ? nullptr : it->second;
}

ControlInfo* GetControlInfo(HWND hwnd) {
  const auto it = g.controls.find(hwnd);
  return it == g.controls.end() ? nullptr : it->second;
}

const SkinElement* ElementFor(const ControlInfo& c) {
  if (!g.attached || c.kind == 0) return nullptr;
  if (c.mapped) {
    const SkinElement* e = g.skin.Find(c.mapped);
    return e && int(e->kind) == c.kind ? e : nullptr;
  }
  return g.skin.AutoFor(ElementKind(c.kind));
}

void FreeBackground(DialogInfo* d) {
  if (d->backBrush) DeleteObject(d->backBrush);
  if (d->back) DeleteObject(d->back);
  d->backBrush = nullptr, d->back = nullptr;
  d->backSize = {0, 0};
}

// The dialog's background as a pattern brush, rebuilt when its size changed.
HBRUSH BackgroundBrush(HWND hwnd, DialogInfo* d) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  const SIZE size = {std::max<LONG>(rc.right, 1), std::max<LONG>(rc.bottom, 1)};
  if (d->backBrush && d->backSize.cx == size.cx && d->backSize.cy == size.cy)
    return d->backBrush;
  FreeBackground(d);
  const int gloss = d->topLevel ? g.glossAlpha : 0;
  const int height =
      Px(hwnd, g.glossHeight ? g.glossHeight : g.skin.metrics[kMetricGlossHeight]);
  d->back = MakeDialogBackground(g.skin, size.cx, size.cy, gloss, height);
  if (d->back) d->backBrush = CreatePatternBrush(d->back);
  d->backSize = size;
  return d->backBrush;
}

// Rounded corners for a skinned top-level dialog; square when maximised,
// minimised, unskinned or with radius 0.
void ApplyRegion(HWND hwnd, DialogInfo* d) {
  if (!d->topLevel) return;
  RECT wr;
  GetWindowRect(hwnd, &wr);
  const SIZE size = {wr.right - wr.left, wr.bottom - wr.top};
  const int r = Px(hwnd, g.cornerRadius);
  if (g.attached && d->full && r > 0 && !IsZoomed(hwnd) && !IsIconic(hwnd)) {
    if (d->region && d->regionRadius == r && d->regionSize.cx == size.cx &&
        d->regionSize.cy == size.cy)
      return;
    HRGN rgn = CreateRoundRectRgn(0, 0, size.cx + 1, size.cy + 1, 2 * r, 2 * r);
    // The window owns the region once SetWindowRgn succeeds.
    if (rgn && SetWindowRgn(hwnd, rgn, TRUE)) {
      d->region = true, d->regionRadius = r, d->regionSize = size;
    } else if (rgn) {
      DeleteObject(rgn);
    }
  } else if (d->region) {
    d->region = false;
    SetWindowRgn(hwnd, nullptr, TRUE);
  }
}

void RedrawControl(HWND hwnd) {
  HWND parent = GetParent(hwnd);
  if (parent && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
    // Group boxes draw no background: the parent's must show through.
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void RedrawDialog(HWND hwnd, DialogInfo* d) {
  FreeBackground(d);
  ApplyRegion(hwnd, d);
  RedrawWindow(hwnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void RedrawAll() {
  for (const auto& [h, d] : g.dialogs) RedrawDialog(h, d);
  // Edit frames live in the non-client area, which the above may not reach.
  for (const auto& [h, c] : g.controls) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

DialogInfo* EnsureDialog(HWND hwnd, bool full) {
  if (DialogInfo* d = GetDialogInfo(hwnd)) {
    d->full = d->full || full;
    return d;
  }
  auto* d = new DialogInfo;
  d->full = full;
  d->topLevel = !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD);
  if (!SetWindowSubclass(hwnd, DialogProc, kDialogId, DWORD_PTR(d))) {
    delete d;
    return nullptr;
  }
  g.dialogs[hwnd] = d;
  return d;
}

ControlInfo* EnsureControl(HWND hwnd, LONG style) {
  if (ControlInfo* c = GetControlInfo(hwnd)) return c;
  auto* c = new ControlInfo;
  c->kind = Classify(hwnd, style);
  if (!SetWindowSubclass(hwnd, ControlProc, kControlId, DWORD_PTR(c))) {
    delete c;
    return nullptr;
  }
  g.controls[hwnd] = c;
  return c;
}

BOOL CALLBACK SkinChild(HWND child, LPARAM) {
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (OwnWindow(child) && Classify(child, style)) EnsureControl(child, style);
  return TRUE;
}

BOOL CALLBACK SkinTopLevel(HWND hwnd, LPARAM) {
  if (ClassIs(hwnd, L"#32770") && EnsureDialog(hwnd, true))
    EnumChildWindows(hwnd, SkinChild, 0);
  return TRUE;
}

void ForgetDialog(HWND hwnd, DialogInfo* d, bool restore) {
  RemoveWindowSubclass(hwnd, DialogProc, kDialogId);
  if (restore && d->region) SetWindowRgn(hwnd, nullptr, TRUE);
  FreeBackground(d);
  g.dialogs.erase(hwnd);
  delete d;
}

void ForgetControl(HWND hwnd, ControlInfo* c) {
  RemoveWindowSubclass(hwnd, ControlProc, kControlId);
  g.controls.erase(hwnd);
  delete c;
}

// WM_CTLCOLOR*: the program answers first; the skin only colours what the
// program left at the system default. A control's own colour always wins.
LRESULT OnCtlColor(HWND hwnd, DialogInfo* d, UINT msg, WPARAM wp, LPARAM lp) {
  const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
  HDC dc = reinterpret_cast<HDC>(wp);
  HWND ctl = reinterpret_cast<HWND>(lp);
  const COLORREF text = GetTextColor(dc);
  const bool programChose = text != GetSysColor(COLOR_WINDOWTEXT) &&
                            text != GetSysColor(COLOR_BTNTEXT);
  const ControlInfo* c = ctl && ctl != hwnd ? GetControlInfo(ctl) : nullptr;
  const bool own = c && c->hasFore;
  if (own) SetTextColor(dc, c->fore);
  if (programChose || !d->full || !g.attached || msg == WM_CTLCOLORSCROLLBAR)
    return result;

  const uint32_t* colors = g.skin.colors;
  if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX ||
      (msg == WM_CTLCOLORSTATIC && IsFieldLike(ctl))) {
    // Read-only and disabled edit boxes ask with WM_CTLCOLORSTATIC. They
    // draw text opaquely, so the field is one flat colour.
    const bool readOnly = msg == WM_CTLCOLORSTATIC;
    if (!own) SetTextColor(dc, ToColorRef(colors[kColorEditText]));
    SetBkColor(dc, ToColorRef(colors[readOnly ? kColorReadOnlyBack : kColorEditBack]));
    SetBkMode(dc, OPAQUE);
    return LRESULT(readOnly ? g.readOnlyBrush : g.editBrush);
  }
  HBRUSH back = BackgroundBrush(hwnd, d);
  if (!back) return result;
  if (!own) SetTextColor(dc, ToColorRef(colors[kColorText]));
  SetBkMode(dc, TRANSPARENT);
  // Line the pattern up with the dialog so the gradient runs on seamlessly
  // behind the control.
  POINT at = {0, 0};
  if (ctl && ctl != hwnd) MapWindowPoints(ctl, hwnd, &at, 1);
  SetBrushOrgEx(dc, -at.x, -at.y, nullptr);
  return LRESULT(back);
}

LRESULT CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                            UINT_PTR, DWORD_PTR ref) {
  auto* d = reinterpret_cast<DialogInfo*>(ref);
  switch (msg) {
    case WM_ERASEBKGND:
      if (d->full && g.attached) {
        if (HBRUSH back = BackgroundBrush(hwnd, d)) {
          HDC dc = reinterpret_cast<HDC>(wp);
          RECT rc;
          GetClientRect(hwnd, &rc);
          POINT old;
          SetBrushOrgEx(dc, 0, 0, &old);
          FillRect(dc, &rc, back);
          SetBrushOrgEx(dc, old.x, old.y, nullptr);
          return 1;
        }
      }
      break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return OnCtlColor(hwnd, d, msg, wp, lp);
    case WM_SIZE: {
      const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      if (d->full && g.attached) {
        ApplyRegion(hwnd, d);
        const SIZE now = {LOWORD(lp), HIWORD(lp)};
        if (d->backBrush && (now.cx != d->backSize.cx || now.cy != d->backSize.cy))
          RedrawWindow(hwnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      }
      return r;
    }
    case WM_NCDESTROY:
      ForgetDialog(hwnd, d, false);
      return DefSubclassProc(hwnd, msg, wp, lp);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void DrawControl(HWND hwnd, HDC dc, const ControlInfo& c, const SkinElement& e) {
  COLORREF text = c.hasFore ? c.fore : ToColorRef(e.text);
  if (!IsWindowEnabled(hwnd)) text = ToColorRef(g.skin.colors[kColorDisabledText]);
  if (e.kind == ElementKind::kGroupBox) {
    PaintGroupBox(hwnd, dc, g.skin, e, text);
  } else if (e.kind == ElementKind::kPushButton) {
    // The parent's brush (the dialog pattern, aligned) fills the corners.
    HWND parent = GetParent(hwnd);
    HBRUSH back = parent ? reinterpret_cast<HBRUSH>(SendMessageW(
                               parent, WM_CTLCOLORBTN, WPARAM(dc), LPARAM(hwnd)))
                         : nullptr;
    PaintPushButton(hwnd, dc, e, text, back);
  }
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                             UINT_PTR, DWORD_PTR ref) {
  auto* c = reinterpret_cast<ControlInfo*>(ref);
  const SkinElement* e = ElementFor(*c);
  const bool painted = e && e->kind != ElementKind::kEdit;
  switch (msg) {
    case WM_PAINT:
      if (painted) {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(hwnd, &ps)) {
          DrawControl(hwnd, dc, *c, *e);
          EndPaint(hwnd, &ps);
        }
        return 0;
      }
      break;
    case WM_PRINTCLIENT:
      if (painted) {
        DrawControl(hwnd, reinterpret_cast<HDC>(wp), *c, *e);
        return 0;
      }
      break;
    case WM_NCPAINT:
      if (e && e->kind == ElementKind::kEdit) {
        const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        PaintEditFrame(hwnd, *e);
        return r;
      }
      break;
    // Buttons repaint these changes at once, bypassing WM_PAINT: let them,
    // then draw the skin over it.
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
    case BM_SETSTATE:
    case BM_SETSTYLE:
      if (painted) {
        const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        if (e->kind == ElementKind::kGroupBox) {
          RedrawControl(hwnd);
        } else if (HDC dc = GetDC(hwnd)) {
          DrawControl(hwnd, dc, *c, *e);
          ReleaseDC(hwnd, dc);
        }
        return r;
      }
      break;
    case WM_NCDESTROY:
      ForgetControl(hwnd, c);
      return DefSubclassProc(hwnd, msg, wp, lp);
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void ForgetMenu(HWND menu);

// Popup menus turn layered once created: a style set while the creation
// hook runs does not survive the rest of the creation.
LRESULT CALLBACK MenuProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                          DWORD_PTR) {
  if (msg == WM_CREATE) {
    const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    if (r != -1 && g.menuAlpha < 255) {
      const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
      SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
      SetLayeredWindowAttributes(hwnd, 0, BYTE(g.menuAlpha), LWA_ALPHA);
    }
    return r;
  }
  if (msg == WM_NCDESTROY) ForgetMenu(hwnd);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void ForgetMenu(HWND menu) {
  RemoveWindowSubclass(menu, MenuProc, kMenuId);
  g.menus.erase(menu);
}

void WatchMenu(HWND menu) {
  if (g.menuAlpha < 255 && SetWindowSubclass(menu, MenuProc, kMenuId, 0))
    g.menus.insert(menu);
}

// Windows created later on the attached thread: new dialogs and their
// controls, and popup menus.
LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && g.attached) {
    HWND hwnd = reinterpret_cast<HWND>(wp);
    const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
    if (!(cs->style & WS_CHILD)) {
      if (ClassIs(hwnd, L"#32768"))
        WatchMenu(hwnd);
      else if (ClassIs(hwnd, L"#32770"))
        EnsureDialog(hwnd, true);
    } else if (cs->hwndParent && Classify(hwnd, cs->style)) {
      const DialogInfo* parent = GetDialogInfo(cs->hwndParent);
      if (parent && parent->full) EnsureControl(hwnd, cs->style);
    }
  }
  return CallNextHookEx(g.hook, code, wp, lp);
}

int ReadFileBytes(const wchar_t* path, std::vector<uint8_t>* out) {
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return SKIN_E_OPEN;
  LARGE_INTEGER size;
  int rc = SKIN_OK;
  if (!GetFileSizeEx(f, &size)) {
    rc = SKIN_E_OPEN;
  } else if (size.QuadPart > LONGLONG(kSkinMaxFileSize)) {
    rc = SKIN_E_LENGTH;  // no valid skin is that large: don't read it
  } else {
    out->resize(size_t(size.QuadPart));
    DWORD got = 0;
    if (!out->empty() && (!ReadFile(f, out->data(), DWORD(out->size()), &got, nullptr) ||
                          got != out->size()))
      rc = SKIN_E_OPEN;
  }
  CloseHandle(f);
  return rc;
}

// FreeLibrary while windows are still skinned: give them back their own
// procedures, or they would call into unloaded code.
void Shutdown() {
  if (g.hook) UnhookWindowsHookEx(g.hook);
  g.hook = nullptr;
  g.attached = false;
  while (!g.menus.empty()) ForgetMenu(*g.menus.begin());
  while (!g.controls.empty()) {
    const auto [h, c] = *g.controls.begin();
    ForgetControl(h, c);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
  }
  while (!g.dialogs.empty()) {
    const auto [h, d] = *g.dialogs.begin();
    ForgetDialog(h, d, true);
    RedrawWindow(h, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  if (g.editBrush) DeleteObject(g.editBrush);
  if (g.readOnlyBrush) DeleteObject(g.readOnlyBrush);
  g.editBrush = g.readOnlyBrush = nullptr;
}

}  // namespace

extern "C" {

int SKIN_API Skin_AttachEx(const wchar_t* path, void* reserved) {
  if (!path || !*path || reserved) return SKIN_E_ARG;
  std::vector<uint8_t> bytes;
  if (int rc = ReadFileBytes(path, &bytes)) return rc;
  SkinData skin;
  if (int rc = ParseSkin(bytes.data(), bytes.size(), &skin)) return rc;

  const DWORD thread = GetCurrentThreadId();
  if (!g.hook || g.hookThread != thread) {
    HHOOK hook = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, thread);
    if (!hook) return SKIN_E_SYSTEM;
    if (g.hook) UnhookWindowsHookEx(g.hook);
    g.hook = hook, g.hookThread = thread;
  }
  HBRUSH edit = CreateSolidBrush(ToColorRef(skin.colors[kColorEditBack]));
  HBRUSH readOnly = CreateSolidBrush(ToColorRef(skin.colors[kColorReadOnlyBack]));
  if (!edit || !readOnly) {
    if (edit) DeleteObject(edit);
    if (readOnly) DeleteObject(readOnly);
    return SKIN_E_SYSTEM;
  }
  if (g.editBrush) DeleteObject(g.editBrush);
  if (g.readOnlyBrush) DeleteObject(g.readOnlyBrush);
  g.editBrush = edit, g.readOnlyBrush = readOnly;
  g.skin = std::move(skin);
  g.attached = true;

  EnumThreadWindows(thread, SkinTopLevel, 0);
  RedrawAll();
  return SKIN_OK;
}

int SKIN_API Skin_AdjustAero(int glossAlpha, int glossHeight, int cornerRadius,
                             int reserved1, int reserved2, int reserved3,
                             int reserved4, int reserved5, int reserved6) {
  if (reserved1 || reserved2 || reserved3 || reserved4 || reserved5 || reserved6)
    return SKIN_E_ARG;
  g.glossAlpha = std::clamp(glossAlpha, 0, 255);
  g.glossHeight = std::clamp(glossHeight, 0, 64);
  g.cornerRadius = std::clamp(cornerRadius, 0, 24);
  if (g.attached) RedrawAll();
  return SKIN_OK;
}

int SKIN_API Skin_SetMenuAlpha(int alpha) {
  g.menuAlpha = std::clamp(alpha, kMenuAlphaFloor, 255);
  return SKIN_OK;
}

int SKIN_API Skin_Map(HWND hwnd, int element) {
  if (!g.attached) return SKIN_E_NOT_ATTACHED;
  if (!OwnWindow(hwnd)) return SKIN_E_WINDOW;
  const SkinElement* e = element > 0 ? g.skin.Find(uint32_t(element)) : nullptr;
  if (!e) return SKIN_E_ELEMENT;
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if (Classify(hwnd, style) != int(e->kind)) return SKIN_E_KIND;
  ControlInfo* c = EnsureControl(hwnd, style);
  if (!c) return SKIN_E_SYSTEM;
  c->mapped = uint32_t(element);
  RedrawControl(hwnd);
  return SKIN_OK;
}

int SKIN_API Skin_SetForeColor(HWND hwnd, int red, int green, int blue) {
  if (!g.attached) return SKIN_E_NOT_ATTACHED;
  if (!OwnWindow(hwnd)) return SKIN_E_WINDOW;
  ControlInfo* c = EnsureControl(hwnd, GetWindowLongW(hwnd, GWL_STYLE));
  if (!c) return SKIN_E_SYSTEM;
  // The colour reaches check boxes and radio buttons through their parent's
  // WM_CTLCOLOR* answer, so the parent must be subclassed too.
  HWND parent = GetParent(hwnd);
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) && OwnWindow(parent) &&
      !EnsureDialog(parent, false))
    return SKIN_E_SYSTEM;
  c->hasFore = true;
  c->fore = RGB(std::clamp(red, 0, 255), std::clamp(green, 0, 255),
                std::clamp(blue, 0, 255));
  RedrawControl(hwnd);
  return SKIN_OK;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(module);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // On process exit (reserved set) the windows are going anyway.
    Shutdown();
  }
  return TRUE;
}
