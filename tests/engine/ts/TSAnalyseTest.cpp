// The transport-stream reader on files made by our builder: what reaches the video and audio
// queues when it plays forward, backward, after seeks, and across the files of a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engine/ts/TSAnalyse.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/TsBuilder.h"
#include "tests/engine/audio/AudioOracle.h"
#include "tests/engine/stream/QueueTestSupport.h"
#include "tests/engine/ts/TSTestSupport.h"

namespace {

constexpr std::int64_t kStart = 1709280750;

class TSAnalyseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  std::string Write(const std::string& name, const fixtures::TsFile& file) {
    const std::string path = dir.File(name);
    EXPECT_FALSE(file.bytes.empty());
    EXPECT_TRUE(fixtures::WriteFileBytes(path, file.bytes));
    return path;
  }

  fixtures::ScratchDir dir{"tsreader"};
};

fixtures::TsDescription Description(int fps, int gop, int pictures) {
  fixtures::TsDescription desc;
  desc.video = {160, 120, fps, gop, 30};
  desc.pictures = pictures;
  return desc;
}

std::vector<std::vector<std::uint8_t>> AacFrames(int count) {
  const oracle::Codec aac{AV_CODEC_ID_AAC, 8000, 1, 0, 24000};
  return oracle::ToAdts(oracle::Encode(aac, oracle::TestSignal(count * 1024, 8000, 1, 7)), 8000, 1);
}

std::vector<int> Range(int first, int last, int step = 1) {
  std::vector<int> out;
  for (int i = first; step > 0 ? i <= last : i >= last; i += step) out.push_back(i);
  return out;
}

// The file's picture that each item carries, found by its time stamp, with its bytes and type
// checked; -1 for an item that is no picture of the file.
std::vector<int> Pictures(const std::vector<TakenItem>& items, const fixtures::TsFile& file) {
  std::vector<int> out;
  for (const TakenItem& t : items) {
    const auto it = std::find_if(file.pictures.begin(), file.pictures.end(),
                                 [&](const fixtures::TsPicture& p) { return PtsMicroseconds(p.pts) == t.item.stamp; });
    if (it == file.pictures.end()) {
      out.push_back(-1);
      continue;
    }
    EXPECT_EQ(t.bytes, it->data) << "picture " << it->index;
    EXPECT_EQ(t.item.type, it->key ? kItemKeyFrame : kItemInterFrame) << "picture " << it->index;
    out.push_back(it->index);
  }
  return out;
}

std::vector<int> Field(const std::vector<TakenItem>& items, std::int64_t (*get)(const QueueItem&)) {
  std::vector<int> out;
  for (const TakenItem& t : items) out.push_back(static_cast<int>(get(t.item)));
  return out;
}

std::int64_t ChunkTime(const QueueItem& i) { return i.chunkTime; }
std::int64_t Rate(const QueueItem& i) { return i.aux; }

std::string SensorText(const std::string& numbers) {
  std::string text = numbers;
  text.resize(32, ' ');
  return text + "$GPRMC,081230,A,2503.0000,N,12130.0000,E,30.0,90.0,010324,,,A*6C";
}

}  // namespace

