// CMapDlg: the map page (template 131), which shows the GPS track of the recording on a web map in
// the embedded browser. It sits inside the main window as a bordered child (docked) or floats as
// a captioned, sizeable pop-up; it is made hidden with the main window's other child dialogs.
#pragma once

#include "platform/wnd/Dialog.h"

class CMapDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 131;

  explicit CMapDlg(CWnd* parent);

  bool IsDocked() const { return docked_; }
  const CRect& GetDockedRect() const { return dockedRect_; }
  // Left, top, right and bottom inside the main window; a docked page moves there.
  void SetDockedRect(const CRect& rect);

  BOOL OnInitDialog() override;

 private:
  bool docked_ = true;
  CRect dockedRect_{513, 62, 1015, 438};
};
