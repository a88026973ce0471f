#include "ui/MapDlg.h"

CMapDlg::CMapDlg(CWnd* parent) : CDialog(kTemplate, parent) {}

BOOL CMapDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  MoveWindow(&dockedRect_, FALSE);
  return TRUE;
}

void CMapDlg::SetDockedRect(const CRect& rect) {
  dockedRect_ = rect;
  if (m_hWnd && docked_) MoveWindow(&dockedRect_, TRUE);
}
