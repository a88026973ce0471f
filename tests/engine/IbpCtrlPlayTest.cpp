// The engine facade playing with its own threads: a backup and a transport stream through Play
// into the channel window's presenter, the sound thread and the notify window; a second Play, a
// job and a change of direction while playing; a seek in a transport stream; closing and
// destroying the engine during a play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "engine/video/CropZoom.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/TsBuilder.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/NumberedPresenter.h"

using namespace enginetest;
using sourcetest::Fixture;

namespace {

IndexEntry* EntryAt(CIbpCtrl& engine, int position) {
  IndexEntry* e = engine.OpenStore();
  for (int i = 0; e && i < position; ++i) e = engine.GetNextEntry(e);
  return e;
}

// ffmpeg's 32-bit picture hashes of recordings played one after another.
std::vector<std::string> ReferenceHashes(const fixtures::Layout& layout, const std::vector<int>& recordings,
                                         const fixtures::ScratchDir& dir) {
  std::vector<std::string> hashes;
  for (int r : recordings) {
    const std::string path = dir.File("recording" + std::to_string(r) + ".h264");
    if (!fixtures::WriteStreamFile(path, fixtures::RecordingUnits(layout, r))) return {};
    const std::vector<std::string> some = fixtures::FfmpegFrameHashes(path, fixtures::kBgraArgs);
    hashes.insert(hashes.end(), some.begin(), some.end());
  }
  return hashes;
}

// The main window's frame step: the step speed asked, the pause lifted; true once it showed a
// picture.
bool StepShows(PlayRig& rig, double step) {
  const std::size_t before = rig.Hashes().size();
  rig.engine->SetSpeed(step);
  rig.engine->SetPause(0);
  return Eventually([&] { return rig.Hashes().size() > before; });
}

// True once the video thread waits in its pause, each picture it was converting shown: a repaint
// asked is taken at the top of a pass too, so the pause counts as settled only when a round of two
// repaints went by without a new picture.
bool SettlesInPause(PlayRig& rig) {
  CIbpCtrl& engine = *rig.engine;
  for (std::size_t shown = 0; shown != rig.Hashes().size();) {
    shown = rig.Hashes().size();
    for (int ask = 0; ask < 2; ++ask) {
      engine.RedrawVideo();
      if (!Eventually([&] { return !engine.State().redrawRequest.load(); })) return false;
    }
  }
  return true;
}

std::uint32_t SequenceOf(const BYTE* block) {
  std::uint32_t sequence = 0;
  std::memcpy(&sequence, block + 4, 4);
  return sequence;
}

// A `.ts` file of 160x120 pictures at 30 a second, a key picture at the start of each second, and
// ffmpeg's 32-bit hashes of its pictures; no hashes when it could not be made.
struct TsClip {
  explicit TsClip(const std::string& name, int pictures) : dir(name), path(dir.File("clip.ts")) {
    fixtures::TsDescription desc;
    desc.video = {160, 120, 30, 30, 30};
    desc.pictures = pictures;
    const fixtures::TsFile file = fixtures::BuildTs(desc);
    std::vector<fixtures::AccessUnit> units;
    for (const fixtures::TsPicture& p : file.pictures) units.push_back({p.key, p.data});
    if (file.bytes.empty() || !fixtures::WriteFileBytes(path, file.bytes) ||
        !fixtures::WriteStreamFile(dir.File("clip.h264"), units)) {
      return;
    }
    hashes = fixtures::FfmpegFrameHashes(dir.File("clip.h264"), fixtures::kBgraArgs);
    if (hashes.size() != file.pictures.size()) hashes.clear();
  }
  fixtures::ScratchDir dir;
  std::string path;
  std::vector<std::string> hashes;
};

}  // namespace

