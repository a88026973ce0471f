// The engine facade without a play: sources, controls, settings, the recording state, the play
// clock's counters, closing and snapshots.
#include <gtest/gtest.h>

#include <filesystem>

#include <QImage>

#include "engine/CropZoom.h"
#include "platform/sound/SoundOutput.h"
#include "platform/video/OffscreenPresenter.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/TsBuilder.h"
#include "tests/support/ScopedEnvironment.h"

using namespace enginetest;
using sourcetest::Fixture;

namespace {

int EntryCount(CIbpCtrl& engine) {
  int n = 0;
  for (IndexEntry* e = engine.OpenStore(); e; e = engine.GetNextEntry(e)) ++n;
  return n;
}

HWND Window(std::uintptr_t n) { return reinterpret_cast<HWND>(n); }

class OneWindow : public plat::IPresenterProvider {
 public:
  OneWindow(HWND wnd, std::shared_ptr<plat::IVideoPresenter> presenter) : wnd_(wnd), presenter_(std::move(presenter)) {
    previous_ = plat::SetPresenterProvider(this);
  }
  ~OneWindow() override { plat::SetPresenterProvider(previous_); }
  std::shared_ptr<plat::IVideoPresenter> PresenterFor(HWND window) override {
    return window == wnd_ ? presenter_ : nullptr;
  }

 private:
  HWND wnd_;
  std::shared_ptr<plat::IVideoPresenter> presenter_;
  plat::IPresenterProvider* previous_ = nullptr;
};

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
  EnginePtr engine = MakeEngine();

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
  EnginePtr engine = MakeEngine();
  CEngineState& state = engine->State();
  engine->SetSpeed(2.0);
  EXPECT_FALSE(state.TakeResyncRequest());
  engine->SetSpeed(1.0);  // back to normal speed: the source resynchronises
  EXPECT_TRUE(state.TakeResyncRequest());
  engine->SetSpeed(1.0);
  EXPECT_FALSE(state.TakeResyncRequest());
  EXPECT_EQ(engine->GetSpeed(), 1.0);
  // Without a play there is no picture to restart at.
  state.decoderOpen = 1;
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
  // A transport stream is not positioned by time.
  state.seekTime = 0;
  EXPECT_EQ(engine->SetSource(L"/videos/clip.ts"), kSourceTransportStream);
  engine->Seek(1709280780);
  EXPECT_EQ(state.seekTime.load(), 0);
  EXPECT_FALSE(state.TakeSeekMark());
  EXPECT_FALSE(state.TakeAudioResetRequest());
}

TEST(IbpCtrlTest, AVolumeBelowTheQuietestPlaysAsSilence) {
  EnginePtr engine = MakeEngine();
  std::atomic<std::int32_t>& applied = engine->State().outputVolume;
  engine->SetVolume(0, -2700);
  EXPECT_EQ(applied.load(), plat::kVolumeSilent);
  engine->SetVolume(0, -2699);
  EXPECT_EQ(applied.load(), -2699);
  engine->SetVolume(0, 0);
  EXPECT_EQ(applied.load(), 0);
  engine->SetVolume(1, -500);  // no such channel
  EXPECT_EQ(applied.load(), 0);
}

TEST(IbpCtrlTest, SettingsReachWhatTheEngineThreadsRead) {
  EnginePtr engine = MakeEngine();
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

  // What the video thread publishes comes back through the getters; the zoom works on the size
  // of the picture decoded.
  EXPECT_TRUE(engine->IsNoVideo(0));
  state.videoWidth = 1280;
  state.videoHeight = 720;
  state.waitingForPicture = false;
  EXPECT_FALSE(engine->IsNoVideo(0));
  EXPECT_TRUE(engine->IsNoVideo(1));
  EXPECT_EQ(engine->GetVideoWidth(1), 0);
  engine->SetCutRect(0, 20, 10, -20, -10);
  engine->Zoom(0, 300000, 0, 1);
  const CRect zoomed = ZoomCrop(CRect(20, 10, -20, -10), 1280, 720, 300000, 0, 1);
  EXPECT_EQ(state.Crop(), zoomed);
  engine->Zoom(1, 0, 0, -1);
  EXPECT_EQ(state.Crop(), zoomed);
}

TEST(IbpCtrlTest, ASecondRecordingNeverTakesTheFirstOnesPath) {
  fixtures::ScratchDir dir("record");
  EnginePtr engine = MakeEngine();
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
  EnginePtr engine = MakeEngine();
  EXPECT_EQ(engine->StartBackup(L"/tmp/x.sd", nullptr, 0), EngineStart::kFailed);
  EXPECT_EQ(engine->OpenExport(L"/tmp/x.avi", nullptr, 0, 1, 2), EngineStart::kFailed);

  CEngineState& state = engine->State();
  engine->SetSpeed(-2.0);
  engine->SetPause(1);
  engine->Seek(1709280770);
  state.frameTime = 1709280760;
  state.playClock.Set(1709280761);
  ASSERT_TRUE(engine->CreatePipeline());
  engine->Pacer(0)->SetSpeed(1.0);
  engine->Pacer(0)->Step(1000000, 30, 0);
  engine->Pacer(0)->Step(1033333, 30, 10);
  ASSERT_NE(engine->Pacer(0)->GetCarry(), 0);
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
  EXPECT_EQ(engine->Pacer(0)->GetCarry(), 0);
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

TEST(IbpCtrlTest, ASnapshotSavesThePresentedPictureEnlargedByHalf) {
  fixtures::ScratchDir dir("snapshot");
  EnginePtr engine = MakeEngine();
  engine->SetVideoWindow(Window(0x40), 0);
  EXPECT_FALSE(engine->TakeSnapshot(false, CString(dir.File("none/img-1_Ch"))));  // no presenter
  EXPECT_FALSE(std::filesystem::exists(dir.File("none/img-1_Ch1.bmp")));

  auto presenter = std::make_shared<plat::OffscreenPresenter>();
  ASSERT_TRUE(presenter->Reset(64, 48));
  plat::BackBuffer back;
  ASSERT_TRUE(presenter->Lock(back));
  for (int y = 0; y < back.height; ++y) {
    for (int x = 0; x < back.width; ++x) {
      std::uint8_t* p = back.data + y * back.stride + x * 4;
      p[0] = 0;                        // blue
      p[1] = x < 32 ? 0 : 255;         // green on the right half
      p[2] = x < 32 ? 255 : 0;         // red on the left half
      p[3] = 255;
    }
  }
  presenter->Unlock();
  OneWindow windows(Window(0x40), presenter);

  EXPECT_FALSE(engine->TakeSnapshot(false, CString()));
  ASSERT_TRUE(engine->TakeSnapshot(false, CString(dir.File("shots/img-1_Ch"))));
  const QImage saved(QString::fromStdString(dir.File("shots/img-1_Ch1.bmp")));
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(saved.size(), QSize(96, 72));
  EXPECT_EQ(saved.pixelColor(5, 40), QColor(255, 0, 0));
  EXPECT_EQ(saved.pixelColor(90, 40), QColor(0, 255, 0));
  EXPECT_TRUE(engine->TakeSnapshot(true, CString(dir.File("shots/img-2_Ch"))));
  EXPECT_FALSE(QImage(QString::fromStdString(dir.File("shots/img-2.jpg"))).isNull());

  ASSERT_TRUE(fixtures::WriteFileBytes(dir.File("file"), {1}));
  EXPECT_FALSE(engine->TakeSnapshot(false, CString(dir.File("file/x/img-3_Ch"))));
}
