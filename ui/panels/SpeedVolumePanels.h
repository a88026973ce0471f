// The two small pop-up panels that share one place on the screen: SpeedDlg (template 110), a speed
// slider with a read-out and two step buttons, skinned by the main window's UI mode; and
// VolumeDlg (template 1866), a volume bitmap slider. Both only relay levels to the main window.
#pragma once

#include "controls/BitmapSlider.h"
#include "controls/DigiStatic.h"
#include "controls/VxSkinSldButton.h"
#include "ui/panels/SidePanel.h"

class SpeedDlg : public CSidePanel, public ITransportObserver {
 public:
  static constexpr UINT kTemplate = 110;
  static constexpr int kSlider = 1043;
  static constexpr int kReadOut = 1703;

  explicit SpeedDlg(CWnd* parent);

  // Shows a playback speed in the read-out (which the panel keeps hidden) and takes its level as
  // the panel's copy.
  void SetSpeed(double speed);

  CVxSkinSldButton& Slider() { return slider_; }
  int GetSpeedLevel() const { return speedLevel_; }
  const CString& GetSpeedText() const { return speedText_; }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnButton(int id) override;
  // The slider and the read-out follow the transport controller; backward play shows level 4.
  void OnSpeedChanged(int level, double speed) override;

 private:
  // The design of the main window's UI mode.
  std::span<const ui::PanelControl> Controls() const;
  void AttachSlider(const ui::SpeedPanelSkins& skins);
  void InitReadOut();
  // A released slider's level, kept within the slider's range, goes to the main window.
  LRESULT OnSliderReleased(WPARAM kind, LPARAM value);

  int speedLevel_ = 4;
  CString speedText_;
  CDigiStatic readOut_;
  CVxSkinSldButton slider_;
};

class VolumeDlg : public CSidePanel, public ITransportObserver {
 public:
  static constexpr UINT kTemplate = 1866;
  static constexpr int kHiddenSlider = 1042;

  explicit VolumeDlg(CWnd* parent);

  CBitmapSlider& Slider() { return slider_; }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void OnVolumeChanged(int level) override;

 private:
  CVxSkinSldButton hiddenSlider_;
  CBitmapSlider slider_;
};
