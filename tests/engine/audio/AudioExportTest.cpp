// The audio thread in export-decode mode: every sound frame goes to the recorder, with or
// without a sound device.
#include <gtest/gtest.h>

#include "engine/audio/G726Decoder.h"
#include "engine/export/RecordCtx.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreDescription.h"
#include "tests/engine/audio/AudioTestSupport.h"
#include "tests/engine/export/RecordFeed.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace audiotest;

TEST(AudioExportTest, FramesGoToTheRecorderAndSilencePlaysInTheirPlace) {
  AudioRig rig;
  rig.state.exportDecode = true;
  ASSERT_TRUE(rig.feed.Put(kItemPcm16, Pcm(static_cast<int>(kBlock), 1)));
  ASSERT_TRUE(rig.audio.Init(0));
  const Bytes played = rig.device->TakeBlocks(2);
  EXPECT_TRUE(std::all_of(played.begin(), played.end(), [](std::uint8_t b) { return b == 0; }));

  // With the channel's sound switched off the export still needs the thread: it runs without
  // the device.
  AudioRig off;
  off.state.exportDecode = true;
  off.state.audioEnabled = false;
  ASSERT_TRUE(off.audio.Init(0));
  EXPECT_TRUE(off.audio.IsRunning());
  EXPECT_EQ(off.device->Opens(), 0);
}

TEST(AudioExportTest, WithoutASoundDeviceTheExportStillGetsEverySoundFrame) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("audio-export");
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0);
  desc.recordings[0].hasSound = false;
  auto feed = recordtest::BuildFeed(desc, dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto& items = feed->Items(0);

  CRecordCtx recorder;
  RecordSettings settings;
  settings.exportName = CString(dir.File("export"));
  recorder.Begin(settings);
  for (const recordtest::FeedItem& f : items) recordtest::Feed(recorder, f);  // the file is open

  // Several blocks of sound, so that the thread has to wait for the null output to play.
  AudioRig rig(false);
  rig.state.exportDecode = true;
  rig.audio.SetRecorder(&recorder);
  recordtest::ExpectedFile want;
  const Bytes codes = Pcm(80, 2);  // any bytes serve as ADPCM codes
  for (int i = 0; i < 40; ++i) {
    if (i % 8 == 7) {
      ASSERT_TRUE(rig.feed.Put(34, codes));
      G726Decoder g726;  // the recorder starts afresh after each change of coding
      g726.SetCodec(34);
      Bytes decoded(codes.size() * 4);
      int produced = static_cast<int>(decoded.size());
      g726.Decode(decoded.data(), produced, codes.data(), static_cast<int>(codes.size()));
      want.sounds.emplace_back(decoded.begin(), decoded.begin() + produced);
    } else {
      want.sounds.push_back(Pcm(320, 10 + i));
      ASSERT_TRUE(rig.feed.Put(kItemPcm16, want.sounds.back()));
    }
  }
  ASSERT_TRUE(rig.audio.Init(0));
  ASSERT_TRUE(rig.audio.IsRunning());
  for (int i = 0; i < 5000 && rig.queue.Count() > 1; ++i) {
    rig.clock.Advance(50);
    Sleep(2);
  }
  EXPECT_LE(rig.queue.Count(), 1u);
  EXPECT_TRUE(rig.audio.Stop(10000));
  EXPECT_EQ(recorder.Stop().filesWritten, 1);

  const recordtest::Expected pictures = recordtest::ExpectedExport(items);
  want.pictures = pictures.pictures;
  want.keys = pictures.keys;
  recordtest::ExpectAviHolds(dir.File("export.avi"), want);
}
