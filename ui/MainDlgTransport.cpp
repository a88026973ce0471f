// Transport commands, speed and volume, channel layouts, step repeat and channel visibility.
#include <algorithm>

#include "controls/Messages.h"
#include "engine/IIbpCtrl.h"
#include "layout/PanelLayout.h"
#include "platform/Time.h"
#include "platform/gdi/GdiQt.h"
#include "settings/AppConfig.h"
#include "ui/MainDlg.h"
#include "ui/MainDlgIds.h"

namespace {

constexpr UINT kVolumeThumb = 185;
constexpr int kChannel = 0;
// The engine plays one channel: channel indices from here on address nothing.
constexpr int kChannelCount = 1;
// The attenuation of a muted channel, in hundredths of a decibel.
constexpr std::int32_t kMutedVolume = -4320;
// A panel's percent volume: 1..99 map onto -2475..-25; 0 is silence, 100 and up full volume.
constexpr int kFullPercent = 100;
constexpr std::int32_t kPercentStep = 25;
constexpr std::int32_t kPercentBase = -2500;
constexpr std::int32_t kSilentPercentVolume = -2700;
// The step repeat: the first repeat after 1.2 s, each next period 0.8 of the last while above
// 60 ms, the buttons polled every 10 ms.
constexpr DWORD kFirstStepPeriodMs = 1200;
constexpr DWORD kShortestStepPeriodMs = 60;
constexpr double kStepPeriodFactor = 0.8;
constexpr UINT kStepPollMs = 10;
// A recording's channels are examined 3 s after it starts.
constexpr UINT kVisibilityWaitMs = 3000;
// The caption panel's buttons stand this far above the product mark, level with its left edge.
constexpr int kCaptionAboveMark = 6;

}  // namespace

std::int32_t CMainDlg::LevelAttenuation(int level) { return TransportCtrl::LevelAttenuation(level); }

// Play at normal speed: resumes a pause, or opens the engine's current recording again (after
// Stop or the end of the data, from its beginning). In the map view Play restarts the track
// replay instead.
void CMainDlg::OnBnClickedPlay() {
  if (mapView_) {
    PlayReplay();
  } else {
    if (engine_ != nullptr) engine_->SetSpeed(TransportCtrl::kPlaySpeed);
    SetSpeedLevel(kNormalSpeedLevel);
    if (playEnded_) CloseEngine();
    if (transport_.IsPaused() && !reopenPending_) {
      TogglePause();
    } else {
      ReopenCurrentEntry();
    }
    reopenPending_ = false;
  }
  RefreshCaptionPanel();
}

// A replay that ended by itself starts again from the start.
void CMainDlg::PlayReplay() {
  if (replayRestart_ || !mapDlg_.IsReplayRunning()) {
    mapDlg_.StartTrackReplay(std::max(mapDlg_.GetReplayStartPoint(), 0));
    replayRestart_ = false;
  }
  mapDlg_.PauseReplay(false);
  transport_.ClearPause();
}

// The engine's current entry is where its reader is, which may lie recordings ahead of the
// picture shown; after a stop the recording that was shown opens again. Before anything was
// played there is no current entry.
void CMainDlg::ReopenCurrentEntry() {
  IndexEntry* entry = engine_ != nullptr ? engine_->GetCurrentEntry() : nullptr;
  if (entry == nullptr) {
    PlayChosenRecording();
    return;
  }
  int n = FindCurrentRecord();
  if (!playing_ && IsSpan(shownAtStop_)) {
    n = shownAtStop_;
    entry = dayView_.Span(n).entry;
  }
  SelectRecord(n, true);
  if (!StartRecord(entry, 0, 0)) {
    OnBnClickedStop();
    return;
  }
  mapDlg_.ClearTrack();
  if (transport_.IsPaused() && reopenPending_) {
    reopenPending_ = false;
    OnBnClickedPlay();
  }
}

// The recording chosen in the card dialog's list, else the first listed.
void CMainDlg::PlayChosenRecording() {
  if (dayView_.SpanCount() == 0) {
    ShowNotice(formatCleared_ ? L"Format left nothing to play" : L"No recorder card found");
    return;
  }
  const int chosen = diskDlg_.GetSafeHwnd() ? diskDlg_.GetChosenRecording() : -1;
  PlayRecord(IsSpan(chosen) ? chosen : 0);
}

