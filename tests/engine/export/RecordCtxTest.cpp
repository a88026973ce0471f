#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <numeric>
#include <optional>
#include <string>

#include "engine/export/RecordCtx.h"
#include "testdata/FileBytes.h"
#include "testdata/MediaProbe.h"
#include "testdata/PictureView.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreDescription.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/export/RecordFeed.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace recordtest;
using Bytes = std::vector<std::uint8_t>;

namespace {

const HWND kNotify = reinterpret_cast<HWND>(0x59A0);

RecordSettings Settings(const std::string& exportName) {
  RecordSettings s;
  s.exportName = CString(exportName);
  s.notifyWnd = kNotify;
  return s;
}

void FeedAll(CRecordCtx& recorder, const std::vector<FeedItem>& items) {
  for (const FeedItem& f : items) Feed(recorder, f);
}

std::uint64_t BytesOf(const std::vector<Bytes>& samples, std::size_t count) {
  std::uint64_t n = 0;
  for (std::size_t i = 0; i < count; ++i) n += samples[i].size();
  return n;
}

ExpectedFile Slice(const Expected& e, std::size_t first, std::size_t end) {
  ExpectedFile f;
  f.pictures.assign(e.pictures.begin() + static_cast<std::ptrdiff_t>(first), e.pictures.begin() + static_cast<std::ptrdiff_t>(end));
  f.keys.assign(e.keys.begin() + static_cast<std::ptrdiff_t>(first), e.keys.begin() + static_cast<std::ptrdiff_t>(end));
  return f;
}

// The stamps of the pictures that the items carry, in picture order.
std::vector<std::uint64_t> PictureStamps(const std::vector<FeedItem>& items) {
  std::vector<std::uint64_t> stamps;
  int last = -1;
  for (const FeedItem& f : items) {
    if (f.role == fixtures::FrameRole::kSps || f.role == fixtures::FrameRole::kInter) {
      if (f.picture != last) stamps.push_back(f.item.stamp);
      last = f.picture;
    }
  }
  return stamps;
}

// The pictures that open a new file: the first key picture after the file's bytes passed the
// threshold.
std::vector<std::size_t> SplitPoints(const Expected& e, std::uint64_t threshold) {
  std::vector<std::size_t> points;
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < e.pictures.size(); ++i) {
    if (total > threshold && e.keys[i]) {
      points.push_back(i);
      total = 0;
    }
    total += e.pictures[i].size();
  }
  return points;
}

std::vector<std::wstring> Texts(const ExportMessages& m, UINT msg) {
  std::vector<std::wstring> out;
  for (const auto& p : m.posted) {
    if (p.msg == msg) out.push_back(p.text);
  }
  return out;
}

std::wstring Wide(const std::string& s) { return CString(s).str(); }

}  // namespace

TEST(RecordCtx, CopiedExportKeepsEveryPictureAndSoundWithKeyFlagsOnKeyGroupsOnly) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  auto feed = BuildFeed(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0), dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto& items = feed->Items(0);
  const Expected want = ExpectedExport(items);
  ASSERT_EQ(want.pictures.size(), 120u);
  ASSERT_EQ(std::count(want.keys.begin(), want.keys.end(), true), 4);

  ExportMessages messages;
  RecordResult result;
  {
    CRecordCtx recorder;
    recorder.Begin(Settings(dir.File("trip0001")));
    FeedAll(recorder, items);
    result = recorder.Stop();
    // The names posted stay readable while the recorder lives.
    ASSERT_EQ(messages.posted.size(), 2u);
    EXPECT_EQ(std::wstring(messages.posted[0].name), Wide(dir.File("trip0001")));
    EXPECT_EQ(std::wstring(messages.posted[1].name), Wide(dir.File("trip0001")));
  }
  EXPECT_EQ(result.filesWritten, 1);
  EXPECT_EQ(result.filesRemoved, 0);
  EXPECT_FALSE(result.failed);
  EXPECT_EQ(messages.posted[0].msg, WM_PLAYER_EXPORTSTART);
  EXPECT_EQ(messages.posted[1].msg, WM_PLAYER_EXPORTDONE);

  const std::string avi = dir.File("trip0001.avi");
  ExpectAviHolds(avi, {want.pictures, want.keys, want.sounds});

  // The copy keeps the recorder's codes; the timing comes from the pictures' stamps.
  const Bytes b = fixtures::ReadFileBytes(avi);
  EXPECT_EQ(std::string(b.begin() + 112, b.begin() + 116), "AVC1");
  EXPECT_EQ(std::string(b.begin() + 188, b.begin() + 192), "X264");
  const std::vector<std::uint64_t> stamps = PictureStamps(items);
  ASSERT_EQ(stamps.size(), 120u);
  const std::uint64_t us = (stamps.back() - stamps.front() + 119 / 2) / 119;
  EXPECT_EQ(us, 33333u);
  EXPECT_EQ(fixtures::Le32At(b, 32), us);
  EXPECT_EQ(fixtures::Le32At(b, 132), (1000000000u + us / 2) / us);
  EXPECT_TRUE(plat::FileExists(dir.File("trip0001.srt")));
  EXPECT_TRUE(plat::FileExists(dir.File("trip0001.csv")));
}

