// The main window on the real engine playing generated recordings: the graph's curve follows the
// recording's G-sensor wave, and the channel window shows the pictures in each of its modes; the
// speed read-out, the position text and the map page follow the recording's route.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <set>
#include <thread>

#include "engine/IIbpCtrl.h"
#include "platform/gdi/GdiQt.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/PaintDC.h"
#include "settings/AppConfig.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestSignals.h"
#include "tests/support/Eventually.h"
#include "tests/support/FakeWebBrowser.h"
#include "tests/support/TestHarness.h"
#include "ui/MainDlg.h"

namespace {

// How many of the points, from the first, are whole chunks of the recording in their order (a
// chunk whose block came while the window was busy may be missing, none is repeated).
size_t PointsInChunkOrder(const fixtures::RecordingInfo& recording, const std::vector<CMainDlg::GsensorPoint>& points) {
  size_t at = 0;
  for (const fixtures::ChunkInfo& chunk : recording.chunks) {
    const auto& s = chunk.samples;
    if (s.empty() || at + s.size() > points.size()) continue;
    const bool same = std::equal(s.begin(), s.end(), points.begin() + static_cast<long>(at), [](const auto& a, const auto& p) {
      return a.x == p.x && a.y == p.y && a.z == p.z;
    });
    if (same) at += s.size();
  }
  return at;
}

}  // namespace

TEST(SensorPlaybackTest, TheGraphFollowsTheRecordingsWaveAndTheChannelWindowShowsItsPictures) {
  plat::test::Reset();
  const fixtures::ScratchDir dir("sensor-playback");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 6.0);
  desc.recordings[0].video = {640, 360, 30, 0, 30};
  const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, dir.File("drive.sd"));
  ASSERT_TRUE(layout);
  plat::test::FakeWebBrowsers browsers;
  plat::WindowPresenters presenters;
  auto dlg = std::make_unique<CMainDlg>();
  ASSERT_TRUE(dlg->Create(CMainDlg::kTemplate, nullptr));
  dlg->ShowWindow(SW_SHOW);
  CPanelDlg& channel = dlg->GetChannelWindow();
  channel.ShowWindow(SW_SHOW);
  IIbpCtrl* engine = dlg->GetEngine();
  engine->SetSource(CString(layout->path));
  ASSERT_EQ(engine->Play(nullptr, 0), EngineStart::kStarted);
  ASSERT_TRUE(plat::test::Eventually([&] {
    plat::test::Pump();
    return dlg->GetGsensorPoints().size() >= 100 && engine->GetVideoWidth(0) == 640;
  }));

  // The points are the chunks' samples in order; each column of each curve at its sample's height.
  const std::vector<CMainDlg::GsensorPoint> points = dlg->GetGsensorPoints();
  EXPECT_EQ(PointsInChunkOrder(layout->recordings[0], points), points.size());
  const ui::LayoutRect& area = ui::AreaRect(ui::Area::kGsensorGraph, 0);
  for (int axis = 0; axis < 3; ++axis) {
    const COLORREF colour = 0xFFu << (8 * axis);
    CBitmap curve;
    curve.CreateBitmap(area.Width(), area.Height(), 1, 32, nullptr);
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    CBitmap* old = memory.SelectObject(&curve);
    dlg->DrawGsensorCurve(memory, axis, colour);
    for (size_t i = 0; i + 1 < points.size(); ++i) {
      const int v = axis == 0 ? points[i].x : axis == 1 ? points[i].y : points[i].z;
      EXPECT_EQ(memory.GetPixel(40 + static_cast<int>(i), 100 - v * 57 / 512), colour) << axis << " " << i;
    }
    memory.SelectObject(old);
  }
  CClientDC dc(dlg.get());
  dlg->DrawGsensorGraph(dc);
  plat::test::SavePng(plat::test::Grab(dlg.get()).copy(area.left, area.top, area.Width(), area.Height()),
                      "sensor-graph-playing");

  // The picture in each mode (the engine's threads move the test clock, so no double click here).
  EXPECT_EQ(channel.GetWindowText(), L"Channel-01 640x360");
  for (const char* mode : {"embedded", "floating", "full-screen"}) {
    for (int pass = 0; pass < 10; ++pass) {
      plat::test::Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    plat::test::SavePng(plat::test::Grab(&channel), QString("channel-window-") + mode);
    channel.SwitchMode();
  }
  EXPECT_EQ(channel.GetMode(), CPanelDlg::kEmbedded);
  dlg.reset();
  g_appConfig.SetAppFolder(programFolder);
}