void CMainDlg::OnBnClickedPause() {
  TogglePause();
  RefreshCaptionPanel();
}

// The G-sensor bar holds its view either way; resuming plays at normal speed. The map page's track
// replay pauses and resumes with the picture.
void CMainDlg::TogglePause() {
  gsensorBar_.SetHold(true);
  transport_.TogglePause();
  mapDlg_.PauseReplay(transport_.IsPaused());
}

// The next Play opens the recording again; the map page keeps nothing of the play. In the map
// view Stop only asks the next Play to restart the track replay.
void CMainDlg::OnBnClickedStop() {
  transport_.ClearPause();
  reopenPending_ = true;
  gsensorBar_.SetHold(false);
  if (mapView_) {
    replayRestart_ = true;
  } else {
    CloseEngine();
    mapDlg_.ClearMap();
    if (channelWindow_.GetSafeHwnd()) {
      channelWindow_.Embed();
      channelWindow_.ShowWindow(SW_HIDE);
    }
    gsensorBar_.ResetProgress();
  }
  RefreshCaptionPanel();
}

// The end of the data: as Stop, with the channel window left as it is.
void CMainDlg::StopPlayback() {
  reopenPending_ = true;
  transport_.ClearPause();
  gsensorBar_.SetHold(false);
  CloseEngine();
  mapDlg_.ClearMap();
  gsensorBar_.ResetProgress();
  RefreshCaptionPanel();
}

// The last picture stays shown; a job's end is not a play's.
void CMainDlg::OnPlayEnded() {
  if (!playing_ || diskDlg_.jobRunning || diskDlg_.aviExport) return;
  playEnded_ = true;
  reopenPending_ = true;
  mapDlg_.EndTrack();
}

void CMainDlg::CloseEngine() {
  shownAtStop_ = FindCurrentRecord();
  playing_ = false;
  playEnded_ = false;
  if (engine_ != nullptr) engine_->Close();
  ResetSpeedSlider();
  SetPositionTip(LoadLanguageString(L"Position"));
}

void CMainDlg::OnBnClickedBackward() {
  transport_.PlayBackward();
  RefreshCaptionPanel();
}

void CMainDlg::OnBnClickedNextFrame() {
  if (!mapView_) StepFrame(TransportCtrl::kStepForward);
  RefreshCaptionPanel();
}

void CMainDlg::OnBnClickedPrevFrame() {
  StepFrame(TransportCtrl::kStepBack);
  RefreshCaptionPanel();
}

// One picture in the speed's direction, after which the engine pauses again.
void CMainDlg::StepFrame(double speed) {
  gsensorBar_.SetHold(true);
  transport_.StepFrame(speed);
}

void CMainDlg::OnBnClickedSlower() {
  if (speedSlider_.GetPos() > speedSlider_.GetRangeMin()) SetSpeedLevel(speedSlider_.GetPos() - 1);
  RefreshCaptionPanel();
}

void CMainDlg::OnBnClickedFaster() {
  if (speedSlider_.GetPos() < speedSlider_.GetRangeMax()) SetSpeedLevel(speedSlider_.GetPos() + 1);
  RefreshCaptionPanel();
}

int CMainDlg::SetSpeedLevel(int level) { return transport_.SetSpeedLevel(level); }

// Backward play has no level: the slider shows the normal one.
void CMainDlg::OnSpeedChanged(int level, double) {
  speedSlider_.SetPos(level == TransportCtrl::kNoLevel ? kNormalSpeedLevel : level);
}

void CMainDlg::ResetSpeedSlider() {
  speedSlider_.SetRange(0, kSpeedLevels - 1);
  if (speedDlg_.GetSafeHwnd()) speedDlg_.Slider().SetRange(0, kSpeedLevels - 1);
  SetSpeedLevel(kNormalSpeedLevel);
}

void CMainDlg::OnBnClickedVolumeDown() {
  ApplyVolumeLevel(std::max(volumeBitmapSlider_.GetPos() - 1, 0));
  RefreshCaptionPanel();
}

