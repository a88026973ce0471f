// Exports through the engine: a recording copied by the card source into the AVI recorder, with
// its subtitle and CSV files, a close in the middle of an export, and a transport stream copied
// by its reader with its sound decoded.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "testdata/FileBytes.h"
#include "testdata/MediaProbe.h"
#include "testdata/ShellCommand.h"
#include "testdata/TsBuilder.h"
#include "tests/engine/audio/AudioOracle.h"
#include "tests/engine/export/JobTestSupport.h"
#include "tests/engine/export/RecordFeed.h"

using namespace jobtest;
using sourcetest::Fixture;

namespace {

// The files an export of the recording should leave at `base`: the demultiplexer's frames, each
// with the time of the chunk that completes it, handed straight to a recorder of their own.
void RecordAsTheSourceHandsOver(const Fixture& fixture, int recording, const std::string& base) {
  const sourcetest::ExpectedPlay play = sourcetest::ExpectForward(fixture, {recording});
  std::vector<const sourcetest::ExpectedItem*> items;
  for (const auto& i : play.video) items.push_back(&i);
  for (const auto& i : play.audio) items.push_back(&i);
  std::sort(items.begin(), items.end(), [](auto* a, auto* b) { return a->frame.offset < b->frame.offset; });
  CRecordCtx recorder;
  RecordSettings settings;
  settings.exportName = CString(base);
  recorder.Begin(settings);
  for (const sourcetest::ExpectedItem* i : items) {
    std::vector<std::uint8_t> bytes = i->bytes;
    const fixtures::ChunkInfo& chunk = play.chunks[i->chunk];
    QueueItem item;
    item.data = bytes.data();
    item.length = static_cast<std::uint32_t>(bytes.size());
    item.type = i->type;
    item.aux = chunk.frameRate;
    item.chunkTime = static_cast<std::int32_t>(chunk.time);
    item.stamp = i->stamp;
    if (i->type == kItemPcm16) {
      recorder.WriteAudio(item.data, item.length, kItemPcm16);
    } else if (i->type == kItemCarData) {
      recorder.WriteSideData(RecordFrameFromItem(item));
    } else if (i->type != kItemTimeFrame) {
      recorder.WriteVideo(RecordFrameFromItem(item));
    }
  }
  recorder.Stop();
}

// The sound stream of an AVI file as ffmpeg reads it: 16-bit samples.
oracle::Bytes AviSound(const std::string& avi, const std::string& raw) {
  int status = -1;
  fixtures::RunCommand("ffmpeg -nostdin -v error -y -i " + avi + " -map 0:a -f s16le " + raw, &status);
  EXPECT_EQ(status, 0);
  return fixtures::ReadFileBytes(raw);
}

}  // namespace

TEST(ExportJob, AnExportCopiesTheRecordingIntoAnAviFileWithItsSideFiles) {
  const fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 3.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::Layout& layout = fixture.layout();
  const fixtures::RecordingInfo& rec = layout.recordings[1];
  fixtures::ScratchDir dir("export");
  // The name's last four characters are not an extension: only ".avi" is cut.
  const std::string base = dir.File("out/trip0001");
  JobRig rig(layout);
  ASSERT_EQ(rig.engine->OpenExport(CString(base + ".AVI"), rig.Entry(1), 0, rec.entry.start, rec.entry.end),
            EngineStart::kStarted);
  rig.Finish();
  EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kDone);
  EXPECT_EQ(rig.router.FinishedAvis(), std::vector<std::wstring>{CString(base).GetString()});
  EXPECT_EQ(rig.router.Sends(), 0u);
  EXPECT_FALSE(rig.engine->GetRecordState().on);

  recordtest::RecordingFeed feed(layout);
  const recordtest::Expected want = recordtest::ExpectedExport(feed.Items(1));
  recordtest::ExpectAviHolds(base + ".avi", {want.pictures, want.keys, want.sounds});
  const std::string reference = dir.File("reference");
  RecordAsTheSourceHandsOver(fixture, 1, reference);
  for (const char* extension : {".avi", ".srt", ".csv"}) {
    SCOPED_TRACE(extension);
    const std::vector<std::uint8_t> written = fixtures::ReadFileBytes(base + extension);
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(written, fixtures::ReadFileBytes(reference + extension));
  }
}

TEST(ExportJob, WhatAnExportRefusesAndACloseInTheMiddle) {
  const fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 6.0);
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::EntryInfo& entry = fixture.layout().recordings[0].entry;
  fixtures::ScratchDir dir("export");
  const CString out(dir.File("cut.avi"));
  JobRig rig(fixture.layout());
  CIbpCtrl& engine = *rig.engine;
  IndexEntry* first = rig.Entry(0);
  EXPECT_EQ(engine.OpenExport(CString(), first, 0, entry.start, entry.end), EngineStart::kFailed);
  EXPECT_EQ(engine.OpenExport(out, first, 0, entry.end, entry.start), EngineStart::kFailed);
  EXPECT_EQ(engine.OpenExport(out, first, 0, 0, 0), EngineStart::kFailed);
  EXPECT_EQ(engine.OpenExport(CString(dir.File("cut.sd")), first, 0, entry.start, entry.end), EngineStart::kFailed);
  EXPECT_FALSE(engine.State().open.load());

  // Closed while the source is in its post: the close waits for no window and the job ends
  // cancelled, once.
  rig.router.HoldWhen([](int progress, double) { return progress >= 45; });
  ASSERT_EQ(engine.OpenExport(out, first, 0, entry.start, entry.end), EngineStart::kStarted);
  ASSERT_TRUE(rig.router.WaitUntilHeld());
  EXPECT_GT(rig.router.RatioWhenHeld(), 0.3);
  engine.Close();
  EXPECT_EQ(rig.router.EndParams(), std::vector<LPARAM>{-1});
  EXPECT_EQ(engine.GetJobResult(), JobResult::kCancelled);
  EXPECT_EQ(rig.router.Sends(), 0u);
  EXPECT_FALSE(engine.GetRecordState().on);
  // Nothing of an export cut short is kept.
  EXPECT_TRUE(engine.GetJobFiles().empty());
  EXPECT_TRUE(NamesIn(dir.Path()).empty());
}

