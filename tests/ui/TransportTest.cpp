#include "controls/Messages.h"
#include "testdata/TestSignals.h"
#include "tests/support/Eventually.h"
#include "tests/ui/TransportTestSupport.h"
#include "ui/MainDlgIds.h"

// Speed steps stop at both ends; backward, pause, frame steps and stop reach the engine in the
// order it needs them; Play after Stop opens the engine's recording again.
TEST_F(TransportTest, SpeedStepsPauseBackwardFrameStepsStopAndPlayAgain) {
  CMainDlg& dlg = OpenThree(2.0);
  for (int i = 0; i < 5; ++i) Click(mainid::kFaster);
  EXPECT_EQ(TakeCommands(), (Texts{"SetSpeed(2)", "SetSpeed(4)", "SetSpeed(8)", "SetSpeed(16)"}));
  for (int i = 0; i < 9; ++i) Click(mainid::kSlower);
  EXPECT_EQ(TakeCommands().back(), "SetSpeed(0.0625)");
  EXPECT_EQ(dlg.GetSpeedDlg().Slider().GetPos(), 0);
  Click(mainid::kBackward);
  Click(mainid::kPause);
  EXPECT_TRUE(dlg.GetMapDlg().IsReplayPaused());  // the map page's track replay pauses with the picture
  Click(mainid::kPause);
  EXPECT_FALSE(dlg.GetMapDlg().IsReplayPaused());
  Click(mainid::kNextFrame);
  Click(mainid::kPrevFrame);
  EXPECT_EQ(TakeCommands(), (Texts{"SetPause(0)", "SetSpeed(-1)", "SetPause(1)", "SetSpeed(1)", "SetPause(0)",
                                   "SetSpeed(1.1)", "SetPause(0)", "SetSpeed(-1.1)", "SetPause(0)"}));
  EXPECT_TRUE(dlg.GetGsensorBar().GetHold());
  Click(mainid::kStop);  // paused by the frame step: the engine runs again before it closes
  EXPECT_EQ(TakeCommands(), (Texts{"SetPause(0)", "Close()", "SetSpeed(1)"}));
  EXPECT_EQ(PositionTip(), "Position");
  EXPECT_FALSE(dlg.GetChannelWindow().IsWindowVisible());
  fake_.engine().answers.currentEntry = Span(1).entry;
  Click(mainid::kPlay);
  EXPECT_TRUE(Has(TakeCommands(), PlayOf(1)));
  EXPECT_TRUE(dlg.IsPlaying() && dlg.GetChannelWindow().IsWindowVisible());
}

// Held, a frame button steps first 1.2 s after the next second's tick, then in periods of 0.8 of
// the last down to 51 ms, read every 10 ms; released, the stepping ends.
TEST_F(TransportTest, AHeldFrameButtonRepeatsInShorteningPeriodsUntilReleased) {
  CWnd* next = OpenThree(2.0).GetDlgItem(mainid::kNextFrame);
  plat::test::Mouse(next, WM_LBUTTONDOWN, {5, 5});
  std::vector<std::uint64_t> steps{plat::test::Clock().NowMs()};
  for (int ms = 0; ms < 8000; ms += 10) {
    plat::test::AdvanceTime(10);
    if (fake_.engine().CallsNamed("SetSpeed").size() >= steps.size()) steps.push_back(plat::test::Clock().NowMs());
  }
  std::vector<std::uint64_t> gaps;
  for (size_t i = 2; i < steps.size() && gaps.size() < 17; ++i) gaps.push_back(steps[i] - steps[i - 1]);
  EXPECT_EQ(gaps, (std::vector<std::uint64_t>{970, 770, 620, 500, 400, 320, 260, 210, 170, 130, 110, 90, 70, 60, 60, 60, 60}));
  EXPECT_TRUE(steps[1] - steps[0] > 1200 && steps[1] - steps[0] <= 2210);
  plat::test::Mouse(next, WM_LBUTTONUP, {5, 5});
  plat::test::AdvanceTime(10);
  fake_.engine().ClearCalls();
  plat::test::AdvanceTime(3000);
  EXPECT_TRUE(fake_.engine().CallsNamed("SetSpeed").empty());
}

