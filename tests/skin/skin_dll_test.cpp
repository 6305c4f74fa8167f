// VxSkin.dll in a real process: loaded by path and called through
// GetProcAddress as the program does, on a dialog made from an in-memory
// template. Each test loads a fresh copy of the DLL and unloads it after.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "skin/lib/skin_file.h"
#include "skin/skin_api.h"
#include "tests/skin/skin_test_files.h"


namespace {

COLORREF ToColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

enum : WORD {
  kGroup = 100, kRadio, kProgramEdit, kPlainEdit, kLabel, kButton, kReadOnlyEdit
};

// A DLGTEMPLATE with its items, built in memory.
class DialogTemplate {
 public:
  DialogTemplate(const wchar_t* title, short cx, short cy) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_MODALFRAME);
    Dword(0);
    count_ = words_.size();
    words_.push_back(0);
    for (short v : {short(10), short(10), cx, cy}) words_.push_back(WORD(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // standard class
    String(title);
    words_.push_back(9);
    String(L"宋体");
  }
  void Add(WORD id, WORD atom, DWORD style, short x, short y, short cx, short cy,
           const wchar_t* text) {
    if (words_.size() % 2) words_.push_back(0);  // items are DWORD aligned
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    for (short v : {x, y, cx, cy}) words_.push_back(WORD(v));
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    String(text);
    words_.push_back(0);
    ++words_[count_];
  }
  const DLGTEMPLATE* get() const {
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
  }

 private:
  void Dword(DWORD v) {
    words_.push_back(LOWORD(v));
    words_.push_back(HIWORD(v));
  }
  void String(const wchar_t* s) {
    do words_.push_back(WORD(*s)); while (*s++);
  }
  std::vector<WORD> words_;
  size_t count_ = 0;
};

constexpr WORD kButtonAtom = 0x80, kEditAtom = 0x81, kStaticAtom = 0x82;

// The program's own dialog procedure: it colours edit box kProgramEdit.
INT_PTR CALLBACK ProgramDialogProc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_CTLCOLOREDIT && GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == kProgramEdit) {
    HDC dc = reinterpret_cast<HDC>(wp);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, TRANSPARENT);
    return INT_PTR(GetStockObject(WHITE_BRUSH));
  }
  return FALSE;
}

HWND MakeDialog() {
  DialogTemplate t(L"字数统计", 220, 140);
  t.Add(kGroup, kButtonAtom, BS_GROUPBOX, 6, 4, 208, 60, L"统计结果");
  t.Add(kRadio, kButtonAtom, BS_AUTORADIOBUTTON, 12, 18, 80, 12, L"窗口置顶");
  t.Add(kProgramEdit, kEditAtom, WS_BORDER, 12, 34, 80, 14, L"1234");
  t.Add(kPlainEdit, kEditAtom, WS_BORDER, 100, 34, 80, 14, L"中文");
  t.Add(kLabel, kStaticAtom, SS_LEFT, 12, 72, 80, 10, L"中文字数：");
  t.Add(kButton, kButtonAtom, BS_PUSHBUTTON, 100, 70, 60, 16, L"确定");
  t.Add(kReadOnlyEdit, kEditAtom, WS_BORDER | ES_READONLY, 12, 92, 80, 14, L"42");
  HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.get(), nullptr,
                                        ProgramDialogProc, 0);
  return dlg;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
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

