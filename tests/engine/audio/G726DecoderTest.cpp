#include "engine/audio/G726Decoder.h"

#include <algorithm>
#include <cmath>

#include <spandsp.h>

#include <gtest/gtest.h>

#include "tests/engine/audio/AudioOracle.h"

namespace {

using oracle::Bytes;

std::vector<int> Unpack(const Bytes& stream, int bits) {
  std::vector<int> codes;
  std::uint32_t acc = 0;
  int have = 0;
  for (std::uint8_t b : stream) {
    acc = (acc << 8) | b;
    have += 8;
    while (have >= bits) {
      have -= bits;
      codes.push_back(static_cast<int>((acc >> have) & ((1u << bits) - 1)));
    }
  }
  return codes;
}

// The recorder's packing: big-endian words, codes from the top of the used bits (32, or the low
// 30 with 3 and 5 bits per code).
Bytes PackRecorder(const std::vector<int>& codes, int bits) {
  const int perWord = (bits & 1) ? 30 / bits : 32 / bits;
  Bytes out;
  for (size_t i = 0; i < codes.size(); i += perWord) {
    std::uint32_t word = 0;
    for (int k = 0; k < perWord; ++k) {
      const int code = i + k < codes.size() ? codes[i + k] : 0;
      word |= static_cast<std::uint32_t>(code) << (perWord * bits - (k + 1) * bits);
    }
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
  }
  return out;
}

// Decodes a whole stream through blocks of `roomSamples`, as the audio thread does.
std::vector<std::int16_t> DecodeInBlocks(G726Decoder& d, const Bytes& in, int roomSamples) {
  Bytes out;
  size_t pos = 0;
  for (;;) {
    std::vector<std::uint8_t> block(roomSamples * 2);
    int produced = static_cast<int>(block.size());
    pos += d.Decode(block.data(), produced, in.data() + pos, static_cast<int>(in.size() - pos));
    if (produced == 0) break;
    out.insert(out.end(), block.begin(), block.begin() + produced);
  }
  return oracle::Samples(out);
}

// Signal to noise ratio of `test` against `signal`, in decibels.
double SnrDb(const std::vector<std::int16_t>& signal, const std::vector<std::int16_t>& test) {
  double power = 0, noise = 0;
  for (size_t i = 0; i < signal.size() && i < test.size(); ++i) {
    const double d = static_cast<double>(test[i]) - signal[i];
    power += static_cast<double>(signal[i]) * signal[i];
    noise += d * d;
  }
  return 10 * std::log10(power / std::max(noise, 1.0));
}

std::vector<std::int16_t> DecodeFresh(int type, const Bytes& in) {
  G726Decoder d;
  d.SetCodec(type);
  return DecodeInBlocks(d, in, 4096);
}

// A stream of codes from the reference encoder, one code a byte, and the reference decoder's
// sound of it. The reference is an independent implementation of the Recommendation, checked
// against its test vectors.
struct ReferenceStream {
  std::vector<int> codes;
  std::vector<std::int16_t> decoded;
};

ReferenceStream EncodeWithReference(const std::vector<std::int16_t>& pcm, int bits) {
  ReferenceStream out;
  g726_state_t* encoder = g726_init(nullptr, 8000 * bits, G726_ENCODING_LINEAR, G726_PACKING_NONE);
  g726_state_t* decoder = g726_init(nullptr, 8000 * bits, G726_ENCODING_LINEAR, G726_PACKING_NONE);
  if (encoder == nullptr || decoder == nullptr) return out;
  std::vector<std::uint8_t> codes(pcm.size());
  const int n = g726_encode(encoder, codes.data(), pcm.data(), static_cast<int>(pcm.size()));
  codes.resize(static_cast<std::size_t>(std::max(n, 0)));
  out.codes.assign(codes.begin(), codes.end());
  out.decoded.resize(codes.size());
  out.decoded.resize(static_cast<std::size_t>(
      std::max(g726_decode(decoder, out.decoded.data(), codes.data(), static_cast<int>(codes.size())), 0)));
  g726_free(encoder);
  g726_free(decoder);
  return out;
}

TEST(G726DecoderTest, MatchesTheReferenceDecoderBitForBitAtEveryCodeSize) {
  constexpr int kSamples = 24000;  // whole words at every code size
  const std::vector<std::int16_t> original = oracle::ToS16(oracle::TestSignal(kSamples, 8000, 1, 7)[0]);
  for (int bits = 2; bits <= 5; ++bits) {
    SCOPED_TRACE(bits);
    const ReferenceStream reference = EncodeWithReference(original, bits);
    ASSERT_EQ(reference.codes.size(), static_cast<size_t>(kSamples));
    ASSERT_EQ(reference.decoded.size(), static_cast<size_t>(kSamples));

    const Bytes packed = PackRecorder(reference.codes, bits);
    G726Decoder d;
    d.SetCodec(30 + bits);
    const std::vector<std::int16_t> ours = DecodeInBlocks(d, packed, 37);
    ASSERT_EQ(ours.size(), reference.decoded.size());
    const auto firstDifference = std::mismatch(ours.begin(), ours.end(), reference.decoded.begin());
    EXPECT_EQ(firstDifference.first, ours.end()) << "first differing sample " << firstDifference.first - ours.begin();
    // The coder keeps the sound: more code bits, less noise.
    EXPECT_GT(SnrDb(original, ours), 4.0 * bits);
    EXPECT_EQ(DecodeFresh(46 + bits, packed), ours);  // the second type range decodes the same
  }
}

TEST(G726DecoderTest, WordsCarryTheCodeCountOfTheirSize) {
  const Bytes eight = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
  const struct { int type; int samples; } cases[] = {{32, 32}, {33, 20}, {34, 16}, {35, 12}, {49, 20}, {51, 12}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    G726Decoder d;
    d.SetCodec(c.type);
    std::uint8_t out[256];
    int produced = sizeof out;
    EXPECT_EQ(d.Decode(out, produced, eight.data(), 8), 8);
    EXPECT_EQ(produced, c.samples * 2);
    EXPECT_FALSE(d.HasBitsLeft());

    // Fewer than four bytes with nothing left over produce nothing.
    produced = sizeof out;
    EXPECT_EQ(d.Decode(out, produced, eight.data(), 3), 0);
    EXPECT_EQ(produced, 0);
  }

  // A word cut short by the room keeps its codes for the next call, even without more input.
  G726Decoder d;
  d.SetCodec(34);
  std::uint8_t out[64];
  int produced = 6;
  EXPECT_EQ(d.Decode(out, produced, eight.data(), 4), 4);
  EXPECT_EQ(produced, 6);
  EXPECT_TRUE(d.HasBitsLeft());
  produced = sizeof out;
  EXPECT_EQ(d.Decode(out, produced, nullptr, 0), 0);
  EXPECT_EQ(produced, 10);

  d.SetCodec(40);  // outside the table: nothing to decode with
  EXPECT_EQ(d.CodecType(), 40);
  produced = sizeof out;
  EXPECT_EQ(d.Decode(out, produced, eight.data(), 8), 0);
  EXPECT_EQ(produced, 0);
}

TEST(G726DecoderTest, PredictorCarriesAcrossFramesUntilTheTypeChanges) {
  const auto signal = oracle::TestSignal(3200, 8000, 1, 11);
  const oracle::Codec codec{AV_CODEC_ID_ADPCM_G726, 8000, 1, 4, 32000};
  const Bytes stream = oracle::Concat(oracle::Encode(codec, signal));
  ASSERT_EQ(stream.size(), 1600u);
  const Bytes first(stream.begin(), stream.begin() + 800);
  const Bytes second(stream.begin() + 800, stream.end());

  // Same type: the second frame continues the first one's prediction.
  G726Decoder d;
  d.SetCodec(34);
  const auto a = DecodeInBlocks(d, first, 500);
  d.ResetBits();
  const auto b = DecodeInBlocks(d, second, 500);
  const auto whole = DecodeFresh(34, stream);
  EXPECT_EQ(std::vector<std::int16_t>(whole.begin() + a.size(), whole.end()), b);

  // Type 50 has the same code size but starts a new prediction.
  d.SetCodec(50);
  EXPECT_EQ(DecodeInBlocks(d, second, 500), DecodeFresh(50, second));
  EXPECT_NE(DecodeFresh(50, second), b);

  // Reset bits between frames drops the rest of a word only: 12 codes of the first frame, then
  // the second frame, decode like the codes themselves laid end to end.
  const std::vector<int> codesA = Unpack(first, 4);
  const std::vector<int> codesB = Unpack(second, 4);
  G726Decoder cut;
  cut.SetCodec(34);
  std::uint8_t out[24];
  int produced = sizeof out;
  EXPECT_EQ(cut.Decode(out, produced, first.data(), static_cast<int>(first.size())), 8);
  cut.ResetBits();
  const auto afterCut = DecodeInBlocks(cut, second, 500);
  std::vector<int> joined(codesA.begin(), codesA.begin() + 12);
  joined.insert(joined.end(), codesB.begin(), codesB.end());
  const auto reference = DecodeFresh(34, PackRecorder(joined, 4));
  ASSERT_GE(reference.size(), 12 + afterCut.size());
  EXPECT_EQ(std::vector<std::int16_t>(reference.begin() + 12, reference.begin() + 12 + afterCut.size()), afterCut);
}

}  // namespace