TEST_F(TSAnalyseTest, PlaysForwardWithPicturesSoundAndSensorBlocks) {
  fixtures::TsDescription desc = Description(60, 30, 120);
  desc.firstPicture = 10;  // the file starts inside a group: its inter frames cannot be shown
  desc.sound = AacFrames(40);
  desc.sensorTexts = {SensorText("X:9"), SensorText("X:0.5 Y:-0.25 Z:1.0 L:120"), SensorText("X:-0.5 Y:0.25 Z:0.9 L:-10"),
                      SensorText("X:1")};
  desc.sensorEvery = 30;
  desc.damage.garbageBytes = 61;
  desc.damage.errorEvery = 17;
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  const std::string path = Write("rec.ts", file);
  TsRig rig;
  rig.channel.SetStartTime(path, kStart);
  rig.reader.SetStartDelay(900);
  ASSERT_TRUE(rig.reader.Open(path, false));
  ASSERT_TRUE(rig.Start());
  // At the end of the last file, once it has stopped growing, its last units are whole.
  ASSERT_TRUE(rig.consumer->WaitForPictures(90));
  ASSERT_TRUE(Eventually([&] { return rig.consumer->Audio().size() >= 12; }));
  ASSERT_TRUE(Eventually([&] { return rig.consumer->Markers().size() >= 3; }));
  EXPECT_TRUE(rig.reader.IsRunning());
  rig.reader.Stop(kWaitForever);

  const std::vector<TakenItem> video = rig.consumer->Video();
  EXPECT_EQ(Pictures(video, file), Range(30, 119));
  // 30 until 30 units (pictures 10 to 39) have measured 60.
  std::vector<int> rates(9, 30);
  rates.resize(90, 60);
  EXPECT_EQ(Field(video, Rate), rates);
  std::vector<int> times;
  for (int i = 30; i <= 119; ++i) times.push_back(static_cast<int>(kStart + 1 + i / 60));
  EXPECT_EQ(Field(video, ChunkTime), times);
  std::uint32_t progress = 0;
  for (const TakenItem& t : video) {
    EXPECT_EQ(t.item.speed, 0.0);
    EXPECT_GE(t.item.spare, progress);
    progress = t.item.spare;
  }
  EXPECT_GT(progress, 900u);
  EXPECT_LE(progress, 1000u);
  EXPECT_EQ(rig.channel.Dates(), 90);
  EXPECT_EQ(rig.channel.LastDate(), RecorderDateFromTime(kStart + 2));
  EXPECT_EQ(rig.reader.FrameRate(), 60);
  EXPECT_EQ(rig.reader.GopSeconds(), 1);
  EXPECT_EQ(rig.reader.FileSize(), file.bytes.size());

  // Sensor texts 1 to 3 (text 0 lay before the first picture packed): samples in g × 512, the
  // lean held to 90, the GPS sentence.
  const std::vector<TakenItem> markers = rig.consumer->Markers();
  ASSERT_EQ(markers.size(), 3u);
  IndexBlockA5 block;
  std::copy(markers[1].bytes.begin(), markers[1].bytes.end(), block.bytes.begin());
  EXPECT_EQ(block.Magic(), kIndexBlockA5Magic);
  EXPECT_EQ(block.SampleCount(), 2);
  EXPECT_EQ(block.Sample(0), (std::array<std::int16_t, 3>{256, -128, 512}));
  EXPECT_EQ(block.Sample(1), (std::array<std::int16_t, 3>{-256, 128, 460}));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.GpsText(0)), 6), "$GPRMC");
  EXPECT_EQ(markers[0].bytes[17], 1);
  EXPECT_EQ(markers[0].item.aux, 0xFFFFFFFFu);
  EXPECT_EQ(markers[0].item.length, kMarkerLength);

  // Sound: AAC units in order with their stamps in microseconds, from the first one after the
  // first key frame; the clock was set once, from the first sound unit.
  const std::vector<TakenItem> sound = rig.consumer->Audio();
  ASSERT_FALSE(sound.empty());
  const std::uint64_t step = PtsMicroseconds(desc.soundTicks);
  const std::size_t first = static_cast<std::size_t>((sound[0].item.stamp - PtsMicroseconds(desc.firstPts)) / step);
  EXPECT_GT(first, 0u);
  for (std::size_t k = 0; k < sound.size(); ++k) {
    EXPECT_EQ(sound[k].item.type, kItemAac);
    EXPECT_EQ(sound[k].item.stamp, PtsMicroseconds(desc.firstPts + (first + k) * desc.soundTicks));
    EXPECT_EQ(sound[k].bytes, desc.sound[first + k]);
  }
  EXPECT_EQ(first + sound.size(), 16u);  // unit 15 is the last one before the end of the pictures
  const std::vector<AudioResync> resyncs = rig.channel.Resyncs();
  ASSERT_EQ(resyncs.size(), 1u);
  EXPECT_EQ(resyncs[0].startDelayMs, 900);
  EXPECT_EQ(resyncs[0].stampUs, PtsMicroseconds(desc.firstPts));
}