TEST(RecordCtx, ExportsWithoutKeyFramesOrWithFewPicturesLeaveNoVideoButShortOnesKeepTheirSideFiles) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.0);
  desc.recordings[0].seconds = 0.96;  // 24 pictures
  for (auto& r : desc.recordings) r.video.fps = 25;
  auto feed = BuildFeed(desc, dir.File("card.sd"));
  ASSERT_TRUE(feed);
  ASSERT_EQ(feed->layout().recordings[0].pictures, 24);
  ASSERT_EQ(feed->layout().recordings[1].pictures, 25);

  ExportMessages messages;
  CRecordCtx recorder;
  // Never a key frame: no video file, nothing announced, and no side files without their video.
  recorder.Begin(Settings(dir.File("keyless")));
  for (const FeedItem& f : feed->Items(1)) {
    if (f.item.type != kItemKeyFrame) Feed(recorder, f);
  }
  RecordResult result = recorder.Stop();
  EXPECT_EQ(result.filesWritten, 0);
  EXPECT_EQ(result.filesRemoved, 0);
  EXPECT_FALSE(plat::FileExists(dir.File("keyless.avi")));
  EXPECT_FALSE(plat::FileExists(dir.File("keyless.csv")));
  EXPECT_TRUE(messages.posted.empty());

  // 24 pictures: the video file goes, its subtitles and car data stay.
  recorder.Begin(Settings(dir.File("short")));
  FeedAll(recorder, feed->Items(0));
  result = recorder.Stop();
  EXPECT_EQ(result.filesWritten, 0);
  EXPECT_EQ(result.filesRemoved, 1);
  EXPECT_EQ(result.picturesOfRemoved, 24u);
  EXPECT_FALSE(plat::FileExists(dir.File("short.avi")));
  EXPECT_EQ(result.files, (std::vector<std::string>{dir.File("short.srt"), dir.File("short.csv")}));
  EXPECT_TRUE(plat::FileExists(dir.File("short.srt")));
  EXPECT_TRUE(plat::FileExists(dir.File("short.csv")));
  EXPECT_EQ(Texts(messages, WM_PLAYER_EXPORTDONE), std::vector<std::wstring>{Wide(dir.File("short"))});

  // 25 pictures are kept.
  recorder.Begin(Settings(dir.File("enough")));
  FeedAll(recorder, feed->Items(1));
  result = recorder.Stop();
  EXPECT_EQ(result.filesWritten, 1);
  const Expected want = ExpectedExport(feed->Items(1));
  ExpectAviHolds(dir.File("enough.avi"), {want.pictures, want.keys, want.sounds});
}

