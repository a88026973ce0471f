#include "engine/video/BackwardGroup.h"

#include <utility>

const AVFrame* CBackwardGroup::Take(const AVFrame& decoded, bool keyFrame, std::uint64_t& frameTime,
                                    std::int32_t& second) {
  FramePtr picture = RefFrame(decoded);
  if (!picture) return nullptr;
  if (keyFrame) {
    showing_ = std::move(collecting_);
    collecting_.clear();
  }
  collecting_.push_back({std::move(picture), static_cast<std::uint32_t>(frameTime), second});
  if (showing_.empty()) return nullptr;
  Cached item = std::move(showing_.back());
  showing_.pop_back();
  if (!ShowsAt(item, frameTime)) return nullptr;
  second = item.second;
  shown_ = std::move(item.picture);
  return shown_.get();
}

bool CBackwardGroup::ShowsAt(const Cached& item, std::uint64_t& frameTime) {
  if (item.time == 0 || frameTime == 0) return true;
  frameTime = (frameTime & 0xFFFFFFFF00000000ull) | item.time;
  const bool later = frameTime > lastShownTime_;
  lastShownTime_ = frameTime;
  return !later;
}

void CBackwardGroup::Reset() {
  collecting_.clear();
  showing_.clear();
  shown_.reset();
}