TEST(IbpCtrlPlayTest, ABackupPlaysThroughTheEnginesThreadsAsFfmpegDecodesIt) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 1.5);
  desc.recordings[1].events = {{2, 3}};
  desc.recordings[1].entryFlag = 0x5A;
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::ScratchDir dir("playhashes");
  const std::vector<std::string> expectedHashes = ReferenceHashes(fixture.layout(), {0, 1}, dir);
  const sourcetest::ExpectedPlay expected = sourcetest::ExpectForward(fixture, {0, 1});
  std::uint64_t soundBytes = 0;
  for (const sourcetest::ExpectedItem& frame : expected.audio) soundBytes += frame.bytes.size();
  PlayRig rig(fixture.layout().path);
  ASSERT_EQ(rig.sourceType, kSourceBackupFile);
  CIbpCtrl* engine = rig.engine.get();
  EXPECT_TRUE(engine->IsNoVideo(0));
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  EXPECT_TRUE(engine->State().open.load());
  ASSERT_TRUE(rig.WaitForEnd());

  // Every picture of both recordings, one picture-size message, one sensor message per chunk,
  // and the whole sound taken by the sound thread.
  EXPECT_EQ(rig.Hashes(), expectedHashes);
  EXPECT_EQ(engine->Video(0)->PresentedPictures(), expectedHashes.size());
  EXPECT_EQ(rig.Posted(WM_PLAYER_VIDEOSIZE), 1u);
  EXPECT_EQ(rig.Posted(WM_PLAYER_SENSORDATA), expected.chunks.size());
  const auto ends = rig.router.Posted(WM_PLAYER_END);
  ASSERT_EQ(ends.size(), 1u);
  EXPECT_EQ(ends[0].wnd, Window(PlayRig::kNotify));
  EXPECT_EQ(ends[0].wParam, reinterpret_cast<WPARAM>(engine));
  EXPECT_EQ(ends[0].lParam, 0);
  EXPECT_EQ(engine->Audio(0)->TakenBytes(), soundBytes);

  // The main window's view of the play: the picture's size, the last chunk's block, the entry in
  // hand with its flag byte, and the play time the source set from the chunks.
  const fixtures::RecordingInfo& last = fixture.layout().recordings[1];
  EXPECT_EQ(engine->GetVideoWidth(0), last.video.width);
  EXPECT_EQ(engine->GetVideoHeight(0), last.video.height);
  EXPECT_FALSE(engine->IsNoVideo(0));
  EXPECT_EQ(engine->IsDecoderOpen(0), 1);
  BYTE block[kMarkerLength];
  ASSERT_TRUE(engine->GetSensorBlock(block));
  EXPECT_EQ(SequenceOf(block), expected.chunks.back().sequence);
  ASSERT_NE(engine->GetCurrentEntry(), nullptr);
  EXPECT_EQ(engine->GetCurrentEntry()->FirstChunk(), last.entry.first);
  EXPECT_EQ(engine->GetEntryFlagByte(), 0x5A);
  EXPECT_GE(engine->GetPlayTime(), fixture.layout().recordings[0].entry.start);
  EXPECT_LE(engine->GetPlayTime(), last.entry.end);
  // The zoom works on the size of the picture decoded.
  engine->SetCutRect(0, 20, 10, -20, -10);
  engine->Zoom(0, 300000, 0, 1);
  const CRect zoomed = ZoomCrop(CRect(20, 10, -20, -10), last.video.width, last.video.height, 300000, 0, 1);
  EXPECT_EQ(engine->State().Crop(), zoomed);

  // Asked again for the entry playing, the engine plays on; anything else is busy.
  EXPECT_EQ(engine->Play(engine->GetCurrentEntry(), 0), EngineStart::kStarted);
  EXPECT_EQ(engine->Play(EntryAt(*engine, 0), 0), EngineStart::kBusy);
  IndexEntry* entries[] = {EntryAt(*engine, 0)};
  EXPECT_EQ(engine->StartBackup(L"/tmp/out.sd", entries, 1), EngineStart::kBusy);
  EXPECT_EQ(engine->OpenExport(L"/tmp/out.avi", entries[0], 0, last.entry.start, last.entry.end), EngineStart::kBusy);

  engine->Close();
  EXPECT_FALSE(engine->State().open.load());
  EXPECT_FALSE(engine->GetSensorBlock(block));
  EXPECT_EQ(engine->GetPlayTime(), 0);
  EXPECT_EQ(engine->GetVideoWidth(0), last.video.width);  // the last picture stays shown
  EXPECT_EQ(rig.Posted(WM_PLAYER_END), 1u);
}

