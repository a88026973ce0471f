#include "users/ConfirmDlg.h"

#include "settings/DialogTexts.h"

namespace {

constexpr int kUserNameLabel = 1003;
constexpr int kPasswordLabel = 1004;
// The accounts of a card's configuration block hold 16 bytes of text each.
constexpr UINT kTextLimit = 16;

}  // namespace

CConfirmDlg::CConfirmDlg(CWnd* parent) : CDialog(kTemplate, parent) {}

void CConfirmDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, kUserNameEdit, userEdit_);
  DDX_Control(dx, kPasswordEdit, passwordEdit_);
}

BOOL CConfirmDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kUserNameLabel, kPasswordLabel, IDOK, IDCANCEL});
  userEdit_.SetLimitText(kTextLimit);
  passwordEdit_.SetLimitText(kTextLimit);
  return TRUE;
}

void CConfirmDlg::OnOK() {
  userName_ = userEdit_.GetWindowText();
  password_ = passwordEdit_.GetWindowText();
  CDialog::OnOK();
}
