// Test sound made by our own generator and run through FFmpeg's encoders and decoders, which
// serve as the reference for our sound decoders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace oracle {

using Bytes = std::vector<std::uint8_t>;

// A deterministic test signal: tones whose loudness sweeps from silence to full scale, with
// noise, peaking at three quarters of full scale. `sampleCount` samples at `rate` for each of `channels` channels.
std::vector<std::vector<float>> TestSignal(int sampleCount, int rate, int channels, std::uint32_t seed);
std::vector<std::int16_t> ToS16(const std::vector<float>& samples);

struct Codec {
  AVCodecID id;
  int rate = 8000;
  int channels = 1;
  int bitsPerCodedSample = 0;  // G.726 code size
  std::int64_t bitRate = 0;
};

// Encodes planar float channels; returns the packets in order (empty on failure).
std::vector<Bytes> Encode(const Codec& codec, const std::vector<std::vector<float>>& channels);
// Decodes the packets; returns interleaved 16-bit samples of every channel at the stream's rate.
std::vector<std::int16_t> Decode(const Codec& codec, const std::vector<Bytes>& packets);

// Raw AAC packets wrapped into ADTS frames, as a recorder's stream carries them.
std::vector<Bytes> ToAdts(const std::vector<Bytes>& packets, int rate, int channels);

Bytes Concat(const std::vector<Bytes>& parts);
// Little-endian 16-bit samples from bytes, and back.
std::vector<std::int16_t> Samples(const Bytes& bytes);
Bytes ToBytes(const std::vector<std::int16_t>& samples);
// Pseudo-random bytes: codes of any kind.
Bytes Codes(std::size_t n, std::uint32_t seed);
// `samples` of the test signal at 8000 a second, one channel, as 16-bit sound bytes.
Bytes Pcm(int samples, std::uint32_t seed);

}  // namespace oracle
