#include "config/dialogs/WiFiConfigDlg.h"

#include "settings/DialogTexts.h"

namespace {

constexpr int kNote = 1001;

}  // namespace

CWiFiConfigDlg::CWiFiConfigDlg(DeviceSettings*, CWnd* parent) : CDialog(kTemplate, parent) {}

BOOL CWiFiConfigDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialogTexts(*this, {kNote, IDOK});
  return TRUE;
}
