// The two small pop-up panels that share one place on the screen: SpeedDlg (template 110), a speed
// slider with a read-out and two step buttons, skinned by the main window's UI mode; and
// VolumeDlg (template 1866), a volume bitmap slider. Both only relay levels to the main window.
#pragma once

#include "controls/BitmapSlider.h"
#include "controls/DigiStatic.h"
#include "controls/VxSkinSldButton.h"
#include "ui/panels/SidePanel.h"

class SpeedDlg : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 110;
  static constexpr int kSlider = 1043;
  static constexpr int kReadOut = 1703;

  explicit SpeedDlg(CWnd* parent);

  CVxSkinSldButton& Slider() { return slider_; }
  int GetSpeedLevel() const { return speedLevel_; }
  // Shows the speed in the read-out, as the video control panel does, and takes its level.
  void SetSpeed(double speed);

  BOOL OnInitDialog() override;

 private:
  void AttachSlider(const ui::SpeedPanelSkins& skins);

  int speedLevel_ = 4;
  CDigiStatic readOut_;
  CVxSkinSldButton slider_;
};

class VolumeDlg : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 1866;
  static constexpr int kHiddenSlider = 1042;

  explicit VolumeDlg(CWnd* parent);

  CBitmapSlider& Slider() { return slider_; }

  BOOL OnInitDialog() override;

 private:
  CVxSkinSldButton hiddenSlider_;
  CBitmapSlider slider_;
};