TEST(IbpCtrlPlayTest, TurningBackAfterTheEndPlaysBackwardFromThePictureShown) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 3.0));
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  PlayRig rig(fixture.layout().path);
  CIbpCtrl* engine = rig.engine.get();
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(rig.WaitForEnd());
  const std::int64_t shown = engine->GetDisplayTime(0);
  EXPECT_GE(shown, r.start + 2);
  EXPECT_LE(shown, r.chunks.back().time);
  const std::uint64_t forward = engine->Video(0)->PresentedPictures();
  EXPECT_EQ(forward, static_cast<std::uint64_t>(r.pictures));

  // The source waits at the end; turning back reads again from the second shown.
  engine->SetSpeed(-1.0);
  ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() > forward; }));
  const std::int64_t first = engine->State().frameTime.load();
  EXPECT_LE(first, shown);
  EXPECT_GE(first, shown - 1);
  ASSERT_TRUE(Eventually([&] { return engine->State().frameTime.load() < first; }));
  engine->Close();
  EXPECT_EQ(rig.Posted(WM_PLAYER_VIDEOSIZE), 1u);
}

// Backward play from the last chunk of a two-second recording, until the source has read back to
// its first chunk and waits to put the end of the data while the pictures still show: then a turn
// to Play, or a seek, is taken and plays.
TEST(IbpCtrlPlayTest, ATurnOrASeekAfterBackwardPlayReachedTheStartIsTaken) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 2.0);
  const Fixture probe(desc, "probe");
  ASSERT_TRUE(probe.ok());
  const int lastChunk = static_cast<int>(probe.layout().recordings[0].chunks.size()) - 1;
  desc.recordings[0].events = {{lastChunk, 1}};
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  const fixtures::ScratchDir dir("turnatstart");
  const std::vector<std::string> hashes = ReferenceHashes(fixture.layout(), {0}, dir);
  ASSERT_EQ(hashes.size(), 60u);
  for (const bool turn : {true, false}) {
    SCOPED_TRACE(turn ? "turn" : "seek");
    PlayRig rig(fixture.layout().path);
    CIbpCtrl* engine = rig.engine.get();
    engine->SetSpeed(-1.0);
    ASSERT_EQ(engine->Play(EntryAt(*engine, 0), 1), EngineStart::kStarted);
    ASSERT_TRUE(Eventually([&] { return engine->Source().ValidChunks() >= r.chunks.size(); }));
    ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() > 0; }));
    ASSERT_EQ(rig.Posted(WM_PLAYER_END), 0u);
    if (turn) {
      engine->SetSpeed(1.0);
    } else {
      engine->Seek(r.start + 1);
    }
    ASSERT_TRUE(rig.WaitForEnd());
    engine->Close();
    // Forward, the last second plays to its end; backward from the seek, every picture of the
    // second sought and before it, newest first.
    const std::vector<std::string> shown = rig.Hashes();
    std::vector<std::string> tail(hashes.begin() + 30, hashes.end());
    if (!turn) tail.assign(hashes.rbegin(), hashes.rend());
    ASSERT_GE(shown.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(shown.end() - static_cast<std::ptrdiff_t>(tail.size()), shown.end()), tail);
    EXPECT_EQ(rig.Posted(WM_PLAYER_END), 1u);
  }
}

// A seek forward and a seek back each go on from the key picture of the second sought, whose
// frames begin before the second's first chunk, and show the pictures of that second in order.
TEST(IbpCtrlPlayTest, ACardSeekShowsTheKeyPictureOfTheSecondSought) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 5.0));
  ASSERT_TRUE(fixture.ok());
  const fixtures::RecordingInfo& r = fixture.layout().recordings[0];
  const fixtures::ScratchDir dir("cardseek");
  const std::vector<std::string> hashes = ReferenceHashes(fixture.layout(), {0}, dir);
  ASSERT_EQ(hashes.size(), 150u);
  PlayRig rig(fixture.layout().path);
  CIbpCtrl* engine = rig.engine.get();
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return rig.presenter->PresentCount() > 0; }));
  engine->Seek(r.start + 3);
  ASSERT_TRUE(Eventually([&] { return engine->GetDisplayTime(0) == r.start + 4; }));
  engine->Seek(r.start + 1);
  ASSERT_TRUE(rig.WaitForEnd());
  engine->Close();

  const std::vector<std::string> shown = rig.Hashes();
  const auto third = std::find(shown.begin(), shown.end(), hashes[90]);
  ASSERT_LT(third - shown.begin(), 40);
  ASSERT_GE(shown.end() - third, 30);
  EXPECT_EQ(std::vector<std::string>(third, third + 30),
            std::vector<std::string>(hashes.begin() + 90, hashes.begin() + 120));
  for (int k = 45; k < 90; ++k) EXPECT_EQ(std::count(shown.begin(), third, hashes[k]), 0) << k;
  const auto first = std::find(third, shown.end(), hashes[30]);
  ASSERT_GE(shown.end() - first, 120);
  EXPECT_EQ(std::vector<std::string>(first, shown.end()), std::vector<std::string>(hashes.begin() + 30, hashes.end()));
}

