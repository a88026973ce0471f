// The video control panel's commands: transport, speed, sound and volume, the range sliders and
// the side shift.
#include <algorithm>
#include <utility>

#include "controls/Messages.h"
#include "engine/IIbpCtrl.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"
#include "ui/panels/SpeedText.h"
#include "ui/panels/VideoCtrlPanel.h"

namespace {

constexpr int kSoundOn = 1733;
constexpr int kSoundOff = 1734;
constexpr int kSoundOnShown = 1766;
constexpr int kSoundOffShown = 1767;
constexpr int kFaster = 1756;
constexpr int kSlower = 1758;
constexpr int kShiftRight = 1757;
constexpr int kShiftLeft = 1759;
// The bitmap slider's 28 levels become the main window's percent volume in steps of 4.
constexpr int kPercentPerLevel = 4;

bool IsTransport(int id) { return id >= mainid::kPrevFile && id <= mainid::kNextFile; }

}  // namespace

bool VideoCtrlPanel::OnButton(int id) {
  if (IsTransport(id)) {
    ClickMainButton(id);
    return true;
  }
  switch (id) {
    case kFaster:
    case kSlower:
      StepSpeed(id == kFaster ? 1 : -1);
      return true;
    case kSoundOn:
    case kSoundOff:
      SetSound(-1);
      return true;
    case mainid::kVolumeDown:
    case mainid::kVolumeUp:
      if (!soundOn_) return true;
      ClickMainButton(id);
      NoteActivity();
      return true;
    case mainid::kBackupSelected:
      ClickMainButton(id);
      NoteActivity();
      return true;
    case kShiftRight:
    case kShiftLeft:
      ShiftTo(id == kShiftRight ? kRightSide : kLeftSide);
      return true;
    case kSoundOnShown:
    case kSoundOffShown:
    case kVideoSpeedDigits:
      return true;
    default:
      return false;
  }
}

void VideoCtrlPanel::SetSpeedText(double speed) {
  speedText_ = panels::SpeedText(speed);
  if (const int level = panels::SpeedLevelOf(speed); level >= 0) speedLevel_ = level;
  if (videoSpeedDigits_.GetSafeHwnd()) videoSpeedDigits_.SetText(speedText_);
  NoteActivity();
}

void VideoCtrlPanel::OnSpeedChanged(int level, double speed) {
  if (level != TransportCtrl::kNoLevel) SetSpeedText(speed);
}

// Muted, the slider keeps showing silence whatever level another control sets.
void VideoCtrlPanel::OnVolumeChanged(int level) {
  if (volumeSlider_.GetSafeHwnd()) volumeSlider_.SetPos(soundOn_ ? level : 0);
}

void VideoCtrlPanel::StepSpeed(int delta) {
  if (main_ == nullptr) return;
  speedLevel_ = main_->SetSpeedLevel(speedLevel_ + delta);
  NoteActivity();
}

// Only a change of the flag moves the level: muting saves the main window's level and silences
// the engine, unmuting gives the saved level back. Muting twice keeps the first saved level. The
// main window hands the level to the engine, once.
void VideoCtrlPanel::SetSound(int mode) {
  const bool wasOn = soundOn_;
  soundOn_ = mode == -1 ? !soundOn_ : mode != 0;
  SetMainVolumeControlsEnabled(soundOn_);
  ShowSoundButtons();
  if (wasOn && !soundOn_) {
    savedVolumeLevel_ = MainVolumeLevel();
    TellMainVolumeLevel(0);
  } else if (!wasOn && soundOn_) {
    TellMainVolumeLevel(savedVolumeLevel_);
  }
  NoteActivity();
}

// The button that changes the state is the one to click; its twin beside it only shows the state.
void VideoCtrlPanel::ShowSoundButtons() {
  const std::pair<int, bool> shown[] = {
      {kSoundOn, !soundOn_}, {kSoundOnShown, soundOn_}, {kSoundOff, soundOn_}, {kSoundOffShown, !soundOn_}};
  for (const auto& [id, show] : shown) {
    ShowButton(id, show);
    if (CVxSkinButton* button = Button(id)) button->EnableWindow(id == kSoundOn || id == kSoundOff);
  }
}

void VideoCtrlPanel::SetMainVolumeControlsEnabled(bool enable) {
  if (main_ == nullptr || !main_->GetSafeHwnd()) return;
  for (int id : {mainid::kVolumeSlider, mainid::kShowVolumePanel}) {
    if (CWnd* control = main_->GetDlgItem(id)) control->EnableWindow(enable);
  }
}

void VideoCtrlPanel::SetAttenuation(int level) const {
  if (IIbpCtrl* engine = Engine()) engine->SetVolume(0, TransportCtrl::LevelAttenuation(level));
}

int VideoCtrlPanel::MainVolumeLevel() const {
  return main_ != nullptr ? main_->GetVolumeLevel() : CMainDlg::kLoudestVolume;
}

// The main window takes the level as a move of its volume read-out: it gives the engine the level's
// attenuation unless it already had that level, and every volume control follows.
void VideoCtrlPanel::TellMainVolumeLevel(int level) {
  if (main_ == nullptr || !main_->GetSafeHwnd()) return;
  main_->OnBitmapSliderMoved(mainid::kBitmapVolume, level);
}

// With the sound on the slider's level becomes the main window's volume. Muted, the move does not
// unmute: the volume stays silent and the slider goes back to show it.
void VideoCtrlPanel::OnVolumeSliderMoved(int position) {
  if (!soundOn_) {
    TellMainVolumeLevel(0);
    volumeSlider_.SetPos(0);
    return;
  }
  SetSound(1);
  TellMainVolumeLevel(position);
  SendToMain(WM_PANEL_COMMAND, kSliderVolumeLevel, position * kPercentPerLevel);
  NoteActivity();
}

void VideoCtrlPanel::ShiftTo(Side side) {
  side_ = side;
  if (main_ == nullptr || !main_->GetSafeHwnd()) return;
  CRect window;
  main_->GetWindowRect(&window);
  main_->OnSize(SIZE_RESTORED, window.Width(), window.Height());
  main_->Invalidate();
  NoteActivity();
}

// The main window sees the panel's last range before it handles a press or a release.
LRESULT VideoCtrlPanel::OnSliderMessage(UINT msg, WPARAM kind, LPARAM value) {
  if (msg == WM_SLIDER_DRAGGED) return 0;
  HandRangeToMain(markBar_);
  SendToMain(msg, kind, value);
  Invalidate();
  NoteActivity();
  return 0;
}
