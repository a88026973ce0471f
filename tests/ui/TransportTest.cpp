#include "controls/Messages.h"
#include "tests/ui/TransportTestSupport.h"
#include "ui/MainDlgIds.h"

using Texts = std::vector<std::string>;

// Speed steps stop at both ends; backward, pause, frame steps and stop reach the engine in the
// order the engine needs; Play after Stop opens the engine's recording again.
TEST_F(TransportTest, SpeedStepsPauseBackwardFrameStepsStopAndPlayAgain) {
  CMainDlg& dlg = OpenThree(2.0);
  for (int i = 0; i < 5; ++i) Click(mainid::kFaster);
  EXPECT_EQ(TakeCommands(), (Texts{"SetSpeed(2)", "SetSpeed(4)", "SetSpeed(8)", "SetSpeed(16)"}));
  for (int i = 0; i < 9; ++i) Click(mainid::kSlower);
  EXPECT_EQ(TakeCommands().back(), "SetSpeed(0.0625)");
  EXPECT_EQ(dlg.GetSpeedDlg().Slider().GetPos(), 0);
  EXPECT_EQ(dlg.GetVideoCtrlPanel().GetSpeedLevel(), 0);

  Click(mainid::kBackward);
  EXPECT_EQ(TakeCommands(), (Texts{"SetPause(0)", "SetSpeed(-1)"}));
  EXPECT_EQ(dynamic_cast<CVxSkinSldButton*>(dlg.GetDlgItem(mainid::kSpeedSlider))->GetPos(), 4);
  Click(mainid::kPause);
  Click(mainid::kPause);
  EXPECT_EQ(TakeCommands(), (Texts{"SetPause(1)", "SetSpeed(1)", "SetPause(0)"}));
  EXPECT_TRUE(dlg.GetGsensorBar().GetHold());
  Click(mainid::kNextFrame);
  Click(mainid::kPrevFrame);
  EXPECT_EQ(TakeCommands(), (Texts{"SetSpeed(1.1)", "SetPause(0)", "SetSpeed(-1.1)", "SetPause(0)"}));

  Click(mainid::kStop);  // paused by the frame step: the engine runs again before it closes
  EXPECT_EQ(TakeCommands(), (Texts{"SetPause(0)", "Close()", "SetSpeed(1)"}));
  EXPECT_EQ(PositionTip(), "Position");
  EXPECT_FALSE(dlg.GetChannelWindow().IsWindowVisible());
  EXPECT_FALSE(dlg.GetGsensorBar().GetHold());

  fake_.engine().answers.currentEntry = Span(1).entry;
  Click(mainid::kPlay);
  EXPECT_EQ(fake_.engine().CallsNamed("Play").size(), 1u);
  EXPECT_EQ(fake_.engine().CallsNamed("Play")[0].Text(), "Play(" + EntryText(1) + ", 0)");
  EXPECT_TRUE(dlg.IsPlaying());
  EXPECT_TRUE(dlg.GetChannelWindow().IsWindowVisible());
}

// Held, a frame button steps first after 1.2 s and then in periods of 0.8 of the last down to
// 51 ms, read every 10 ms; released, the stepping ends.
TEST_F(TransportTest, AHeldFrameButtonRepeatsInShorteningPeriodsUntilReleased) {
  CMainDlg& dlg = OpenThree(2.0);
  CWnd* next = dlg.GetDlgItem(mainid::kNextFrame);
  CRect r;
  next->GetClientRect(&r);
  plat::test::Mouse(next, WM_LBUTTONDOWN, r.CenterPoint());
  const std::uint64_t pressed = plat::test::Clock().NowMs();
  std::vector<std::uint64_t> steps;
  for (int ms = 0; ms < 8000; ms += 10) {
    plat::test::AdvanceTime(10);
    if (fake_.engine().CallsNamed("SetSpeed").size() > steps.size()) steps.push_back(plat::test::Clock().NowMs());
  }
  std::vector<std::uint64_t> gaps;
  for (size_t i = 1; i < steps.size() && gaps.size() < 17; ++i) gaps.push_back(steps[i] - steps[i - 1]);
  EXPECT_EQ(gaps, (std::vector<std::uint64_t>{970, 770, 620, 500, 400, 320, 260, 210, 170, 130, 110, 90, 70, 60, 60, 60, 60}));
  // The repeat starts with the next second's tick, and steps first 1.2 s later.
  ASSERT_FALSE(steps.empty());
  EXPECT_GT(steps[0] - pressed, 1200u);
  EXPECT_LE(steps[0] - pressed, 2210u);
  plat::test::Mouse(next, WM_LBUTTONUP, r.CenterPoint());
  plat::test::AdvanceTime(10);
  fake_.engine().ClearCalls();
  plat::test::AdvanceTime(3000);
  EXPECT_TRUE(fake_.engine().CallsNamed("SetSpeed").empty());
}

// The volume buttons step the level within 0..27; the sliders' kinds follow the level rule (the
// volume slider) or the percent rule (a panel's level); the second audio box has no channel.
TEST_F(TransportTest, VolumeLevelsPercentVolumesAudioBoxesAndChannelLayoutCells) {
  CMainDlg& dlg = OpenThree(2.0);
  Click(mainid::kVolumeUp);
  EXPECT_EQ(TakeCommands(), Texts{"SetVolume(0, 0)"});
  for (int i = 0; i < 28; ++i) Click(mainid::kVolumeDown);
  EXPECT_EQ(TakeCommands().back(), "SetVolume(0, -4320)");
  EXPECT_EQ(dlg.GetVolumeLevel(), 0);
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderVolume, 10);
  EXPECT_EQ(dlg.GetVolumeLevel(), 10);
  for (int percent : {0, 50, 100, 150, -5}) dlg.SendMessage(WM_PANEL_COMMAND, kSliderVolumeLevel, percent);
  EXPECT_EQ(TakeCommands(), (Texts{"SetVolume(0, -2720)", "SetVolume(0, -2700)", "SetVolume(0, -1250)",
                                  "SetVolume(0, 0)", "SetVolume(0, 0)", "SetVolume(0, -2700)"}));
  Click(mainid::kAudio1);
  Click(mainid::kAudio1);
  Click(mainid::kAudio2);
  EXPECT_EQ(TakeCommands(), (Texts{"SetVolume(0, -2720)", "SetVolume(0, -4320)"}));

  const auto rectOf = [](CWnd& wnd) {
    CRect rect;
    wnd.GetWindowRect(&rect);
    wnd.GetParent()->ScreenToClient(&rect);
    return rect;
  };
  Click(mainid::kLayout8);
  EXPECT_EQ(rectOf(dlg.GetChannelWindow()), CRect(514, 312, 942, 550));
  EXPECT_EQ(dlg.GetMapDlg().GetDockedRect(), CRect(1393, 822, 1821, 1060));
  EXPECT_NE(ReadConfig().find("channel84=8"), std::string::npos);
  Click(mainid::kLayout4);
  EXPECT_EQ(rectOf(dlg.GetChannelWindow()), CRect(514, 326, 1167, 687));
  EXPECT_EQ(dlg.GetMapDlg().GetDockedRect(), CRect(1179, 700, 1832, 1061));
  EXPECT_NE(ReadConfig().find("channel84=4"), std::string::npos);
}
