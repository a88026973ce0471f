// Each panel in the place and mode it is used in, showing a recording of a generated backup: the
// PNGs under test-output/ are for looking at.
#include <QPainter>
#include <QString>

#include "testdata/TestSignals.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/PanelTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

void Save(const CWnd& panel, const char* name) {
  EXPECT_FALSE(plat::test::SavePng(plat::test::Grab(&panel), QString("panel-") + name).isEmpty());
}

// Two minutes of the fixtures' G-sensor samples, a jolt in the 40th second, as a recording feeds
// the main window's bar.
void FeedGsensor(CMainDlg& main, int start) {
  constexpr int kSeconds = 120;
  GsensorBar& bar = main.GetGsensorBar();
  bar.SetTimeRange(start, kSeconds);
  for (int second = 0; second < kSeconds; ++second) {
    for (const fixtures::GSample& s : fixtures::TestGSamples(static_cast<std::uint32_t>(100 + second), second == 40)) {
      bar.AddSample(s.x, s.y, s.z, start + second + 1);
    }
  }
  bar.ReloadSamples();
  bar.SetClockTime(start + kSeconds);
}

// A panel as it is seen: a colour-keyed one without its black.
QImage SeenOf(const CWnd& panel, bool keyed) {
  QImage seen = plat::test::Grab(&panel).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; keyed && y < seen.height(); ++y) {
    for (int x = 0; x < seen.width(); ++x) {
      if ((seen.pixel(x, y) & 0xFFFFFFu) == 0) seen.setPixel(x, y, 0);
    }
  }
  return seen;
}

}  // namespace

TEST_F(PanelTest, EachPanelShowsARecordingInItsPlace) {
  ScopedEnvironment tz("TZ", "Europe/Berlin");
  const std::string backup = dir_.File("days.sd");
  ASSERT_TRUE(BuildThreeDayBackup(backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup));
  SpyMainDlg& main = StartSpy({L"-f", CString(backup)});
  ASSERT_EQ(main.GetSpans().size(), 3u);
  const int start = static_cast<int>(main.GetSpans()[2].start);
  const int end = static_cast<int>(main.GetSpans()[2].end);
  main.GetPositionSlider().SetRange(start, end);
  main.GetPositionSlider().SetPos(start + 3);
  main.GetTimeRangeSlider().SetRange(start, end);
  main.GetTimeRangeSlider().SetPos(0, start + 1);

  VideoCtrlPanel& video = main.GetVideoCtrlPanel();
  video.Toggle(5);
  video.SetSpeedText(2.0);
  video.VolumeSlider().SetPos(20);
  for (const auto& [height, name] : {std::pair{1075, "video-control-1920"}, {805, "video-control-1440"}, {571, "video-control-1024"}}) {
    video.MoveWindow(3, 3, 483, height);
    Save(video, name);
  }

  GsensorPanel& gsensor = main.GetGsensorPanel();
  gsensor.Toggle(5);
  FeedGsensor(main, start);
  gsensor.Refresh();
  Click(gsensor, CPoint(200, 120));
  Save(gsensor, "gsensor");

  CalendarPanel& calendar = main.GetCalendarPanel();
  calendar.Toggle(5);
  calendar.ShowTime(main.GetSpans()[1].start);
  Save(calendar, "calendar");

  FixedCompassPanel compass(&main);
  ASSERT_TRUE(compass.Create(CompassPanel::kTemplate, &main));
  const fixtures::GpsFix fix = fixtures::RoutePosition(fixtures::RouteDescription{}, 3.0);
  compass.fix = {fix.latitude, fix.longitude, 60.0};
  compass.Toggle(5);
  Save(compass, "compass");

  main.GetSpeedDlg().Toggle(5);
  main.SetSpeedLevel(6);
  Save(main.GetSpeedDlg(), "speed");
  main.GetVolumeDlg().Toggle(5);
  main.GetVolumeDlg().Slider().SetPos(18);
  Save(main.GetVolumeDlg(), "volume");

  IOdlg& carData = main.GetCarDataPanel();
  const fixtures::CarData car = fixtures::TestCarData(3, 60.0);
  const unsigned char inputs[8] = {1, 0, 1, 0, 1, 0, 0, 0};
  carData.SetCarData(L"Truck 07, plate KA-1234", L"D-4711", car.rpm, inputs);
  carData.Toggle(5);
  carData.ShowCentered();
  Save(carData, "car-data");

  CCtrlPanel& bar = main.GetCtrlPanel();
  bar.Toggle(5);
  bar.MoveWindow(483, 1080 - 170 - 2, 1920 - 483 - 3, 170);
  Save(bar, "control-bar");
  main.GetClosePanel().Toggle(5);
  Save(main.GetClosePanel(), "caption");
  main.GetVersionInfo().Toggle(-1);
  Save(main.GetVersionInfo(), "version");
  EXPECT_EQ(plat::TakeMissedBitmapResources(), std::vector<UINT>{});
}

// The sliding panels over the main window in each mode (their button is hidden: the command is
// sent), with the caption panel: each stays inside the window, and the PNG shows them together.
TEST_F(MainWindowTest, TheSlidingPanelsAndTheCaptionPanelStayInsideTheWindowInEachMode) {
  for (const auto& [width, height] : {std::pair{1920, 1080}, {1440, 900}, {1024, 600}}) {
    CMainDlg& main = Start(width, height);
    SCOPED_TRACE(main.GetUiMode());
    main.ShowWindow(SW_SHOW);
    main.GetClosePanel().Toggle(5);
    main.RefreshCaptionPanel();
    main.SendMessage(WM_COMMAND, MAKEWPARAM(mainid::kSlidePanel, BN_CLICKED));
    CRect window;
    main.GetWindowRect(&window);
    QImage shot = plat::test::Grab(&main);
    QPainter painter(&shot);
    for (CWnd* panel : {static_cast<CWnd*>(&main.GetVideoCtrlPanel()), static_cast<CWnd*>(&main.GetCtrlPanel()),
                        static_cast<CWnd*>(&main.GetClosePanel())}) {
      ASSERT_TRUE(panel->IsWindowVisible());
      CRect r;
      panel->GetWindowRect(&r);
      CRect inside;
      inside.IntersectRect(r, window);
      EXPECT_TRUE(inside == r) << r.left << "," << r.top << " " << r.right << "," << r.bottom;
      painter.drawImage(r.left - window.left, r.top - window.top, SeenOf(*panel, panel == &main.GetCtrlPanel()));
    }
    CCtrlPanel& bar = main.GetCtrlPanel();
    CRect barClient, map;
    bar.GetClientRect(&barClient);
    bar.GetDlgItem(mainid::kMapPage)->GetWindowRect(&map);
    bar.ScreenToClient(&map);
    EXPECT_LE(map.right, barClient.right);  // the last shown button stays on the bar
    painter.end();
    plat::test::SavePng(shot, QString("slide-panels-mode-%1").arg(main.GetUiMode()));
  }
}