void CMainDlg::OnBnClickedVolumeUp() {
  ApplyVolumeLevel(std::min(transport_.GetVolumeLevel() + 1, kLoudestVolume));
  RefreshCaptionPanel();
}

// The level goes to the engine; every volume slider observes it.
void CMainDlg::ApplyVolumeLevel(int level) { transport_.SetVolumeLevel(level); }

void CMainDlg::OnPauseChanged(bool paused) {
  if (channelWindow_.GetSafeHwnd()) channelWindow_.ShowPausedMark(paused);
}

void CMainDlg::OnVolumeChanged(int level) {
  volumeBitmapSlider_.SetPos(level);
  volumeSlider_.SetPos(level);
}

// The position the moved slider reports: the window's own bitmap slider's or the volume panel's.
void CMainDlg::OnBitmapSliderMoved(WPARAM, LPARAM position) {
  if (position != transport_.GetVolumeLevel()) ApplyVolumeLevel(static_cast<int>(position));
}

// A panel's percent volume: the ends also move the volume slider to its matching end.
void CMainDlg::SetVolumeLevel(int value) {
  value = std::clamp(value, 0, kFullPercent);
  if (value == 0) volumeSlider_.SetPos(volumeSlider_.GetRangeMin());
  if (value == kFullPercent) volumeSlider_.SetPos(volumeSlider_.GetRangeMax());
  const std::int32_t volume = value == 0 ? kSilentPercentVolume : value * kPercentStep + kPercentBase;
  if (engine_ != nullptr) engine_->SetVolume(kChannel, volume);
}

void CMainDlg::OnBnClickedAudio1() { SetChannelAudio(kChannel, mainid::kAudio1); }

void CMainDlg::OnBnClickedAudio2() { SetChannelAudio(kChannel + 1, mainid::kAudio2); }

// A ticked box plays the channel at the volume level, an empty one mutes it.
void CMainDlg::SetChannelAudio(int channel, int boxId) {
  CVxSkinButton* box = SkinButton(boxId);
  if (engine_ == nullptr || box == nullptr || channel >= kChannelCount) return;
  engine_->SetVolume(channel, box->GetCheck() == BST_CHECKED ? LevelAttenuation(transport_.GetVolumeLevel()) : kMutedVolume);
}

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

// The active layout's button brings the one picture back.
void CMainDlg::OnBnClickedLayout4() {
  if (!mapView_) SetChannelLayout(nowChannel_ == 4 ? 1 : 4);
}

void CMainDlg::OnBnClickedLayout8() {
  if (!mapView_) SetChannelLayout(nowChannel_ == 8 ? 1 : 8);
}

// Layout 8 gives each channel a cell of the 3 x 3 grid and the map the last one; layout 4 a
// 2 x 2 grid whose last cell the map shares with channels 3 to 7; layout 1 the whole video area,
// with the map at its own place. The window has one channel.
void CMainDlg::SetChannelLayout(int cells) {
  g_appConfig.WriteConfigInt(L"channel84", cells);
  nowChannel_ = cells;
  SetSkin(cells == 4 ? secondBitmap_ : backgroundBitmap_);
  if (cells == 1) DockMapPage(StoredMapRect());
  PlaceViews();
  visibilityWaitFirst_ = false;
  ChannelVisibilityPass();
  for (CWnd* wnd : {static_cast<CWnd*>(&positionSlider_), static_cast<CWnd*>(&speedSlider_),
                    static_cast<CWnd*>(&volumeSlider_), static_cast<CWnd*>(&channelWindow_)}) {
    if (wnd->GetSafeHwnd()) wnd->Invalidate();
  }
  Invalidate();
}

