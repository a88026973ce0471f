#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "tests/testdata/TestSupport.h"

namespace fixtures::testing {
namespace {

using MediaTest = BuilderTest;

std::vector<std::uint8_t> FrameBytes(const std::vector<std::uint8_t>& s, const FrameInfo& f, std::uint64_t base) {
  const auto begin = s.begin() + static_cast<std::ptrdiff_t>(f.offset - base);
  return {begin, begin + f.length};
}

// Decodes the pictures of a recording from its stored frames, one packet per picture.
std::vector<std::vector<std::uint8_t>> DecodeLuma(const Layout& layout, int recording) {
  const std::vector<std::uint8_t> s = ReadPayloads(layout, recording);
  const std::uint64_t base = layout.recordings[static_cast<std::size_t>(recording)].streamBegin;
  std::vector<std::vector<std::uint8_t>> packets;
  int picture = -1;
  for (const FrameInfo& f : layout.FramesOf(recording)) {
    if (f.kind != kH264) continue;
    if (f.picture != picture) packets.emplace_back();
    picture = f.picture;
    const auto bytes = FrameBytes(s, f, base);
    packets.back().insert(packets.back().end(), bytes.begin(), bytes.end());
  }
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  ctx->thread_count = 1;
  std::vector<std::vector<std::uint8_t>> lumas;
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  auto drain = [&] {
    while (avcodec_receive_frame(ctx, frame) == 0) {
      std::vector<std::uint8_t> y;
      for (int row = 0; row < frame->height; ++row) {
        y.insert(y.end(), frame->data[0] + row * frame->linesize[0], frame->data[0] + row * frame->linesize[0] + frame->width);
      }
      lumas.push_back(std::move(y));
    }
  };
  if (avcodec_open2(ctx, codec, nullptr) == 0) {
    for (auto& p : packets) {
      pkt->data = p.data();
      pkt->size = static_cast<int>(p.size());
      if (avcodec_send_packet(ctx, pkt) < 0) break;
      drain();
    }
    avcodec_send_packet(ctx, nullptr);
    drain();
  }
  av_frame_free(&frame);
  av_packet_free(&pkt);
  avcodec_free_context(&ctx);
  return lumas;
}

double MeanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 1e9;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
  return sum / static_cast<double>(a.size());
}

TEST_F(MediaTest, VideoDecodesToTheSyntheticPicturesWithAKeyGroupEverySecond) {
  const auto layout = Build(Recordings(StoreKind::kSd, 1, 2.0), "video.sd");
  ASSERT_TRUE(layout);
  const RecordingInfo& r = layout->recordings[0];
  ASSERT_EQ(r.pictures, 60);
  const auto lumas = DecodeLuma(*layout, 0);
  ASSERT_EQ(lumas.size(), 60u);
  for (int i : {0, 17, 30, 59}) {
    EXPECT_LT(MeanDifference(lumas[static_cast<std::size_t>(i)], RenderTestPicture(r.video, i).y), 4.0) << i;
  }
  EXPECT_GT(MeanDifference(lumas[0], lumas[1]), 4.0);  // the picture moves

  std::vector<int> keyPictures;
  const auto frames = layout->FramesOf(0);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (frames[i].role != FrameRole::kSps) continue;
    keyPictures.push_back(frames[i].picture);
    ASSERT_GE(i, 1u);
    ASSERT_LT(i + 2, frames.size());
    EXPECT_EQ(frames[i - 1].role, FrameRole::kTime);
    EXPECT_EQ(frames[i + 1].role, FrameRole::kPps);
    EXPECT_EQ(frames[i + 2].role, FrameRole::kIdr);
  }
  EXPECT_EQ(keyPictures, (std::vector<int>{0, 30}));
  EXPECT_EQ(layout->FramesOf(0, FrameRole::kInter).size(), 58u);
  EXPECT_TRUE(layout->FramesOf(0, FrameRole::kSei).empty());
  EXPECT_EQ(frames.front().role, FrameRole::kTime);
}

