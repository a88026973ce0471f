// What the reader needs to know of an H.264 access unit carried in a video PES: whether it is a
// key frame or an inter frame, and where its data begins.
#pragma once

#include <cstddef>
#include <cstdint>

enum class VideoUnitKind { kNone, kKeyFrame, kInterFrame };

struct VideoUnitInfo {
  VideoUnitKind kind = VideoUnitKind::kNone;
  bool afterSps = false;       // a sequence parameter set came before the slice
  std::size_t dataOffset = 0;  // the first start code (a 4-byte one from its leading zero)
};

// Scans the payload's NAL units in order, passing over all but slices, and classifies the unit by
// its first slice: an IDR slice makes a key frame, a non-IDR slice an inter frame, whatever the
// reference bits of the NAL header. A payload without a slice gives kNone.
VideoUnitInfo ClassifyVideoPayload(const std::uint8_t* payload, std::size_t length);