TEST(RecordCtx, ASplitPastTheThresholdKeepsEveryPictureAndAllSound) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  auto feed = BuildFeed(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0), dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto& items = feed->Items(0);
  const Expected want = ExpectedExport(items);
  ASSERT_EQ(want.pictures.size(), 120u);
  const std::uint64_t firstGroup = BytesOf(want.pictures, 30);

  // A total of exactly the threshold after the first second does not split there; one byte over
  // it splits at the next key frame.
  for (const std::uint64_t threshold : {firstGroup, firstGroup - 1}) {
    SCOPED_TRACE(threshold);
    const std::vector<std::size_t> splits = SplitPoints(want, threshold);
    ASSERT_GE(splits.size(), 1u);
    EXPECT_EQ(splits[0], threshold == firstGroup ? 60u : 30u);

    fixtures::ScratchDir out("split");
    ExportMessages messages;
    CRecordCtx recorder;
    recorder.SetSplitBytesForTest(threshold);
    // The name given ends in ".avi" once: it is not cut any further.
    recorder.Begin(Settings(out.File("trip0001.AVI")));
    FeedAll(recorder, items);
    const RecordResult result = recorder.Stop();
    ASSERT_EQ(result.filesWritten, static_cast<int>(splits.size() + 1));

    std::vector<std::wstring> names;
    std::size_t picture = 0;
    std::size_t sound = 0;
    for (std::size_t file = 0; file <= splits.size(); ++file) {
      const std::string base = out.File(file == 0 ? "trip0001" : "trip0001 (" + std::to_string(file + 1) + ")");
      names.push_back(Wide(base));
      const std::size_t end = file < splits.size() ? splits[file] : want.pictures.size();
      ExpectedFile part = Slice(want, picture, end);
      // The sound runs on in a file up to its split, then in the next file.
      const std::size_t sounds = fixtures::ProbeMedia(base + ".avi").PacketsOf(1).size();
      ASSERT_LE(sound + sounds, want.sounds.size());
      EXPECT_GT(sounds, 0u);
      part.sounds.assign(want.sounds.begin() + static_cast<std::ptrdiff_t>(sound),
                         want.sounds.begin() + static_cast<std::ptrdiff_t>(sound + sounds));
      ExpectAviHolds(base + ".avi", part);
      EXPECT_TRUE(plat::FileExists(base + ".srt"));
      picture = end;
      sound += sounds;
    }
    EXPECT_EQ(sound, want.sounds.size());
    EXPECT_EQ(Texts(messages, WM_PLAYER_EXPORTSTART), names);
    EXPECT_EQ(Texts(messages, WM_PLAYER_EXPORTDONE), names);
  }
}

TEST(RecordCtx, SoundIsDecodedAtTheCodingOfTheSource) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  desc.recordings[0].hasSound = false;
  auto feed = BuildFeed(desc, dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto& items = feed->Items(0);

  Bytes input(640);
  std::iota(input.begin(), input.end(), 0);
  const auto decoded = [&input](G726Decoder& d, std::size_t bytes) {
    Bytes out(bytes * 8);
    int produced = static_cast<int>(out.size());
    d.Decode(out.data(), produced, input.data(), static_cast<int>(bytes));
    out.resize(static_cast<std::size_t>(produced));
    return out;
  };
  G726Decoder fourBits;
  fourBits.SetCodec(34);
  G726Decoder twoBits;
  twoBits.SetCodec(32);
  G726Decoder fourAgain;
  fourAgain.SetCodec(34);
  ExpectedFile want;
  want.sounds.push_back(input);
  want.sounds.push_back(decoded(fourBits, 160));
  want.sounds.push_back(decoded(fourBits, 160));  // the same coding goes on with its predictor
  want.sounds.push_back(decoded(twoBits, 80));
  want.sounds.push_back(decoded(fourAgain, 160));  // a new coding starts the predictor afresh

  CRecordCtx recorder;
  recorder.Begin(Settings(dir.File("sound")));
  recorder.WriteAudio(input.data(), 640, kItemPcm16);  // before the file: not written
  bool soundDone = false;
  for (const FeedItem& f : items) {
    Feed(recorder, f);
    if (f.role == fixtures::FrameRole::kIdr && !soundDone) {
      recorder.WriteAudio(input.data(), 640, kItemPcm16);
      recorder.WriteAudio(input.data(), 160, 34);
      recorder.WriteAudio(input.data(), 160, 34);
      recorder.WriteAudio(input.data(), 80, 32);
      recorder.WriteAudio(input.data(), 100, kItemMuLaw);  // no decoder here: not written
      recorder.WriteAudio(input.data(), 160, 34);
      soundDone = true;
    }
  }
  EXPECT_EQ(recorder.Stop().filesWritten, 1);
  const Expected pictures = ExpectedExport(items);
  want.pictures = pictures.pictures;
  want.keys = pictures.keys;
  ExpectAviHolds(dir.File("sound.avi"), want);
}

