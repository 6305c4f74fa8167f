// VxSkin.dll in a real process: loaded by path and called through
// GetProcAddress as the program does, on a dialog of this test's own
// resources. Each test loads a fresh copy of the DLL and unloads it after.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/lib/skin_file.h"
#include "skin/skin_api.h"
#include "tests/skin/skin_test_files.h"

namespace {

// The dialog's controls (skin_dll_test.rc).
enum : int { kGroup = 100, kRadio, kProgramEdit, kPlainEdit, kLabel, kButton, kReadOnlyEdit };

COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The program's own dialog procedure: it colours edit box kProgramEdit.
INT_PTR CALLBACK ProgramDialogProc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_CTLCOLOREDIT && GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kProgramEdit) {
    SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 255));
    SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
    return INT_PTR(GetStockObject(WHITE_BRUSH));
  }
  return FALSE;
}

HWND MakeDialog() {
  HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100), nullptr,
                                ProgramDialogProc, 0);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  return dlg;
}

// What a WM_CTLCOLOR* answer left in the DC.
struct CtlColor {
  COLORREF text, back;
  int mode;
  HBRUSH brush;
};
CtlColor AskColor(HWND dlg, UINT msg, HWND ctl) {
  HDC dc = CreateCompatibleDC(nullptr);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dlg, msg, WPARAM(dc), LPARAM(ctl)));
  const CtlColor c = {GetTextColor(dc), GetBkColor(dc), GetBkMode(dc), brush};
  DeleteDC(dc);
  return c;
}

// A pixel of what the window paints into a bitmap of its client size, on
// `msg` (WM_ERASEBKGND, WM_PRINTCLIENT); negative coordinates count from
// the far edge.
COLORREF PaintedPixel(HWND hwnd, UINT msg, int x, int y) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(hwnd, msg, WPARAM(dc), PRF_CLIENT);
  const COLORREF c = GetPixel(dc, x < 0 ? rc.right + x : x, y < 0 ? rc.bottom + y : y);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return c;
}

bool HasRegion(HWND hwnd, POINT inside = {-1, -1}, POINT outside = {-1, -1}) {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  const bool has = GetWindowRgn(hwnd, rgn) != ERROR;
  const bool fits = (inside.x < 0 || PtInRegion(rgn, inside.x, inside.y)) &&
                    (outside.x < 0 || !PtInRegion(rgn, outside.x, outside.y));
  DeleteObject(rgn);
  return has && fits;
}

class SkinDll : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<uint8_t> bytes = ReadBytes(VX_SKIN_FILE);
    ASSERT_EQ(SKIN_OK, vxskin::ParseSkin(bytes.data(), bytes.size(), &skin_));
    dll_ = LoadLibraryW(WideOf(HostPath(VX_SKIN_DLL)).c_str());
    ASSERT_NE(nullptr, dll_) << VX_SKIN_DLL;
    attach_ = Resolve<SkinAttachExFn>("Skin_AttachEx");
    aero_ = Resolve<SkinAdjustAeroFn>("Skin_AdjustAero");
    menuAlpha_ = Resolve<SkinSetMenuAlphaFn>("Skin_SetMenuAlpha");
    map_ = Resolve<SkinMapFn>("Skin_Map");
    fore_ = Resolve<SkinSetForeColorFn>("Skin_SetForeColor");
    ASSERT_TRUE(attach_ && aero_ && menuAlpha_ && map_ && fore_)
        << "an export is missing or decorated";
    dlg_ = MakeDialog();
    ASSERT_NE(nullptr, dlg_);
  }
  void TearDown() override {
    if (dlg_) DestroyWindow(dlg_);
    if (dll_) FreeLibrary(dll_);
  }
  // Through void (*)(): GetProcAddress's type says nothing of the real one.
  template <typename Fn>
  Fn Resolve(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(dll_, name)));
  }
  HWND Item(int id) const { return GetDlgItem(dlg_, id); }
  int Attach(const char* file = VX_SKIN_FILE) {
    return attach_(WideOf(HostPath(file)).c_str(), nullptr);
  }
  COLORREF Colour(vxskin::ColorId id) const { return ToColorRef(skin_.colors[id]); }
  COLORREF Bottom(HWND dlg) const { return PaintedPixel(dlg, WM_ERASEBKGND, 5, -1); }
  // The group box's left edge, where the element draws its frame.
  COLORREF GroupEdge() const { return PaintedPixel(Item(kGroup), WM_PRINTCLIENT, 0, 40); }
  COLORREF GroupFrame() const { return ToColorRef(skin_.Find(1018)->frame); }

  vxskin::SkinData skin_;
  HMODULE dll_ = nullptr;
  HWND dlg_ = nullptr;
  SkinAttachExFn attach_ = nullptr;
  SkinAdjustAeroFn aero_ = nullptr;
  SkinSetMenuAlphaFn menuAlpha_ = nullptr;
  SkinMapFn map_ = nullptr;
  SkinSetForeColorFn fore_ = nullptr;
};

