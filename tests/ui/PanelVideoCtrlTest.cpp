// The video control panel driven as a user drives it: sound and volume, speed, the range slider,
// the rows at another height and the side shift.
#include "tests/ui/PanelTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

// The main window's volume level, kept here so that muting and unmuting can be followed.
class LevelSpyPanel : public VideoCtrlPanel {
 public:
  using VideoCtrlPanel::VideoCtrlPanel;
  int mainLevel = CMainDlg::kLoudestVolume;

 protected:
  int MainVolumeLevel() const override { return mainLevel; }
  void TellMainVolumeLevel(int level) override { mainLevel = level; }
};

bool Visible(const CWnd* wnd) { return wnd != nullptr && wnd->IsWindowVisible(); }

}  // namespace

TEST_F(PanelTest, UnmutingRestoresTheLevelOfTheMomentOfMutingAndMutedVolumeButtonsDoNothing) {
  SpyMainDlg& main = StartSpy();
  LevelSpyPanel panel(&main);
  ASSERT_TRUE(panel.Create(VideoCtrlPanel::kTemplate, &main));
  panel.Toggle(5);
  EXPECT_EQ(CallsNamed("SetVolume").back(), "SetVolume(0, 0)");  // full sound at start
  fake_.engine().ClearCalls();
  CWnd* soundOn = panel.GetDlgItem(1733);
  CWnd* soundOff = panel.GetDlgItem(1734);
  EXPECT_TRUE(Visible(soundOff));
  EXPECT_FALSE(Visible(soundOn));

  panel.mainLevel = 12;
  Click(*soundOff);
  EXPECT_FALSE(panel.IsSoundOn());
  EXPECT_EQ(panel.mainLevel, 0);
  EXPECT_TRUE(Visible(soundOn));
  EXPECT_FALSE(Visible(soundOff));
  EXPECT_FALSE(main.GetDlgItem(mainid::kVolumeSlider)->IsWindowEnabled());
  Click(*panel.GetDlgItem(mainid::kVolumeDown));
  Click(*panel.GetDlgItem(mainid::kVolumeUp));
  EXPECT_TRUE(main.Clicks().empty());
  panel.SetSound(0);  // muted again: the saved level stays
  Click(*soundOn);
  EXPECT_EQ(panel.mainLevel, 12);
  EXPECT_TRUE(main.GetDlgItem(mainid::kVolumeSlider)->IsWindowEnabled());
  Click(*panel.GetDlgItem(mainid::kVolumeUp));
  EXPECT_EQ(main.Clicks(), std::vector<int>{mainid::kVolumeUp});
}

// Through the main window, muting and unmuting each give the engine one volume.
TEST_F(PanelTest, MutingAndUnmutingGiveTheEngineOneVolumeEach) {
  SpyMainDlg& main = StartSpy();
  VideoCtrlPanel& panel = main.GetVideoCtrlPanel();
  panel.Toggle(5);
  auto* readOut = dynamic_cast<CBitmapSlider*>(main.GetDlgItem(mainid::kBitmapVolume));
  ASSERT_NE(readOut, nullptr);
  readOut->SetPos(12);
  main.OnBitmapSliderMoved(mainid::kBitmapVolume, 12);
  fake_.engine().ClearCalls();
  Click(*panel.GetDlgItem(1734));
  EXPECT_EQ(CallsNamed("SetVolume"), std::vector<std::string>{"SetVolume(0, -4320)"});
  Click(*panel.GetDlgItem(1733));
  EXPECT_EQ(CallsNamed("SetVolume"), (std::vector<std::string>{"SetVolume(0, -4320)", "SetVolume(0, -2400)"}));
  EXPECT_EQ(main.GetVolumeLevel(), 12);
}

TEST_F(PanelTest, SpeedTextsLevelStepsAndRowsThatFollowThePanelsHeight) {
  SpyMainDlg& main = StartSpy();
  VideoCtrlPanel& panel = main.GetVideoCtrlPanel();
  panel.SetSpeedText(0.3);
  EXPECT_EQ(panel.GetSpeedText(), L"");
  panel.SetSpeedText(16.0);
  EXPECT_EQ(panel.GetSpeedText(), L" 16 ");
  EXPECT_EQ(panel.GetSpeedLevel(), 8);
  panel.SetSpeedText(0.03125);
  EXPECT_EQ(panel.GetSpeedText(), L"1/32");
  EXPECT_EQ(panel.GetSpeedLevel(), 8);  // no level shows 1/32
  panel.SetSpeedText(0.0625);
  panel.Toggle(5);
  fake_.engine().ClearCalls();
  Click(*panel.GetDlgItem(1758));  // the level of 1/16 is the lowest
  Click(*panel.GetDlgItem(1756));
  EXPECT_EQ(CallsNamed("SetSpeed"), (std::vector<std::string>{"SetSpeed(0.0625)", "SetSpeed(0.125)"}));
  EXPECT_EQ(panel.GetSpeedLevel(), 1);


  // The scale's own example (h0 = 0, H = 540; the range row counts its Mark Save, 71 high).
  EXPECT_EQ(ui::VideoPanelRowTop(0, 540, 0), 40);
  EXPECT_EQ(ui::VideoPanelRowTop(9, 540, 0), 820);  // trunc(269 * 0.5) + 676 + 10
  EXPECT_EQ(ui::kVideoPanelBaseHeight, 781);
  panel.MoveWindow(3, 3, 480, 1075);
  EXPECT_EQ(RectIn(panel, panel.MarkBar()), CRect(62, 555, 424, 577));  // trunc(257 * 294 / 299) + 293 + 10
  EXPECT_EQ(RectIn(panel, *panel.GetDlgItem(1759)), CRect(3, 153, 16, 153 + 153 + 768));
}

