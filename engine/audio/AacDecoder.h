// AAC sound frames (ADTS, at any rate and channel count) decoded and converted to the player's
// sound: 16-bit, one channel, 8000 samples a second. A frame decodes to more samples than a
// sound block may have room for, so the samples wait here until they are taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class CAacDecoder {
 public:
  static constexpr int kOutputRate = 8000;

  CAacDecoder() = default;
  CAacDecoder(const CAacDecoder&) = delete;
  CAacDecoder& operator=(const CAacDecoder&) = delete;
  ~CAacDecoder();

  // Finds and opens FFmpeg's AAC decoder; false when there is none.
  bool Open();
  bool IsOpen() const { return context_ != nullptr; }
  // Forgets the stream's history and the samples not yet taken (after a seek).
  void Reset();
  // Decodes the bytes of one sound frame, which may hold several AAC frames. False when the
  // decoder rejects them: the rest of that frame is lost, the samples decoded before it stay.
  bool Decode(const std::uint8_t* data, std::size_t bytes);
  // Copies up to `room` bytes (whole samples) of decoded sound; returns the bytes copied.
  std::size_t Take(std::uint8_t* out, std::size_t room);
  std::size_t Pending() const { return pending_.size() - taken_; }

 private:
  bool ConvertFrame();
  bool PrepareResampler();

  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  SwrContext* resampler_ = nullptr;
  int inFormat_ = -1;
  int inRate_ = 0;
  int inChannels_ = 0;
  std::vector<std::uint8_t> pending_;
  std::size_t taken_ = 0;
};
