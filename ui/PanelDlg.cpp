#include "ui/PanelDlg.h"

#include "platform/wnd/Icon.h"
#include "ui/MainDlg.h"

CPanelDlg::CPanelDlg() : CDialog(kTemplate, nullptr) {}

void CPanelDlg::SetEmbeddedRect(const CRect& rect) {
  embeddedRect_ = rect;
  if (m_hWnd && mode_ == kEmbedded) MoveWindow(&embeddedRect_, TRUE);
}

BOOL CPanelDlg::CreateEmbedded() { return Create(kTemplate, main_); }

BOOL CPanelDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  const HICON icon = LoadIcon(nullptr, kProgramIcon);
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  Embed();
  return TRUE;
}

void CPanelDlg::Embed() {
  mode_ = kEmbedded;
  ModifyStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_CHILD);
  if (main_ != nullptr) SetParent(main_);
  MoveWindow(&embeddedRect_, TRUE);
}

void CPanelDlg::OnCancel() { Embed(); }
