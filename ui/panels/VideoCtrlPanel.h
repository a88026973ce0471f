// VideoCtrlPanel: the tall floating panel of transport, speed, range and sound controls beside the
// video (template 234, designed 480 x 1080). Every button forwards to the main window, which
// drives the engine; the panel keeps only its sound flag, the volume level saved while muted, its
// copy of the speed level and the side of the main window it asks to stand on.
//
// Its rows keep their heights while the gaps between them follow the panel's height; a panel too
// short for every row drops its captions (see layout/PanelLayout.h). The background, drawn for the
// full-height panel, is laid out in bands that follow the rows.
#pragma once

#include "controls/BitmapSlider.h"
#include "controls/DigiStatic.h"
#include "controls/VxSkinSldButton.h"
#include "controls/VxSkinSldButton2.h"
#include "platform/gdi/GdiObjects.h"
#include "ui/panels/SidePanel.h"

class VideoCtrlPanel : public CSidePanel, public ITransportObserver {
 public:
  static constexpr UINT kTemplate = 234;
  static constexpr int kCarSpeedDigits = 1140;
  static constexpr int kVideoSpeedDigits = 1703;
  // Which side of the main window the panel asks to stand on ("Shift Right" / "Shift Left").
  enum Side { kRightSide = 0, kLeftSide = 1 };

  explicit VideoCtrlPanel(CWnd* parent);

  // Shows a playback speed in the speed read-out and takes its level as the panel's copy.
  void SetSpeedText(double speed);
  // -1 toggles the sound, 0 mutes, any other value turns it on; unmuting restores the level that
  // muting saved.
  void SetSound(int mode);

  CVxSkinSldButton& PositionSlider() { return positionSlider_; }
  CVxSkinSldButton2& MarkBar() { return markBar_; }
  CBitmapSlider& VolumeSlider() { return volumeSlider_; }
  bool IsSoundOn() const { return soundOn_; }
  int GetSavedVolumeLevel() const { return savedVolumeLevel_; }
  int GetSpeedLevel() const { return speedLevel_; }
  const CString& GetSpeedText() const { return speedText_; }
  Side GetSide() const { return side_; }

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  // The speed read-out and the volume slider follow the transport controller.
  void OnSpeedChanged(int level, double speed) override;
  void OnVolumeChanged(int level) override;
  // The main window's volume level (0..27), and telling it a new one, which it applies as the
  // attenuation of that level.
  virtual int MainVolumeLevel() const;
  virtual void TellMainVolumeLevel(int level);
  bool OnButton(int id) override;

 private:
  // The sliders and read-outs of the design; false for the skinned buttons.
  bool AttachSpecialControl(const ui::PanelControl& design);
  void InitReadOuts();
  void InitVolume();
  static ui::PanelControl DesignOf(const ui::RowControl& row, int height);
  void LayOut(int height);
  void PlaceRowControl(const ui::RowControl& row, int height);
  void PaintBackground(CDC& dc);

  void ShowSoundButtons();
  void SetMainVolumeControlsEnabled(bool enable);
  // The engine's sound at a level 0..27 (27 loudest, 0 silent).
  void SetAttenuation(int level) const;
  void OnVolumeSliderMoved(int position);
  void StepSpeed(int delta);
  void ShiftTo(Side side);
  LRESULT OnSliderMessage(UINT msg, WPARAM kind, LPARAM value);

  CVxSkinSldButton positionSlider_;
  CVxSkinSldButton2 markBar_;
  CBitmapSlider volumeSlider_;
  CDigiStatic carSpeedDigits_;
  CDigiStatic videoSpeedDigits_;
  CBitmap background_;
  CString speedText_;
  int savedVolumeLevel_ = 27;
  bool soundOn_ = true;
  int speedLevel_ = 4;
  Side side_ = kLeftSide;  // the main window first places the panel at its left edge
};
