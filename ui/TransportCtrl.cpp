#include "ui/TransportCtrl.h"

#include <algorithm>
#include <array>

#include "engine/IIbpCtrl.h"

namespace {

constexpr std::array<double, TransportCtrl::kSpeedLevels> kSpeeds{0.0625, 0.125, 0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0};
constexpr std::int32_t kVolumeStep = -160;
// The engine plays one channel.
constexpr int kChannel = 0;

}  // namespace

double TransportCtrl::SpeedOfLevel(int level) {
  return kSpeeds[static_cast<size_t>(std::clamp(level, 0, kSpeedLevels - 1))];
}

int TransportCtrl::LevelOfSpeed(double speed) {
  const auto it = std::find(kSpeeds.begin(), kSpeeds.end(), speed);
  return it == kSpeeds.end() ? kNoLevel : static_cast<int>(it - kSpeeds.begin());
}

std::int32_t TransportCtrl::LevelAttenuation(int level) {
  return (kLoudestVolume - std::clamp(level, 0, kLoudestVolume)) * kVolumeStep;
}

void TransportCtrl::AddObserver(ITransportObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void TransportCtrl::RemoveObserver(ITransportObserver* observer) { std::erase(observers_, observer); }

int TransportCtrl::SetSpeedLevel(int level) {
  level_ = lastLevel_ = std::clamp(level, 0, kSpeedLevels - 1);
  speed_ = SpeedOfLevel(level_);
  if (engine_ != nullptr) engine_->SetSpeed(speed_);
  TellSpeed();
  return level_;
}

int TransportCtrl::StepSpeedLevel(int delta) { return SetSpeedLevel(lastLevel_ + delta); }

void TransportCtrl::PlayBackward() {
  level_ = kNoLevel;
  speed_ = kBackwardSpeed;
  if (engine_ != nullptr) {
    engine_->SetPause(0);
    engine_->SetSpeed(kBackwardSpeed);
  }
  SetPaused(false);
  TellSpeed();
}

void TransportCtrl::StepFrame(double speed) {
  if (engine_ != nullptr) engine_->SetSpeed(speed);
  speed_ = lastStep_ = speed;
  if (engine_ != nullptr) engine_->SetPause(0);
  SetPaused(true);
}

void TransportCtrl::TogglePause() {
  const bool paused = !paused_;
  if (!paused) SetSpeedLevel(kNormalSpeedLevel);
  if (engine_ != nullptr) engine_->SetPause(paused ? 1 : 0);
  SetPaused(paused);
}

void TransportCtrl::ClearPause() {
  if (paused_ && engine_ != nullptr) engine_->SetPause(0);
  SetPaused(false);
}

void TransportCtrl::SetVolumeLevel(int level) {
  volume_ = std::clamp(level, 0, kLoudestVolume);
  if (engine_ != nullptr) engine_->SetVolume(kChannel, LevelAttenuation(volume_));
  for (ITransportObserver* o : std::vector(observers_)) o->OnVolumeChanged(volume_);
}

void TransportCtrl::SetPaused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  for (ITransportObserver* o : std::vector(observers_)) o->OnPauseChanged(paused_);
}

void TransportCtrl::TellSpeed() const {
  for (ITransportObserver* o : std::vector(observers_)) o->OnSpeedChanged(level_, speed_);
}
