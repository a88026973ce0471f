// TabConfigDlg: the configuration dialog (template 240), run modally. Its page sets the units of
// the car data that the video's on-screen text shows; the recorder's own settings on the card are
// not offered, as this program cannot read them.
#pragma once

#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Dialog.h"

class TabConfigDlg : public CDialog {
 public:
  static constexpr UINT kTemplate = 240;
  static constexpr int kSpeedUnitList = 1001;
  static constexpr int kTemperatureUnitList = 1002;
  // Speed units: km/h, mph, knots; temperature units: Celsius, Fahrenheit.
  static constexpr int kSpeedUnits = 3;
  static constexpr int kTemperatureUnits = 2;

  explicit TabConfigDlg(CWnd* parent);

  // The card path text that the title shows.
  void SetCaption(const CString& text) { caption_ = text; }
  // The units shown when the dialog opens; a unit out of range is the first one.
  void SetUnits(int speedUnit, int temperatureUnit);
  // The units chosen (the ones given, unless the dialog ended with OK after a change).
  int GetSpeedUnit() const { return speedUnit_; }
  int GetTemperatureUnit() const { return temperatureUnit_; }

  BOOL OnInitDialog() override;
  void OnOK() override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

 private:
  CComboBox speedList_;
  CComboBox temperatureList_;
  CString caption_;
  int speedUnit_ = 0;
  int temperatureUnit_ = 0;
};
