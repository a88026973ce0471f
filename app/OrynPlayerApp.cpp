#include "app/OrynPlayerApp.h"

#include <unistd.h>

#include "engine/gps/GpsOffsetTable.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"

COrynPlayerApp theApp;

bool COrynPlayerApp::InitInstance() {
  g_appConfig.SelectLanguage();
  // A run whose window never chooses a mode writes the stored one back unchanged.
  g_appConfig.SetUIMode(g_appConfig.ReadConfigInt(L"UIMode", 0));
  LoadGpsOffsetTableAtStart(g_appConfig.GetAppFolder().ToUtf8(), g_appConfig.ReadConfigInt(L"GPS_Offset_Auto", 1));
  {
    CMainDlg dlg(nullptr);
    dlg.SetArguments(arguments_);
    mainDlg_ = &dlg;
    dlg.DoModal();
  }
  mainDlg_ = nullptr;
  g_appConfig.WriteLanguageFile();
  g_appConfig.WriteUIMode();
  return false;
}

void COrynPlayerApp::RequestClose() {
  if (mainDlg_ == nullptr) return;
  CDialog::CancelModalsAbove(mainDlg_->m_hWnd, [this] {
    if (mainDlg_ != nullptr) mainDlg_->OnBnClickedClose();
  });
}

void COrynPlayerApp::EndNow() {
  g_appConfig.WriteLanguageFile();
  g_appConfig.WriteUIMode();
  ::_exit(0);
}
