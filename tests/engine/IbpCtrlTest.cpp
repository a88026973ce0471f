// The engine facade without a play: sources, controls, settings, the recording state, the play
// clock's counters, closing and snapshots.
#include <gtest/gtest.h>

#include <cmath>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <tuple>

#include <QImage>

#include "platform/sound/SoundOutput.h"
#include "platform/video/OffscreenPresenter.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/TsBuilder.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/ScopedEnvironment.h"

using namespace enginetest;
using sourcetest::Fixture;

namespace {

int EntryCount(CIbpCtrl& engine) {
  int n = 0;
  for (IndexEntry* e = engine.OpenStore(); e; e = engine.GetNextEntry(e)) ++n;
  return n;
}

}  // namespace

TEST(IbpCtrlTest, ASourcePathIsTrimmedParsedAndARawCardIsTheDriveItNames) {
  Fixture one(fixtures::Recordings(fixtures::StoreKind::kCard, 1, 1.0), "one");
  Fixture two(fixtures::Recordings(fixtures::StoreKind::kCard, 2, 1.0), "two");
  Fixture backup(fixtures::Recordings(fixtures::StoreKind::kSd, 3, 1.0), "backup");
  ASSERT_TRUE(one.ok() && two.ok() && backup.ok());
  ScopedEnvironment env;
  env.Set("PLAYER_DRIVE_1", one.layout().path.c_str());
  env.Set("PLAYER_DRIVE_3", one.layout().path.c_str());
  env.Set("PLAYER_DRIVE_12", two.layout().path.c_str());
  IbpCtrlPtr engine = MakeEngine();

  EXPECT_EQ(engine->SetSource(L"dvk2://3"), kSourceRawCard);
  EXPECT_EQ(engine->GetSourceAddress().host, "3");
  EXPECT_EQ(EntryCount(*engine), 1);
  EXPECT_EQ(engine->SetSource(L"DVK2://12"), kSourceRawCard);
  EXPECT_EQ(EntryCount(*engine), 2);  // drive 12, never drive 1
  EXPECT_EQ(engine->SetSource(L"dvk2://1x"), kSourceRawCard);
  EXPECT_EQ(engine->OpenStore(), nullptr);
  EXPECT_EQ(engine->Play(nullptr, 0), EngineStart::kFailed);

  // White space around a path goes; an upper-case extension names the same kind of source.
  const std::string upper = std::filesystem::path(backup.layout().path).replace_filename("BACKUP.SD").string();
  std::filesystem::create_symlink(backup.layout().path, upper);
  EXPECT_EQ(engine->SetSource(L"  " + CString(upper) + L" \t"), kSourceBackupFile);
  EXPECT_EQ(engine->GetSourcePath(), CString(upper));
  EXPECT_EQ(EntryCount(*engine), 3);

  // Network and other sources are recognised and refused; the store has nothing to open.
  EXPECT_EQ(engine->SetSource(L"http://cam:8080/vdata1.v"), kSourceHttp);
  EXPECT_EQ(engine->GetSourceAddress().dataFileIndex, 1);
  EXPECT_EQ(engine->OpenStore(), nullptr);
  EXPECT_EQ(engine->Play(nullptr, 0), EngineStart::kFailed);
  EXPECT_FALSE(engine->State().open.load());
  EXPECT_EQ(engine->SetSource(L"http://cam:70000/"), kSourceNone);
  EXPECT_EQ(engine->SetSource(L""), kSourceNone);
  EXPECT_EQ(engine->Play(nullptr, 0), EngineStart::kFailed);
}

