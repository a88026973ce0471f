// The H.264 decoder of a video context. One access unit goes in and at most one picture comes
// out at once: the stream has no B-frames and the decoder runs without frame threads, so a
// picture belongs to the unit that completed it. Pictures come out in system memory (a picture
// the graphics card decoded is copied out of it), in their own pixel format, for a presenter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>


struct AVCodecContext;
struct AVFrame;
struct AVPacket;

struct AVFrameFree {
  void operator()(AVFrame* frame) const;
};
// A counted reference to a decoded picture's buffers.
using FramePtr = std::unique_ptr<AVFrame, AVFrameFree>;
// A new reference to the same picture; null when the picture is empty or no memory is left.
FramePtr RefFrame(const AVFrame& picture);

class FfmpegVideoDecoder {
 public:
  FfmpegVideoDecoder();
  ~FfmpegVideoDecoder();
  FfmpegVideoDecoder(const FfmpegVideoDecoder&) = delete;
  FfmpegVideoDecoder& operator=(const FfmpegVideoDecoder&) = delete;

  // Opens the H.264 decoder when it is not open; with `hardware`, on the graphics card when a
  // device opens (else in software, silently). An open decoder is reopened when `hardware`
  // differs from what it was opened with. False when the decoder cannot be opened.
  bool Setup(bool hardware);
  void Close();
  bool IsOpen() const { return context_ != nullptr; }
  // Whether the graphics card takes part in decoding.
  bool UsesHardware() const { return usesHardware_; }

  // Decodes one access unit; `tag` travels with it to the picture. True when a picture came out.
  // Units without a picture (parameter sets, damaged data) give false and change nothing.
  bool Decode(const std::uint8_t* data, std::size_t length, std::int64_t tag);
  // End of the data: hands out a picture the decoder may still hold. The next Decode starts
  // afresh (the decoder is flushed first).
  bool Drain();
  // Forgets every reference picture and held unit: after a seek, a change of direction, a reset.
  void Flush();

  // The last picture out, in system memory; null before the first one and after a flush.
  const AVFrame* Picture() const;
  // The tag of the unit the last picture came from.
  std::int64_t PictureTag() const;
  // The size of the last picture; 0 x 0 when there is none.
  int Width() const;
  int Height() const;

 private:
  bool Open(bool hardware);
  bool ReceiveLatest();

  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  FramePtr received_;
  FramePtr picture_;
  bool hardwareAsked_ = false;
  bool usesHardware_ = false;
  bool drained_ = false;
};