// A 32-bit memory canvas a window can print into.
class Canvas {
 public:
  Canvas(int cx, int cy) : cx_(cx), cy_(cy) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof bi.bmiHeader, cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                            nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    std::fill(bits_, bits_ + size_t(cx) * cy, 0x00FF00FFu);  // magenta: unpainted
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    const uint32_t v = bits_[size_t(y) * cx_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  int cx() const { return cx_; }
  int cy() const { return cy_; }

 private:
  int cx_, cy_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

SIZE ClientSize(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  return {rc.right, rc.bottom};
}

// The control's client area as it paints itself (WM_PRINTCLIENT).
COLORREF PrintedPixel(HWND hwnd, int x, int y) {
  const SIZE s = ClientSize(hwnd);
  Canvas c(s.cx, s.cy);
  SendMessageW(hwnd, WM_PRINTCLIENT, WPARAM(c.dc()), PRF_CLIENT);
  return c.At(x < 0 ? s.cx + x : x, y < 0 ? s.cy + y : y);
}

// The dialog's background as it erases it.
COLORREF ErasedPixel(HWND dlg, int x, int y) {
  const SIZE s = ClientSize(dlg);
  Canvas c(s.cx, s.cy);
  SendMessageW(dlg, WM_ERASEBKGND, WPARAM(c.dc()), 0);
  return c.At(x, y < 0 ? s.cy + y : y);
}

class SkinDll : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::vector<uint8_t> bytes = ReadBytes(VX_SKIN_FILE);
    ASSERT_EQ(SKIN_OK, vxskin::ParseSkin(bytes.data(), bytes.size(), &skin_));
    dll_ = LoadLibraryA(HostPath(VX_SKIN_DLL).c_str());
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
    Pump();
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
  int Attach() { return attach_(HostPath(VX_SKIN_FILE).c_str(), nullptr); }
  COLORREF Colour(vxskin::ColorId id) const { return ToColorRef(skin_.colors[id]); }
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
  const COLORREF back = ErasedPixel(dlg_, 5, -1);
  EXPECT_EQ(SKIN_E_ARG, attach_(nullptr, nullptr));
  EXPECT_EQ(SKIN_E_ARG, attach_("", nullptr));
  int reserved = 0;
  EXPECT_EQ(SKIN_E_ARG, attach_(HostPath(VX_SKIN_FILE).c_str(), &reserved));
  EXPECT_EQ(SKIN_E_OPEN, attach_("Z:\\no\\such\\skin.she", nullptr));
  EXPECT_EQ(SKIN_E_OPEN, attach_("C:\\windows", nullptr));  // a folder
  EXPECT_EQ(SKIN_E_TRUNCATED, attach_(HostPath(VX_BAD_SKIN_FILE).c_str(), nullptr));

  EXPECT_EQ(proc, GetWindowLongPtrW(dlg_, GWLP_WNDPROC));
  EXPECT_EQ(back, ErasedPixel(dlg_, 5, -1));
  EXPECT_EQ(SKIN_E_NOT_ATTACHED, map_(Item(kGroup), 1018));
  EXPECT_EQ(SKIN_E_NOT_ATTACHED, fore_(Item(kRadio), 0, 0, 255));
  EXPECT_EQ(proc, GetWindowLongPtrW(dlg_, GWLP_WNDPROC));
}

TEST_F(SkinDll, DialogBackgroundIsTheSkinGradientWithAGlossBand) {
  EXPECT_NE(Colour(vxskin::kColorDialogBottom), ErasedPixel(dlg_, 5, -1));
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_EQ(Colour(vxskin::kColorDialogTop), ErasedPixel(dlg_, 5, 0));
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), ErasedPixel(dlg_, 5, -1));

  ASSERT_EQ(SKIN_OK, aero_(255, 10, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(Colour(vxskin::kColorGloss), ErasedPixel(dlg_, 5, 0));
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), ErasedPixel(dlg_, 5, -1));

  // The program's values: a partial gloss, lighter than the plain top.
  ASSERT_EQ(SKIN_OK, aero_(180, 0, 15, 0, 0, 0, 0, 0, 0));
  const COLORREF top = Colour(vxskin::kColorDialogTop), glossed = ErasedPixel(dlg_, 5, 0);
  EXPECT_NE(top, glossed);
  EXPECT_GE(GetRValue(glossed), GetRValue(top));
  EXPECT_GE(GetGValue(glossed), GetGValue(top));
  EXPECT_GE(GetBValue(glossed), GetBValue(top));
}

TEST_F(SkinDll, CornerRadiusShapesTheDialogAndFollowsItsSize) {
  ASSERT_EQ(SKIN_OK, Attach());
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(ERROR, GetWindowRgn(dlg_, rgn));  // square until asked

  ASSERT_EQ(SKIN_OK, aero_(180, 0, 15, 0, 0, 0, 0, 0, 0));
  ASSERT_NE(ERROR, GetWindowRgn(dlg_, rgn));
  RECT wr;
  GetWindowRect(dlg_, &wr);
  EXPECT_FALSE(PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(PtInRegion(rgn, 6, 6));
  EXPECT_TRUE(PtInRegion(rgn, (wr.right - wr.left) / 2, 1));

  ASSERT_EQ(SKIN_OK, aero_(180, 0, 999, 0, 0, 0, 0, 0, 0));  // clamped to 24
  ASSERT_NE(ERROR, GetWindowRgn(dlg_, rgn));
  EXPECT_FALSE(PtInRegion(rgn, 6, 6));
  EXPECT_TRUE(PtInRegion(rgn, 24, 24));

  SetWindowPos(dlg_, nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_NE(ERROR, GetWindowRgn(dlg_, rgn));
  EXPECT_TRUE(PtInRegion(rgn, 597, 200));
  EXPECT_FALSE(PtInRegion(rgn, 599, 399));

  ASSERT_EQ(SKIN_OK, aero_(180, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(ERROR, GetWindowRgn(dlg_, rgn));
  EXPECT_EQ(SKIN_E_ARG, aero_(180, 0, 15, 0, 0, 0, 0, 0, 7));
  EXPECT_EQ(ERROR, GetWindowRgn(dlg_, rgn));  // the refused call changed nothing
  DeleteObject(rgn);
}

TEST_F(SkinDll, ForeColourWinsForItsControlOnly) {
  ASSERT_EQ(SKIN_OK, Attach());
  ASSERT_EQ(SKIN_OK, fore_(Item(kRadio), 0, 0, 255));
  EXPECT_EQ(RGB(0, 0, 255), AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kRadio)).text);
  EXPECT_EQ(RGB(0, 0, 255), AskColor(dlg_, WM_CTLCOLORBTN, Item(kRadio)).text);

  const CtlColor label = AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kLabel));
  EXPECT_EQ(Colour(vxskin::kColorText), label.text);
  EXPECT_EQ(TRANSPARENT, label.mode);
  EXPECT_NE(nullptr, label.brush);

  ASSERT_EQ(SKIN_OK, fore_(Item(kRadio), -7, 300, 128));
  EXPECT_EQ(RGB(0, 255, 128), AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kRadio)).text);

  // Over the program's own choice too, but the program's brush stays.
  ASSERT_EQ(SKIN_OK, fore_(Item(kProgramEdit), 255, 0, 0));
  const CtlColor edit = AskColor(dlg_, WM_CTLCOLOREDIT, Item(kProgramEdit));
  EXPECT_EQ(RGB(255, 0, 0), edit.text);
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), edit.brush);
  EXPECT_EQ(TRANSPARENT, edit.mode);

  EXPECT_EQ(SKIN_E_WINDOW, fore_(nullptr, 0, 0, 255));
  EXPECT_EQ(SKIN_E_WINDOW, fore_(reinterpret_cast<HWND>(0x7FF0), 0, 0, 255));
}

