// CConfirmDlg: asks for a user name and a password (template 204). DoModal returns IDOK (1) with
// both texts kept, anything else when the user cancelled.
#pragma once

#include "platform/wnd/Dialog.h"
#include "platform/wnd/Edit.h"

class CConfirmDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 204;
  static constexpr int kUserNameEdit = 1001;
  static constexpr int kPasswordEdit = 1002;

  explicit CConfirmDlg(CWnd* parent);

  const CString& GetUserName() const { return userName_; }
  const CString& GetPassword() const { return password_; }

  BOOL OnInitDialog() override;
  void OnOK() override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  CEdit userEdit_;
  CEdit passwordEdit_;
  CString userName_;
  CString password_;
};