TEST_F(SkinDll, BadAttachReturnsItsCodeAndTouchesNoWindow) {
  const LONG_PTR proc = GetWindowLongPtrW(dlg_, GWLP_WNDPROC);
  const COLORREF back = Bottom(dlg_);
  int reserved = 0;
  EXPECT_EQ(SKIN_E_ARG, attach_(nullptr, nullptr));
  EXPECT_EQ(SKIN_E_ARG, attach_(L"", nullptr));
  EXPECT_EQ(SKIN_E_ARG, attach_(WideOf(HostPath(VX_SKIN_FILE)).c_str(), &reserved));
  EXPECT_EQ(SKIN_E_OPEN, attach_(L"Z:\\no\\such\\skin.she", nullptr));
  EXPECT_EQ(SKIN_E_OPEN, attach_(L"C:\\windows", nullptr));  // a folder
  EXPECT_EQ(SKIN_E_TRUNCATED, Attach(VX_BAD_SKIN_FILE));

  EXPECT_EQ(proc, GetWindowLongPtrW(dlg_, GWLP_WNDPROC));
  EXPECT_EQ(back, Bottom(dlg_));
  EXPECT_EQ(SKIN_E_NOT_ATTACHED, map_(Item(kGroup), 1018));
  EXPECT_EQ(SKIN_E_NOT_ATTACHED, fore_(Item(kRadio), 0, 0, 255));
}

TEST_F(SkinDll, DialogBackgroundIsTheSkinGradientWithAGlossBand) {
  EXPECT_NE(Colour(vxskin::kColorDialogBottom), Bottom(dlg_));
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_EQ(Colour(vxskin::kColorDialogTop), PaintedPixel(dlg_, WM_ERASEBKGND, 5, 0));
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), Bottom(dlg_));

  ASSERT_EQ(SKIN_OK, aero_(255, 10, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(Colour(vxskin::kColorGloss), PaintedPixel(dlg_, WM_ERASEBKGND, 5, 0));
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), Bottom(dlg_));
}

