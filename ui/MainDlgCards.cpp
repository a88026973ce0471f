// Opening cards, device changes, dropped files, the card password and the card dialog's tasks.
#include "ui/MainDlg.h"

bool CMainDlg::OpenCard(const CString&) { return false; }

LRESULT CMainDlg::OnDeviceChange(WPARAM, LPARAM) { return TRUE; }

void CMainDlg::OnDropFiles(HDROP) {}

void CMainDlg::ScanDrivesForCard() {}

// Until the password dialog is asked here, only a card without passwords is accepted.
bool CMainDlg::CheckCardPassword(const CardConfigBlock* block, CWnd*) {
  const CardConfigBlock& card = block != nullptr ? *block : cardConfig_;
  return card.Password(1).IsEmpty() && card.Password(2).IsEmpty();
}

void CMainDlg::ClearRecordView() {}

void CMainDlg::OnBnClickedBackup() {}

void CMainDlg::OnBnClickedPlayback() {}