// The picture takes the video area, or in layouts 4 and 8 its first cell, the map the last cell.
// A list of the main area shown over the video area's top-left corner moves the picture beside
// it: into the rest of the video area, or into the grid's second column, so that the list never
// lies over the picture nor the picture over the list (also when it comes back from floating).
void CMainDlg::PlaceViews() {
  if (fullVideo_) return;
  const size_t mode = static_cast<size_t>(uiMode_);
  const bool list = MainListShown();
  CRect channel = list ? BesideListRect() : videoRect_[mode];
  if (nowChannel_ == 4 || nowChannel_ == 8) {
    const bool eight = nowChannel_ == 8;
    const ui::ChannelGrid& grid = eight ? ui::kLayout8Grid[mode] : ui::kLayout4Grid[mode];
    const ui::LayoutRect c = grid.CellRect(list ? 1 : 0, 0);
    const ui::LayoutRect m = eight ? grid.CellRect(2, 2) : grid.CellRect(1, 1);
    channel = CRect(c.left, c.top, c.right, c.bottom);
    DockMapPage(CRect(m.left, m.top, m.right, m.bottom));
  }
  if (channelWindow_.GetSafeHwnd()) channelWindow_.SetEmbeddedRect(channel);
}

// The caption panel stands in the window's bottom-left corner on the product mark, clear of the
// channel layout buttons above it and of the audio row beside it, in every mode.
void CMainDlg::RefreshCaptionPanel() {
  if (closePanel_.GetSafeHwnd()) {
    CRect window;
    GetWindowRect(&window);
    const ui::LayoutRect& mark = ui::AreaRect(ui::Area::kProductMark, uiMode_);
    const int x = window.left + mark.left - ui::kCaptionRegionInset;
    const int y = window.top + mark.top - kCaptionAboveMark - ui::kCaptionPanel.height + ui::kCaptionRegionInset;
    closePanel_.SetWindowPos(&CWnd::wndTopMost, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  Invalidate();
}

bool CMainDlg::IsButtonHeld(int id) const {
  const auto it = buttons_.find(id);
  return it != buttons_.end() && it->second.IsPressed();
}

bool CMainDlg::IsFrameButtonHeld() const { return IsButtonHeld(mainid::kPrevFrame) || IsButtonHeld(mainid::kNextFrame); }

// While a frame button is held, the repeat steps in ever shorter periods; it ends when both are
// released.
void CMainDlg::StartStepRepeat() {
  stepRepeatBusy_ = true;
  lastStep_ = GetTickCount();
  stepPeriod_ = kFirstStepPeriodMs;
  SetTimer(kStepRepeatTimerId, kStepPollMs);
  StepRepeatTick();
}

void CMainDlg::StepRepeatTick() {
  const DWORD now = GetTickCount();
  if (now - lastStep_ > stepPeriod_) {
    if (IsButtonHeld(mainid::kPrevFrame)) OnBnClickedPrevFrame();
    if (IsButtonHeld(mainid::kNextFrame)) OnBnClickedNextFrame();
    if (stepPeriod_ > kShortestStepPeriodMs) stepPeriod_ = static_cast<DWORD>(stepPeriod_ * kStepPeriodFactor);
    lastStep_ = now;
  }
  if (!IsFrameButtonHeld()) {
    KillTimer(kStepRepeatTimerId);
    stepRepeatBusy_ = false;
  }
}

// A pass that waits first examines the channels after 3 s and then once more at once.
void CMainDlg::StartChannelVisibility() {
  if (!visibilityWaitFirst_) {
    ChannelVisibilityPass();
  } else if (!visibilityWaiting_) {
    visibilityWaiting_ = true;
    SetTimer(kVisibilityTimerId, kVisibilityWaitMs);
  }
}

void CMainDlg::OnVisibilityWaitDone() {
  KillTimer(kVisibilityTimerId);
  visibilityWaiting_ = false;
  ChannelVisibilityPass();
  if (visibilityWaitFirst_) {
    visibilityWaitFirst_ = false;
    ChannelVisibilityPass();
  }
}

// A channel without pictures is hidden and looked at again by the next timer tick.
void CMainDlg::ChannelVisibilityPass() {
  autoNextDone_ = false;
  if (engine_ == nullptr) return;
  int hidden = 0;
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const bool noVideo = engine_->IsNoVideo(channel);
    if (noVideo) ++hidden;
    if (!channelWindow_.GetSafeHwnd()) continue;
    if (noVideo) {
      channelWindow_.ShowWindow(SW_HIDE);
    } else if (!mapView_) {
      channelWindow_.ShowWindow(SW_SHOW);
    }
  }
  visibilityPending_ = hidden > 0;
}