TEST_F(SkinDll, ProgramColouredEditKeepsTheProgramsAnswer) {
  ASSERT_EQ(SKIN_OK, Attach());
  const CtlColor mine = AskColor(dlg_, WM_CTLCOLOREDIT, Item(kProgramEdit));
  EXPECT_EQ(RGB(0, 0, 255), mine.text);
  EXPECT_EQ(TRANSPARENT, mine.mode);
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), mine.brush);

  const CtlColor plain = AskColor(dlg_, WM_CTLCOLOREDIT, Item(kPlainEdit));
  EXPECT_EQ(Colour(vxskin::kColorEditText), plain.text);
  EXPECT_EQ(Colour(vxskin::kColorEditBack), plain.back);
  EXPECT_EQ(OPAQUE, plain.mode);
  EXPECT_NE(nullptr, plain.brush);

  const CtlColor readOnly = AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kReadOnlyEdit));
  EXPECT_EQ(Colour(vxskin::kColorReadOnlyBack), readOnly.back);
  EXPECT_EQ(OPAQUE, readOnly.mode);
}

TEST_F(SkinDll, MappedGroupBoxPaintsTheSkinElement) {
  HWND group = Item(kGroup);
  const SIZE s = ClientSize(group);
  EXPECT_NE(GroupFrame(), PrintedPixel(group, 0, s.cy / 2));
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_NE(GroupFrame(), PrintedPixel(group, 0, s.cy / 2));  // not automatic

  EXPECT_EQ(SKIN_E_ELEMENT, map_(group, 4242));
  EXPECT_EQ(SKIN_E_ELEMENT, map_(group, -1));
  EXPECT_EQ(SKIN_E_KIND, map_(Item(kPlainEdit), 1018));
  EXPECT_EQ(SKIN_E_WINDOW, map_(nullptr, 1018));
  EXPECT_NE(GroupFrame(), PrintedPixel(group, 0, s.cy / 2));

  ASSERT_EQ(SKIN_OK, map_(group, 1018));
  EXPECT_EQ(GroupFrame(), PrintedPixel(group, 0, s.cy / 2));
  EXPECT_EQ(GroupFrame(), PrintedPixel(group, -1, s.cy / 2));
  EXPECT_EQ(GroupFrame(), PrintedPixel(group, s.cx / 2, -1));
  EXPECT_EQ(ToColorRef(skin_.Find(1018)->face), PrintedPixel(group, 12, 5));

  EXPECT_EQ(SKIN_E_ELEMENT, map_(group, 4242));  // keeps the mapping it had
  EXPECT_EQ(GroupFrame(), PrintedPixel(group, 0, s.cy / 2));
}

TEST_F(SkinDll, AttachingAgainReplacesTheSkinAndABadFileKeepsIt) {
  ASSERT_EQ(SKIN_OK, Attach());
  ASSERT_EQ(SKIN_OK, map_(Item(kGroup), 1018));
  ASSERT_EQ(SKIN_OK, fore_(Item(kRadio), 0, 0, 255));
  ASSERT_EQ(SKIN_OK, Attach());
  EXPECT_EQ(SKIN_E_TRUNCATED, attach_(HostPath(VX_BAD_SKIN_FILE).c_str(), nullptr));
  const SIZE s = ClientSize(Item(kGroup));
  EXPECT_EQ(GroupFrame(), PrintedPixel(Item(kGroup), 0, s.cy / 2));
  EXPECT_EQ(RGB(0, 0, 255), AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kRadio)).text);
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), ErasedPixel(dlg_, 5, -1));
}

