#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/media/AviWriter.h"
#include "testdata/FileBytes.h"
#include "testdata/MediaProbe.h"
#include "testdata/ScratchDir.h"
#include "testdata/TestSignals.h"
#include "testdata/TestVideo.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const fixtures::VideoFormat kFormat{320, 240, 30, 30, 24};

// The pictures of the test video as the recorder stores them: Annex B with 4-byte start codes.
std::vector<std::pair<Bytes, bool>> Samples(int count) {
  std::vector<std::pair<Bytes, bool>> out;
  const auto video = fixtures::EncodeTestVideo(kFormat, count);
  for (const fixtures::EncodedPicture& p : *video) {
    Bytes sample;
    for (const auto& nal : p.nals) {
      sample.insert(sample.end(), {0, 0, 0, 1});
      sample.insert(sample.end(), nal.begin(), nal.end());
    }
    out.emplace_back(std::move(sample), p.key);
  }
  return out;
}

Bytes Pcm(std::int64_t first, int samples) {
  Bytes out;
  for (std::int16_t s : fixtures::TestSound(first, samples)) {
    out.push_back(static_cast<std::uint8_t>(s & 0xFF));
    out.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
  }
  return out;
}

plat::AviVideoFormat H264Format() {
  plat::AviVideoFormat f;
  f.width = kFormat.width;
  f.height = kFormat.height;
  f.scale = 1000;
  f.rate = 30000;
  f.handler = plat::MakeFourCC("AVC1");
  f.compression = plat::MakeFourCC("X264");
  return f;
}

std::string Code(const Bytes& b, std::size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

}  // namespace

TEST(AviWriter, KeepsEverySampleWithItsKeyFlagAndAddsSoundLate) {
  fixtures::ScratchDir dir("avi");
  const std::string path = dir.File("out.avi");
  const auto samples = Samples(60);
  std::vector<Bytes> sounds;
  plat::AviWriter writer;
  ASSERT_TRUE(writer.Create(path, H264Format(), plat::AviSoundFormat{8000, 1}));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    ASSERT_TRUE(writer.WriteVideo(samples[i].first.data(), samples[i].first.size(), samples[i].second));
    if (i >= 10) {  // the sound stream appears after video samples
      sounds.push_back(Pcm(static_cast<std::int64_t>(i) * 267, 267));
      ASSERT_TRUE(writer.WriteSound(sounds.back().data(), sounds.back().size()));
    }
  }
  EXPECT_EQ(writer.VideoSamples(), 60u);
  ASSERT_TRUE(writer.Close());
  EXPECT_FALSE(writer.IsOpen());

  const fixtures::ProbedMedia media = fixtures::ProbeMedia(path);
  EXPECT_EQ(media.errors, "");
  ASSERT_EQ(media.streams.size(), 2u);
  EXPECT_EQ(media.streams[0].Get("codec_name"), "h264");
  EXPECT_EQ(media.streams[0].Get("codec_tag_string"), "X264");
  EXPECT_EQ(media.streams[0].Get("width"), "320");
  EXPECT_EQ(media.streams[0].Get("r_frame_rate"), "30/1");
  EXPECT_EQ(media.streams[1].Get("codec_name"), "pcm_s16le");
  EXPECT_EQ(media.streams[1].Get("sample_rate"), "8000");
  EXPECT_EQ(media.streams[1].Get("channels"), "1");

  const auto video = media.PacketsOf(0);
  ASSERT_EQ(video.size(), samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    EXPECT_EQ(video[i].key, samples[i].second) << "picture " << i;
    EXPECT_EQ(video[i].hash, fixtures::PacketHash(samples[i].first.data(), samples[i].first.size())) << i;
  }
  // The index flags key samples only; every sound sample is a key sample.
  std::vector<bool> indexKeys;
  std::size_t soundEntries = 0;
  for (const fixtures::AviIndexEntry& e : fixtures::ReadAviIndex(path)) {
    if (e.chunkId == "00dc") indexKeys.push_back(e.flags == 0x10);
    if (e.chunkId == "01wb") soundEntries += e.flags == 0x10;
  }
  std::vector<bool> keys;
  for (const auto& s : samples) keys.push_back(s.second);
  EXPECT_EQ(indexKeys, keys);
  EXPECT_EQ(soundEntries, sounds.size());
  const auto sound = media.PacketsOf(1);
  ASSERT_EQ(sound.size(), sounds.size());
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    EXPECT_EQ(sound[i].hash, fixtures::PacketHash(sounds[i].data(), sounds[i].size()));
  }
  EXPECT_EQ(fixtures::DecodeErrors(path), "");

  // The fields that the timing correction and other readers rely on, at their places.
  const Bytes b = fixtures::ReadFileBytes(path);
  EXPECT_EQ(Code(b, 24), "avih");
  EXPECT_EQ(fixtures::Le32At(b, 32), 33333u);
  EXPECT_EQ(Code(b, 108), "vids");
  EXPECT_EQ(Code(b, 112), "AVC1");
  EXPECT_EQ(fixtures::Le32At(b, 128), 1000u);
  EXPECT_EQ(fixtures::Le32At(b, 132), 30000u);
  EXPECT_EQ(fixtures::Le32At(b, 148), 0xFFFFFFFFu);  // quality
  EXPECT_EQ(Code(b, 164), "strf");
  EXPECT_EQ(fixtures::Le32At(b, 172 + 14) & 0xFFFF, 24u);  // bits per pixel
  EXPECT_EQ(Code(b, 172 + 16), "X264");
  EXPECT_EQ(fixtures::Le32At(b, 172 + 20), 960u * 240u);  // image size of 24-bit rows
}

