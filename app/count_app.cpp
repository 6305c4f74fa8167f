#include "app/count_app.h"

#include "app/integrity.h"
#include "ui/count_dlg.h"

CCountApp theApp;

BOOL CCountApp::InitInstance() {
  CCountDlg dialog(ProgramFileIsIntact);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;  // no message loop of our own: the process ends here
}