TEST(RecordCtx, ReencodedExportIsMpeg4NamedAfterItsEncoder) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  const fixtures::VideoFormat format{320, 240, 30, 0, 24};
  ExportMessages messages;
  CRecordCtx recorder;
  RecordSettings settings = Settings(dir.File("mpeg4"));
  settings.reencode = true;
  recorder.Begin(settings);

  // A copied stream's frame has no place in a re-encoded export.
  auto h264 = fixtures::EncodeTestVideo(format, 1);
  const Bytes& nal = (*h264)[0].nals[0];
  Bytes sps(4 + nal.size(), 0);
  sps[3] = 1;
  std::copy(nal.begin(), nal.end(), sps.begin() + 4);
  recorder.WriteVideo({sps.data(), static_cast<std::uint32_t>(sps.size()), kRecordGroupStart, 30, 0, 0});

  const std::uint64_t stampBase = 5000000;
  Bytes pcm(640, 0x10);
  for (int i = 0; i < 60; ++i) {
    const fixtures::TestPicture p = fixtures::RenderTestPicture(format, i);
    const plat::YuvPicture view = fixtures::PictureView(p);
    recorder.WritePicture(view, static_cast<std::int32_t>(fixtures::kDefaultStart + i / 30), 30,
                          stampBase + static_cast<std::uint64_t>(i) * 1000000 / 30);
    if (i == 30) {  // a picture of another size is passed over
      const fixtures::TestPicture small = fixtures::RenderTestPicture({160, 120, 30, 0, 24}, 0);
      plat::YuvPicture other = view;
      other.plane[0] = small.y.data();
      other.width = 160;
      other.height = 120;
      recorder.WritePicture(other, static_cast<std::int32_t>(fixtures::kDefaultStart + 1), 30, 0);
    }
    if (i % 2 == 0) recorder.WriteAudio(pcm.data(), static_cast<std::uint32_t>(pcm.size()), kItemPcm16);
  }
  EXPECT_EQ(recorder.Stop().filesWritten, 1);

  const std::string avi = dir.File("mpeg4.avi");
  ExpectedFile want;
  want.codec = "mpeg4";
  want.tag = "xvid";
  want.pictures.assign(60, Bytes());
  want.sounds.assign(30, pcm);
  std::vector<bool> keys;
  for (const fixtures::AviIndexEntry& e : fixtures::ReadAviIndex(avi)) {
    if (e.chunkId == "00dc") keys.push_back(e.flags == 0x10);
  }
  ASSERT_EQ(keys.size(), 60u);
  EXPECT_TRUE(keys[0]);
  EXPECT_LT(std::count(keys.begin(), keys.end(), true), 60);  // predicted pictures are not key samples
  want.keys = keys;
  ExpectAviHolds(avi, want);
  const Bytes b = fixtures::ReadFileBytes(avi);
  EXPECT_EQ(std::string(b.begin() + 112, b.begin() + 116), "xvid");
  EXPECT_EQ(std::string(b.begin() + 188, b.begin() + 192), "xvid");
  EXPECT_EQ(fixtures::Le32At(b, 32), 33333u);
  EXPECT_EQ(Texts(messages, WM_PLAYER_EXPORTSTART), std::vector<std::wstring>{Wide(dir.File("mpeg4"))});
}

TEST(RecordCtx, AFailedWriteEndsTheExportAndIsReported) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 6.0);
  desc.recordings[0].video = {640, 480, 30, 0, 12};
  auto feed = BuildFeed(desc, dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto& items = feed->Items(0);
  const Expected want = ExpectedExport(items);
  ASSERT_GT(BytesOf(want.pictures, want.pictures.size()), 3u << 20);

  int failures = 0;
  RecordSettings settings = Settings(dir.File("full"));
  settings.onWriteFailed = [&failures] { ++failures; };
  CRecordCtx recorder;
  recorder.Begin(settings);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit limited = old;
  limited.rlim_cur = 5u << 19;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  for (const FeedItem& f : items) {
    Feed(recorder, f);
    if (failures > 0) break;  // the export job ends when told
  }
  const RecordResult result = recorder.Stop();
  setrlimit(RLIMIT_FSIZE, &old);

  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(result.failed);
  EXPECT_EQ(result.failure.kind, JobFailure::kOutputNotWritten);
  EXPECT_EQ(result.failure.path, dir.File("full.avi"));
  EXPECT_EQ(result.failure.error, EFBIG);
  // Nothing of a file that could not be written whole is kept, under any name.
  EXPECT_TRUE(result.files.empty());
  EXPECT_EQ(jobtest::NamesIn(dir.Path()), std::vector<std::string>{"card.sd"});
}

