#include "ui/VersionInfo.h"

CVersionInfo::CVersionInfo(CWnd* parent) : CDialog(kTemplate, parent), main_(parent) {}

BOOL CVersionInfo::OnInitDialog() {
  CDialog::OnInitDialog();
  showState_ = kHidden;
  return TRUE;
}

void CVersionInfo::CenterOnOwner() {
  if (main_ == nullptr || main_->GetSafeHwnd() == nullptr || !m_hWnd) return;
  CRect owner, own;
  main_->GetWindowRect(&owner);
  GetWindowRect(&own);
  const int x = (owner.left + owner.right) / 2 - own.Width() / 2;
  const int y = (owner.top + owner.bottom) / 2 - own.Height() / 2;
  SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