// One second whose key picture begins in the second before holds no picture an AVI file can
// start with: the export, copied or decoded, writes no AVI file and ends failed.
TEST(ExportJob, AnExportWhoseRangeHoldsNoKeyFrameFails) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0));
  ASSERT_TRUE(fixture.ok());
  const std::int64_t second = fixture.layout().recordings[0].start + 1;
  fixtures::ScratchDir dir("nokey");
  JobRig rig(fixture.layout());
  for (const bool decode : {false, true}) {
    const std::string avi = dir.File(decode ? "decoded.avi" : "copied.avi");
    rig.engine->SetExportDecode(decode);
    ASSERT_EQ(rig.engine->OpenExport(CString(avi), rig.Entry(0), 0, second, second), EngineStart::kStarted);
    rig.Finish();
    EXPECT_EQ(rig.engine->GetJobResult(), JobResult::kFailed) << decode;
    // Too short for a video file, the range may keep its subtitles and car data only.
    for (const std::string& kept : rig.engine->GetJobFiles()) EXPECT_FALSE(kept.ends_with(".avi")) << kept;
    EXPECT_FALSE(std::filesystem::exists(avi)) << decode;
  }
}

TEST(ExportJob, ATransportStreamIsExportedWholeWithItsSoundDecoded) {
  setenv("TZ", "UTC", 1);
  tzset();
  fixtures::TsDescription desc;
  desc.video = {160, 120, 30, 30, 30};
  desc.pictures = 90;
  const oracle::Codec aac{AV_CODEC_ID_AAC, 8000, 1, 0, 24000};
  desc.sound = oracle::ToAdts(oracle::Encode(aac, oracle::TestSignal(30 * 1024, 8000, 1, 7)), 8000, 1);
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  ASSERT_FALSE(file.bytes.empty());
  fixtures::ScratchDir dir("tsexport");
  const std::string ts = dir.File("clip.ts");
  ASSERT_TRUE(fixtures::WriteFileBytes(ts, file.bytes));
  // The sound units the builder placed: those due by the last picture.
  std::vector<oracle::Bytes> placed;
  for (std::size_t k = 0; k < desc.sound.size() && k * desc.soundTicks <= file.pictures.back().pts - desc.firstPts; ++k) {
    placed.push_back(desc.sound[k]);
  }

  JobRig rig(ts);
  CIbpCtrl& engine = *rig.engine;
  const std::string base = dir.File("out/clip");
  engine.SetExportDecode(true);
  EXPECT_EQ(engine.OpenExport(CString(base + ".avi"), nullptr, 0, 0, 0), EngineStart::kFailed);
  engine.SetExportDecode(false);
  EXPECT_EQ(engine.OpenExport(CString(base + ".avi"), nullptr, 0, 2, 1), EngineStart::kFailed);
  EXPECT_EQ(engine.OpenExport(CString(base + ".sd"), nullptr, 0, 0, 0), EngineStart::kFailed);
  ASSERT_EQ(engine.OpenExport(CString(base + ".avi"), nullptr, 0, 0, 0), EngineStart::kStarted);
  EXPECT_EQ(engine.Play(nullptr, 0), EngineStart::kBusy);
  rig.Finish();
  EXPECT_EQ(engine.GetJobResult(), JobResult::kDone);
  EXPECT_EQ(rig.router.FinishedAvis(), std::vector<std::wstring>{CString(base).GetString()});

  // Every picture, each access unit one sample, key where the stream has its key frames.
  recordtest::ExpectedFile want;
  want.size = "160x120";
  for (const fixtures::TsPicture& p : file.pictures) {
    want.pictures.push_back(p.data);
    want.keys.push_back(p.key);
  }
  // One sound sample for each unit; together the units' sound in order, decoded to 16-bit PCM at
  // 8000 a second as the reference decoder decodes it, give or take the rounding.
  want.sounds.resize(placed.size());
  recordtest::ExpectAviHolds(base + ".avi", want);
  const std::vector<std::int16_t> reference = oracle::Decode(aac, placed);
  const std::vector<std::int16_t> written = oracle::Samples(AviSound(base + ".avi", dir.File("sound.raw")));
  ASSERT_EQ(written.size(), reference.size());
  for (std::size_t i = 0; i < written.size(); ++i) ASSERT_NEAR(written[i], reference[i], 1) << "sample " << i;
}
