// CWiFiConfigDlg: the Wi-Fi settings page (template 241), run modally on a settings record. The
// recorder keeps its Wi-Fi settings on the card in a form this program cannot read, so the page
// says so and changes nothing.
#pragma once

#include "platform/wnd/Dialog.h"

class DeviceSettings;

class CWiFiConfigDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 241;

  // The record is the one the page would edit; it is left as it is.
  CWiFiConfigDlg(DeviceSettings* settings, CWnd* parent);

  BOOL OnInitDialog() override;
};