namespace {

// A drive of a recording and the speed read-out's text for it in its on-screen unit
// ("SetEDR_Speed": 0 km/h, 1 mph, 2 knots); no speed lies near a rounding edge of its unit.
struct Drive {
  int unit;
  fixtures::RouteDescription route;
};

// The read-out texts of the car's speeds that a recording of that route carries, in the unit (1
// miles an hour, 2 knots, else km/h).
std::set<std::string> CarSpeedTexts(const Drive& drive, int seconds) {
  const double divisor = drive.unit == 1 ? 1.609 : drive.unit == 2 ? 1.852 : 1.0;
  std::set<std::string> texts;
  for (int second = 0; second < seconds; ++second) {
    char text[16];
    std::snprintf(text, sizeof text, "%3.0f", fixtures::TestCarData(second, drive.route.speedKmh).speedKmh / divisor);
    texts.insert(text);
  }
  return texts;
}

// Degrees of an RMC coordinate, (d)ddmm.mmmm, and its hemisphere.
double Degrees(const std::string& field, const std::string& hemisphere) {
  const double value = std::stod(field);
  const double degrees = std::floor(value / 100) + std::fmod(value, 100) / 60;
  return hemisphere == "S" || hemisphere == "W" ? -degrees : degrees;
}

// Latitude and longitude of the RMC sentence that the recorder wrote.
std::pair<double, double> FixOf(const std::string& rmc) {
  std::vector<std::string> f(1);
  for (char c : rmc) {
    if (c == ',') {
      f.emplace_back();
    } else {
      f.back().push_back(c);
    }
  }
  return {Degrees(f[3], f[4]), Degrees(f[5], f[6])};
}

CString PositionText(double value, wchar_t positive, wchar_t negative) {
  CString text;
  text.Format(L"%9.6f  %c", std::fabs(value), value < 0.0 ? negative : positive);
  return text;
}

QImage Drawn(const std::function<void(CDC&)>& draw) {
  CBitmap bitmap;
  bitmap.CreateBitmap(200, 220, 1, 32, nullptr);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&bitmap);
  draw(dc);
  dc.SelectObject(old);
  return plat::ImageOf(bitmap);
}

}  // namespace

// Each recording played in a window whose unit is the drive's: the read-out shows the route's speed
// in that unit, the position text the fix that a chunk of the recording carries, at the route's
// place at that chunk's time, and the map page that fix, drawn on a running track.
TEST(SensorPlaybackTest, TheSpeedReadOutThePositionTextAndTheMapPageShowTheRecordingsRoute) {
  plat::test::Reset();
  const fixtures::ScratchDir dir("sensor-route");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  const Drive drives[] = {{0, {-22.5, 1.5, 90.0, 100.0}}, {1, {48.2, -11.6, 0.0, 75.0}}, {2, {-33.9, -70.6, 200.0, 130.0}}};
  plat::test::FakeWebBrowsers browsers;
  plat::WindowPresenters presenters;
  for (const Drive& drive : drives) {
    // One recording a backup, so that none plays on after it.
    fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 12.0);
    desc.recordings[0].route = drive.route;
    const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, dir.File("drive.sd"));
    ASSERT_TRUE(layout);
    std::ofstream(dir.File("Config.ini"), std::ios::trunc) << "[Config]\nSetEDR_Speed=" << drive.unit << "\n";
    auto dlg = std::make_unique<CMainDlg>();
    dlg->SetArguments({L"-f", CString(layout->path)});
    ASSERT_TRUE(dlg->Create(CMainDlg::kTemplate, nullptr));
    plat::test::FakeWebBrowser& page = *browsers.Last();
    for (LPCWSTR id : {L"map_lng", L"map_lat", L"map_status"}) page.values[id] = L"";
    page.FinishLoad(true);
    ASSERT_TRUE(dlg->PlayRecord(0));
    ASSERT_TRUE(plat::test::Eventually([&] {
      plat::test::Pump();
      const CString& speed = dlg->GetSpeedText();
      return page.values[L"map_status"] == L"running" && !speed.IsEmpty() && speed != L"  0";
    })) << drive.unit;

    // The car's own speed, as the on-screen text shows it.
    EXPECT_EQ(CarSpeedTexts(drive, 12).count(dlg->GetSpeedText().ToUtf8()), 1u) << dlg->GetSpeedText().ToUtf8();
    const double latitude = dlg->GetLatitude();
    const double longitude = dlg->GetLongitude();
    const fixtures::RecordingInfo& recording = layout->recordings[0];
    const std::vector<fixtures::ChunkInfo>& chunks = recording.chunks;
    const auto chunk = std::find_if(chunks.begin(), chunks.end(), [&](const fixtures::ChunkInfo& c) {
      const auto [lat, lng] = FixOf(c.gps);
      return std::fabs(lat - latitude) < 1e-9 && std::fabs(lng - longitude) < 1e-9;
    });
    ASSERT_NE(chunk, chunks.end()) << latitude << " " << longitude;
    const double seconds = static_cast<double>(chunk->timeUs - recording.start * 1000000) / 1e6;
    const fixtures::GpsFix route = fixtures::RoutePosition(drive.route, seconds);
    const auto [fixLatitude, fixLongitude] = FixOf(chunk->gps);
    EXPECT_NEAR(fixLatitude, route.latitude, 2e-6);
    EXPECT_NEAR(fixLongitude, route.longitude, 2e-6);
    EXPECT_EQ(Drawn([&](CDC& dc) { dlg->DrawPositionText(dc); }), Drawn([&](CDC& dc) {
                dc.SetBkMode(TRANSPARENT);
                dc.SetTextColor(0x0000FF);
                dc.TextOut(35, 197, PositionText(fixLatitude, L'N', L'S'));
                dc.TextOut(35, 182, PositionText(fixLongitude, L'E', L'W'));
              }));
    EXPECT_NEAR(std::stod(page.values[L"map_lat"].ToUtf8()), latitude, 1e-6);
    EXPECT_NEAR(std::stod(page.values[L"map_lng"].ToUtf8()), longitude, 1e-6);
    EXPECT_NE(std::find(page.calls.begin(), page.calls.end(), CString(L"refreshMap")), page.calls.end());
  }
  g_appConfig.SetAppFolder(programFolder);
}

