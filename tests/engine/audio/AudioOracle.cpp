#include "tests/engine/audio/AudioOracle.h"

#include <algorithm>
#include <cmath>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace oracle {
namespace {

struct ContextFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, ContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

ContextPtr OpenContext(const Codec& codec, const AVCodec* c) {
  if (!c) return nullptr;
  ContextPtr ctx(avcodec_alloc_context3(c));
  ctx->sample_rate = codec.rate;
  av_channel_layout_default(&ctx->ch_layout, codec.channels);
  ctx->bits_per_coded_sample = codec.bitsPerCodedSample;
  ctx->bit_rate = codec.bitRate;
  if (av_codec_is_encoder(c)) {
    ctx->sample_fmt = c->sample_fmts[0];
    ctx->time_base = AVRational{1, codec.rate};
    if (codec.bitsPerCodedSample) av_opt_set_int(ctx->priv_data, "code_size", codec.bitsPerCodedSample, 0);
  }
  if (avcodec_open2(ctx.get(), c, nullptr) < 0) return nullptr;
  return ctx;
}

void Drain(AVCodecContext* ctx, AVPacket* pkt, std::vector<Bytes>& out) {
  while (avcodec_receive_packet(ctx, pkt) == 0) {
    out.emplace_back(pkt->data, pkt->data + pkt->size);
    av_packet_unref(pkt);
  }
}

// One encoder frame from the float channels, in the encoder's sample format.
FramePtr MakeFrame(const AVCodecContext* ctx, const std::vector<std::vector<float>>& channels,
                   size_t first, int count) {
  FramePtr frame(av_frame_alloc());
  frame->nb_samples = count;
  frame->format = ctx->sample_fmt;
  av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout);
  if (av_frame_get_buffer(frame.get(), 0) < 0) return nullptr;
  for (size_t ch = 0; ch < channels.size(); ++ch) {
    for (int i = 0; i < count; ++i) {
      const float v = channels[ch][first + i];
      if (ctx->sample_fmt == AV_SAMPLE_FMT_FLTP) {
        reinterpret_cast<float*>(frame->extended_data[ch])[i] = v;
      } else {
        reinterpret_cast<std::int16_t*>(frame->data[0])[i * channels.size() + ch] = ToS16({v})[0];
      }
    }
  }
  return frame;
}

void AppendFrame(const AVFrame* frame, std::vector<std::int16_t>& out) {
  const int channels = frame->ch_layout.nb_channels;
  for (int i = 0; i < frame->nb_samples; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      if (frame->format == AV_SAMPLE_FMT_FLTP) {
        out.push_back(ToS16({reinterpret_cast<const float*>(frame->extended_data[ch])[i]})[0]);
      } else {
        out.push_back(reinterpret_cast<const std::int16_t*>(frame->data[0])[i * channels + ch]);
      }
    }
  }
}

}  // namespace

std::vector<std::vector<float>> TestSignal(int sampleCount, int rate, int channels, std::uint32_t seed) {
  std::vector<std::vector<float>> out(channels, std::vector<float>(sampleCount));
  std::uint32_t noise = seed | 1;
  for (int ch = 0; ch < channels; ++ch) {
    for (int i = 0; i < sampleCount; ++i) {
      const double t = static_cast<double>(i) / rate;
      const double loudness = static_cast<double>(i) / sampleCount;
      noise = noise * 1664525u + 1013904223u;
      const double n = (static_cast<double>(noise >> 8) / (1u << 24) - 0.5) * 0.2;
      const double v = 0.5 * std::sin(2 * M_PI * (300 + 50 * ch) * t) + 0.3 * std::sin(2 * M_PI * 1170 * t) + n;
      out[ch][i] = static_cast<float>(v * loudness * 0.75);
    }
  }
  return out;
}

std::vector<std::int16_t> ToS16(const std::vector<float>& samples) {
  std::vector<std::int16_t> out;
  out.reserve(samples.size());
  for (float v : samples) out.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v * 32767.0f, -32768.0f, 32767.0f))));
  return out;
}

std::vector<Bytes> Encode(const Codec& codec, const std::vector<std::vector<float>>& channels) {
  std::vector<Bytes> out;
  ContextPtr ctx = OpenContext(codec, avcodec_find_encoder(codec.id));
  if (!ctx || channels.empty()) return out;
  PacketPtr pkt(av_packet_alloc());
  const size_t total = channels[0].size();
  const int step = ctx->frame_size > 0 ? ctx->frame_size : 960;
  for (size_t first = 0; first < total; first += step) {
    FramePtr frame = MakeFrame(ctx.get(), channels, first, static_cast<int>(std::min<size_t>(step, total - first)));
    frame->pts = static_cast<std::int64_t>(first);
    if (avcodec_send_frame(ctx.get(), frame.get()) < 0) return {};
    Drain(ctx.get(), pkt.get(), out);
  }
  avcodec_send_frame(ctx.get(), nullptr);
  Drain(ctx.get(), pkt.get(), out);
  return out;
}

std::vector<std::int16_t> Decode(const Codec& codec, const std::vector<Bytes>& packets) {
  std::vector<std::int16_t> out;
  ContextPtr ctx = OpenContext(codec, avcodec_find_decoder(codec.id));
  if (!ctx) return out;
  PacketPtr pkt(av_packet_alloc());
  FramePtr frame(av_frame_alloc());
  for (const Bytes& p : packets) {
    av_new_packet(pkt.get(), static_cast<int>(p.size()));
    std::copy(p.begin(), p.end(), pkt->data);
    avcodec_send_packet(ctx.get(), pkt.get());
    av_packet_unref(pkt.get());
    while (avcodec_receive_frame(ctx.get(), frame.get()) == 0) AppendFrame(frame.get(), out);
  }
  return out;
}

std::vector<Bytes> ToAdts(const std::vector<Bytes>& packets, int rate, int channels) {
  static constexpr int kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000};
  const int rateIndex = static_cast<int>(std::find(std::begin(kRates), std::end(kRates), rate) - std::begin(kRates));
  const int profile = 1;  // low complexity
  std::vector<Bytes> out;
  for (const Bytes& p : packets) {
    const int length = static_cast<int>(p.size()) + 7;
    Bytes frame = {0xFF, 0xF1, static_cast<std::uint8_t>((profile << 6) | (rateIndex << 2) | (channels >> 2)),
                   static_cast<std::uint8_t>(((channels & 3) << 6) | (length >> 11)),
                   static_cast<std::uint8_t>((length >> 3) & 0xFF),
                   static_cast<std::uint8_t>(((length & 7) << 5) | 0x1F), 0xFC};
    frame.insert(frame.end(), p.begin(), p.end());
    out.push_back(std::move(frame));
  }
  return out;
}

Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<std::int16_t> Samples(const Bytes& bytes) {
  std::vector<std::int16_t> out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  return out;
}

Bytes ToBytes(const std::vector<std::int16_t>& samples) {
  Bytes out;
  for (std::int16_t s : samples) {
    out.push_back(static_cast<std::uint8_t>(s & 0xFF));
    out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
  }
  return out;
}

Bytes Codes(std::size_t n, std::uint32_t seed) {
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
  return out;
}

Bytes Pcm(int samples, std::uint32_t seed) { return ToBytes(ToS16(TestSignal(samples, 8000, 1, seed)[0])); }

}  // namespace oracle
