// The pictures of backward play. The source hands over each group of pictures (a key picture and
// the pictures that depend on it) in decoding order, the groups from the latest to the earliest,
// and an end item after the earliest. Every picture is shown once, latest first.
//
// A decoded picture of 1920x1080 takes 3 MB: a whole group of them would hold more memory than
// all the rest of the program. So a group's units are kept as they came (a small share of that),
// and the group is decoded again from its key picture for each set of pictures, the latest
// set first: the first time while its units arrive, keeping the last pictures of a set; then from
// the key picture up to the set before, and so on. Each set is decoded while the set after it
// is shown, a share of the decoding before each picture, so that decoding and showing share the
// time. A set holds as many pictures as fit in kSetBytes, from kMinKeep to kMaxKeep. The price is
// decoding: a group of N pictures takes about N * N / (2 * K) decodes in place of N, K pictures a
// set.
//
// Pictures are references to the decoder's own buffers, in the decoder's layout whatever the
// picture size. Each keeps the queue item it was decoded from (its chunk's time and sequence) and
// the stamp of the time frame before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "engine/stream/QueueItem.h"
#include "engine/video/FfmpegVideoDecoder.h"

class CBackwardGroup {
 public:
  // The memory a set of decoded pictures may take, and the fewest and most pictures a set holds.
  static constexpr std::size_t kSetBytes = std::size_t{12} << 20;
  static constexpr int kMinKeep = 4;
  static constexpr int kMaxKeep = 8;

  struct Picture {
    FramePtr frame;
    QueueItem item;
    std::uint64_t stamp = 0;
  };

  explicit CBackwardGroup(std::size_t setBytes = kSetBytes) : setBytes_(setBytes) {}

  // Takes a unit to decode (a copy of its bytes) with the stamp of the time frame before it. A
  // key-frame unit that follows a picture starts the next group.
  void Add(const QueueItem& item, std::uint64_t stamp);
  // The end of the data: the group being collected is complete.
  void Finish();
  // Decodes what is due before the next picture with `decoder` (which it flushes and feeds at will
  // in backward play). True when a picture can be shown now (Next gives it); false when more
  // units must come first, or nothing is left to show.
  bool Work(FfmpegVideoDecoder& decoder);
  // The next picture to show, valid until the next call or Reset; null when none is ready.
  const Picture* Next();
  // Drops everything (a seek, a change of direction, the end of the run).
  void Reset();

  // Decoded pictures held now, the one last given out included.
  std::size_t HeldPictures() const;

 private:
  struct Unit {
    std::vector<std::uint8_t> bytes;
    QueueItem item;
    std::uint64_t stamp = 0;
  };
  struct Group {
    std::vector<Unit> units;
    bool complete = false;
    bool hasPicture = false;
    int pictures = -1;  // known once decoded through
    int left = -1;      // pictures not yet in a set; known once decoded through
  };
  enum class Step { kDone, kShowNow, kNeedUnits };

  void StartPass(FfmpegVideoDecoder& decoder);
  Step Decode(FfmpegVideoDecoder& decoder, int budget);
  void FinishPass();
  int DecodesBeforeNextPicture() const;
  int KeepFor(const AVFrame& picture) const;

  const std::size_t setBytes_;
  int keep_ = kMinKeep;  // pictures a set holds, by the size of the pictures
  std::deque<Group> groups_;  // the latest first; the last one may still be collecting
  // The pass: decoding the first group from its key picture, keeping pictures [keepFrom_, keepTo_)
  // (keepTo_ -1: the first pass, which keeps the last keep_).
  bool passActive_ = false;
  std::size_t passUnit_ = 0;
  int passPicture_ = 0;
  int keepFrom_ = 0;
  int keepTo_ = -1;
  int lastGroupPictures_ = 0;
  std::deque<Picture> making_;    // the set being decoded, earliest first
  std::vector<Picture> ready_;    // a set decoded while the one before is shown, earliest first
  std::vector<Picture> showing_;  // the set being shown, earliest first: the next one last
  Picture shown_;
};
