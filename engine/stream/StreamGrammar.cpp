#include "engine/stream/StreamGrammar.h"

#include "engine/stream/QueueItem.h"

std::uint32_t H264ItemType(BYTE nal, bool startsData) {
  switch (nal) {
    case 0x65:
    case 0x67:
    case 0x68:
      return kItemKeyFrame;
    case 0x41:
    case 0x61:
      return kItemInterFrame;
    case 0x06:
      return startsData ? kItemNone : kItemInterFrame;
    default:
      return kItemNone;
  }
}

std::uint32_t FrameItemType(std::uint8_t kind, const BYTE* nal, bool startsData) {
  switch (kind) {
    case kFrameH264:
      return nal ? H264ItemType(*nal, startsData) : kItemNone;
    case kFrameTime:
      return kItemTimeFrame;
    case kFrameCarData:
      return kItemCarData;
    default:
      return kItemNone;
  }
}

std::uint64_t DecodeTimeStamp(const BYTE* frame) {
  std::uint64_t stamp = 0;
  for (std::size_t i = kFrameHeaderSize; i < kTimeFrameSize; ++i) stamp = (stamp << 4) | (frame[i] & 0x0F);
  return stamp;
}