TEST_F(TSAnalyseTest, DeclaredRateAndKeyFramesWhateverTheirReferenceBits) {
  fixtures::TsDescription desc = Description(30, 10, 40);
  desc.byte82 = 25;
  desc.idrHeader = 0x45;
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  TsRig rig;
  ASSERT_TRUE(rig.reader.Open(Write("declared.ts", file), false));
  ASSERT_TRUE(rig.Start());
  ASSERT_TRUE(rig.consumer->WaitForPictures(40));
  rig.reader.Stop(kWaitForever);
  const std::vector<TakenItem> video = rig.consumer->Video();
  EXPECT_EQ(Pictures(video, file), Range(0, 39));
  EXPECT_EQ(Field(video, Rate), std::vector<int>(40, 25));
  std::vector<int> times(30, 1);  // no start time known: the stamps alone
  times.resize(40, 2);
  EXPECT_EQ(Field(video, ChunkTime), times);
}

TEST_F(TSAnalyseTest, SeeksByFilePositionToAKeyFrame) {
  fixtures::TsDescription desc = Description(30, 10, 80);
  desc.damage.errorEvery = 13;
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  TsRig rig;
  ASSERT_TRUE(rig.reader.Open(Write("seek.ts", file), false));
  // Asked before the start: one key frame is passed over, with the inter frames after it.
  rig.reader.Seek(static_cast<std::int64_t>(file.pictures[30].offset), 1);
  ASSERT_TRUE(rig.Start());
  std::size_t seen = 40;
  ASSERT_TRUE(rig.consumer->WaitForPictures(seen));
  EXPECT_EQ(Pictures(rig.consumer->Video(), file), Range(40, 79));

  // Into the middle of a picture: reading resumes at the next key frame.
  rig.reader.Seek(static_cast<std::int64_t>(file.pictures[25].offset + 300));
  ASSERT_TRUE(rig.consumer->WaitForPictures(seen += 50));
  std::vector<TakenItem> video = rig.consumer->Video();
  EXPECT_EQ(Pictures({video.begin() + 40, video.end()}, file), Range(30, 79));

  // Past the end: nothing; to the very start: everything again.
  rig.reader.Seek(static_cast<std::int64_t>(file.bytes.size()) + 5000);
  rig.reader.Seek(0);
  ASSERT_TRUE(rig.consumer->WaitForPictures(seen += 80));
  video = rig.consumer->Video();
  EXPECT_EQ(Pictures({video.begin() + 90, video.end()}, file), Range(0, 79));

  // Backward from a position: key frames only, latest first, at rate 1 and speed -1; the picture
  // cut by the position is left out. Both requests are taken at the same pass.
  rig.reader.Stop(kWaitForever);
  rig.reader.SetBackward(true);
  rig.reader.Seek(static_cast<std::int64_t>(file.pictures[55].offset + 100));
  ASSERT_TRUE(rig.reader.Start());
  ASSERT_TRUE(rig.consumer->WaitForPictures(seen += 6));
  rig.reader.Stop(kWaitForever);
  video = rig.consumer->Video();
  const std::vector<TakenItem> back(video.begin() + 170, video.end());
  EXPECT_EQ(Pictures(back, file), Range(50, 0, -10));
  for (const TakenItem& t : back) {
    EXPECT_EQ(t.item.aux, 1u);
    EXPECT_EQ(t.item.speed, -1.0);
  }
}

