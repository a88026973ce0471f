#include "engine/video/BackwardGroup.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

extern "C" {
#include <libavutil/frame.h>
}

namespace {

constexpr std::size_t kNalAt = 4;  // after the frame header
constexpr std::uint8_t kNalSlice = 1;
constexpr std::uint8_t kNalIdrSlice = 5;

bool IsSliceNal(std::uint8_t header) {
  const std::uint8_t nal = header & 0x1F;
  return nal == kNalIdrSlice || nal == kNalSlice;
}

// A unit that holds a picture: an inter frame, or a key-frame unit with a slice, whether it comes
// alone after the frame header or after parameter sets in the same unit.
bool HoldsPicture(const QueueItem& item) {
  if (item.type == kItemInterFrame || item.type == kItemInterFrameAlt) return true;
  if (item.type != kItemKeyFrame || !item.data || item.length <= kNalAt) return false;
  if (IsSliceNal(item.data[kNalAt])) return true;
  for (std::size_t i = 0; i + 3 < item.length; ++i) {
    if (item.data[i] == 0 && item.data[i + 1] == 0 && item.data[i + 2] == 1 && IsSliceNal(item.data[i + 3])) return true;
  }
  return false;
}

}  // namespace

void CBackwardGroup::Add(const QueueItem& item, std::uint64_t stamp) {
  if (!item.data || item.length == 0) return;
  if (groups_.empty() || groups_.back().complete || (item.type == kItemKeyFrame && groups_.back().hasPicture)) {
    if (!groups_.empty()) groups_.back().complete = true;
    groups_.emplace_back();
  }
  Group& g = groups_.back();
  g.units.push_back({std::vector<std::uint8_t>(item.data, item.data + item.length), item, stamp});
  g.units.back().item.data = nullptr;  // the queue's bytes are gone once the next item is taken
  g.hasPicture = g.hasPicture || HoldsPicture(item);
}

void CBackwardGroup::Finish() {
  if (!groups_.empty()) groups_.back().complete = true;
}

bool CBackwardGroup::Work(FfmpegVideoDecoder& decoder) {
  for (;;) {
    if (showing_.empty() && !ready_.empty()) std::swap(showing_, ready_);
    // One set is decoded ahead of the one shown, no more.
    if (!passActive_ && ready_.empty()) StartPass(decoder);
    if (!passActive_) return !showing_.empty();
    switch (Decode(decoder, showing_.empty() ? INT_MAX : DecodesBeforeNextPicture())) {
      case Step::kDone:
        FinishPass();
        continue;
      case Step::kShowNow:
        return true;
      case Step::kNeedUnits:
        return false;
    }
  }
}

// The pass for the next set: the first group's first pass while its pictures are not counted yet,
// else the pass up to its pictures not yet shown. A group all shown is let go.
void CBackwardGroup::StartPass(FfmpegVideoDecoder& decoder) {
  while (!groups_.empty() && groups_.front().left == 0) groups_.pop_front();
  if (groups_.empty()) return;
  const Group& g = groups_.front();
  decoder.Flush();
  passActive_ = true;
  passUnit_ = 0;
  passPicture_ = 0;
  keepTo_ = g.pictures < 0 ? -1 : g.left;
  keepFrom_ = g.pictures < 0 ? 0 : std::max(0, g.left - keep_);
}

// Decodes until `budget` pictures came out, the set is complete, or the group's units run out
// before it is.
CBackwardGroup::Step CBackwardGroup::Decode(FfmpegVideoDecoder& decoder, int budget) {
  const Group& g = groups_.front();
  for (int decoded = 0; decoded < budget;) {
    if (keepTo_ >= 0 && passPicture_ >= keepTo_) return Step::kDone;
    if (passUnit_ >= g.units.size()) return g.complete ? Step::kDone : Step::kNeedUnits;
    const Unit& u = g.units[passUnit_++];
    if (!decoder.Decode(u.bytes.data(), u.bytes.size(), u.item.chunk)) continue;
    ++decoded;
    const int index = passPicture_++;
    if (index < keepFrom_) continue;
    FramePtr frame = RefFrame(*decoder.Picture());
    if (!frame) continue;
    if (keepTo_ < 0) keep_ = KeepFor(*frame);
    making_.push_back({std::move(frame), u.item, u.stamp});
    if (keepTo_ < 0 && making_.size() > static_cast<std::size_t>(keep_)) making_.pop_front();
  }
  return Step::kShowNow;
}

void CBackwardGroup::FinishPass() {
  Group& g = groups_.front();
  if (keepTo_ < 0) {
    g.pictures = passPicture_;
    g.left = passPicture_ - static_cast<int>(making_.size());
    lastGroupPictures_ = passPicture_;
  } else {
    g.left = keepFrom_;
  }
  ready_.assign(std::make_move_iterator(making_.begin()), std::make_move_iterator(making_.end()));
  making_.clear();
  passActive_ = false;
}

// The pass's pictures still to decode, spread over the pictures left to show; a first pass
// counts on as many pictures as the group before had.
int CBackwardGroup::DecodesBeforeNextPicture() const {
  const int end = keepTo_ >= 0 ? keepTo_ : std::max(lastGroupPictures_, keep_);
  const int remaining = std::max(1, end - passPicture_);
  const auto shows = static_cast<int>(showing_.size());
  return (remaining + shows - 1) / shows;
}

// The pictures of a set that fit in its bytes, the 4:2:0 planes taken with the rows as the
// decoder lays them out.
int CBackwardGroup::KeepFor(const AVFrame& picture) const {
  const std::size_t bytes = static_cast<std::size_t>(std::max(picture.linesize[0], picture.width)) *
                            static_cast<std::size_t>(std::max(picture.height, 1)) * 3 / 2;
  return static_cast<int>(std::clamp<std::size_t>(setBytes_ / std::max<std::size_t>(bytes, 1), kMinKeep, kMaxKeep));
}

const CBackwardGroup::Picture* CBackwardGroup::Next() {
  if (showing_.empty()) return nullptr;
  shown_ = std::move(showing_.back());
  showing_.pop_back();
  return &shown_;
}

void CBackwardGroup::Reset() {
  groups_.clear();
  passActive_ = false;
  making_.clear();
  ready_.clear();
  showing_.clear();
  shown_ = {};
}

std::size_t CBackwardGroup::HeldPictures() const {
  return making_.size() + ready_.size() + showing_.size() + (shown_.frame ? 1 : 0);
}