// Paused in the first key group or in a later one, each step shows the picture next to the one
// shown: back inside the group, back over a key picture into the group before, back from a key
// picture just shown, and forward again after steps back.
TEST(IbpCtrlPlayTest, AFrameStepShowsThePictureNextToTheOneShown) {
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4.0));
  ASSERT_TRUE(fixture.ok());
  const fixtures::ScratchDir dir("framestep");
  const std::vector<std::string> hashes = ReferenceHashes(fixture.layout(), {0}, dir);
  ASSERT_EQ(hashes.size(), 120u);
  for (const std::uint64_t playFor : {5u, 65u}) {
    SCOPED_TRACE(playFor);
    PlayRig rig(fixture.layout().path);
    CIbpCtrl* engine = rig.engine.get();
    ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
    ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() > playFor; }));
    engine->SetPause(1);
    ASSERT_TRUE(SettlesInPause(rig));  // a picture being converted when the pause came is shown still
    const std::size_t from = rig.Hashes().size();
    auto at = std::find(hashes.begin(), hashes.end(), rig.Hashes().back()) - hashes.begin();
    std::vector<double> steps(2, CVideoCtx::kStepBack);
    while (at - static_cast<std::ptrdiff_t>(steps.size()) > 59) steps.push_back(CVideoCtx::kStepBack);
    steps.insert(steps.end(), {CVideoCtx::kStepForward, CVideoCtx::kStepBack, CVideoCtx::kStepForward});
    std::vector<std::string> expected;
    for (const double step : steps) {
      ASSERT_TRUE(StepShows(rig, step)) << expected.size();
      at += step > 0 ? 1 : -1;
      expected.push_back(hashes[static_cast<std::size_t>(at)]);
    }
    const std::vector<std::string> shown = rig.Hashes();
    EXPECT_EQ(std::vector<std::string>(shown.begin() + static_cast<std::ptrdiff_t>(from), shown.end()), expected);
    EXPECT_EQ(engine->State().pause.load(), 1);
    engine->Close();
  }
}

TEST(IbpCtrlPlayTest, CloseDuringAPlayOnAFullQueueEndsItAndTheEngineGoesWithAPlayOpen) {
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 8.0);
  desc.recordings[0].video = {160, 120, 120, 0, 30};  // many pictures: the queue fills up
  Fixture fixture(desc);
  ASSERT_TRUE(fixture.ok());
  PlayRig rig(fixture.layout().path);
  IbpCtrlPtr& engine = rig.engine;
  // Paused at its first picture, the video thread takes nothing more: the source waits on a full
  // queue.
  engine->SetPause(1);
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return engine->VideoQueue(0)->Count() >= CIbpCtrl::kVideoItems; }));
  ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() == 1; }));
  engine->Close();
  EXPECT_FALSE(engine->State().open.load());
  ASSERT_NE(engine->GetCurrentEntry(), nullptr);  // kept for the next Play
  EXPECT_EQ(engine->GetCurrentEntry()->FirstChunk(), fixture.layout().recordings[0].entry.first);

  // The pipeline stays for the next play, which plays from the start; this one is left blocked
  // on its full queue when the engine is destroyed.
  engine->SetPause(1);
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return engine->VideoQueue(0)->Count() >= CIbpCtrl::kVideoItems; }));
  ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() == 2; }));
  EXPECT_EQ(rig.Hashes().size(), 1u);  // the same first picture again
  engine.reset();
}

