#include "engine/audio/SoundDecoder.h"

#include <cmath>

#include <gtest/gtest.h>

#include "engine/audio/G711.h"
#include "tests/engine/audio/AudioOracle.h"

namespace {

using oracle::Bytes;
using oracle::Codes;
using oracle::Pcm;
using oracle::ToBytes;

struct Frame {
  int type;
  Bytes data;
};

// Plays the frames through blocks of `blockBytes` the way the audio thread fills its sound
// buffer: the next frame is taken when the current one is finished, a block without frames is
// filled with the last byte of the block before. Returns every block written.
Bytes PlayBlocks(CSoundDecoder& d, const std::vector<Frame>& frames, std::uint32_t blockBytes) {
  Bytes out;
  SoundSpan span;
  size_t next = 0;
  std::uint8_t fill = 0;
  while (next < frames.size() || !d.Finished(span)) {
    Bytes block(blockBytes);
    std::uint32_t done = 0;
    for (int steps = 0; blockBytes - done > 1; ++steps) {
      if (steps > 100000) {
        ADD_FAILURE() << "a block was never filled";
        return out;
      }
      if (d.Finished(span)) {
        span = next < frames.size()
                   ? SoundSpan{frames[next].type, frames[next].data.data(), static_cast<std::uint32_t>(frames[next].data.size())}
                   : SoundSpan{};
        ++next;
        d.BeginFrame(span.type);
      }
      done += d.Fill(span, block.data() + done, blockBytes - done, fill);
    }
    fill = block.back();
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

Bytes Expand(const Bytes& codes, std::int16_t (*expand)(std::uint8_t)) {
  std::vector<std::int16_t> samples;
  for (std::uint8_t c : codes) samples.push_back(expand(c));
  return ToBytes(samples);
}

// The bytes played, then the rest of the last block filled with one byte.
void ExpectPlayed(const Bytes& played, const Bytes& expected, std::uint32_t blockBytes) {
  ASSERT_GE(played.size(), expected.size());
  EXPECT_EQ(played.size() % blockBytes, 0u);
  EXPECT_LT(played.size() - expected.size(), blockBytes);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin()));
  const std::uint8_t fill = played.size() > blockBytes ? played[played.size() / blockBytes * blockBytes - blockBytes - 1] : 0;
  for (size_t i = expected.size(); i < played.size(); ++i) ASSERT_EQ(played[i], fill) << i;
}

TEST(SoundDecoderTest, LinearAndCompandedFramesRunAcrossBlocksInOrder) {
  const Bytes pcm = Pcm(5000, 1), even = Pcm(500, 2), after = Pcm(700, 3);
  const Bytes odd(even.begin(), even.end() - 1);
  const Bytes mu = Codes(3000, 4), a = Codes(5000, 5);
  const std::vector<Frame> frames = {{64, pcm}, {65, mu}, {66, a}, {64, odd}, {64, after}, {70, Codes(99, 6)}};
  CSoundDecoder d;
  ASSERT_TRUE(d.Open());
  const Bytes played = PlayBlocks(d, frames, 6144);

  Bytes expected = pcm;
  for (const Bytes& part : {Expand(mu, MuLawToLinear), Expand(a, ALawToLinear), Bytes(odd.begin(), odd.end() - 1), after}) {
    expected.insert(expected.end(), part.begin(), part.end());
  }
  // The frame of an unknown type plays as the fill byte: the last byte of the block before.
  const size_t blockStart = expected.size() / 6144 * 6144;
  expected.resize(blockStart + 6144, expected.size() > 6144 ? expected[blockStart - 1] : 0);
  ExpectPlayed(played, expected, 6144);
}

TEST(SoundDecoderTest, AdpcmFramesKeepTheirCodesAcrossBlocksAndDropUndecodableTails) {
  const oracle::Codec codec{AV_CODEC_ID_ADPCM_G726, 8000, 1, 4, 32000};
  const Bytes stream = oracle::Concat(oracle::Encode(codec, oracle::TestSignal(9600, 8000, 1, 9)));
  ASSERT_EQ(stream.size(), 4800u);
  const Bytes first(stream.begin(), stream.begin() + 2000), second(stream.begin() + 2000, stream.begin() + 4000);
  Bytes tailed(stream.begin() + 4000, stream.end());
  tailed.resize(tailed.size() + 3, 0x5A);  // three bytes that can never form a word
  const Bytes three = Codes(4000, 10);     // 3 bits a code: words straddle the block ends
  const Bytes after = Pcm(300, 11);
  const std::vector<Frame> frames = {{34, first}, {34, second}, {50, tailed}, {49, three}, {64, after}};

  CSoundDecoder d;
  ASSERT_TRUE(d.Open());
  const Bytes played = PlayBlocks(d, frames, 6144);

  auto decode = [](int type, const Bytes& in) {
    G726Decoder g;
    g.SetCodec(type);
    Bytes out(in.size() * 16);
    int produced = static_cast<int>(out.size());
    g.Decode(out.data(), produced, in.data(), static_cast<int>(in.size()));
    out.resize(produced);
    return out;
  };
  // The predictor carries from frame to frame of one type; type 50 starts afresh.
  Bytes expected = decode(34, Bytes(stream.begin(), stream.begin() + 4000));
  for (const Bytes& part : {decode(50, Bytes(stream.begin() + 4000, stream.end())), decode(49, three), after}) {
    expected.insert(expected.end(), part.begin(), part.end());
  }
  ExpectPlayed(played, expected, 6144);
}

TEST(SoundDecoderTest, AacFramesAreDownmixedResampledAndCarriedIntoLaterBlocks) {
  // One second of a 440 Hz tone in 5.1 at 48 kHz, two ADTS frames to a queue item.
  constexpr int kRate = 48000;
  std::vector<std::vector<float>> tone(6, std::vector<float>(kRate));
  for (auto& channel : tone) {
    for (int i = 0; i < kRate; ++i) channel[i] = static_cast<float>(0.4 * std::sin(2 * M_PI * 440 * i / kRate));
  }
  const oracle::Codec codec{AV_CODEC_ID_AAC, kRate, 6, 0, 384000};
  const std::vector<Bytes> adts = oracle::ToAdts(oracle::Encode(codec, tone), kRate, 6);
  ASSERT_GT(adts.size(), 40u);
  std::vector<Frame> frames;
  for (size_t i = 0; i < adts.size(); i += 2) {
    frames.push_back({69, i + 1 < adts.size() ? oracle::Concat({adts[i], adts[i + 1]}) : adts[i]});
  }

  // Blocks far smaller than one decoded frame: the samples that do not fit wait for the next.
  CSoundDecoder small;
  ASSERT_TRUE(small.Open());
  const Bytes inSmallBlocks = PlayBlocks(small, frames, 128);
  CSoundDecoder large;
  ASSERT_TRUE(large.Open());
  const Bytes inOneBlock = PlayBlocks(large, frames, 1 << 20);
  const size_t decoded = inSmallBlocks.size() - 128;  // at most the last block holds fill bytes
  ASSERT_GE(inOneBlock.size(), decoded);
  EXPECT_TRUE(std::equal(inSmallBlocks.begin(), inSmallBlocks.begin() + decoded, inOneBlock.begin()));

  // One channel at 8000 samples a second, the tone at its pitch.
  const std::vector<std::int16_t> samples = oracle::Samples(Bytes(inSmallBlocks.begin(), inSmallBlocks.begin() + decoded));
  EXPECT_NEAR(static_cast<double>(samples.size()), 8000.0, 8000.0 * 0.2);
  int crossings = 0;
  for (size_t i = 2000; i + 1 < 7000; ++i) crossings += (samples[i] < 0) != (samples[i + 1] < 0);
  EXPECT_NEAR(crossings / 2.0 / (5000.0 / 8000.0), 440.0, 5.0);

  // A frame the decoder rejects loses itself only.
  std::vector<Frame> damaged = frames;
  damaged.insert(damaged.begin() + 5, Frame{69, Codes(700, 12)});
  CSoundDecoder d;
  ASSERT_TRUE(d.Open());
  EXPECT_EQ(PlayBlocks(d, damaged, 128).size(), inSmallBlocks.size());
}

}  // namespace
