// The grammar of a chunk stream: a frame starts with a 4-byte header 00 00 00 kk (kk < 5) at a
// 4-aligned position of the stream and runs to the next header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Types.h"

constexpr std::size_t kFrameHeaderSize = 4;
constexpr std::size_t kFrameAlign = 4;
constexpr std::size_t kTimeFrameSize = 20;  // header and 16 digits
// Read forward, a header is decided on only while this many bytes follow its start: the byte
// after the header may still be missing.
constexpr std::size_t kHeaderLookahead = 8;

// The kk of a frame header.
constexpr std::uint8_t kFrameFiller = 0;
constexpr std::uint8_t kFrameH264 = 1;
constexpr std::uint8_t kFrameSound = 2;
constexpr std::uint8_t kFrameTime = 3;
constexpr std::uint8_t kFrameCarData = 4;

inline bool IsFrameHeader(const BYTE* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] <= kFrameCarData; }

// The item type of an H.264 unit by its NAL header byte: key-frame data (IDR slice, SPS, PPS),
// inter frames, and SEI, which is dropped when it starts the data; anything else is dropped (0).
std::uint32_t H264ItemType(BYTE nal, bool startsData);

// The item type of a frame of kind kk read forward; sound frames go their own way (0 here).
// `nal` is the byte after the header, or null when it lies beyond the data.
std::uint32_t FrameItemType(std::uint8_t kind, const BYTE* nal, bool startsData);

// The stamp of a time frame: its 16 digit bytes after the header, the low 4 bits of each a
// hexadecimal digit, the first most significant. The frame must hold kTimeFrameSize bytes.
std::uint64_t DecodeTimeStamp(const BYTE* frame);