TEST(IbpCtrlTest, SpeedPauseAndSeekLeaveTheirRequestsForTheSource) {
  IbpCtrlPtr engine = MakeEngine();
  CEngineState& state = engine->State();
  engine->SetSpeed(2.0);
  EXPECT_FALSE(state.TakeResyncRequest());
  engine->SetSpeed(1.0);  // back to normal speed: the source resynchronises
  EXPECT_TRUE(state.TakeResyncRequest());
  engine->SetSpeed(1.0);
  EXPECT_FALSE(state.TakeResyncRequest());
  EXPECT_EQ(engine->GetSpeed(), 1.0);
  // Speeds that are none are ignored.
  for (double none : {std::nan(""), -std::nan(""), HUGE_VAL, -HUGE_VAL, 0.0}) engine->SetSpeed(none);
  EXPECT_EQ(engine->GetSpeed(), 1.0);
  // Without a play there is no picture to restart at.
  state.frameTime = 1709280760;
  engine->SetSpeed(-1.0);
  EXPECT_EQ(state.seekTime.load(), 0);
  EXPECT_EQ(engine->GetDisplayTime(0), 1709280760);

  engine->SetPause(1);
  EXPECT_EQ(state.pause.load(), 1);
  EXPECT_TRUE(state.TakeResyncRequest());
  EXPECT_TRUE(state.TakePauseMark());

  engine->Seek(1709280770);
  EXPECT_EQ(state.seekTime.load(), 1709280770);
  EXPECT_EQ(engine->GetDisplayTime(0), 1709280770);
  EXPECT_EQ(engine->GetDisplayTime(1), 0);
  EXPECT_TRUE(state.TakeSeekMark());
  EXPECT_TRUE(state.TakeAudioResetRequest());
  // A transport stream that does not play has no picture to seek to.
  state.seekTime = 0;
  EXPECT_EQ(engine->SetSource(L"/videos/clip.ts"), kSourceTransportStream);
  engine->Seek(1709280780);
  EXPECT_EQ(state.seekTime.load(), 0);
  EXPECT_FALSE(state.TakeSeekMark());
  EXPECT_FALSE(state.TakeAudioResetRequest());
}

TEST(IbpCtrlTest, AVolumeBelowTheQuietestPlaysAsSilence) {
  IbpCtrlPtr engine = MakeEngine();
  std::atomic<std::int32_t>& applied = engine->State().outputVolume;
  engine->SetVolume(0, -2700);
  EXPECT_EQ(applied.load(), plat::kVolumeSilent);
  engine->SetVolume(0, -2699);
  EXPECT_EQ(applied.load(), -2699);
  engine->SetVolume(0, 0);
  EXPECT_EQ(applied.load(), 0);
  engine->SetVolume(1, -500);  // no such channel
  EXPECT_EQ(applied.load(), 0);
  // Once the channel has its sound thread, the volume goes to it at once.
  ASSERT_TRUE(engine->CreatePipeline());
  engine->SetVolume(0, -3000);
  EXPECT_EQ(engine->Audio(0)->Volume(), plat::kVolumeSilent);
  engine->SetVolume(0, -1250);
  EXPECT_EQ(engine->Audio(0)->Volume(), -1250);
}

TEST(IbpCtrlTest, SettingsReachWhatTheEngineThreadsRead) {
  IbpCtrlPtr engine = MakeEngine();
  CEngineState& state = engine->State();
  engine->SetVideoWindow(Window(0x20), 0);
  engine->SetVideoWindow(Window(0x30), 1);  // no such channel
  EXPECT_EQ(state.videoWnd.load(), Window(0x20));

  engine->SetEdrOsd(-200, -130, 0x00FF00, 18, L"Sans");
  engine->SetShowTimeOsd(1, 0x0000FF);
  engine->SetShowMusicOsd(true, 0xFF0000);  // also the colour of the time text
  const OsdSettings osd = state.Osd();
  ASSERT_TRUE(osd.edrFont.has_value());
  EXPECT_EQ(osd.edrFont->lfHeight, 18);
  EXPECT_EQ(osd.edrFont->lfWeight, 900);
  EXPECT_EQ(osd.edrTop, -130);
  EXPECT_EQ(osd.timeMode, 1);
  EXPECT_TRUE(osd.music);
  EXPECT_EQ(osd.timeColor, 0xFF0000u);

  engine->SetExportChannel(0, false, true);
  EXPECT_FALSE(state.exportAudio.load());  // never the sound without the pictures
  engine->SetExportChannel(0, true, true);
  EXPECT_TRUE(state.exportAudio.load());

  // Before a play there is no picture; a channel that does not exist never has one.
  for (int channel : {0, 1}) {
    EXPECT_TRUE(engine->IsNoVideo(channel));
    EXPECT_EQ(engine->GetVideoWidth(channel), 0);
    EXPECT_EQ(engine->IsDecoderOpen(channel), 0);
  }
  ASSERT_TRUE(engine->CreatePipeline());
  EXPECT_TRUE(engine->IsNoVideo(0));
  EXPECT_TRUE(engine->IsNoVideo(1));
  EXPECT_EQ(engine->Video(1), nullptr);
  engine->SetCutRect(0, 20, 10, -20, -10);
  engine->SetCutRect(1, 0, 0, 0, 0);
  EXPECT_EQ(state.Crop(), CRect(20, 10, -20, -10));
  engine->Zoom(1, 0, 0, -1);
  EXPECT_EQ(state.Crop(), CRect(20, 10, -20, -10));
}

