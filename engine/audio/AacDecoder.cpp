#include "engine/audio/AacDecoder.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

CAacDecoder::~CAacDecoder() {
  swr_free(&resampler_);
  av_frame_free(&frame_);
  av_packet_free(&packet_);
  avcodec_free_context(&context_);
}

bool CAacDecoder::Open() {
  if (context_) return true;
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AAC);
  if (!codec) return false;
  context_ = avcodec_alloc_context3(codec);
  packet_ = av_packet_alloc();
  frame_ = av_frame_alloc();
  if (!context_ || !packet_ || !frame_ || avcodec_open2(context_, codec, nullptr) < 0) {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&context_);
    return false;
  }
  return true;
}

void CAacDecoder::Reset() {
  if (context_) avcodec_flush_buffers(context_);
  swr_free(&resampler_);
  inFormat_ = -1;
  pending_.clear();
  taken_ = 0;
}

bool CAacDecoder::Decode(const std::uint8_t* data, std::size_t bytes) {
  if (!context_ || bytes == 0 || bytes > static_cast<std::size_t>(INT32_MAX - AV_INPUT_BUFFER_PADDING_SIZE)) return false;
  if (av_new_packet(packet_, static_cast<int>(bytes)) < 0) return false;
  std::memcpy(packet_->data, data, bytes);
  const int sent = avcodec_send_packet(context_, packet_);
  av_packet_unref(packet_);
  bool ok = sent >= 0;
  for (;;) {
    const int got = avcodec_receive_frame(context_, frame_);
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) break;
    if (got < 0) return false;
    ok = ConvertFrame() && ok;
    av_frame_unref(frame_);
  }
  return ok;
}

std::size_t CAacDecoder::Take(std::uint8_t* out, std::size_t room) {
  const std::size_t n = std::min(Pending(), room & ~std::size_t{1});
  if (n == 0) return 0;
  std::memcpy(out, pending_.data() + taken_, n);
  taken_ += n;
  if (taken_ == pending_.size()) {
    pending_.clear();
    taken_ = 0;
  }
  return n;
}

// A resampler from the decoded frame's layout, format and rate; made again when they change.
bool CAacDecoder::PrepareResampler() {
  const int channels = frame_->ch_layout.nb_channels;
  if (resampler_ && frame_->format == inFormat_ && frame_->sample_rate == inRate_ && channels == inChannels_) {
    return true;
  }
  swr_free(&resampler_);
  AVChannelLayout in{};
  if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&in, channels);
  } else if (av_channel_layout_copy(&in, &frame_->ch_layout) < 0) {
    return false;
  }
  AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
  const int made = swr_alloc_set_opts2(&resampler_, &mono, AV_SAMPLE_FMT_S16, kOutputRate, &in,
                                       static_cast<AVSampleFormat>(frame_->format), frame_->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&in);
  if (made < 0 || swr_init(resampler_) < 0) {
    swr_free(&resampler_);
    return false;
  }
  inFormat_ = frame_->format;
  inRate_ = frame_->sample_rate;
  inChannels_ = channels;
  return true;
}

bool CAacDecoder::ConvertFrame() {
  if (frame_->nb_samples <= 0 || frame_->sample_rate <= 0 || !PrepareResampler()) return false;
  const int capacity = swr_get_out_samples(resampler_, frame_->nb_samples);
  if (capacity < 0) return false;
  const std::size_t start = pending_.size();
  pending_.resize(start + static_cast<std::size_t>(capacity) * 2);
  std::uint8_t* out = pending_.data() + start;
  const int made = swr_convert(resampler_, &out, capacity, const_cast<const std::uint8_t**>(frame_->extended_data),
                               frame_->nb_samples);
  pending_.resize(start + static_cast<std::size_t>(std::max(made, 0)) * 2);
  return made >= 0;
}
