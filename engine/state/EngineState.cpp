#include "engine/state/EngineState.h"

void CEngineState::SetAudioTime(std::int64_t stamp) {
  audioTime.store(stamp);
  audioResync.store(true);
}

void CEngineState::RestartAudioClock(std::int32_t delayMs) {
  audioStartDelay.store(delayMs);
  audioResync.store(true);
}

void CEngineState::StartAudioClock(std::int64_t stamp, std::int64_t nowMs, double speed) {
  const std::int32_t delay = audioStartDelay.exchange(0);
  avClock.Anchor(stamp, nowMs + delay, speed);
  audioPreviousDelay.store(delay);
  audioResync.store(false);
}

bool CEngineState::TickPlayClock(std::int64_t nowMs) {
  if (!playClock.Tick(nowMs, speed.load())) return false;
  bytesLastSecond.store(bytesRead.exchange(0));
  picturesLastSecond.store(picturesShown.exchange(0));
  return true;
}

void CEngineState::ResetPlayState() {
  speed.store(1.0);
  seekTime.store(0);
  seekElsewhere.store(false);
  pause.store(0);
  playClock.Clear();
  frameTime.store(0);
  TakeResyncRequest();
  TakeSeekMark();
  TakePauseMark();
  TakeAudioResetRequest();
}

void CEngineState::SetCrop(const CRect& crop) {
  std::lock_guard lock(settingsLock_);
  crop_ = crop;
}

CRect CEngineState::Crop() const {
  std::lock_guard lock(settingsLock_);
  return crop_;
}

void CEngineState::EditOsd(const std::function<void(OsdSettings&)>& edit) {
  std::lock_guard lock(settingsLock_);
  edit(osd_);
}

OsdSettings CEngineState::Osd() const {
  std::lock_guard lock(settingsLock_);
  return osd_;
}
