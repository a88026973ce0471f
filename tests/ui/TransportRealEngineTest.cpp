#include <chrono>
#include <functional>
#include <thread>

#include "engine/IIbpCtrl.h"
#include "platform/video/qt/WindowPresenters.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/TransportTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

// Runs the window on the machine's clock while the engine plays in real time.
class RealClock {
 public:
  RealClock() : fake_(plat::SetTickClock(&plat::SystemClock())) {}
  ~RealClock() { plat::SetTickClock(fake_); }

 private:
  plat::IClock* fake_;
};

bool PumpUntil(const std::function<bool()>& condition, int boundMs) {
  for (int waited = 0; waited < boundMs; waited += 5) {
    plat::test::Pump();
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return condition();
}

}  // namespace

// A user plays a backup of three recordings through the card dialog on the program's own engine:
// after each command the engine's speed, direction and recording, and the channel window's
// picture, follow it.
TEST_F(TransportTest, OnTheRealEngineEachCommandLeavesTheEngineAndThePictureAsTheUserAskedFor) {
  ScopedEnvironment tz("TZ", "UTC");
  RealClock clock;
  plat::WindowPresenters presenters;
  CMainDlg& dlg = OpenThree(6.0, true);
  IIbpCtrl& engine = *dlg.GetEngine();
  const auto picture = [&] { return plat::test::Grab(&dlg.GetChannelWindow()); };
  // Clicks the button; true when the picture changes afterwards.
  const auto clickMoves = [&](int id) {
    const QImage before = picture();
    Click(id);
    return PumpUntil([&] { return picture() != before; }, 3000);
  };
  // True when the picture stays as it is for a while, once what was under way has been shown.
  const auto stands = [&] {
    PumpUntil([] { return false; }, 300);
    const QImage before = picture();
    return !PumpUntil([&] { return picture() != before; }, 1200);
  };
  // The picture shown is of the recording: the engine's reader may already be recordings ahead.
  const auto playing = [&](int n) {
    const auto& e = layout_->recordings[static_cast<size_t>(n)].entry;
    return PumpUntil([&] { return engine.GetShownChunk(0) >= e.first && engine.GetShownChunk(0) <= e.last; }, 5000) &&
           dlg.FindCurrentRecord() == n;
  };

  ASSERT_TRUE(dlg.PlayRecord(0));
  ASSERT_TRUE(playing(0));
  EXPECT_TRUE(dlg.GetChannelWindow().IsWindowVisible());
  EXPECT_EQ(engine.GetSpeed(), 1.0);
  // Two seconds in, so that a step back has an earlier second to go to.
  ASSERT_TRUE(PumpUntil([&] { return engine.GetDisplayTime(0) >= Span(0).start + 2; }, 5000));
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
  EXPECT_EQ(engine.GetSpeed(), 1.0);
  Click(mainid::kFaster);
  EXPECT_TRUE(clickMoves(mainid::kFaster));
  EXPECT_EQ(engine.GetSpeed(), 4.0);
  EXPECT_TRUE(clickMoves(mainid::kPrevFile));
  EXPECT_TRUE(playing(0));
  EXPECT_EQ(engine.GetSpeed(), 1.0);

  Click(mainid::kStop);
  EXPECT_EQ(engine.GetShownChunk(0), -1);
  EXPECT_NE(engine.GetCurrentEntry(), nullptr);
  EXPECT_FALSE(dlg.IsPlaying());
  EXPECT_FALSE(dlg.GetChannelWindow().IsWindowVisible());
  EXPECT_TRUE(clickMoves(mainid::kPlay));
  EXPECT_TRUE(playing(0));
  plat::test::SavePng(picture(), "transport-real-engine-channel");
  plat::test::SavePng(plat::test::Grab(&dlg), "transport-real-engine-window");
  dlg.DestroyWindow();
}
