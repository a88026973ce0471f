#include "engine/video/BackwardGroup.h"

#include <iterator>
#include <utility>

void CBackwardGroup::Take(const AVFrame& decoded, const QueueItem& item, std::uint64_t stamp) {
  FramePtr frame = RefFrame(decoded);
  if (!frame) return;
  if (item.type == kItemKeyFrame) ShowCollected();
  collecting_.push_back({std::move(frame), item, stamp});
  ++due_;
}

void CBackwardGroup::Finish() {
  ShowCollected();
  due_ = showing_.size();
}

// The group decoded so far is complete: it is shown after what is left of the one before it,
// which becomes due at once.
void CBackwardGroup::ShowCollected() {
  due_ = showing_.size();
  showing_.insert(showing_.begin(), std::make_move_iterator(collecting_.begin()),
                  std::make_move_iterator(collecting_.end()));
  collecting_.clear();
}

const CBackwardGroup::Picture* CBackwardGroup::Next() {
  if (showing_.empty()) due_ = 0;
  if (due_ == 0) return nullptr;
  --due_;
  shown_ = std::move(showing_.back());
  showing_.pop_back();
  return &shown_;
}

void CBackwardGroup::Reset() {
  collecting_.clear();
  showing_.clear();
  due_ = 0;
  shown_ = {};
}
