// ADPCM sound of the recorder (8000 samples a second, 2 to 5 bits per code) to 16-bit linear PCM.
//
// The recorder types its sound frames: 32..35 and 48..51 carry 2, 3, 4 and 5 bits per code (the
// two ranges decode identically). Codes are packed most significant first into big-endian 32-bit
// words: 16 two-bit or 8 four-bit codes fill a word; 10 three-bit or 6 five-bit codes fill its low
// 30 bits and the two top bits are unused.
#pragma once

#include <cstdint>

#include "engine/stream/QueueItem.h"

class G726Decoder {
 public:
  // The adaptive quantiser and predictor state, at the reset values of the ADPCM algorithm.
  struct State {
    int yl = 34816;  // slow quantiser scale factor
    int yu = 544;    // fast quantiser scale factor
    int dms = 0;     // short-term average of the code's weight
    int dml = 0;     // long-term average of the code's weight
    int ap = 0;      // adaptation speed control
    int td = 0;      // tone detected
    int a[2] = {0, 0};               // pole coefficients, 16-bit two's complement
    int b[6] = {0, 0, 0, 0, 0, 0};   // zero coefficients, 16-bit two's complement
    int pk[2] = {0, 0};              // signs of the last partial reconstructed signals
    int dq[6] = {32, 32, 32, 32, 32, 32};  // last quantised differences, 11-bit floating form
    int sr[2] = {32, 32};                  // last reconstructed signals, 11-bit floating form
  };

  // Code tables of one bit rate.
  struct Rate;

  // A new decoder takes the type that a stream reset gives the audio item.
  G726Decoder() { SetCodec(kItemAudioReset); }

  // The code size of a sound frame type, 0 for a type that is not ADPCM.
  static int CodeBits(int type);
  static bool IsAdpcmType(int type) { return CodeBits(type) != 0; }

  // Clears the bit buffer, resets the predictor and takes the type's code size; a type outside
  // the table leaves nothing to decode with.
  void SetCodec(int type);
  // Drops the rest of a partly used word (between frames).
  void ResetBits();
  int CodecType() const { return codecType_; }
  // Codes of the current word that have not been decoded yet.
  bool HasBitsLeft() const;

  // Decodes codes from input into little-endian 16-bit samples. outputBytes holds the room in
  // output and receives the bytes produced; the result is the number of input bytes used.
  int Decode(std::uint8_t* output, int& outputBytes, const std::uint8_t* input, int inputBytes);

 private:
  std::uint32_t bitBuffer_ = 0;
  int bitCount_ = 0;
  int codecType_ = 0;
  State state_;
  const Rate* rate_ = nullptr;
};