TEST_F(SkinDll, DialogsCreatedLaterAreSkinnedWithTheirButtons) {
  ASSERT_EQ(SKIN_OK, Attach());
  HWND later = MakeDialog();
  ASSERT_NE(nullptr, later);
  Pump();
  EXPECT_EQ(Colour(vxskin::kColorDialogBottom), ErasedPixel(later, 5, -1));
  EXPECT_EQ(Colour(vxskin::kColorText),
            AskColor(later, WM_CTLCOLORSTATIC, GetDlgItem(later, kLabel)).text);
  // Push buttons take the skin's automatic button element.
  const vxskin::SkinElement* button = skin_.AutoFor(vxskin::ElementKind::kPushButton);
  ASSERT_NE(nullptr, button);
  HWND ok = GetDlgItem(later, kButton);
  EXPECT_EQ(ToColorRef(button->frame), PrintedPixel(ok, 0, ClientSize(ok).cy / 2));
  DestroyWindow(later);
}

TEST_F(SkinDll, PopupMenusOpenAtTheSetOpacity) {
  ASSERT_EQ(SKIN_OK, Attach());
  auto menuAlpha = [] {
    // A popup menu window, as TrackPopupMenu makes one.
    HWND menu = CreateWindowExA(WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, nullptr, nullptr);
    BYTE alpha = 255;
    DWORD flags = 0;
    if (GetWindowLongPtrA(menu, GWL_EXSTYLE) & WS_EX_LAYERED)
      GetLayeredWindowAttributes(menu, nullptr, &alpha, &flags);
    DestroyWindow(menu);
    return int(alpha);
  };
  EXPECT_EQ(255, menuAlpha());
  ASSERT_EQ(SKIN_OK, menuAlpha_(190));
  EXPECT_EQ(190, menuAlpha());
  ASSERT_EQ(SKIN_OK, menuAlpha_(-40));  // never invisible
  EXPECT_EQ(32, menuAlpha());
  ASSERT_EQ(SKIN_OK, menuAlpha_(1000));
  EXPECT_EQ(255, menuAlpha());
}

TEST_F(SkinDll, WindowsOfOtherThreadsAreRefused) {
  ASSERT_EQ(SKIN_OK, Attach());
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND foreign = nullptr;
  std::thread other([&] {
    foreign = CreateWindowExA(0, "Button", "x", WS_POPUP | BS_GROUPBOX, 0, 0, 50, 50,
                              nullptr, nullptr, nullptr, nullptr);
    SetEvent(made);
    WaitForSingleObject(done, 5000);
    DestroyWindow(foreign);
  });
  WaitForSingleObject(made, 5000);
  ASSERT_NE(nullptr, foreign);
  EXPECT_EQ(SKIN_E_WINDOW, map_(foreign, 1018));
  EXPECT_EQ(SKIN_E_WINDOW, fore_(foreign, 0, 0, 255));
  SetEvent(done);
  other.join();
  CloseHandle(made);
  CloseHandle(done);
}

TEST_F(SkinDll, UnloadingGivesTheWindowsBack) {
  const LONG_PTR proc = GetWindowLongPtrW(dlg_, GWLP_WNDPROC);
  const LONG_PTR groupProc = GetWindowLongPtrW(Item(kGroup), GWLP_WNDPROC);
  ASSERT_EQ(SKIN_OK, Attach());
  ASSERT_EQ(SKIN_OK, aero_(180, 0, 15, 0, 0, 0, 0, 0, 0));
  ASSERT_EQ(SKIN_OK, map_(Item(kGroup), 1018));
  ASSERT_EQ(SKIN_OK, fore_(Item(kRadio), 0, 0, 255));
  EXPECT_NE(proc, GetWindowLongPtrW(dlg_, GWLP_WNDPROC));

  ASSERT_TRUE(FreeLibrary(dll_));
  dll_ = nullptr;
  EXPECT_EQ(proc, GetWindowLongPtrW(dlg_, GWLP_WNDPROC));
  EXPECT_EQ(groupProc, GetWindowLongPtrW(Item(kGroup), GWLP_WNDPROC));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(ERROR, GetWindowRgn(dlg_, rgn));
  DeleteObject(rgn);
  // Still alive and back to the system's colours.
  EXPECT_NE(RGB(0, 0, 255), AskColor(dlg_, WM_CTLCOLORSTATIC, Item(kRadio)).text);
  Pump();
}

}  // namespace
