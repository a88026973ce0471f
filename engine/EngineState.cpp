#include "engine/EngineState.h"

void CEngineState::SetAudioTime(std::int64_t stamp) {
  audioTime.store(stamp);
  audioResync.store(true);
}

void CEngineState::StartAudioClock(std::int64_t stamp, std::int64_t nowMs) {
  const std::int32_t delay = audioStartDelay.exchange(0);
  avClock.Anchor(stamp, nowMs + delay);
  audioPreviousDelay.store(delay);
  audioResync.store(false);
}
