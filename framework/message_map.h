#pragma once
// Message maps: each dialog lists the messages it handles in one table,
// each entry naming its handler. The helpers below build entries whose
// thunk unpacks the message's parameters into the handler's arguments.
//
//   const MessageEntry CMyDlg::kMessageMap[] = {
//       map::Paint<&CMyDlg::OnPaint>(),
//       map::Clicked<IDC_APPLY, &CMyDlg::OnApply>(),
//   };

#include <windows.h>

#include <cstddef>

class CDialog;

struct MessageEntry {
  UINT message;  // window message; WM_COMMAND for control notifications
  UINT code;     // notification code, for WM_COMMAND
  UINT id;       // control identifier, for WM_COMMAND
  LRESULT (*call)(CDialog& dialog, WPARAM wParam, LPARAM lParam);
};

// Matches all WM_CTLCOLOR* messages, which share one handler.
constexpr UINT kAnyCtlColor = 0xFFFF0001u;

namespace map {
namespace detail {
template <class T> struct ClassOf;
template <class C, class R, class... A> struct ClassOf<R (C::*)(A...)> {
  using type = C;
};
template <auto H> using Dlg = typename ClassOf<decltype(H)>::type;
template <auto H> Dlg<H>& Self(CDialog& d) { return static_cast<Dlg<H>&>(d); }
}  // namespace detail

// void OnX(): a button click or other control notification.
template <UINT Code, UINT Id, auto H> constexpr MessageEntry Command() {
  return {WM_COMMAND, Code, Id, [](CDialog& d, WPARAM, LPARAM) -> LRESULT {
            (detail::Self<H>(d).*H)();
            return 0;
          }};
}
template <UINT Id, auto H> constexpr MessageEntry Clicked() {
  return Command<BN_CLICKED, Id, H>();
}
template <UINT Id, auto H> constexpr MessageEntry EditChanged() {
  return Command<EN_CHANGE, Id, H>();
}
template <UINT Id, auto H> constexpr MessageEntry SelChange() {
  return Command<CBN_SELCHANGE, Id, H>();
}
// void OnX(UINT id): one handler for several buttons.
template <UINT Id, auto H> constexpr MessageEntry ClickedWithId() {
  return {WM_COMMAND, BN_CLICKED, Id, [](CDialog& d, WPARAM w, LPARAM) -> LRESULT {
            (detail::Self<H>(d).*H)(LOWORD(w));
            return 0;
          }};
}
// void OnX() for a window message without parameters.
template <UINT Msg, auto H> constexpr MessageEntry Message() {
  return {Msg, 0, 0, [](CDialog& d, WPARAM, LPARAM) -> LRESULT {
            (detail::Self<H>(d).*H)();
            return 0;
          }};
}
// void OnX(WPARAM, LPARAM) for a message of the program's own.
template <UINT Msg, auto H> constexpr MessageEntry Posted() {
  return {Msg, 0, 0, [](CDialog& d, WPARAM w, LPARAM l) -> LRESULT {
            (detail::Self<H>(d).*H)(w, l);
            return 0;
          }};
}
// void OnDpiChanged(WPARAM, LPARAM): the new DPI and the suggested rectangle.
template <auto H> constexpr MessageEntry DpiChanged() { return Posted<WM_DPICHANGED, H>(); }
template <auto H> constexpr MessageEntry Paint() { return Message<WM_PAINT, H>(); }
template <auto H> constexpr MessageEntry DrawClipboard() { return Message<WM_DRAWCLIPBOARD, H>(); }
template <auto H> constexpr MessageEntry Destroy() { return Message<WM_DESTROY, H>(); }
// void OnSysCommand(UINT id, LPARAM param)
template <auto H> constexpr MessageEntry SysCommand() {
  return {WM_SYSCOMMAND, 0, 0, [](CDialog& d, WPARAM w, LPARAM l) -> LRESULT {
            (detail::Self<H>(d).*H)(UINT(w), l);
            return 0;
          }};
}
// HICON OnQueryDragIcon()
template <auto H> constexpr MessageEntry QueryDragIcon() {
  return {WM_QUERYDRAGICON, 0, 0, [](CDialog& d, WPARAM, LPARAM) -> LRESULT {
            return LRESULT((detail::Self<H>(d).*H)());
          }};
}
// void OnMove(int x, int y): the client area's new position.
template <auto H> constexpr MessageEntry Move() {
  return {WM_MOVE, 0, 0, [](CDialog& d, WPARAM, LPARAM l) -> LRESULT {
            (detail::Self<H>(d).*H)(short(LOWORD(l)), short(HIWORD(l)));
            return 0;
          }};
}
// void OnDropFiles(HDROP drop)
template <auto H> constexpr MessageEntry DropFiles() {
  return {WM_DROPFILES, 0, 0, [](CDialog& d, WPARAM w, LPARAM) -> LRESULT {
            (detail::Self<H>(d).*H)(HDROP(w));
            return 0;
          }};
}
// void OnChangeCbChain(HWND removed, HWND next)
template <auto H> constexpr MessageEntry ChangeCbChain() {
  return {WM_CHANGECBCHAIN, 0, 0, [](CDialog& d, WPARAM w, LPARAM l) -> LRESULT {
            (detail::Self<H>(d).*H)(HWND(w), HWND(l));
            return 0;
          }};
}
// HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind), kind a CTLCOLOR_* value.
template <auto H> constexpr MessageEntry CtlColor() {
  return {kAnyCtlColor, 0, 0, [](CDialog& d, WPARAM w, LPARAM l) -> LRESULT {
            const UINT msg = detail::Self<H>(d).CurrentMessage();
            return LRESULT((detail::Self<H>(d).*H)(HDC(w), HWND(l),
                                                   msg - WM_CTLCOLORMSGBOX));
          }};
}
}  // namespace map
