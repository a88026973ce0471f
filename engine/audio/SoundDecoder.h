// Turns the sound frames of a channel's audio queue into the 16-bit mono samples of the sound
// buffer, a block at a time: a frame longer than the room left in a block continues in the next
// one, and whatever a frame cannot fill is filled with the caller's fill byte.
#pragma once

#include <cstdint>

#include "engine/audio/AacDecoder.h"
#include "engine/audio/G726Decoder.h"

// The part of a queued sound frame not yet decoded.
struct SoundSpan {
  int type = 0;  // the queue item's type; 0 when there is no item
  const std::uint8_t* data = nullptr;
  std::uint32_t bytes = 0;
};

class CSoundDecoder {
 public:
  // Opens the AAC decoder; false when FFmpeg has none.
  bool Open() { return aac_.Open(); }
  // After a seek or a stop: drops the samples still waiting, the AAC history, and sets the ADPCM
  // decoder back to its first type.
  void Reset();
  // A new frame of this type begins: the rest of the ADPCM word of the last frame is dropped; a
  // change of ADPCM type starts a new prediction.
  void BeginFrame(int type);
  // Writes into out[0, room), room being at least 2, the samples still waiting from an earlier frame, then what fits of
  // the span, and advances the span past what it used. A frame that can make no progress (a
  // partial ADPCM word, a trailing odd PCM byte, an AAC frame the decoder rejects) loses its
  // rest. A type without a decoder fills the room with fillByte and uses the whole span. Returns
  // the bytes written: more than 0 whenever the span is not finished.
  std::uint32_t Fill(SoundSpan& span, std::uint8_t* out, std::uint32_t room, std::uint8_t fillByte);
  // Nothing of the span is left to play: no input, no decoded samples waiting, no ADPCM codes.
  bool Finished(const SoundSpan& span) const;

 private:
  std::uint32_t FillAdpcm(SoundSpan& span, std::uint8_t* out, std::uint32_t room);
  std::uint32_t FillAac(SoundSpan& span, std::uint8_t* out, std::uint32_t room);

  G726Decoder g726_;
  CAacDecoder aac_;
};
