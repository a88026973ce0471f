// A recorder event log dropped on the main window: the card dialog lists its records in colour,
// the map page gets its track, and the G-sensor bars its samples, speeds and event marks where
// the records' times put them; the panel's bar is drawn into a picture.
#include <QImage>
#include <cmath>

#include "platform/gdi/Dc.h"
#include "platform/gdi/Surface.h"
#include "testdata/EventLogFile.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/WindowWait.h"
#include "tests/ui/MainWindowTestSupport.h"

namespace {

constexpr int kRecords = 121;  // one a second, as the recorder writes them
constexpr std::int64_t kFirst = 1709277150;  // 2024-03-01 07:12:30 UTC, 08:12:30 in Paris

// The road's shaking, a swerve around record 60 and a braking from record 80 to 95.
int SampleX(int i) { return (i % 2 ? 1 : -1) * static_cast<int>(40 + 360 * std::exp(-std::pow((i - 60) / 12.0, 2))); }
int SampleY(int i) { return (i % 3 ? 30 : -30) + (i > 80 && i < 95 ? -450 : 0); }

fixtures::EventLogRecord Record(int i) {
  char time[32];
  char gps[96];
  std::snprintf(time, sizeof time, "2024-03-01 08:%02d:%02d", 12 + (30 + i) / 60, (30 + i) % 60);
  std::snprintf(gps, sizeof gps, "$GPRMC,07%02d%02d.00,A,2232.1000,N,11403.%04d,E,40.0,90.0,010324,,,A*00",
                12 + (30 + i) / 60, (30 + i) % 60, 2000 + 100 * i);
  fixtures::EventLogRecord r{{"stime", time}, {"gps", gps}, {"vsp", std::to_string(30 + i % 50)},
                             {"gsensorX", std::to_string(SampleX(i))}, {"gsensorY", std::to_string(SampleY(i))}};
  if (i == 5) r["event"] = "100";             // flag 4, mark byte 1
  if (i == 15) r["mobileLdws"] = "1";         // flag 9, mark byte 8
  if (i == 20) r["overspeed_trigger"] = "1";  // flag 5, mark byte 4
  return r;
}

const GsensorSegmentMark& MarkOf(const GsensorBar& bar, int record) {
  return bar.Marks()[static_cast<size_t>(bar.Columns() * record / bar.Span() + 1)];
}

}  // namespace

TEST_F(MainWindowTest, ADroppedEventLogFillsTheListTheTrackAndTheGsensorBars) {
  ScopedEnvironment zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  std::vector<fixtures::EventLogRecord> records;
  for (int i = 0; i < kRecords; ++i) records.push_back(Record(i));
  ASSERT_TRUE(fixtures::WriteEventLog(dir_.File("TRIP.LOG"), records));
  ASSERT_TRUE(fixtures::WriteEventLog(dir_.File("short.log"), {Record(0), Record(1)}));
  CMainDlg& dlg = Start(1920, 1080);
  browsers_.Last()->FinishLoad(true);
  plat::test::Pump();
  fake_.engine().ClearCalls();
  ASSERT_TRUE(plat::DropFiles(dlg.GetSafeHwnd(), {CString(dir_.File("TRIP.LOG")), L"a.sd", L"b.log"}, {30, 30}));
  EXPECT_TRUE(CallsNamed("SetSource").empty());

  // The log is read while the window goes on; its records come when the window is told.
  CColorListCtrl& list = dlg.GetDiskDlg().EventList();
  EXPECT_EQ(list.GetItemCount(), 0);
  ASSERT_TRUE(plat::test::PumpUntil([&] { return list.GetItemCount() == kRecords; }));
  EXPECT_FALSE(dlg.GetDiskDlg().RecordList().GetStyle() & WS_VISIBLE);
  EXPECT_EQ(list.GetItemText(1, 0) + L" " + list.GetItemText(1, 4), L"2024-03-01 08:12:31 22.53500, 114.05350");
  const std::vector<CString>& page = browsers_.Last()->calls;
  EXPECT_EQ(std::count(page.begin(), page.end(), CString(L"BaseLine")), kRecords);

  const GsensorBar& head = dlg.GetGsensorBar();
  GsensorBar& panel = dlg.GetGsensorPanel().Bar();
  EXPECT_EQ(head.Start(), kFirst - dlg.GetTimeZoneOffset());
  EXPECT_EQ(head.Span(), kRecords - 1);
  EXPECT_TRUE(head.IsFrozen() && panel.IsFrozen());
  for (int i = 2; i < kRecords; ++i) {  // the first two records share the bars' first second
    const size_t second = static_cast<size_t>(i - 1);
    EXPECT_EQ(head.SecondRecords()[2 * second].x, SampleX(i)) << i;
    EXPECT_EQ(panel.SecondRecords()[2 * second + 1].y, SampleY(i)) << i;
    EXPECT_EQ(panel.SecondValues()[second], 30 + i % 50) << i;
  }
  EXPECT_TRUE(MarkOf(panel, 5).flags[1] && MarkOf(panel, 15).flags[8] && MarkOf(panel, 20).flags[4]);
  EXPECT_FALSE(MarkOf(panel, 20).flags[1]);

  QImage image(panel.GetRect().right, panel.GetRect().bottom, QImage::Format_RGB32);
  image.fill(Qt::black);
  CDC dc{plat::DcSurface{&image, {}, {}}};
  panel.Draw(&dc);
  int red = 0;
  for (int x = 0; x < image.width(); ++x) {
    for (int y = 0; y < image.height(); ++y) red += dc.GetPixel(x, y) == RGB(255, 0, 0);
  }
  EXPECT_GT(red, panel.Columns());
  plat::test::SavePng(image, "cards-event-log-gsensor-bar");

  ASSERT_TRUE(plat::DropFiles(dlg.GetSafeHwnd(), {CString(dir_.File("short.log"))}, {30, 30}));
  ASSERT_TRUE(plat::test::PumpUntil([&] { return list.GetItemCount() == 2; }));
  EXPECT_EQ(head.Span(), 1);
}
