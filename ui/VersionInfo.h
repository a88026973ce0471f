// CVersionInfo: the small version dialog (template 113, "Version Info"), made hidden with the main
// window and shown and hidden by F6 through the main window.
#pragma once

#include "platform/gdi/GdiObjects.h"
#include "platform/wnd/Dialog.h"

class CVersionInfo : public CDialog {
 public:
  static constexpr UINT kTemplate = 113;
  static constexpr int kShown = 5;
  static constexpr int kHidden = 0;
  static constexpr int kVersionTypeLabel = 1120;
  static constexpr int kVersionNameLabel = 1121;
  static constexpr int kVersionTypeItem = 1123;
  static constexpr int kVersionNameItem = 1122;

  explicit CVersionInfo(CWnd* parent);

  // -1 toggles between hidden and shown, 0 hides, 5 shows (centred on the main window); any other
  // value changes nothing.
  void Toggle(int mode);
  int GetShowState() const { return showState_; }
  // Moves the dialog, keeping its size, so that its centre lies on the main window's.
  void CenterOnOwner();

  BOOL OnInitDialog() override;
  // The close box, Escape and Enter hide the dialog; the next F6 shows it again.
  void OnOK() override { OnCancel(); }
  void OnCancel() override;

 private:
  CWnd* main_;
  int showState_ = kHidden;
  CFont font_;
};
