// The record that the frame queues carry between the source thread and the video and audio
// threads, and the item types it can hold.
#pragma once

#include <cstdint>

// Item types. The video queue carries pictures, time, car-data and sensor items; the audio queue
// carries sound frames.
constexpr std::uint32_t kItemNone = 0;             // nothing to queue (filler, dropped units)
constexpr std::uint32_t kItemEnd = 1;              // end of data: the last item of a play
constexpr std::uint32_t kItemStart = 16;           // resets the video queue's key-frame state
constexpr std::uint32_t kItemKeyFrame = 17;        // H.264 key-frame data (IDR slice, SPS, PPS)
constexpr std::uint32_t kItemInterFrame = 18;      // H.264 inter frame (and SEI inside the data)
constexpr std::uint32_t kItemInterFrameAlt = 19;   // handled like an inter frame
constexpr std::uint32_t kItemTimeFrame = 20;       // 16-digit time stamp frame
constexpr std::uint32_t kItemStop = 21;            // a put of it is not retried
constexpr std::uint32_t kItemCarData = 22;         // car-data frame (hexadecimal text)
constexpr std::uint32_t kItemG726First = 32;       // 32-35 and 48-51: G.726, 2 to 5 bits a code
constexpr std::uint32_t kItemG726Last = 35;
constexpr std::uint32_t kItemG726AltFirst = 48;
constexpr std::uint32_t kItemG726AltLast = 51;
constexpr std::uint32_t kItemAudioReset = 51;      // the audio item's type after a stream reset
constexpr std::uint32_t kItemPcm16 = 64;           // 16-bit PCM sound
constexpr std::uint32_t kItemMuLaw = 65;           // G.711 mu-law sound
constexpr std::uint32_t kItemALaw = 66;            // G.711 A-law sound
constexpr std::uint32_t kItemAac = 69;             // AAC sound
constexpr std::uint32_t kItemUnconditional = 80;   // queued once without condition
constexpr std::uint32_t kItemMarker = 99;          // a chunk's 512-byte sensor block

// Length of the sensor block that a marker item points at.
constexpr std::uint32_t kMarkerLength = 512;

// The chunk of an item read from a source without chunks (a transport stream).
constexpr std::int64_t kNoChunk = -1;

struct QueueItem {
  // The frame's bytes inside the queue's area. A marker points at the chunk's sensor block
  // outside the area. After a put the producer finds its next write position here.
  std::uint8_t* data = nullptr;
  std::uint32_t length = 0;
  std::uint32_t type = kItemNone;
  // Frames: the chunk trailer's frame-rate word. Markers: the number of G-sensor samples taken
  // in before the chunk (the index of the chunk's first sample).
  std::uint32_t aux = 0;
  double speed = 0.0;            // playing speed when the frame was read; negative backward
  std::int32_t chunkTime = 0;    // the chunk's time, seconds since 1970 (local)
  // The chunk's sequence number; the backward picture cache keeps the picture's time here.
  std::uint32_t seq = 0;
  std::uint32_t spare = 0;
  std::uint32_t channel = 0;     // set on frames read backward
  std::uint64_t stamp = 0;       // last time frame's stamp: sound items and frames read backward
  // The sequence number of the chunk the item was read from, kept apart from `seq`, which
  // backward play may reuse; it travels with a picture through the decoder to the picture shown.
  std::int64_t chunk = kNoChunk;
};

// Markers and stop items occupy no bytes of the queue's area.
constexpr bool ItemTakesRoom(std::uint32_t type) { return type != kItemMarker && type != kItemStop; }
