// CGenGMapKey: the map key dialog (template 112). It writes the map page template with the user's
// key as "mapdlg.htm" in the settings folder, which the map page opens from the next start on.
#pragma once

#include "platform/wnd/Dialog.h"

class CGenGMapKey : public CDialog {
 public:
  static constexpr UINT kTemplate = 112;
  static constexpr int kKeyLabel = 1112;
  static constexpr int kKeyEdit = 1113;

  explicit CGenGMapKey(CWnd* parent = nullptr) : CDialog(kTemplate, parent) {}

  BOOL OnInitDialog() override;
  // Imports the key; without one the dialog asks for it and stays open.
  void OnOK() override;

 private:
  void FitKeyLabel();
};