TEST_F(TSAnalyseTest, ReadsBackwardFromTheEndWithTablesOnlyAtTheStart) {
  fixtures::TsDescription desc = Description(30, 10, 80);
  desc.tablesOnlyAtStart = true;
  desc.sound = AacFrames(30);
  desc.sensorTexts = {SensorText("X:1"), SensorText("X:2"), SensorText("X:3")};
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  TsRig rig;
  ASSERT_TRUE(rig.reader.Open(Write("back.ts", file), true));
  ASSERT_TRUE(rig.Start());
  ASSERT_TRUE(rig.consumer->WaitForPictures(8));
  // Then it turns: forward again from where it stands, at the file's start.
  rig.reader.SetBackward(false);
  ASSERT_TRUE(rig.consumer->WaitForPictures(8 + 80));
  ASSERT_TRUE(Eventually([&] { return rig.consumer->Markers().size() >= 3; }));
  rig.reader.Stop(kWaitForever);
  const std::vector<TakenItem> video = rig.consumer->Video();
  EXPECT_EQ(Pictures({video.begin(), video.begin() + 8}, file), Range(70, 0, -10));
  EXPECT_EQ(Pictures({video.begin() + 8, video.end()}, file), Range(0, 79));
  // Sound and sensor texts are read forward only.
  EXPECT_EQ(rig.consumer->Audio().front().item.stamp, PtsMicroseconds(desc.firstPts));
  EXPECT_EQ(rig.consumer->Markers().size(), 3u);
}

TEST_F(TSAnalyseTest, GoesOnThroughTheFolderAndIdlesAtTheEnd) {
  fixtures::TsDescription desc = Description(30, 10, 20);
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  desc.pictures = 40;
  const fixtures::TsFile longer = fixtures::BuildTs(desc);
  const std::string a = Write("a.ts", file);
  const std::string b = Write("B.ts", file);
  const std::string c = dir.File("c.TS");
  // The last file is still being written: its second half comes later.
  const std::vector<std::uint8_t> half(longer.bytes.begin(), longer.bytes.begin() + longer.pictures[20].offset);
  ASSERT_TRUE(fixtures::WriteFileBytes(c, half));
  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("d.txt"), file.bytes));
  TsRig rig;
  rig.channel.SetStartTime(a, 1000);
  rig.channel.SetStartTime(b, 2000);
  rig.channel.SetStartTime(c, 3000);
  ASSERT_TRUE(rig.reader.Open(a, false));
  rig.reader.Seek(CTSAnalyse::kPreviousFile);  // there is none: reading goes on in this file
  ASSERT_TRUE(rig.Start());
  // Each file's last picture is whole once the next file is reached, the last file's once it has
  // stopped growing.
  ASSERT_TRUE(rig.consumer->WaitForPictures(60));
  EXPECT_EQ(rig.reader.Path(), c);
  plat::File growing;
  ASSERT_TRUE(growing.Open(c, plat::kWrite));
  ASSERT_TRUE(growing.WriteAt(half.size(), longer.bytes.data() + half.size(), longer.bytes.size() - half.size()));
  ASSERT_TRUE(rig.consumer->WaitForPictures(80));
  // At the last file there is no next one; the previous one plays again, then this one.
  rig.reader.Seek(CTSAnalyse::kNextFile);
  rig.reader.Seek(CTSAnalyse::kPreviousFile);
  ASSERT_TRUE(rig.consumer->WaitForPictures(80 + 20 + 40));
  rig.reader.Stop(kWaitForever);
  EXPECT_EQ(rig.reader.Path(), c);

  const std::vector<TakenItem> video = rig.consumer->Video();
  std::vector<int> expected = Range(0, 19);
  for (int i : Range(0, 19)) expected.push_back(i);
  for (int i : Range(0, 39)) expected.push_back(i);
  for (int i : Range(0, 19)) expected.push_back(i);
  for (int i : Range(0, 39)) expected.push_back(i);
  EXPECT_EQ(Pictures(video, longer), expected);
  std::vector<int> times(20, 1001);
  times.resize(40, 2001);
  times.resize(70, 3001);
  times.resize(80, 3002);
  times.resize(100, 2001);
  times.resize(130, 3001);
  times.resize(140, 3002);
  EXPECT_EQ(Field(video, ChunkTime), times);

  TsRig none;
  EXPECT_FALSE(none.reader.Open(dir.File("missing.ts"), false));
  EXPECT_FALSE(none.reader.Start());
}

