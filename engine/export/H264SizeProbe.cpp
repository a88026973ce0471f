#include "engine/export/H264SizeProbe.h"

#include <climits>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

struct ProbeContext {
  AVCodecContext* codec = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  ~ProbeContext() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
  }
};

}  // namespace

bool ProbeH264Size(const std::uint8_t* data, std::size_t bytes, int& width, int& height) {
  width = 0;
  height = 0;
  const AVCodec* decoder = avcodec_find_decoder(AV_CODEC_ID_H264);
  ProbeContext p;
  if (decoder == nullptr || (p.codec = avcodec_alloc_context3(decoder)) == nullptr) return false;
  p.codec->thread_count = 1;
  p.packet = av_packet_alloc();
  p.frame = av_frame_alloc();
  if (p.packet == nullptr || p.frame == nullptr || avcodec_open2(p.codec, decoder, nullptr) < 0) return false;
  if (data == nullptr || bytes == 0 || bytes > INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE ||
      av_new_packet(p.packet, static_cast<int>(bytes)) < 0) {
    return true;
  }
  std::memcpy(p.packet->data, data, bytes);
  avcodec_send_packet(p.codec, p.packet);
  avcodec_send_packet(p.codec, nullptr);
  if (avcodec_receive_frame(p.codec, p.frame) == 0) {
    width = p.frame->width;
    height = p.frame->height;
  }
  return true;
}
