// The compass, speed, car-data, control bar, caption and version panels.
#include <cmath>

#include "tests/ui/PanelTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

bool Reddish(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 110; }

CPoint CentreOf(const CWnd& wnd) {
  CRect r;
  wnd.GetWindowRect(&r);
  return r.CenterPoint();
}

}  // namespace

TEST_F(PanelTest, TheCompassWritesThePositionAndTurnsTheNeedleClockwiseByTheCourse) {
  EXPECT_EQ(CompassPanel::PositionText(0.0, L'N', L'S'), L" 0.000000 N");
  EXPECT_EQ(CompassPanel::PositionText(-121.5, L'E', L'W'), L"121.500000 W");
  EXPECT_EQ(CompassPanel::PositionText(CompassPanel::kNoPosition, L'N', L'S'), L"");
  SpyMainDlg& main = StartSpy();
  FixedCompassPanel compass(&main);
  ASSERT_TRUE(compass.Create(CompassPanel::kTemplate, &main));
  compass.Toggle(5);
  compass.fix = {25.05, 121.5, 0.0};
  compass.Invalidate();
  plat::test::Pump();
  // The needle (92 pixels, its pivot 11 above its foot) points up from (113, 117), then right.
  const CPoint up(113, 60);
  const CPoint right(170, 117);
  EXPECT_TRUE(Reddish(plat::test::Pixel(&compass, up.x, up.y)));
  EXPECT_FALSE(Reddish(plat::test::Pixel(&compass, right.x, right.y)));
  const COLORREF faceAtCorner = plat::test::Pixel(&compass, 104, 40);  // beside the needle's tip
  compass.fix.course = 90.0;
  compass.Invalidate();
  plat::test::Pump();
  EXPECT_FALSE(Reddish(plat::test::Pixel(&compass, up.x, up.y)));
  EXPECT_TRUE(Reddish(plat::test::Pixel(&compass, right.x, right.y)));
  EXPECT_NE(faceAtCorner, RGB(0, 0, 0));  // the needle's black never covers the face
}

TEST_F(PanelTest, TheSpeedPanelStepsWithinItsLevelsAndClampsWhatItsSliderHandsOn) {
  SpyMainDlg& main = StartSpy();
  SpeedDlg& speed = main.GetSpeedDlg();
  speed.Toggle(5);
  main.SetSpeedLevel(0);
  speed.SetSpeed(0.0625);  // as the main window's setter tells it
  fake_.engine().ClearCalls();
  Click(*speed.GetDlgItem(1758));
  EXPECT_EQ(speed.GetSpeedLevel(), 0);
  EXPECT_EQ(CallsNamed("SetSpeed"), std::vector<std::string>{"SetSpeed(0.0625)"});
  main.SetSpeedLevel(8);
  speed.SetSpeed(16.0);
  EXPECT_EQ(speed.GetSpeedText(), L" 16 ");
  Click(*speed.GetDlgItem(1758));
  EXPECT_EQ(speed.GetSpeedLevel(), 7);
  main.messages.clear();
  speed.SendMessage(WM_PANEL_COMMAND, kSliderSpeedLevel, 12);
  ASSERT_EQ(main.Of(WM_PANEL_COMMAND).size(), 1u);
  EXPECT_EQ(main.Of(WM_PANEL_COMMAND)[0].lParam, 8);
  EXPECT_EQ(speed.Slider().GetPos(), 8);
}

// The speed and volume panels are their pictures' size, so that no bare window shows along their
// right and bottom edges; the speed panel's step buttons stand at the two ends under its slider.
TEST_F(PanelTest, TheSpeedAndVolumePanelsAreTheirPicturesSizeWithTheStepButtonsAtTheSliderEnds) {
  SpyMainDlg& main = StartSpy();
  const ui::PanelLayout& speedDesign = ui::kSpeedPanel[0];
  for (auto [panel, width, height] : {std::tuple<CSidePanel*, int, int>{&main.GetSpeedDlg(), speedDesign.width, speedDesign.height},
                                      {&main.GetVolumeDlg(), ui::kVolumePanel.width, ui::kVolumePanel.height}}) {
    panel->Toggle(5);
    CRect r;
    panel->GetWindowRect(&r);
    EXPECT_EQ(r.Size(), CSize(width, height));
    const QImage shot = plat::test::Grab(panel);
    for (int y = 8; y < height - 8; ++y) EXPECT_NE(shot.pixel(width - 4, y) & 0xFFFFFF, 0xFFFFFFu) << y;
    panel->Toggle(0);
  }
  SpeedDlg& speed = main.GetSpeedDlg();
  const CRect faster = RectIn(speed, *speed.GetDlgItem(1756));
  const CRect slower = RectIn(speed, *speed.GetDlgItem(1758));
  EXPECT_EQ(speedDesign.width - faster.right, slower.left);
  EXPECT_EQ(faster.top, slower.top);
}

