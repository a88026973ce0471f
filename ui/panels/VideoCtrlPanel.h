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
  // Shows the playback speed in the video-speed digits and takes its level.
  void SetSpeedText(double speed);
  // The read-out of a speed: "%3d " from 1 up, the fractions 1/2 to 1/32, else empty; and the
  // level 0..8 of a speed of the table (-1 for another).
  static CString SpeedText(double speed);
  static int SpeedLevelOf(double speed);

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
