#pragma once
// A device context for painting in response to WM_PAINT, for one scope.

#include <windows.h>

class CPaintDC {
 public:
  explicit CPaintDC(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_ps); }
  ~CPaintDC() { EndPaint(m_window, &m_ps); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_dc; }
  const PAINTSTRUCT& Info() const { return m_ps; }

 private:
  HWND m_window;
  HDC m_dc;
  PAINTSTRUCT m_ps;
};