// Volume buttons step within 0..27; the volume slider follows the level rule and a panel's
// slider the percent rule; the second audio box has no channel; layouts place channel and map.
TEST_F(TransportTest, VolumeLevelsPercentVolumesAudioBoxesAndChannelLayoutCells) {
  CMainDlg& dlg = OpenThree(2.0);
  Click(mainid::kVolumeUp);
  for (int i = 0; i < 28; ++i) Click(mainid::kVolumeDown);
  const Texts volumes = TakeCommands();
  EXPECT_EQ(Texts({volumes[0], volumes[1], volumes[27], volumes[28]}),
            (Texts{"SetVolume(0, 0)", "SetVolume(0, -160)", "SetVolume(0, -4320)", "SetVolume(0, -4320)"}));
  dlg.SendMessage(WM_PANEL_COMMAND, kSliderVolume, 10);
  EXPECT_EQ(dlg.GetVolumeLevel(), 10);
  for (int percent : {0, 50, 100, 150, -5}) dlg.SendMessage(WM_PANEL_COMMAND, kSliderVolumeLevel, percent);
  Click(mainid::kAudio1);
  Click(mainid::kAudio1);
  Click(mainid::kAudio2);
  EXPECT_EQ(TakeCommands(), (Texts{"SetVolume(0, -2720)", "SetVolume(0, -2700)", "SetVolume(0, -1250)", "SetVolume(0, 0)",
                                   "SetVolume(0, 0)", "SetVolume(0, -2700)", "SetVolume(0, -2720)", "SetVolume(0, -4320)"}));
  const auto placed = [&] {
    CRect channel;
    dlg.GetChannelWindow().GetWindowRect(&channel);
    dlg.ScreenToClient(&channel);
    return std::make_pair(channel, dlg.GetMapDlg().GetDockedRect());
  };
  Click(mainid::kLayout8);
  EXPECT_EQ(placed(), std::make_pair(CRect(58, 106, 514, 355), CRect(1002, 636, 1458, 885)));
  EXPECT_NE(ReadConfig().find("channel84=8"), std::string::npos);
  Click(mainid::kLayout4);
  EXPECT_EQ(placed(), std::make_pair(CRect(58, 106, 751, 487), CRect(767, 503, 1460, 884)));
}

// Each volume and speed control follows a change made with any other: the window's volume
// buttons move the video control panel's and the volume panel's bars; the video control panel's
// bar moves the window's; the speed panel's buttons move the window's slider and the video
// control panel's read-out; backward play shows the normal level everywhere.
TEST_F(TransportTest, EveryVolumeAndSpeedControlFollowsAChangeMadeWithAnyOther) {
  CMainDlg& dlg = OpenThree(2.0);
  VideoCtrlPanel& video = dlg.GetVideoCtrlPanel();
  for (int i = 0; i < 3; ++i) Click(mainid::kVolumeDown);
  EXPECT_EQ(video.VolumeSlider().GetPos(), 24);
  EXPECT_EQ(dlg.GetVolumeDlg().Slider().GetPos(), 24);
  video.SendMessage(WM_BITMAPSLIDER_MOVED, mainid::kBitmapVolume, 9);
  auto* windowBar = dynamic_cast<CBitmapSlider*>(dlg.GetDlgItem(mainid::kBitmapVolume));
  ASSERT_NE(windowBar, nullptr);
  EXPECT_EQ(windowBar->GetPos(), 9);
  EXPECT_EQ(dlg.GetVolumeDlg().Slider().GetPos(), 9);

  SpeedDlg& speed = dlg.GetSpeedDlg();
  const auto press = [](CSidePanel& panel, int id) {
    panel.Toggle(5);
    plat::test::Mouse(panel.GetDlgItem(id), WM_LBUTTONDOWN, {20, 20});
    plat::test::Mouse(panel.GetDlgItem(id), WM_LBUTTONUP, {20, 20});
    plat::test::Pump();
    panel.Toggle(0);
  };
  auto* windowSpeed = dynamic_cast<CVxSkinSldButton*>(dlg.GetDlgItem(mainid::kSpeedSlider));
  ASSERT_NE(windowSpeed, nullptr);
  press(speed, 1756);
  press(speed, 1756);
  EXPECT_EQ(video.GetSpeedText(), CString(L"  4 "));
  EXPECT_EQ(windowSpeed->GetPos(), 6);
  press(video, 1758);
  EXPECT_EQ(speed.GetSpeedText(), CString(L"  2 "));
  EXPECT_EQ(speed.Slider().GetPos(), 5);
  Click(mainid::kBackward);
  EXPECT_EQ(speed.Slider().GetPos(), CMainDlg::kNormalSpeedLevel);
  EXPECT_EQ(windowSpeed->GetPos(), CMainDlg::kNormalSpeedLevel);
  press(speed, 1756);  // a step after backward play goes on from level 5
  EXPECT_EQ(TakeCommands().back(), "SetSpeed(4)");
}

