#pragma once
// The application: shows the main dialog modally; the process ends with it.

#include "framework/win_app.h"

class CCountApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