TEST(IbpCtrlTest, ASecondRecordingNeverTakesTheFirstOnesPath) {
  fixtures::ScratchDir dir("record");
  IbpCtrlPtr engine = MakeEngine();
  EXPECT_TRUE(engine->SetRecord(true, CString(dir.File("out/clip.AVI")), 30));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("out")));
  const RecordState first = engine->GetRecordState();
  EXPECT_TRUE(first.on);
  EXPECT_TRUE(first.avi);
  EXPECT_EQ(first.path, CString(dir.File("out/clip")));
  EXPECT_EQ(first.mode, 30);
  EXPECT_FALSE(engine->SetRecord(true, CString(dir.File("other.sd")), 0));
  EXPECT_EQ(engine->GetRecordState().path, first.path);
  EXPECT_EQ(engine->GetRecordState().mode, 30);

  EXPECT_TRUE(engine->SetRecord(false, CString(), 0));
  EXPECT_FALSE(engine->GetRecordState().on);
  EXPECT_TRUE(engine->SetRecord(true, CString(dir.File("backup.sd")), 0));
  EXPECT_FALSE(engine->GetRecordState().avi);
  engine->Close();
  EXPECT_FALSE(engine->GetRecordState().on);

  EXPECT_FALSE(engine->SetRecord(true, CString(), 0));
  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("file"), {1}));
  EXPECT_FALSE(engine->SetRecord(true, CString(dir.File("file/below/x.avi")), 5));
  EXPECT_FALSE(engine->GetRecordState().on);
}

TEST(IbpCtrlTest, JobsAreRefusedAndCloseReturnsTheEngineToIdle) {
  IbpCtrlPtr engine = MakeEngine();
  EXPECT_EQ(engine->StartBackup(L"/tmp/x.sd", nullptr, 0), EngineStart::kFailed);
  EXPECT_EQ(engine->OpenExport(L"/tmp/x.avi", nullptr, 0, 1, 2), EngineStart::kFailed);

  CEngineState& state = engine->State();
  engine->SetSpeed(-2.0);
  engine->SetPause(1);
  engine->Seek(1709280770);
  state.frameTime = 1709280760;
  state.playClock.Set(1709280761);
  engine->Close();
  EXPECT_FALSE(state.open.load());
  EXPECT_EQ(engine->GetSpeed(), 1.0);
  EXPECT_EQ(state.pause.load(), 0);
  EXPECT_EQ(engine->GetDisplayTime(0), 0);
  EXPECT_EQ(engine->GetPlayTime(), 0);
  EXPECT_FALSE(state.TakeResyncRequest());
  EXPECT_FALSE(state.TakeSeekMark());
  EXPECT_FALSE(state.TakePauseMark());
  EXPECT_FALSE(state.TakeAudioResetRequest());
  EXPECT_EQ(engine->GetCurrentEntry(), nullptr);
  BYTE block[kMarkerLength];
  EXPECT_FALSE(engine->GetSensorBlock(block));
}

TEST(IbpCtrlTest, ThePlayClockStepRollsThePerSecondCounters) {
  CEngineState state;
  state.playClock.Set(1709280750);
  state.bytesRead = 3 * kChunkSize;
  state.picturesShown = 29;
  ASSERT_TRUE(state.TickPlayClock(5000));
  EXPECT_EQ(state.playClock.Get(), 1709280751);
  EXPECT_EQ(state.bytesLastSecond.load(), 3 * kChunkSize);
  EXPECT_EQ(state.picturesLastSecond.load(), 29u);
  EXPECT_EQ(state.bytesRead.load(), 0u);
  state.bytesRead = kChunkSize;
  EXPECT_FALSE(state.TickPlayClock(5999));
  EXPECT_EQ(state.bytesLastSecond.load(), 3 * kChunkSize);
  state.speed = -1.0;
  ASSERT_TRUE(state.TickPlayClock(6000));
  EXPECT_EQ(state.playClock.Get(), 1709280750);
  EXPECT_EQ(state.bytesLastSecond.load(), kChunkSize);
  EXPECT_EQ(state.picturesLastSecond.load(), 0u);
}

