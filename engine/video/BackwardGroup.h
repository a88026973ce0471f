// The picture cache of backward play. The source hands over each group of pictures (a key picture
// and the pictures that depend on it) in decoding order, the groups from the latest to the
// earliest, and an end item after the earliest. While one group is decoded, the group decoded
// before it, which is later in time, is shown from its last picture back, one picture for each
// picture decoded, so that decoding and showing share the time.
//
// Every picture is shown once, latest first: what is left of a group when the next key picture
// arrives is due at once, before the group just decoded; at the end of the data the group being
// decoded is due as a whole.
//
// Pictures are kept as references to the decoder's own buffers, in the decoder's layout whatever
// the picture size, and go back to the decoder's pool when dropped. Each keeps the queue item it
// was decoded from (its chunk's time and sequence) and the stamp of the time frame before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/stream/QueueItem.h"
#include "engine/video/FfmpegVideoDecoder.h"

class CBackwardGroup {
 public:
  struct Picture {
    FramePtr frame;
    QueueItem item;
    std::uint64_t stamp = 0;
  };

  // Takes a decoded picture with its item; a key-frame item starts a new group.
  void Take(const AVFrame& decoded, const QueueItem& item, std::uint64_t stamp);
  // The end of the data: the group being decoded is due after what is left of the one before.
  void Finish();
  // The next picture due, valid until the next call or Reset; null when none is due now.
  const Picture* Next();
  // Drops both groups (a seek, a change of direction, the end of the run, a new picture size).
  void Reset();

  std::size_t Collecting() const { return collecting_.size(); }
  std::size_t Showing() const { return showing_.size(); }

 private:
  void ShowCollected();

  std::vector<Picture> collecting_;  // the group being decoded, in decoding order
  std::vector<Picture> showing_;     // pictures to show, the next one last
  std::size_t due_ = 0;              // how many of showing_ are to be shown now
  Picture shown_;
};