TEST_F(PanelTest, TheCarDataPanelKeepsWhatItIsGivenAndShowsItselfCentredOnTheMainWindow) {
  EXPECT_EQ(IOdlg::RpmText(750.4), L"0750 RPM");
  EXPECT_EQ(IOdlg::RpmText(12345), L"12345 RPM");
  SpyMainDlg& main = StartSpy();
  IOdlg& panel = main.GetCarDataPanel();
  const unsigned char inputs[8] = {0, 1, 0, 0, 0, 0, 0, 1};
  panel.SetCarData(L"Truck 07", L"D-4711", 3040.0, inputs);
  EXPECT_EQ(panel.GetCarInfo(), L"Truck 07");
  EXPECT_EQ(panel.GetDriverId(), L"D-4711");
  EXPECT_EQ(panel.GetRpm(), 3040.0);
  EXPECT_TRUE(panel.IsInputOn(1));
  const auto shown = [&](int item) { return (panel.GetDlgItem(item)->GetStyle() & WS_VISIBLE) != 0; };
  EXPECT_EQ(std::pair(shown(IOdlg::kOffPictureItem + 1), shown(IOdlg::kOnPictureItem + 1)), std::pair(false, true));
  EXPECT_EQ(std::pair(shown(IOdlg::kOffPictureItem + 2), shown(IOdlg::kOnPictureItem + 2)), std::pair(true, false));
  panel.MoveWindow(0, 0, 720, 200);
  panel.ShowCentered();
  EXPECT_EQ(CentreOf(panel), CentreOf(main));
  panel.SetCarData(L"", L"", std::nan(""), nullptr);
  EXPECT_EQ(panel.GetRpm(), 0.0);
  EXPECT_FALSE(panel.IsInputOn(7));
}

TEST_F(PanelTest, TheControlBarSpacesItsButtonsByItsWidthAndTheCaptionsMaxDoesNothing) {
  SpyMainDlg& main = StartSpy();
  CCtrlPanel& bar = main.GetCtrlPanel();
  bar.Toggle(5);
  bar.MoveWindow(480, 900, 1453, 170);
  EXPECT_EQ(CCtrlPanel::ButtonGap(1453), 100);
  EXPECT_EQ(RectIn(bar, *bar.GetDlgItem(mainid::kBackup)), CRect(20, 80, 85, 132));
  EXPECT_EQ(RectIn(bar, *bar.GetDlgItem(mainid::kSnapShot)).left, 185);
  EXPECT_EQ(RectIn(bar, *bar.GetDlgItem(mainid::kMapPage)).left, 20 + 6 * 165);
  EXPECT_FALSE(bar.GetDlgItem(mainid::kCompassPanel)->IsWindowVisible());
  bar.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kCompassPanel, BN_CLICKED));
  EXPECT_TRUE(main.GetCompassPanel().IsWindowVisible());
  Click(*bar.GetDlgItem(mainid::kCalendarPanel));
  Click(*bar.GetDlgItem(mainid::kNoEffect));
  EXPECT_TRUE(main.GetCalendarPanel().IsWindowVisible());
  EXPECT_TRUE(main.GetGsensorPanel().IsWindowVisible());
  Click(*bar.GetDlgItem(mainid::kSnapShot));
  EXPECT_EQ(main.Clicks(), std::vector<int>{mainid::kSnapShot});

  CClosePanel& caption = main.GetClosePanel();
  caption.Toggle(5);
  main.ShowWindow(SW_SHOW);
  Click(*caption.GetDlgItem(1776));
  EXPECT_EQ(main.Clicks(), std::vector<int>{mainid::kSnapShot});
  EXPECT_FALSE(main.GetStyle() & WS_MINIMIZE);
  Click(*caption.GetDlgItem(1744));
  EXPECT_TRUE(main.GetStyle() & WS_MINIMIZE);
}

TEST_F(PanelTest, TheVersionDialogTogglesCentredAndItsCloseBoxLetsTheNextToggleShowIt) {
  SpyMainDlg& main = StartSpy();
  main.ShowWindow(SW_SHOW);
  CVersionInfo& version = main.GetVersionInfo();
  version.Toggle(-1);
  EXPECT_TRUE(version.IsWindowVisible());
  EXPECT_LE(std::abs(CentreOf(version).x - CentreOf(main).x), 1);
  EXPECT_LE(std::abs(CentreOf(version).y - CentreOf(main).y), 1);
  version.Toggle(3);
  EXPECT_EQ(version.GetShowState(), CVersionInfo::kShown);
  version.Toggle(-1);
  EXPECT_FALSE(version.IsWindowVisible());
  version.Toggle(-1);
  version.SendMessage(WM_CLOSE);
  EXPECT_FALSE(version.IsWindowVisible());
  EXPECT_EQ(version.GetShowState(), CVersionInfo::kHidden);
  version.Toggle(-1);
  EXPECT_TRUE(version.IsWindowVisible());
}
