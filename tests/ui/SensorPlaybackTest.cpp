// The main window on the real engine playing a generated recording: the graph's curve follows the
// recording's G-sensor wave, and the channel window shows the pictures in each of its modes.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>


#include "app/AppConfig.h"
#include "engine/IIbpCtrl.h"
#include "platform/browser/FakeWebBrowser.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/PaintDC.h"
#include "platform/wnd/TestHarness.h"
#include "tests/fixtures/ScratchDir.h"
#include "tests/fixtures/StoreBuilder.h"
#include "tests/support/Eventually.h"
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
  }, 20000));

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