TEST_F(SkinDll, CornerRadiusShapesTheDialogAndFollowsItsSize) {
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_FALSE(HasRegion(dlg_));  // square until asked
  ASSERT_EQ(SKIN_OK, aero_(180, 0, 15, 0, 0, 0, 0, 0, 0));
  EXPECT_TRUE(HasRegion(dlg_, {6, 6}, {0, 0}));
  ASSERT_EQ(SKIN_OK, aero_(180, 0, 999, 0, 0, 0, 0, 0, 0));  // clamped to 24
  EXPECT_TRUE(HasRegion(dlg_, {24, 24}, {6, 6}));
  SetWindowPos(dlg_, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(HasRegion(dlg_, {597, 200}, {599, 399}));
  ASSERT_EQ(SKIN_OK, aero_(180, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_FALSE(HasRegion(dlg_));
  EXPECT_EQ(SKIN_E_ARG, aero_(180, 0, 15, 0, 0, 0, 0, 0, 7));
  EXPECT_FALSE(HasRegion(dlg_));  // the refused call changed nothing
}

TEST_F(SkinDll, ControlsTakeTheSkinColoursUnlessTheProgramChoseItsOwn) {
  ASSERT_EQ(SKIN_OK, Attach());
  const struct {
    const char* what;
    int id;
    UINT msg;
    COLORREF text, back;  // CLR_INVALID: not checked
    int mode;
  } cases[] = {
      {"the program's edit", kProgramEdit, WM_CTLCOLOREDIT, RGB(0, 0, 255), CLR_INVALID, TRANSPARENT},
      {"an edit", kPlainEdit, WM_CTLCOLOREDIT, Colour(vxskin::kColorEditText),
       Colour(vxskin::kColorEditBack), OPAQUE},
      {"a read-only edit", kReadOnlyEdit, WM_CTLCOLORSTATIC, CLR_INVALID,
       Colour(vxskin::kColorReadOnlyBack), OPAQUE},
      {"a label", kLabel, WM_CTLCOLORSTATIC, Colour(vxskin::kColorText), CLR_INVALID, TRANSPARENT},
  };
  for (const auto& c : cases) {
    const CtlColor got = AskColor(dlg_, c.msg, Item(c.id));
    EXPECT_EQ(c.text == CLR_INVALID ? got.text : c.text, got.text) << c.what;
    EXPECT_EQ(c.back == CLR_INVALID ? got.back : c.back, got.back) << c.what;
    EXPECT_EQ(c.mode, got.mode) << c.what;
    EXPECT_NE(nullptr, got.brush) << c.what;
  }
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), AskColor(dlg_, WM_CTLCOLOREDIT, Item(kProgramEdit)).brush);
}

TEST_F(SkinDll, AMappedGroupBoxIsDrawnAsItsElementAndKeepsItThroughAttachments) {
  EXPECT_NE(GroupFrame(), GroupEdge());
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_NE(GroupFrame(), GroupEdge());  // not automatic
  EXPECT_EQ(SKIN_E_KIND, map_(Item(kPlainEdit), 1018));

  ASSERT_EQ(SKIN_OK, map_(Item(kGroup), 1018));
  EXPECT_EQ(GroupFrame(), GroupEdge());
  EXPECT_EQ(GroupFrame(), PaintedPixel(Item(kGroup), WM_PRINTCLIENT, 100, -1));
  EXPECT_EQ(ToColorRef(skin_.Find(1018)->face), PaintedPixel(Item(kGroup), WM_PRINTCLIENT, 12, 5));

  // A refused mapping, a new attachment and a bad one keep what was set;
  // a control's own text colour wins, and only for that control.
  ASSERT_EQ(SKIN_OK, fore_(Item(kRadio), 0, 0, 255));
  EXPECT_EQ(SKIN_E_ELEMENT, map_(Item(kGroup), 4242));
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_EQ(SKIN_E_TRUNCATED, Attach(VX_BAD_SKIN_FILE));
  EXPECT_EQ(GroupFrame(), GroupEdge());
  EXPECT_EQ(RGB(0, 0, 255), AskColor(dlg_, WM_CTLCOLORBTN, Item(kRadio)).text);
  EXPECT_EQ(Colour(vxskin::kColorText), AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kLabel)).text);
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), Bottom(dlg_));
}

TEST_F(SkinDll, PopupMenusOpenAtTheSetOpacity) {
  ASSERT_EQ(SKIN_OK, Attach());
  auto menuAlpha = [] {
    // A popup menu window, as TrackPopupMenu makes one.
    HWND menu = CreateWindowExW(WS_EX_TOOLWINDOW, L"#32768", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, nullptr, nullptr);
    BYTE alpha = 255;
    if (GetWindowLongPtrW(menu, GWL_EXSTYLE) & WS_EX_LAYERED)
      GetLayeredWindowAttributes(menu, nullptr, &alpha, nullptr);
    DestroyWindow(menu);
    return int(alpha);
  };
  const int cases[][2] = {{190, 190}, {-40, 32} /* never invisible */, {1000, 255}};
  for (const auto& c : cases) {
    ASSERT_EQ(SKIN_OK, menuAlpha_(c[0]));
    EXPECT_EQ(c[1], menuAlpha()) << c[0];
  }
}

}  // namespace
