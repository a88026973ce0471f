#include <algorithm>
#include <array>
#include <set>
#include <chrono>
#include <thread>

#include "engine/IbpCtrl.h"
#include "platform/video/qt/WindowPresenters.h"
#include "testdata/TestSignals.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/WindowWait.h"
#include "tests/ui/TransportTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

using plat::test::PumpUntil;

// The window on the machine's clock, as the engine plays in real time, its pictures shown in the
// channel window as the program shows them.
struct RealTime {
  RealTime() : fake(plat::SetTickClock(&plat::SystemClock())) {}
  ~RealTime() { plat::SetTickClock(fake); }
  plat::IClock* fake;
  plat::WindowPresenters presenters;
};

}  // namespace

// A user plays a backup of three recordings through the card dialog on the program's own engine:
// after each command the engine's speed and direction, the recording of the picture shown and
// whether the picture moves follow it.
TEST_F(TransportTest, OnTheRealEngineEachCommandLeavesTheEngineAndThePictureAsTheUserAskedFor) {
  ScopedEnvironment tz("TZ", "UTC");
  RealTime realTime;
  CMainDlg& dlg = OpenThree(6.0, true);
  IIbpCtrl& engine = *dlg.GetEngine();
  const auto picture = [&] { return plat::test::Grab(&dlg.GetChannelWindow()); };
  const auto clickMoves = [&](int id) {
    const QImage before = picture();
    Click(id);
    return PumpUntil([&] { return picture() != before; });
  };
  // After the command the engine shows at most the picture it was converting: a machine however
  // slow shows it late, never a second one.
  const auto presented = [&] { return dynamic_cast<CIbpCtrl&>(engine).Video(0)->PresentedPictures(); };
  const auto stands = [&] {
    const std::uint64_t before = presented();
    for (int pass = 0; pass < 100; ++pass) {
      plat::test::Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return presented() <= before + 1;
  };
  // By the picture shown: the engine's reader (its current entry) may be recordings ahead.
  const auto playing = [&](int n) {
    const fixtures::EntryInfo& e = layout_->recordings[static_cast<size_t>(n)].entry;
    const auto shown = [&] { return engine.GetShownChunk(0) >= e.first && engine.GetShownChunk(0) <= e.last; };
    return PumpUntil(shown) && dlg.FindCurrentRecord() == n;
  };

  ASSERT_TRUE(dlg.PlayRecord(0));
  ASSERT_TRUE(playing(0) && dlg.GetChannelWindow().IsWindowVisible());
  ASSERT_TRUE(PumpUntil([&] { return engine.GetDisplayTime(0) >= Span(0).start + 2; }));
  Click(mainid::kPause);
  EXPECT_TRUE(stands());
  EXPECT_TRUE(clickMoves(mainid::kNextFrame));
  EXPECT_EQ(engine.GetSpeed(), 1.1);
  EXPECT_TRUE(stands());
  EXPECT_TRUE(clickMoves(mainid::kPrevFrame));
  EXPECT_EQ(engine.GetSpeed(), -1.1);
  EXPECT_TRUE(stands());
  EXPECT_TRUE(clickMoves(mainid::kBackward));
  EXPECT_EQ(engine.GetSpeed(), -1.0);
  EXPECT_TRUE(playing(0));

  EXPECT_TRUE(clickMoves(mainid::kNextFile));
  EXPECT_TRUE(playing(1));
  Click(mainid::kFaster);
  EXPECT_TRUE(clickMoves(mainid::kFaster));
  EXPECT_EQ(engine.GetSpeed(), 4.0);
  // A recording goes by fast at 4x: the one before is that of the picture shown when the user clicks.
  const int shown = dlg.FindCurrentRecord();
  EXPECT_TRUE(clickMoves(mainid::kPrevFile));
  EXPECT_TRUE(playing(shown - 1));
  EXPECT_EQ(engine.GetSpeed(), 1.0);

  Click(mainid::kStop);
  EXPECT_EQ(engine.GetShownChunk(0), -1);
  EXPECT_FALSE(dlg.IsPlaying() || dlg.GetChannelWindow().IsWindowVisible());
  // Play opens the recording that the engine kept at the stop, which its reader may have reached
  // ahead of the picture shown.
  const auto& recordings = layout_->recordings;
  const auto kept = std::find_if(recordings.begin(), recordings.end(), [&](const auto& r) {
    return engine.GetCurrentEntry() != nullptr && r.entry.first == engine.GetCurrentEntry()->FirstChunk();
  });
  ASSERT_NE(kept, recordings.end());
  EXPECT_TRUE(clickMoves(mainid::kPlay));
  EXPECT_TRUE(playing(static_cast<int>(kept - recordings.begin())));
  plat::test::SavePng(plat::test::Grab(&dlg), "transport-real-engine-window");
  dlg.DestroyWindow();
}

// On the program's own engine the car-data panel shows what the played recording holds: an engine
// speed that its car-data frames carry, not the empty "0000 RPM", and the car, the driver and the
// inputs lit of the car-info lines that a recorder with a car link writes before its GPS sentences.
TEST_F(TransportTest, OnTheRealEngineTheCarDataPanelShowsTheEngineSpeedAndTheInputsThePlayedRecordingHolds) {
  ScopedEnvironment tz("TZ", "UTC");
  RealTime realTime;
  CMainDlg& dlg = OpenThree(3.0, true, fixtures::GpsForm::kCarInfo);
  const double route = fixtures::Recordings(fixtures::StoreKind::kSd, 3, 3.0).recordings[0].route.speedKmh;
  std::set<double> written;
  std::set<std::array<bool, ui::kCarDataInputs>> lit;
  for (int second = 0; second < 3; ++second) {
    const fixtures::CarData car = fixtures::TestCarData(second, route);
    written.insert(car.rpm);
    lit.insert(fixtures::CarInputs(car, second));
  }
  ASSERT_TRUE(dlg.PlayRecord(0));
  const IOdlg& panel = dlg.GetCarDataPanel();
  const auto shown = [&] {
    std::array<bool, ui::kCarDataInputs> on{};
    for (int k = 0; k < ui::kCarDataInputs; ++k) on[static_cast<size_t>(k)] = panel.IsInputOn(k);
    return on;
  };
  EXPECT_TRUE(PumpUntil([&] { return written.count(panel.GetRpm()) > 0 && lit.count(shown()) > 0; }))
      << panel.GetRpm();
  EXPECT_EQ(panel.GetCarInfo(), CString::FromAnsi(fixtures::kTestCarName));
  EXPECT_EQ(panel.GetDriverId(), CString::FromAnsi(fixtures::kTestDriverId));
}