TEST_F(TSAnalyseTest, PositionsBeyondFourGigabytes) {
  const fixtures::TsFile file = fixtures::BuildTs(Description(30, 10, 30));
  const std::string path = dir.File("big.ts");
  constexpr std::uint64_t kFar = (5ull << 30) + 188 * 7;
  plat::File big;
  ASSERT_TRUE(big.Open(path, plat::kRead | plat::kWrite, true));
  ASSERT_TRUE(big.WriteAt(0, file.bytes.data(), 3 * 188));  // the tables and a partner; a hole after them
  ASSERT_TRUE(big.WriteAt(kFar, file.bytes.data(), file.bytes.size()));
  big.Close();
  TsRig rig;
  ASSERT_TRUE(rig.reader.Open(path, false));
  rig.reader.Seek(static_cast<std::int64_t>(kFar));
  ASSERT_TRUE(rig.Start());
  ASSERT_TRUE(rig.consumer->WaitForPictures(30));
  rig.reader.Stop(kWaitForever);
  EXPECT_EQ(rig.reader.FileSize(), kFar + file.bytes.size());
  const std::vector<TakenItem> video = rig.consumer->Video();
  EXPECT_EQ(Pictures(video, file), Range(0, 29));
  EXPECT_EQ(video.back().item.spare, 1000u);
}

// A stream of 3 s at 25 pictures a second made by the ffmpeg program with the given sound
// encoder: an access unit delimiter first, 3-byte start codes before the SEI and the slices,
// sound in its own PES units. Its video and sound unit starts are counted.
std::vector<std::uint8_t> MadeByFfmpeg(const fixtures::ScratchDir& dir, const std::string& sound,
                                       std::size_t* soundUnits) {
  const std::string raw = dir.File("raw.ts");
  const std::string command =
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=160x120:rate=25 -f lavfi "
      "-i sine=frequency=440:sample_rate=8000 -t 3 -c:v libx264 -bf 0 -g 25 -c:a " + sound + " -ac 1 "
      "-f mpegts " + raw;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const std::vector<std::uint8_t> made = fixtures::ReadFileBytes(raw);
  std::remove(raw.c_str());  // not a next file of the folder
  std::size_t units = 0;
  *soundUnits = 0;
  for (std::size_t at = 0; at + 188 <= made.size(); at += 188) {
    units += made[at + 1] == 0x41 && made[at + 2] == 0x00;  // unit starts of PID 0x100
    *soundUnits += made[at + 1] == 0x41 && made[at + 2] == 0x01;
  }
  EXPECT_EQ(units, 75u);
  EXPECT_GT(*soundUnits, 4u);
  return made;
}

