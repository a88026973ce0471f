// VideoCtrlPanel: the tall floating panel of transport, speed, range and sound controls beside the
// video (template 234, designed 480 x 1080). Every button forwards to the main window, which
// drives the engine; the panel keeps only its sound flag and copies of two levels.
#pragma once

#include "controls/BitmapSlider.h"
#include "controls/DigiStatic.h"
#include "controls/VxSkinSldButton.h"
#include "controls/VxSkinSldButton2.h"
#include "ui/panels/SidePanel.h"

class VideoCtrlPanel : public CSidePanel {
 public:
  static constexpr UINT kTemplate = 234;
  static constexpr int kCarSpeedDigits = 1140;
  static constexpr int kVideoSpeedDigits = 1703;

  explicit VideoCtrlPanel(CWnd* parent);

  CVxSkinSldButton& PositionSlider() { return positionSlider_; }
  CVxSkinSldButton2& MarkBar() { return markBar_; }
  CBitmapSlider& VolumeSlider() { return volumeSlider_; }
  bool IsSoundOn() const { return soundOn_; }
  int GetSpeedLevel() const { return speedLevel_; }

  BOOL OnInitDialog() override;

 private:
  // The sliders and read-outs of the design; false for the skinned buttons.
  bool AttachSpecialControl(const ui::PanelControl& design);
  static ui::PanelControl DesignOf(const ui::RowControl& row);

  CVxSkinSldButton positionSlider_;
  CVxSkinSldButton2 markBar_;
  CBitmapSlider volumeSlider_;
  CDigiStatic carSpeedDigits_;
  CDigiStatic videoSpeedDigits_;
  int savedVolumeLevel_ = 0;
  bool soundOn_ = true;
  int speedLevel_ = 4;
};