// A paused picture carries a pause sign: Pause shows it, Play again takes it away; a frame step
// leaves the picture paused with its sign; Stop takes it away.
TEST_F(TransportTest, APausedPictureCarriesAPauseSignUntilItPlaysOrStops) {
  CMainDlg& dlg = OpenThree(2.0);
  ASSERT_TRUE(dlg.PlayRecord(0));
  CPanelDlg& picture = dlg.GetChannelWindow();
  EXPECT_FALSE(picture.IsPausedMarkShown());
  Click(mainid::kPause);
  EXPECT_TRUE(picture.IsPausedMarkShown());
  Click(mainid::kPause);
  EXPECT_FALSE(picture.IsPausedMarkShown());
  Click(mainid::kNextFrame);
  EXPECT_TRUE(picture.IsPausedMarkShown());
  Click(mainid::kStop);
  EXPECT_FALSE(picture.IsPausedMarkShown());
}

// The map page keeps nothing of a stopped play: Stop takes the markers with the track, and the
// position. In the map view Play replays the dropped log's track, also once a replay has ended by
// itself, from its start.
TEST_F(TransportTest, StopClearsTheMapPageAndPlayReplaysAnEndedTrackFromItsStart) {
  CMainDlg& dlg = OpenThree(2.0);
  CMapDlg& map = dlg.GetMapDlg();
  plat::test::FakeWebBrowser* page = browsers_.Last();
  for (LPCWSTR id : {L"map_lat", L"map_status"}) page->values[id] = L"";
  page->FinishLoad(true);
  std::vector<std::string> drive;
  for (int s = 0; s < 10; ++s) {
    drive.push_back(fixtures::RmcSentence(fixtures::RoutePosition({}, s), 1'700'000'000'000'000LL + s * 1'000'000LL,
                                          fixtures::GpsForm::kGprmc));
  }
  for (const std::string& s : drive) map.UpdateMapPosition(s, false);
  EXPECT_EQ(page->values[L"map_status"], L"running");
  Click(mainid::kStop);
  EXPECT_EQ(page->values[L"map_status"], L"clear");
  EXPECT_EQ(page->values[L"map_lat"], L"0");

  for (int i = 0; i < 2 && !dlg.IsReplayView(); ++i) {  // beside the list, then the video's place
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kMapView, BN_CLICKED), 0);
  }
  ASSERT_TRUE(dlg.IsReplayView());
  GpsTrack track;
  for (const std::string& s : drive) track.AddSentence(s);
  map.ShowTrackBaseLine(track, std::numeric_limits<std::int64_t>::max());
  const auto replay = [&] {
    page->calls.clear();
    Click(mainid::kPlay);
    EXPECT_TRUE(plat::test::Eventually([&] {
      plat::test::Pump();
      return !map.IsReplayRunning();
    }));
    return std::count(page->calls.begin(), page->calls.end(), CString(L"refreshMap"));
  };
  const auto first = replay();
  EXPECT_GE(first, 10);
  EXPECT_EQ(page->values[L"map_status"], L"stopped");  // the replay's end leaves no position
  EXPECT_EQ(page->values[L"map_lat"], L"0");
  EXPECT_EQ(replay(), first);
}