TEST(IbpCtrlPlayTest, ATransportStreamPlaysThroughItsReaderAndTheEnginesThreads) {
  setenv("TZ", "UTC", 1);
  tzset();
  fixtures::TsDescription desc;
  desc.video = {160, 120, 30, 30, 30};
  desc.pictures = 90;
  for (int k = 0; k < 3; ++k) {
    std::string text = "X:0.5 Y:-0.25 Z:1.0 L:" + std::to_string(10 * k);
    text.resize(32, ' ');
    desc.sensorTexts.push_back(text + "$GPRMC,081230,A,2503.0000,N,12130.0000,E,30.0,90.0,010324,,,A*6C");
  }
  desc.sensorEvery = 30;
  const fixtures::TsFile file = fixtures::BuildTs(desc);
  ASSERT_FALSE(file.bytes.empty());
  fixtures::ScratchDir dir("tsplay");
  const std::string path = dir.File("clip.ts");
  ASSERT_TRUE(fixtures::WriteFileBytes(path, file.bytes));

  PlayRig rig(path);
  ASSERT_EQ(rig.sourceType, kSourceTransportStream);
  CIbpCtrl* engine = rig.engine.get();
  engine->State().seekTime = 1709280770;  // left from an earlier source: a stream is not seeked by time
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  // Every picture to the last: the file stops growing, and its last units are whole.
  const std::uint64_t shown = file.pictures.size();
  ASSERT_TRUE(Eventually([&] { return rig.Hashes().size() >= shown; }));
  EXPECT_EQ(engine->Video(0)->PresentedPictures(), shown);
  EXPECT_EQ(engine->GetVideoWidth(0), 160);
  EXPECT_EQ(engine->State().seekTime.load(), 0);
  EXPECT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  EXPECT_EQ(engine->StartBackup(L"/tmp/out.sd", nullptr, 0), EngineStart::kBusy);

  // Its sensor texts reach the main window through the video thread's markers.
  ASSERT_TRUE(Eventually([&] { return rig.Posted(WM_PLAYER_SENSORDATA) == desc.sensorTexts.size(); }));
  BYTE block[kMarkerLength];
  ASSERT_TRUE(engine->GetSensorBlock(block));
  IndexBlockA5 published;
  std::copy(block, block + kMarkerLength, published.bytes.begin());
  EXPECT_EQ(published.Sample(0), (std::array<std::int16_t, 3>{256, -128, 512}));

  // Turning back, the reader queues key frames only, read backward.
  const std::uint64_t keys = engine->Video(0)->PresentedKeyPictures();
  engine->SetSpeed(-1.0);
  ASSERT_TRUE(Eventually([&] { return engine->Video(0)->PresentedPictures() > shown; }));
  engine->Close();
  EXPECT_EQ(engine->Video(0)->PresentedPictures() - shown, engine->Video(0)->PresentedKeyPictures() - keys);
  EXPECT_FALSE(engine->GetSensorBlock(block));
  EXPECT_EQ(rig.Posted(WM_PLAYER_END), 0u);  // a stream's reader waits at its end for more
}

// Paused at its first picture while its reader queues the rest, a stream resumed at the normal
// speed shows every picture from there on, once and in order.
TEST(IbpCtrlPlayTest, AResumedTransportStreamGoesOnFromThePictureShown) {
  setenv("TZ", "UTC", 1);
  tzset();
  const TsClip clip("tsresume", 90);
  ASSERT_FALSE(clip.hashes.empty());
  const std::vector<std::string>& hashes = clip.hashes;

  PlayRig rig(clip.path);
  CIbpCtrl* engine = rig.engine.get();
  engine->SetPause(1);
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return engine->VideoQueue(0)->Count() == hashes.size(); }));
  ASSERT_TRUE(Eventually([&] { return rig.Hashes().size() == 1; }));
  engine->SetPause(0);
  ASSERT_TRUE(Eventually([&] { return rig.Hashes().size() >= hashes.size(); }));
  engine->Close();
  EXPECT_EQ(rig.Hashes(), hashes);
}