TEST(RecordCtx, TimingComesFromStampsElseWholeSecondsElseTheFrameRate) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 4.0);
  desc.recordings[1].seconds = 1.0;
  desc.recordings[1].video.fps = 25;
  auto feed = BuildFeed(desc, dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto withoutStamps = [](std::vector<FeedItem> items, std::optional<std::uint32_t> rate) {
    for (FeedItem& f : items) {
      f.item.stamp = 0;
      if (rate) f.item.aux = *rate;
    }
    return items;
  };

  // Whole seconds between the first and the last picture, over the pictures written.
  const auto items = withoutStamps(feed->Items(0), std::nullopt);
  const Expected want = ExpectedExport(items);
  std::int32_t last = 0;
  for (const FeedItem& f : items) {
    if (f.role == fixtures::FrameRole::kInter || f.role == fixtures::FrameRole::kIdr) last = f.item.chunkTime;
  }
  const std::uint32_t seconds = static_cast<std::uint32_t>(last - want.firstTime);
  ASSERT_GE(seconds, 3u);
  CRecordCtx recorder;
  recorder.Begin(Settings(dir.File("seconds")));
  FeedAll(recorder, items);
  recorder.Stop();
  Bytes b = fixtures::ReadFileBytes(dir.File("seconds.avi"));
  EXPECT_EQ(fixtures::Le32At(b, 32), seconds * 1000000 / 120);
  EXPECT_EQ(fixtures::Le32At(b, 132), 120 * 1000 / seconds);

  // Within one second, without a frame rate or with one no recorder records at: 30 frames a second.
  for (const std::uint32_t rate : {0u, 121u}) {
    const auto oneSecond = withoutStamps(feed->Items(1), rate);
    const Expected short25 = ExpectedExport(oneSecond);
    ASSERT_EQ(short25.pictures.size(), 25u);
    for (const FeedItem& f : oneSecond) ASSERT_EQ(f.item.chunkTime, short25.firstTime);
    const std::string name = "rate" + std::to_string(rate);
    recorder.Begin(Settings(dir.File(name)));
    FeedAll(recorder, oneSecond);
    EXPECT_EQ(recorder.Stop().filesWritten, 1);
    b = fixtures::ReadFileBytes(dir.File(name + ".avi"));
    EXPECT_EQ(fixtures::Le32At(b, 32), 33333u) << rate;
    EXPECT_EQ(fixtures::Le32At(b, 132), 30000u) << rate;
  }
}

TEST(RecordCtx, KeyGroupsEndAtAnyIdrHeaderAndNeverOutgrowTheirArea) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  auto feed = BuildFeed(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0), dir.File("card.sd"));
  ASSERT_TRUE(feed);
  std::vector<FeedItem> items = feed->Items(0);
  // The IDR picture's header with another reference level is an IDR picture all the same.
  std::vector<std::uint8_t> idr;
  for (FeedItem& f : items) {
    if (f.role == fixtures::FrameRole::kIdr) {
      idr.assign(f.item.data, f.item.data + f.item.length);
      idr[4] = static_cast<std::uint8_t>((idr[4] & 0x1F) | 0x20);
      f.item.data = idr.data();
    }
  }
  ASSERT_EQ(idr.at(4), 0x25);

  CRecordCtx recorder;
  recorder.Begin(Settings(dir.File("groups")));
  // Key-group parts that never meet an IDR picture: ten of 1 MiB each.
  std::vector<std::uint8_t> part(1u << 20, 0xFF);
  part[3] = 1;
  part[4] = 0x0C;
  for (int i = 0; i < 10; ++i) {
    recorder.WriteVideo({part.data(), static_cast<std::uint32_t>(part.size()), kRecordGroupStart, 30, 0, 0});
  }
  for (int i = 0; i < 3; ++i) {
    recorder.WriteVideo({part.data(), static_cast<std::uint32_t>(part.size()), kRecordPredicted, 30, 0, 0});
  }
  const std::vector<std::uint8_t> huge(9u << 20, 0);
  recorder.WriteVideo({huge.data(), static_cast<std::uint32_t>(huge.size()), kRecordGroupStart, 30, 0, 0});
  FeedAll(recorder, items);
  EXPECT_EQ(recorder.Stop().filesWritten, 1);

  const Expected want = ExpectedExport(items);
  ASSERT_EQ(want.pictures.size(), 30u);
  ExpectAviHolds(dir.File("groups.avi"), {want.pictures, want.keys, want.sounds});
}
