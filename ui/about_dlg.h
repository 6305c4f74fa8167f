#pragma once
// The About box.

#include "framework/dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(HWND parent = nullptr) : CDialog(IDD_ABOUTBOX, parent) {}
};
