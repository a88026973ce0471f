// Opening cards, device changes, dropped files, the card password and the card dialog's tasks.
#include "ui/MainDlg.h"

bool CMainDlg::OpenCard(const CString&) { return false; }

LRESULT CMainDlg::OnDeviceChange(WPARAM, LPARAM) { return TRUE; }

void CMainDlg::OnDropFiles(HDROP) {}

void CMainDlg::ScanDrivesForCard() {}

bool CMainDlg::CheckCardPassword(const CardConfigBlock*, CWnd*) { return false; }

void CMainDlg::ClearRecordView() {}

void CMainDlg::OnBnClickedBackup() {}

void CMainDlg::OnBnClickedPlayback() {}