// Our post-processor adds the sensor stream, garbage and error packets.
TEST_F(TSAnalyseTest, PlaysAStreamMadeByFfmpeg) {
  std::size_t soundUnits = 0;
  const std::vector<std::uint8_t> made = MadeByFfmpeg(dir, "aac -b:a 24k", &soundUnits);
  fixtures::TsDamage damage;
  damage.garbageBytes = 61;
  damage.errorEvery = 40;
  const std::vector<std::string> texts = {SensorText("X:0.25"), SensorText("X:0.5"), SensorText("X:0.75")};
  fixtures::TsFile file;
  file.bytes = fixtures::AddSensorStream(made, {}, texts, 25, damage, 0xFF);
  const std::string path = Write("made.ts", file);

  TsRig rig;
  ASSERT_TRUE(rig.reader.Open(path, false));
  ASSERT_TRUE(rig.Start());
  ASSERT_TRUE(rig.consumer->WaitForPictures(75));
  ASSERT_TRUE(Eventually([&] { return rig.consumer->Markers().size() >= 3; }));
  // Sound before the first key frame is not queued.
  ASSERT_TRUE(Eventually([&] { return rig.consumer->Audio().size() >= soundUnits - 1; }));
  rig.reader.Stop(kWaitForever);
  const std::vector<TakenItem> video = rig.consumer->Video();
  ASSERT_EQ(video.size(), 75u);
  std::vector<int> rates(29, 30);  // measured at the 30th unit: 25 a second
  rates.resize(75, 25);
  EXPECT_EQ(Field(video, Rate), rates);
  for (std::size_t i = 0; i < video.size(); ++i) {
    EXPECT_EQ(video[i].item.type, i % 25 == 0 ? kItemKeyFrame : kItemInterFrame) << i;
    EXPECT_EQ(std::vector<std::uint8_t>(video[i].bytes.begin(), video[i].bytes.begin() + 5),
              (std::vector<std::uint8_t>{0, 0, 0, 1, 0x09}));
    if (i > 0) {
      EXPECT_EQ(video[i].item.stamp - video[i - 1].item.stamp, 40000u);
    }
  }
  const std::vector<TakenItem> sound = rig.consumer->Audio();
  for (const TakenItem& t : sound) {
    ASSERT_GE(t.bytes.size(), 7u);
    EXPECT_EQ(t.bytes[0], 0xFF);  // ADTS sync
    EXPECT_EQ(t.bytes[1] & 0xF0, 0xF0);
  }
  const std::vector<TakenItem> markers = rig.consumer->Markers();
  ASSERT_EQ(markers.size(), 3u);
  EXPECT_EQ(markers[1].bytes[17], 2);
  EXPECT_EQ(markers[1].bytes[44 + 6] | (markers[1].bytes[44 + 7] << 8), 256);

  TsRig back;
  ASSERT_TRUE(back.reader.Open(path, true));
  ASSERT_TRUE(back.Start());
  ASSERT_TRUE(back.consumer->WaitForPictures(3));
  back.reader.Stop(kWaitForever);
  const std::vector<TakenItem> keys = back.consumer->Video();
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0].item.stamp - keys[1].item.stamp, 1000000u);
  EXPECT_EQ(keys[1].item.stamp - keys[2].item.stamp, 1000000u);
  EXPECT_EQ(keys[2].bytes, video[0].bytes);
}

// Sound in a codec the reader does not take (only AAC in ADTS frames is) is passed over: every
// picture plays, the last one included, and nothing is queued as sound.
TEST_F(TSAnalyseTest, SoundOfAnotherCodecIsPassedOver) {
  for (const std::string sound : {"mp2", "ac3"}) {
    SCOPED_TRACE(sound);
    std::size_t soundUnits = 0;
    fixtures::TsFile file;
    file.bytes = MadeByFfmpeg(dir, sound, &soundUnits);
    const std::string path = Write(sound + ".ts", file);
    TsRig rig;
    ASSERT_TRUE(rig.reader.Open(path, false));
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.consumer->WaitForPictures(75));
    rig.reader.Stop(kWaitForever);
    std::remove(path.c_str());  // not a next file of the other
    const std::vector<TakenItem> video = rig.consumer->Video();
    ASSERT_EQ(video.size(), 75u);
    for (std::size_t i = 1; i < video.size(); ++i) EXPECT_EQ(video[i].item.stamp - video[i - 1].item.stamp, 40000u);
    EXPECT_EQ(rig.audio.Count(), 0u);
    EXPECT_TRUE(rig.consumer->Audio().empty());
    EXPECT_TRUE(rig.channel.Resyncs().empty());
  }
}
