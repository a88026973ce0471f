// The picture cache of backward play. The source hands over each group of pictures (a key frame
// and the inter frames that depend on it) in decoding order, the groups from the latest to the
// earliest. While one group is decoded, the group decoded before it, which is later in time, is
// shown from its last picture back: one picture shown for each picture decoded.
//
// Pictures are kept as references to the decoder's own buffers, in the decoder's layout whatever
// the picture size, and go back to the decoder's pool when dropped.
//
// As the video thread has always done it: when the groups differ in length, the pictures of a
// longer group that are left when the next key frame arrives are not shown; the earliest group
// of the data is never shown, since no key frame follows it; and a picture later than the one
// shown last is not shown (so is the first one after a seek or a change of direction).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/video/FfmpegVideoDecoder.h"

class CBackwardGroup {
 public:
  // Takes a decoded picture of the group being decoded; `frameTime` is the time stamp of the last
  // time frame, and the picture keeps its low 32 bits; `second` is the recording second of its
  // chunk. Returns the picture to show now, valid until the next call or Reset, or null. A
  // picture shown carries its time into the low 32 bits of `frameTime` and its own second into
  // `second`.
  const AVFrame* Take(const AVFrame& decoded, bool keyFrame, std::uint64_t& frameTime, std::int32_t& second);
  // Drops both groups (a seek, forward play, the end of the run, a new picture size).
  void Reset();

  std::size_t Collecting() const { return collecting_.size(); }
  std::size_t Showing() const { return showing_.size(); }
  std::uint64_t LastShownTime() const { return lastShownTime_; }

 private:
  struct Cached {
    FramePtr picture;
    std::uint32_t time = 0;  // low 32 bits of the time stamp when it was decoded
    std::int32_t second = 0;
  };
  bool ShowsAt(const Cached& item, std::uint64_t& frameTime);

  std::vector<Cached> collecting_;  // the group being decoded, in decoding order
  std::vector<Cached> showing_;     // the group before it, its latest picture last
  FramePtr shown_;
  std::uint64_t lastShownTime_ = 0;
};