TEST_F(MediaTest, SoundIsTheTestSignalAsPcmWithEveryFalseHeaderNudged) {
  const auto layout = Build(Recordings(StoreKind::kSd, 1, 1.0), "sound.sd");
  ASSERT_TRUE(layout);
  const auto s = ReadPayloads(*layout, 0);
  const auto sound = layout->FramesOf(0, FrameRole::kSound);
  ASSERT_EQ(sound.size(), 25u);
  int nudged = 0;
  for (const FrameInfo& f : sound) {
    ASSERT_EQ(f.length, 644u);
    const auto bytes = FrameBytes(s, f, 0);
    std::vector<std::int16_t> expected = TestSound(static_cast<std::int64_t>(f.sound) * 320, 320);
    nudged += NudgeFalseHeaders(expected);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(static_cast<std::int16_t>(bytes[4 + 2 * i] | bytes[5 + 2 * i] << 8), expected[i]) << f.sound;
    }
    for (std::size_t at = 4; at < bytes.size(); at += 4) {
      EXPECT_FALSE(bytes[at] == 0 && bytes[at + 1] == 0 && bytes[at + 2] == 0 && bytes[at + 3] < 5) << at;
    }
  }
  EXPECT_GT(nudged, 0);  // the test signal has silence, so the nudge was needed
  // Each sound frame follows a time frame with its stamp, digits written as 0x30 | nibble.
  for (const FrameInfo& t : layout->FramesOf(0, FrameRole::kTime)) {
    if (t.sound < 0) continue;
    const auto bytes = FrameBytes(s, t, 0);
    std::uint64_t stamp = 0;
    for (int k = 0; k < 16; ++k) {
      EXPECT_EQ(bytes[4 + k] & 0xF0, 0x30);
      stamp = stamp << 4 | (bytes[4 + k] & 0xF);
    }
    EXPECT_EQ(stamp, static_cast<std::uint64_t>(kDefaultStart) * 1000000 + static_cast<std::uint64_t>(t.sound) * 40000);
  }
}

std::string NmeaChecksum(const std::string& sentence) {
  const std::size_t dollar = sentence.find('$');
  const std::size_t star = sentence.find('*');
  unsigned sum = 0;
  for (std::size_t i = dollar + 1; i < star; ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return hex;
}

TEST_F(MediaTest, GpsTextsFollowTheRouteInEachSentenceForm) {
  StoreDescription desc = Recordings(StoreKind::kSd, 3, 1.0);
  desc.recordings[0].route.latitude = -33.9;
  desc.recordings[0].route.longitude = -70.6;
  desc.recordings[1].route.form = GpsForm::kPrefixed;
  desc.recordings[2].route.form = GpsForm::kGnrmc;
  const auto layout = Build(desc, "gps.sd");
  ASSERT_TRUE(layout);
  for (int r = 0; r < 3; ++r) {
    const auto texts = layout->GpsTextsOf(r);
    ASSERT_EQ(texts.size(), layout->recordings[static_cast<std::size_t>(r)].chunks.size());
    if (r != 1) {  // the prefixed form has whole seconds and fewer digits
      EXPECT_EQ(std::set<std::string>(texts.begin(), texts.end()).size(), texts.size()) << "fixes advance";
    }
    for (const std::string& t : texts) {
      EXPECT_LE(t.size(), 79u);
      EXPECT_EQ(t.substr(t.size() - 2), NmeaChecksum(t)) << t;
      EXPECT_NE(t.find(",A,"), std::string::npos) << t;
    }
  }
  const std::string south = layout->GpsTextsOf(0).front();
  EXPECT_EQ(south.rfind("$GPRMC,081230.000,A,3354.0000,S,07036.0000,W,", 0), 0u) << south;
  const std::string prefixed = layout->GpsTextsOf(1).front();
  EXPECT_EQ(prefixed.rfind("2024/03/01 08:13:31 $GPRMC,081331,A,2503.000,N,12130.000,E,32.4,90,010324*", 0), 0u) << prefixed;
  EXPECT_EQ(layout->GpsTextsOf(2).front().rfind("$GNRMC,", 0), 0u);
  // The sentence a chunk carries is also in its trailer, NUL-padded.
  const ChunkInfo& c = layout->recordings[1].chunks[3];
  const auto trailer = ReadBytes(c.file, c.fileOffset + 15872, 512);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&trailer[344])), c.gps);
  EXPECT_EQ(trailer[17], 10);
}

TEST_F(MediaTest, CarDataComesOncePerSecondAsUpperCaseHex) {
  StoreDescription desc = Recordings(StoreKind::kSd, 2, 3.0);
  desc.recordings[1].shortCarData = true;
  const auto layout = Build(desc, "car.sd");
  ASSERT_TRUE(layout);
  for (int r = 0; r < 2; ++r) {
    const auto s = ReadPayloads(*layout, r);
    const auto frames = layout->FramesOf(r);
    const auto car = layout->FramesOf(r, FrameRole::kCarData);
    ASSERT_EQ(car.size(), 3u);
    for (const FrameInfo& f : car) {
      EXPECT_EQ(f.length, r == 0 ? 28u : 20u);
      const auto bytes = FrameBytes(s, f, layout->recordings[static_cast<std::size_t>(r)].streamBegin);
      const std::string digits(bytes.begin() + 4, bytes.end());
      EXPECT_EQ(digits, CarDataDigits(TestCarData(f.second, 60.0), f.length - 4));
      EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEF"), std::string::npos);
      // It follows the first picture of its second.
      const auto at = std::find_if(frames.begin(), frames.end(), [&](const FrameInfo& x) { return x.offset == f.offset; });
      ASSERT_NE(at, frames.begin());
      EXPECT_EQ(std::prev(at)->picture, f.second * 30);
    }
  }
}

}  // namespace
}  // namespace fixtures::testing