// At the heights of the three UI modes every shown control lies inside the panel, below the one
// before it in the design's order and clear of every other shown control.
TEST_F(PanelTest, EveryRowFitsAtTheHeightOfEachMode) {
  SpyMainDlg& main = StartSpy();
  VideoCtrlPanel& panel = main.GetVideoCtrlPanel();
  panel.Toggle(5);
  for (const int height : {1075, 805, 571}) {
    SCOPED_TRACE(height);
    panel.MoveWindow(3, 3, 483, height);
    std::vector<CRect> shown;
    for (const ui::RowControl& c : ui::kVideoPanelControls) {
      const CWnd* control = panel.GetDlgItem(c.id);
      if (c.row < 0 || !Visible(control)) continue;
      const CRect r = RectIn(panel, *control);
      EXPECT_GE(r.top, 0) << c.id;
      EXPECT_LE(r.bottom, height) << c.id;
      for (const CRect& other : shown) EXPECT_TRUE(CRect().IntersectRect(r, other) == FALSE) << c.id;
      shown.push_back(r);
    }
    EXPECT_EQ(Visible(panel.GetDlgItem(1768)), height > 781);
    EXPECT_TRUE(Visible(panel.GetDlgItem(mainid::kBitmapVolume)));
  }
}

TEST_F(PanelTest, TheMarkBarHandsBothThumbsBeforeItsCommandAndTheVolumeSliderSetsThePercentVolume) {
  SpyMainDlg& main = StartSpy();
  VideoCtrlPanel& panel = main.GetVideoCtrlPanel();
  panel.Toggle(5);
  main.GetTimeRangeSlider().SetRange(1000, 2000);  // the panel's twin follows
  CVxSkinSldButton2& bar = panel.MarkBar();
  CRect r;
  bar.GetClientRect(&r);
  plat::test::Mouse(&bar, WM_LBUTTONDOWN, CPoint(r.right - 4, r.CenterPoint().y));
  plat::test::Mouse(&bar, WM_MOUSEMOVE, r.CenterPoint());
  plat::test::Mouse(&bar, WM_LBUTTONUP, r.CenterPoint());
  plat::test::Pump();
  const int end = bar.GetPos(1);
  EXPECT_GT(end, 1000);
  EXPECT_LT(end, 2000);
  ASSERT_EQ(main.Of(WM_PANEL_COMMAND).size(), 1u);
  const SpyMainDlg::Message released = main.Of(WM_PANEL_COMMAND)[0];
  EXPECT_EQ(released.wParam, static_cast<WPARAM>(kSliderTimeRange));
  EXPECT_EQ(released.lParam, end);
  EXPECT_EQ(std::pair(released.rangeStart, released.rangeEnd), std::pair(1000, end));
  EXPECT_EQ(main.GetTimeRangeSlider().GetActiveThumb(), 1);
  ASSERT_EQ(main.Of(WM_SLIDER_PRESSED).size(), 1u);
  const SpyMainDlg::Message pressed = main.Of(WM_SLIDER_PRESSED)[0];
  EXPECT_EQ(std::pair(pressed.rangeStart, pressed.rangeEnd), std::pair(1000, static_cast<int>(pressed.lParam)));

  main.messages.clear();
  CBitmapSlider& volume = panel.VolumeSlider();
  Click(volume, CPoint(76, 50));  // level 5 of 0..27 on 375 pixels
  EXPECT_EQ(volume.GetPos(), 5);
  ASSERT_EQ(main.Of(WM_PANEL_COMMAND).size(), 1u);
  EXPECT_EQ(main.Of(WM_PANEL_COMMAND)[0].wParam, static_cast<WPARAM>(kSliderVolumeLevel));
  EXPECT_EQ(main.Of(WM_PANEL_COMMAND)[0].lParam, 20);
  panel.SetSound(0);
  main.messages.clear();
  Click(volume, CPoint(300, 50));
  EXPECT_TRUE(main.Of(WM_PANEL_COMMAND).empty());
  EXPECT_EQ(volume.GetPos(), 0);  // muted, the slider shows the silence

  EXPECT_EQ(panel.GetSide(), VideoCtrlPanel::kLeftSide);
  Click(*panel.GetDlgItem(1757), CPoint(8, 300));  // the part within the panel
  EXPECT_EQ(panel.GetSide(), VideoCtrlPanel::kRightSide);
  Click(*panel.GetDlgItem(1759));
  EXPECT_EQ(panel.GetSide(), VideoCtrlPanel::kLeftSide);
}

// F6 toggles the version dialog once a press: its repeats are consumed without a toggle.
TEST_F(PanelTest, F6TogglesTheVersionDialogOncePerPress) {
  SpyMainDlg& main = StartSpy();
  main.ShowWindow(SW_SHOW);
  VideoCtrlPanel& panel = main.GetVideoCtrlPanel();
  MSG press{};
  press.hwnd = panel.GetSafeHwnd();
  press.message = WM_KEYDOWN;
  press.wParam = VK_F6;
  press.lParam = 1;
  MSG repeat = press;
  repeat.lParam = 1 | (LPARAM{1} << 30);
  EXPECT_TRUE(panel.PreTranslateMessage(&press));
  EXPECT_TRUE(panel.PreTranslateMessage(&repeat));
  EXPECT_TRUE(main.GetVersionInfo().IsWindowVisible());
  EXPECT_TRUE(panel.PreTranslateMessage(&press));
  EXPECT_FALSE(main.GetVersionInfo().IsWindowVisible());
}