TEST(IbpCtrlPlayTest, ASeekInATransportStreamGoesOnFromItsFirstPictureNotBeforeTheTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  const TsClip clip("tsseek", 150);  // seconds 1 to 5
  ASSERT_FALSE(clip.hashes.empty());
  const std::vector<std::string>& hashes = clip.hashes;

  PlayRig rig(clip.path);
  CIbpCtrl* engine = rig.engine.get();
  engine->Seek(3);  // not playing: nothing to seek
  EXPECT_EQ(engine->GetDisplayTime(0), 0);
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return rig.presenter->PresentCount() > 0; }));
  engine->Seek(3);
  EXPECT_EQ(engine->GetDisplayTime(0), 3);
  ASSERT_TRUE(Eventually([&] { return engine->State().seekTime.load() == 0 && engine->GetDisplayTime(0) == 4; }));
  EXPECT_EQ(engine->GetShownChunk(0), kNoChunk);
  engine->Seek(6);  // after the last picture: nothing changes
  EXPECT_EQ(engine->State().seekTime.load(), 0);
  engine->Close();

  // Picture 60, the key picture of second 3, came right after what was shown before the seek;
  // the pictures skipped never showed.
  const std::vector<std::string> shown = rig.Hashes();
  const auto at = std::find(shown.begin(), shown.end(), hashes[60]);
  ASSERT_NE(at, shown.end());
  ASSERT_LT(at - shown.begin(), 40);
  ASSERT_GE(shown.end() - at, 30);
  EXPECT_EQ(std::vector<std::string>(at, at + 30), std::vector<std::string>(hashes.begin() + 60, hashes.begin() + 90));
  for (int k = 45; k < 60; ++k) EXPECT_EQ(std::count(shown.begin(), shown.end(), hashes[k]), 0) << k;
}

// Played backward across the boundary of two recordings, back to back or with a gap between them,
// and after a fast play, every picture is shown once, newest first, and the pictures keep to the
// play clock: the recording time they pass through (the gap left out) never runs ahead of the
// seconds the clock counts at that speed.
TEST(IbpCtrlPlayTest, BackwardPlayKeepsToThePlayClockAcrossTheBoundaryOfTwoRecordings) {
  struct Case {
    const char* name;
    bool backToBack;
    double speed;
    bool afterFastPlay;
  };
  const Case cases[] = {{"back to back", true, -1.0, false},
                        {"with a gap", false, -1.0, false},
                        {"after a fast play", false, -2.0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 2, 4.0);
    desc.recordings[1].continuesPrevious = c.backToBack;
    const Fixture probe(desc, "probe");
    ASSERT_TRUE(probe.ok());
    desc.recordings[1].events = {{static_cast<int>(probe.layout().recordings[1].chunks.size()) - 1, 1}};
    Fixture fixture(desc);
    ASSERT_TRUE(fixture.ok());
    const fixtures::RecordingInfo& first = fixture.layout().recordings[0];
    NumberedRig rig(fixture.layout().path);
    CIbpCtrl* engine = rig.engine.get();
    std::size_t ends = 1;
    if (c.afterFastPlay) {
      engine->SetSpeed(16.0);
      ASSERT_EQ(engine->Play(EntryAt(*engine, 1), 0), EngineStart::kStarted);
      ASSERT_TRUE(rig.WaitForEnds(ends++));
      rig.presenter->Forget();
    }
    engine->SetSpeed(c.speed);
    if (!c.afterFastPlay) {
      ASSERT_EQ(engine->Play(EntryAt(*engine, 1), 1), EngineStart::kStarted);
    }
    ASSERT_TRUE(rig.WaitForEnds(ends));
    engine->Close();

    const std::vector<NumberedPresenter::Shown> shown = rig.presenter->Pictures();
    ASSERT_GT(shown.size(), static_cast<std::size_t>(first.pictures));
    // Where each picture lies, in pictures from the first recording's first: the second
    // recording's pictures follow the first's, whatever lies between them.
    bool inSecond = true;
    std::vector<int> at;
    for (const NumberedPresenter::Shown& s : shown) {
      if (!at.empty() && s.number > shown[at.size() - 1].number) inSecond = false;
      at.push_back(s.number + (inSecond ? first.pictures : 0));
    }
    for (std::size_t i = 1; i < at.size(); ++i) EXPECT_EQ(at[i], at[i - 1] - 1) << i;
    EXPECT_EQ(at.back(), 0);
    const double secondsPerPicture = 1.0 / first.video.fps / std::abs(c.speed);
    double mostAhead = -1e9;
    for (std::size_t i = 0; i < at.size(); ++i) {
      const double played = (at[0] - at[i]) * secondsPerPicture;
      const auto counted = static_cast<double>(shown[0].playClock - shown[i].playClock);
      mostAhead = std::max(mostAhead, played - counted);
    }
    EXPECT_LE(mostAhead, 1.75);
  }
}
