#pragma once
// A modal dialog over the Win32 dialog manager. The dialog window is
// subclassed once it exists, so every message passes the derived class's
// message map first; a handler calls Default() for the dialog manager's
// own processing, and messages without an entry get it automatically.

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/message_map.h"

class CDialog {
 public:
  CDialog(UINT templateId, HWND parent = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Shows the dialog and runs its modal loop; returns what EndDialog got.
  INT_PTR DoModal();
  void EndDialog(int result);

  HWND GetSafeHwnd() const { return m_hWnd; }
  // Centres the dialog on the work area of its monitor (the screen less
  // any taskbar or panel).
  void CenterOnWorkArea();
  UINT CurrentMessage() const { return m_current.message; }

  // Controls by identifier.
  HWND GetDlgItem(int id) const;
  void SetDlgItemText(int id, const wchar_t* text);
  std::wstring GetDlgItemText(int id) const;
  int IsDlgButtonChecked(int id) const;
  void CheckDlgButton(int id, int state);
  void EnableDlgItem(int id, bool enable);
  void ShowDlgItem(int id, bool show);
  void MoveDlgItem(int id, int x, int y, int width, int height);
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

 protected:
  // Base initialisation: runs the template's initialisation data (the
  // entries of list and combo boxes, as UTF-16 text). Derived classes call
  // it first.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual const MessageEntry* MessageMapBegin() const { return nullptr; }
  virtual const MessageEntry* MessageMapEnd() const { return nullptr; }

  // The dialog manager's processing of the message being handled.
  LRESULT Default();

  HWND m_hWnd = nullptr;
  UINT m_templateId;
  HWND m_parent;

 private:
  struct Message {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };

  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(const Message& msg);
  const MessageEntry* FindEntry(const Message& msg) const;
  BOOL InitDialog(HWND hwnd);
  void RunInitData();
  void CenterIfNotPlaced(const RECT& before);

  WNDPROC m_dialogManagerProc = nullptr;
  Message m_current;
};

// Declares a dialog's message map: `static const MessageEntry kMessageMap[]`
// plus the overrides that hand it to CDialog.
#define DECLARE_MESSAGE_MAP()                                              \
  static const MessageEntry kMessageMap[];                                 \
  static const size_t kMessageMapSize;                                     \
  const MessageEntry* MessageMapBegin() const override { return kMessageMap; } \
  const MessageEntry* MessageMapEnd() const override {                     \
    return kMessageMap + kMessageMapSize;                                  \
  }
