// What the threads of a play hand to the recorder of an export: the source thread its copied
// frames and car data, the video thread its decoded pictures, the audio thread and the transport
// stream reader their sound. The recorder sits above the threads (it reads what they read), so
// they know it only through this interface, and an export's files are never a concern of theirs.
#pragma once

#include <cstdint>

#include "engine/stream/QueueItem.h"

namespace plat {
struct YuvPicture;
}

// Flags of a frame handed to the recorder.
constexpr std::uint32_t kRecordGroupStart = 0x4000;  // a part of a key-frame group (SPS, PPS, IDR)
constexpr std::uint32_t kRecordPredicted = 0x2000;   // a picture outside a key-frame group

struct RecordFrame {
  const std::uint8_t* data = nullptr;  // H.264: Annex B with its 00 00 00 01 start code
  std::uint32_t length = 0;
  std::uint32_t flags = 0;
  int fps = 0;                // the recording's frame rate; 0 when not known
  std::int32_t time = 0;      // seconds since 1970, of the chunk that held the frame
  std::uint64_t stampUs = 0;  // the stamp of the time frame before it, microseconds; 0: none
};

// The frame of a queue item: key-frame items start or continue a group, inter items are
// predicted; the frame rate is the trailer's word, the time the chunk's, the stamp the item's.
RecordFrame RecordFrameFromItem(const QueueItem& item);

// Every call may come from any of the threads at once: the recorder serialises them itself.
class IRecordSink {
 public:
  virtual ~IRecordSink() = default;
  // An H.264 frame of a copied export.
  virtual void WriteVideo(const RecordFrame& frame) = 0;
  // A decoded picture of a re-encoded export.
  virtual void WritePicture(const plat::YuvPicture& picture, std::int32_t time, int fps, std::uint64_t stampUs) = 0;
  // A sound frame of the given item type.
  virtual void WriteAudio(const std::uint8_t* data, std::uint32_t length, int coding) = 0;
  // A car-data frame, its 00 00 00 04 header included.
  virtual void WriteSideData(const RecordFrame& frame) = 0;
};