// A recorder's GPS gives a fix a second, which the sensor block of every chunk repeats until the
// next: the map page is told each new fix once, and of each only the inputs that changed, not
// every block's fix again; the position text follows every fix, the first five too.
TEST(SensorPlaybackTest, TheMapPageIsToldEachNewFixOnceNotEverySensorBlock) {
  plat::test::Reset();
  const fixtures::ScratchDir dir("sensor-map-calls");
  const CString programFolder = g_appConfig.GetAppFolder();
  g_appConfig.SetAppFolder(CString(dir.Path()));
  fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 9.0);
  desc.recordings[0].route.fixEverySecond = true;
  const std::optional<fixtures::Layout> layout = fixtures::BuildStore(desc, dir.File("drive.sd"));
  ASSERT_TRUE(layout);
  std::set<std::string> fixes;
  for (const fixtures::ChunkInfo& chunk : layout->recordings[0].chunks) fixes.insert(chunk.gps);
  ASSERT_GE(layout->recordings[0].chunks.size(), 3 * fixes.size());
  plat::test::FakeWebBrowsers browsers;
  plat::WindowPresenters presenters;
  auto dlg = std::make_unique<CMainDlg>();
  dlg->SetArguments({L"-f", CString(layout->path)});
  ASSERT_TRUE(dlg->Create(CMainDlg::kTemplate, nullptr));
  plat::test::FakeWebBrowser& page = *browsers.Last();
  page.values[L"map_status"] = L"";
  page.FinishLoad(true);
  ASSERT_TRUE(dlg->PlayRecord(0));
  const int writesAtStart = page.valueWrites;
  page.calls.clear();
  ASSERT_TRUE(plat::test::Eventually([&] {  // the play's end ends the track
    plat::test::Pump();
    return page.values[L"map_status"] == L"stopped";
  }));
  const auto count = [&](LPCWSTR call) { return std::count(page.calls.begin(), page.calls.end(), CString(call)); };
  const auto refreshes = static_cast<std::size_t>(count(L"refreshMap"));
  EXPECT_EQ(count(L"showPosition"), 5);
  // The sixth fix on, and the end; a window kept busy for a whole second may miss a fix.
  EXPECT_GE(refreshes, fixes.size() / 2);
  EXPECT_LE(refreshes, fixes.size() - 4);
  // Each fix writes its position and its segment's time; speed, course, offsets and line stay.
  EXPECT_LE(static_cast<std::size_t>(page.valueWrites - writesAtStart), 3 * fixes.size() + 3);
  g_appConfig.SetAppFolder(programFolder);
}