TEST(AviWriter, TimingPatchRewritesItsTwoFieldsOfAnAviFileOnly) {
  fixtures::ScratchDir dir("avi");
  const std::string path = dir.File("out.avi");
  const auto samples = Samples(30);
  plat::AviWriter writer;
  ASSERT_TRUE(writer.Create(path, H264Format(), plat::AviSoundFormat{}));
  for (const auto& [sample, key] : samples) ASSERT_TRUE(writer.WriteVideo(sample.data(), sample.size(), key));
  ASSERT_TRUE(writer.Close());
  const Bytes before = fixtures::ReadFileBytes(path);

  ASSERT_TRUE(plat::AviWriter::PatchTiming(path, 40000, 25000));
  Bytes after = fixtures::ReadFileBytes(path);
  EXPECT_EQ(fixtures::Le32At(after, 32), 40000u);
  EXPECT_EQ(fixtures::Le32At(after, 132), 25000u);
  std::memcpy(after.data() + 32, before.data() + 32, 4);
  std::memcpy(after.data() + 132, before.data() + 132, 4);
  EXPECT_EQ(after, before);
  EXPECT_EQ(fixtures::ProbeMedia(path).streams.at(0).Get("r_frame_rate"), "25/1");

  const std::string text = dir.File("notes.txt");
  std::ofstream(text) << std::string(200, 'x');
  EXPECT_FALSE(plat::AviWriter::PatchTiming(text, 40000, 25000));
  EXPECT_EQ(fixtures::ReadFileBytes(text), Bytes(200, 'x'));
  EXPECT_FALSE(plat::AviWriter::PatchTiming(dir.File("missing.avi"), 40000, 25000));
}

TEST(AviWriter, SamplesLargerThanItsBufferAndOddSizesKeepTheirBytes) {
  fixtures::ScratchDir dir("avi");
  const std::string path = dir.File("big.avi");
  const auto samples = Samples(2);
  // A key sample of 3 MiB and one byte: the real picture followed by filler NAL units.
  Bytes big = samples[0].first;
  big.insert(big.end(), {0, 0, 0, 1, 0x0C});
  big.resize((3u << 20) + 1, 0xFF);
  plat::AviWriter writer;
  ASSERT_TRUE(writer.Create(path, H264Format(), plat::AviSoundFormat{}));
  ASSERT_TRUE(writer.WriteVideo(big.data(), big.size(), true));
  ASSERT_TRUE(writer.WriteVideo(samples[1].first.data(), samples[1].first.size(), false));
  const Bytes odd = Pcm(0, 100);
  ASSERT_TRUE(writer.WriteSound(odd.data(), odd.size() - 1));  // the half sample is not written
  ASSERT_TRUE(writer.Close());

  const fixtures::ProbedMedia media = fixtures::ProbeMedia(path);
  const auto video = media.PacketsOf(0);
  ASSERT_EQ(video.size(), 2u);
  EXPECT_EQ(video[0].size, big.size());
  EXPECT_EQ(video[0].hash, fixtures::PacketHash(big.data(), big.size()));
  EXPECT_TRUE(video[0].key);
  EXPECT_EQ(video[1].hash, fixtures::PacketHash(samples[1].first.data(), samples[1].first.size()));
  EXPECT_FALSE(video[1].key);
  EXPECT_EQ(media.BytesOf(1), odd.size() - 2);
}

TEST(AviWriter, AFullDiskIsReportedAndLeavesAReadableFile) {
  fixtures::ScratchDir dir("avi");
  const std::string path = dir.File("full.avi");
  const auto samples = Samples(60);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit limited = old;
  limited.rlim_cur = 5u << 19;  // 2.5 MiB: the third flush of the write buffer fails
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

  plat::AviWriter writer;
  const bool created = writer.Create(path, H264Format(), plat::AviSoundFormat{});
  std::size_t accepted = 0;
  const auto sample = [&samples](std::size_t i) -> const std::pair<Bytes, bool>& { return samples[i % samples.size()]; };
  while (created && accepted < 5000 && writer.WriteVideo(sample(accepted).first.data(), sample(accepted).first.size(), sample(accepted).second)) {
    ++accepted;
  }
  const bool laterRefused = !writer.WriteVideo(samples[0].first.data(), samples[0].first.size(), true);
  const bool closed = writer.Close();
  setrlimit(RLIMIT_FSIZE, &old);

  ASSERT_TRUE(created);
  EXPECT_LT(accepted, 5000u);  // the limit was met
  EXPECT_TRUE(laterRefused);
  EXPECT_FALSE(closed);
  // The file holds, indexed and readable, the samples that reached the disk before the fault.
  const fixtures::ProbedMedia media = fixtures::ProbeMedia(path);
  EXPECT_EQ(media.errors, "");
  const auto video = media.PacketsOf(0);
  EXPECT_GT(video.size(), 100u);
  EXPECT_LT(video.size(), accepted);
  for (std::size_t i = 0; i < video.size(); ++i) {
    EXPECT_EQ(video[i].hash, fixtures::PacketHash(sample(i).first.data(), sample(i).first.size())) << i;
  }
  EXPECT_EQ(fixtures::ReadAviIndex(path).size(), video.size());
}
