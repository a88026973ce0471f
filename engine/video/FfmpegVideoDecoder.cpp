#include "engine/video/FfmpegVideoDecoder.h"

#include <climits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include "platform/video/HardwareDecoding.h"

void AVFrameFree::operator()(AVFrame* frame) const { av_frame_free(&frame); }

FramePtr RefFrame(const AVFrame& picture) {
  FramePtr copy(av_frame_alloc());
  if (!copy || !picture.buf[0] || av_frame_ref(copy.get(), &picture) < 0) return nullptr;
  return copy;
}

FfmpegVideoDecoder::FfmpegVideoDecoder() = default;

FfmpegVideoDecoder::~FfmpegVideoDecoder() { Close(); }

bool FfmpegVideoDecoder::Setup(bool hardware) {
  if (context_ && hardware == hardwareAsked_) return true;
  Close();
  if (!Open(hardware) && !(hardware && Open(false))) return false;
  hardwareAsked_ = hardware;
  return true;
}

bool FfmpegVideoDecoder::Open(bool hardware) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  if (!codec) return false;
  context_ = avcodec_alloc_context3(codec);
  packet_ = av_packet_alloc();
  received_.reset(av_frame_alloc());
  picture_.reset(av_frame_alloc());
  if (!context_ || !packet_ || !received_ || !picture_) {
    Close();
    return false;
  }
  // Pictures leave the decoder with the unit that completes them: no frame threads, no
  // reordering delay.
  context_->thread_count = 1;
  context_->flags |= AV_CODEC_FLAG_LOW_DELAY;
  usesHardware_ = hardware && plat::EnableHardwareDecoding(*context_);
  if (avcodec_open2(context_, codec, nullptr) < 0) {
    Close();
    return false;
  }
  return true;
}

void FfmpegVideoDecoder::Close() {
  avcodec_free_context(&context_);
  av_packet_free(&packet_);
  received_.reset();
  picture_.reset();
  usesHardware_ = false;
  drained_ = false;
}

bool FfmpegVideoDecoder::Decode(const std::uint8_t* data, std::size_t length, std::int64_t tag) {
  if (!context_ || !data || length == 0 || length > static_cast<std::size_t>(INT_MAX)) return false;
  if (drained_) Flush();
  // The packet only points at the caller's bytes; the decoder copies what it keeps.
  packet_->data = const_cast<std::uint8_t*>(data);
  packet_->size = static_cast<int>(length);
  packet_->pts = tag;
  bool got = false;
  if (avcodec_send_packet(context_, packet_) == AVERROR(EAGAIN)) {
    got = ReceiveLatest();
    avcodec_send_packet(context_, packet_);
  }
  packet_->data = nullptr;
  packet_->size = 0;
  return ReceiveLatest() || got;
}

bool FfmpegVideoDecoder::Drain() {
  if (!context_ || drained_) return false;
  drained_ = true;
  avcodec_send_packet(context_, nullptr);
  return ReceiveLatest();
}

void FfmpegVideoDecoder::Flush() {
  if (!context_) return;
  avcodec_flush_buffers(context_);
  av_frame_unref(picture_.get());
  drained_ = false;
}

bool FfmpegVideoDecoder::ReceiveLatest() {
  bool got = false;
  while (avcodec_receive_frame(context_, received_.get()) >= 0) {
    if (plat::IsHardwarePicture(*received_)) {
      got = plat::DownloadPicture(*received_, *picture_) || got;
      av_frame_unref(received_.get());
    } else {
      av_frame_unref(picture_.get());
      av_frame_move_ref(picture_.get(), received_.get());
      got = true;
    }
  }
  return got;
}

const AVFrame* FfmpegVideoDecoder::Picture() const {
  return picture_ && picture_->buf[0] ? picture_.get() : nullptr;
}

std::int64_t FfmpegVideoDecoder::PictureTag() const {
  const AVFrame* p = Picture();
  if (!p) return AV_NOPTS_VALUE;
  return p->pts != AV_NOPTS_VALUE ? p->pts : p->best_effort_timestamp;
}

int FfmpegVideoDecoder::Width() const { return Picture() ? picture_->width : 0; }
int FfmpegVideoDecoder::Height() const { return Picture() ? picture_->height : 0; }

