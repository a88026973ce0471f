// The transport controller on the fake engine: what the engine is told, in its order, and what
// every observer is told, for speed levels, backward play, pause, frame steps and volume.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakeIbpCtrl.h"
#include "ui/TransportCtrl.h"

namespace {

// Every change it is told, as text.
class Recorder : public ITransportObserver {
 public:
  void OnSpeedChanged(int level, double speed) override { told.push_back("speed " + std::to_string(level) + " " + Num(speed)); }
  void OnVolumeChanged(int level) override { told.push_back("volume " + std::to_string(level)); }
  void OnPauseChanged(bool paused) override { told.push_back(paused ? "paused" : "running"); }
  std::vector<std::string> Take() { return std::exchange(told, {}); }
  std::vector<std::string> told;

 private:
  static std::string Num(double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
  }
};

class TransportCtrlTest : public ::testing::Test {
 protected:
  TransportCtrlTest() {
    ctrl_.SetEngine(&engine_);
    ctrl_.AddObserver(&panel_);
  }
  std::vector<std::string> TakeCalls() {
    std::vector<std::string> calls = engine_.CallTexts();
    engine_.ClearCalls();
    return calls;
  }
  enginetest::FakeIbpCtrl engine_;
  TransportCtrl ctrl_;
  Recorder panel_;
};

}  // namespace

// Levels clamp to the table's ends; a step after backward play goes from the last level set; a
// resumed pause plays at normal speed; a frame step leaves the engine running for one picture and
// the controller paused; Stop's unpause tells the engine only when it was paused.
TEST_F(TransportCtrlTest, SpeedLevelsBackwardPauseAndFrameStepsReachTheEngineAndTheObservers) {
  EXPECT_EQ(ctrl_.SetSpeedLevel(12), 8);
  EXPECT_EQ(ctrl_.SetSpeedLevel(-3), 0);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"SetSpeed(16)", "SetSpeed(0.0625)"}));
  EXPECT_EQ(panel_.Take(), (std::vector<std::string>{"speed 8 16", "speed 0 0.0625"}));
  ctrl_.SetSpeedLevel(6);
  ctrl_.PlayBackward();
  EXPECT_EQ(ctrl_.GetSpeedLevel(), TransportCtrl::kNoLevel);
  EXPECT_EQ(ctrl_.StepSpeedLevel(-1), 5);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"SetSpeed(4)", "SetPause(0)", "SetSpeed(-1)", "SetSpeed(2)"}));
  EXPECT_EQ(panel_.Take(), (std::vector<std::string>{"speed 6 4", "speed -1 -1", "speed 5 2"}));

  ctrl_.TogglePause();
  ctrl_.TogglePause();
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"SetPause(1)", "SetSpeed(1)", "SetPause(0)"}));
  EXPECT_EQ(panel_.Take(), (std::vector<std::string>{"paused", "speed 4 1", "running"}));
  ctrl_.StepFrame(TransportCtrl::kStepBack);
  EXPECT_TRUE(ctrl_.IsPaused());
  EXPECT_EQ(ctrl_.GetLastStep(), TransportCtrl::kStepBack);
  ctrl_.ClearPause();
  ctrl_.ClearPause();
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"SetSpeed(-1.1)", "SetPause(0)", "SetPause(0)"}));
  EXPECT_EQ(panel_.Take(), (std::vector<std::string>{"paused", "running"}));
}

// Volume levels clamp to 0..27 and reach the engine as attenuation; an observer removed hears
// nothing more; without an engine the state and the observers still follow.
TEST_F(TransportCtrlTest, VolumeLevelsReachTheEngineAsAttenuationAndEveryObserverUntilRemoved) {
  Recorder other;
  ctrl_.AddObserver(&other);
  ctrl_.SetVolumeLevel(40);
  ctrl_.SetVolumeLevel(12);
  ctrl_.SetVolumeLevel(-1);
  EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"SetVolume(0, 0)", "SetVolume(0, -2400)", "SetVolume(0, -4320)"}));
  EXPECT_EQ(other.Take(), (std::vector<std::string>{"volume 27", "volume 12", "volume 0"}));
  ctrl_.RemoveObserver(&other);
  ctrl_.SetEngine(nullptr);
  ctrl_.SetVolumeLevel(20);
  ctrl_.SetSpeedLevel(7);
  EXPECT_TRUE(other.told.empty());
  EXPECT_EQ(panel_.Take().back(), "speed 7 8");
  EXPECT_EQ(ctrl_.GetVolumeLevel(), 20);
  EXPECT_TRUE(engine_.Calls().empty());
}
