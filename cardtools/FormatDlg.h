// CFormatDlg: the format and restore tool (template 242), run modally. Formatting and restoring
// cards are not part of this program: the dialog shows the card's drive number, an idle progress
// bar and the interface language list. Picking a language makes it the language of the next run.
#pragma once

#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ProgressCtrl.h"

class CFormatDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 242;
  static constexpr int kDriveText = 1001;
  static constexpr int kProgressBar = 1002;
  static constexpr int kLanguageList = 1005;

  explicit CFormatDlg(CWnd* parent);

  // The physical drive number of the selected card; -1 for none.
  void SetDriveNumber(int driveNo);
  int GetDriveNumber() const { return driveNumber_; }
  // The progress of the format worker; there is none, so the bar stays empty.
  void UpdateProgress();

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  void ShowDriveNumber();
  void FillLanguageList();
  void OnLanguageChosen();

  CComboBox languageList_;
  CProgressCtrl progress_;
  int driveNumber_ = -1;
};
