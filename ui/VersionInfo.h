// CVersionInfo: the small version dialog (template 113, "Version Info"), made hidden with the main
// window and shown and hidden by F6.
#pragma once

#include "platform/wnd/Dialog.h"

class CVersionInfo : public CDialog {
 public:
  static constexpr UINT kTemplate = 113;
  static constexpr int kShown = 5;
  static constexpr int kHidden = 0;

  explicit CVersionInfo(CWnd* parent);

  int GetShowState() const { return showState_; }
  // Moves the dialog, keeping its size, so that its centre lies on the main window's.
  void CenterOnOwner();

  BOOL OnInitDialog() override;

 private:
  CWnd* main_;
  int showState_ = kHidden;
};
