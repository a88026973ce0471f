// Transport commands, speed and volume, channel layouts, step repeat and channel visibility.
#include <algorithm>

#include "controls/Messages.h"
#include "engine/IIbpCtrl.h"
#include "platform/gdi/GdiQt.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

// Speed levels 0..8: 1/16 to 16, level 4 the normal speed.
constexpr std::array<double, CMainDlg::kSpeedLevels> kSpeeds{0.0625, 0.125, 0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0};
constexpr UINT kVolumeThumb = 185;

}  // namespace

void CMainDlg::OnBnClickedPlay() {}

void CMainDlg::OnBnClickedPause() {}

void CMainDlg::OnBnClickedStop() {}

void CMainDlg::OnBnClickedBackward() {}

void CMainDlg::OnBnClickedNextFrame() {}

void CMainDlg::OnBnClickedPrevFrame() {}

void CMainDlg::OnBnClickedSlower() {}

void CMainDlg::OnBnClickedFaster() {}

void CMainDlg::OnBnClickedVolumeDown() {}

void CMainDlg::OnBnClickedVolumeUp() {}

void CMainDlg::OnBnClickedAudio1() {}

void CMainDlg::OnBnClickedAudio2() {}

void CMainDlg::OnBnClickedLayout4() {}

void CMainDlg::OnBnClickedLayout8() {}

int CMainDlg::SetSpeedLevel(int level) {
  level = std::clamp(level, 0, kSpeedLevels - 1);
  if (speedDlg_.GetSafeHwnd()) speedDlg_.Slider().SetPos(level);
  speedSlider_.SetPos(level);
  speedLevel_ = level;
  if (engine_ != nullptr) engine_->SetSpeed(kSpeeds[static_cast<size_t>(level)]);
  return level;
}

void CMainDlg::ResetSpeedSlider() {
  speedSlider_.SetRange(0, kSpeedLevels - 1);
  if (speedDlg_.GetSafeHwnd()) speedDlg_.Slider().SetRange(0, kSpeedLevels - 1);
  SetSpeedLevel(kNormalSpeedLevel);
}

void CMainDlg::SetVolumeLevel(int) {}

void CMainDlg::OnBitmapSliderMoved(WPARAM, LPARAM) {}

// Both volume sliders start at the loudest level; without the volume thumb neither is shown.
void CMainDlg::InitVolumeControls() {
  ShowItem(mainid::kVolumeDown, true);
  ShowItem(mainid::kVolumeUp, true);
  const bool thumb = plat::HasBitmapResource(kVolumeThumb) && volumeSlider_.SetThumbBitmap(kVolumeThumb);
  if (!thumb) {
    ShowItem(mainid::kVolumeSlider, false);
    ShowItem(mainid::kBitmapVolume, false);
  }
  volumeSlider_.SetNotifyCode(kSliderVolume);
  volumeSlider_.SetRange(0, kLoudestVolume);
  volumeSlider_.SetPos(kLoudestVolume);
  volumeBitmapSlider_.SetRange(0, kLoudestVolume);
  volumeBitmapSlider_.SetPos(kLoudestVolume);
  volumeBitmapSlider_.SetMarginLeft(0);
  volumeBitmapSlider_.SetMarginRight(0);
  const ui::ModeSkins& skins = ui::kModeSkins[static_cast<size_t>(uiMode_)];
  volumeBitmapSlider_.SetBitmapChannel(static_cast<UINT>(skins.volumeChannel), static_cast<UINT>(skins.volumeActive),
                                       TRUE, CLR_DEFAULT);
  const ui::LayoutRect& r = ui::AreaRect(ui::Area::kBitmapVolume, uiMode_);
  volumeBitmapSlider_.MoveWindow(r.left, r.top, r.Width(), r.Height(), FALSE);
  if (thumb) volumeBitmapSlider_.ShowWindow(SW_SHOW);
  ShowItem(mainid::kHiddenSlider, false);
}

void CMainDlg::TogglePause() {}

void CMainDlg::SetChannelLayout(int) {}

void CMainDlg::RefreshCaptionPanel() {}

void CMainDlg::StopPlayback() {}

void CMainDlg::StartStepRepeat() {}

void CMainDlg::StepRepeatTick() {}

void CMainDlg::StartChannelVisibility() {}

void CMainDlg::ChannelVisibilityPass() {}