TEST(IbpCtrlTest, ASnapshotSavesThePictureShownEnlargedByHalfAndNeverWritesThroughAnotherFile) {
  fixtures::ScratchDir dir("snapshot");
  Fixture fixture(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 1.0));
  ASSERT_TRUE(fixture.ok());
  PlayRig rig(fixture.layout().path);
  CIbpCtrl* engine = rig.engine.get();
  using Kind = SnapshotFailure::Kind;
  const auto failed = [engine](Kind kind, int error = 0) {
    const SnapshotFailure f = engine->GetSnapshotFailure();
    return f.kind == kind && f.error == error;
  };
  // Nothing shown yet, with or without a video thread: no snapshot, and no file.
  EXPECT_FALSE(engine->TakeSnapshot(false, CString(dir.File("none/img-1_Ch"))));
  ASSERT_TRUE(engine->CreatePipeline());
  EXPECT_FALSE(engine->TakeSnapshot(false, CString(dir.File("none/img-1_Ch"))));
  EXPECT_TRUE(failed(Kind::kNoPicture));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none/img-1_Ch1.bmp")));

  // Paused at its first picture.
  engine->SetPause(1);
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(Eventually([&] { return rig.presenter->PresentCount() > 0; }));
  plat::PictureCopy shown;
  ASSERT_TRUE(rig.presenter->ReadBack(shown, 100));

  EXPECT_FALSE(engine->TakeSnapshot(false, CString()));
  EXPECT_TRUE(failed(Kind::kNoName));
  ASSERT_TRUE(engine->TakeSnapshot(false, CString(dir.File("shots/img-1_Ch"))));
  EXPECT_TRUE(failed(Kind::kNone));
  const QImage saved(QString::fromStdString(dir.File("shots/img-1_Ch1.bmp")));
  ASSERT_FALSE(saved.isNull());
  ASSERT_EQ(saved.size(), QSize(shown.width * 3 / 2, shown.height * 3 / 2));
  for (int y = 0; y < saved.height(); y += 7) {
    for (int x = 0; x < saved.width(); x += 11) {
      ASSERT_EQ(saved.pixel(x, y) & 0xFFFFFF, shown.Pixel(2 * x / 3, 2 * y / 3) & 0xFFFFFF) << x << "," << y;
    }
  }
  EXPECT_TRUE(engine->TakeSnapshot(true, CString(dir.File("shots/img-2_Ch"))));
  EXPECT_FALSE(QImage(QString::fromStdString(dir.File("shots/img-2.jpg"))).isNull());

  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("file"), {1}));
  EXPECT_FALSE(engine->TakeSnapshot(false, CString(dir.File("file/x/img-4_Ch"))));
  EXPECT_TRUE(failed(Kind::kFolderNotMade, ENOTDIR));

  // A snapshot never replaces the store played, through a link of the snapshot's name, nor
  // writes into a FIFO of that name; neither leaves anything behind.
  const std::uint64_t storeSize = fixtures::FileSize(fixture.layout().path);
  std::filesystem::create_symlink(fixture.layout().path, dir.File("shots/img-5.jpg"));
  EXPECT_FALSE(engine->TakeSnapshot(true, CString(dir.File("shots/img-5_Ch"))));
  ASSERT_EQ(mkfifo(dir.File("shots/img-6_Ch1.bmp").c_str(), 0644), 0);
  EXPECT_FALSE(engine->TakeSnapshot(false, CString(dir.File("shots/img-6_Ch"))));
  EXPECT_EQ(fixtures::FileSize(fixture.layout().path), storeSize);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("shots")), {}), 4);

  // A folder that is full or cannot be written: the system's reason, and nothing left there.
  for (const auto& [options, flags, error] : {std::tuple{"size=64k", 0ul, ENOSPC}, {"", MS_RDONLY, EROFS}}) {
    const std::string folder = dir.File(error == ENOSPC ? "full" : "readonly");
    std::filesystem::create_directories(folder);
    if (mount("tmpfs", folder.c_str(), "tmpfs", flags, options) != 0) GTEST_SKIP() << "mount refused";
    EXPECT_FALSE(engine->TakeSnapshot(false, CString(folder + "/img-7_Ch")));
    EXPECT_TRUE(failed(Kind::kNotWritten, error)) << folder << " " << engine->GetSnapshotFailure().error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 0) << folder;
    umount2(folder.c_str(), MNT_DETACH);
  }
  engine->Close();
}
