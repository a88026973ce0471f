#include "engine/stream/RecordSink.h"

namespace {

// Above this a trailer's frame-rate word is not a frame rate.
constexpr int kMaxFps = 120;

}  // namespace

RecordFrame RecordFrameFromItem(const QueueItem& item) {
  RecordFrame f;
  f.data = item.data;
  f.length = item.length;
  if (item.type == kItemKeyFrame) {
    f.flags = kRecordGroupStart;
  } else if (item.type == kItemInterFrame || item.type == kItemInterFrameAlt) {
    f.flags = kRecordPredicted;
  }
  const int fps = static_cast<int>(item.aux & 0xFFFF);
  f.fps = fps >= 1 && fps <= kMaxFps ? fps : 0;
  f.time = item.chunkTime;
  f.stampUs = item.stamp;
  return f;
}
