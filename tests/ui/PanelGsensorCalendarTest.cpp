// The G-sensor panel's graph clicks, and the calendar panel on a backup with recordings on three
// days: the days and minutes it marks and the recording a minute click plays.
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/PanelTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

class PlaySpyCalendar : public CalendarPanel {
 public:
  using CalendarPanel::CalendarPanel;
  std::vector<int> played;

 protected:
  void PlaySpan(int span) override { played.push_back(span); }
};

void ClickCell(CGridCtrl& grid, int column) {
  CRect cell;
  ASSERT_TRUE(grid.GetCellRect(0, column, &cell));
  plat::test::Mouse(&grid, WM_LBUTTONDOWN, cell.CenterPoint());
  plat::test::Mouse(&grid, WM_LBUTTONUP, cell.CenterPoint());
  plat::test::Pump();
}

std::vector<COLORREF> Colours(CGridCtrl& grid) {
  std::vector<COLORREF> colours;
  for (int c = 0; c < grid.GetColumnCount(); ++c) colours.push_back(grid.GetItemBkColour(0, c));
  return colours;
}

// The colours of a grid with the recorded cells green and every other grey.
std::vector<COLORREF> Marked(int columns, std::initializer_list<int> recorded) {
  std::vector<COLORREF> colours(static_cast<size_t>(columns), CalendarPanel::kEmptyColour);
  for (int c : recorded) colours[static_cast<size_t>(c)] = CalendarPanel::kRecordedColour;
  return colours;
}

}  // namespace

TEST_F(PanelTest, AGraphClickSeeksToTheTimeUnderItOnlyWhileARecordingIsOpen) {
  SpyMainDlg& main = StartSpy();
  GsensorPanel& panel = main.GetGsensorPanel();
  panel.Toggle(-1);
  panel.Toggle(-1);
  EXPECT_FALSE(panel.IsWindowVisible());
  panel.Toggle(7);
  plat::test::Pump();
  // 460 pixels less the bar's margins (32 and 42) plus 2: a second per pixel.
  main.GetPositionSlider().SetRange(1000, 1388);
  main.GetPositionSlider().SetPos(1100);
  EXPECT_EQ(panel.PositionSlider().GetPos(), 1100);
  Click(panel, CPoint(200, 120));
  EXPECT_EQ(panel.Bar().CursorX(), 200);
  EXPECT_TRUE(main.Of(WM_PANEL_COMMAND).empty());

  IndexEntry entry;
  fake_.engine().answers.currentEntry = &entry;
  for (const auto& [x, time] : {std::pair{4, 1000}, {32, 1000}, {226, 1194}, {455, 1388}}) {
    Click(panel, CPoint(x, 120));
    ASSERT_FALSE(main.Of(WM_PANEL_COMMAND).empty());
    EXPECT_EQ(main.Of(WM_PANEL_COMMAND).back().wParam, static_cast<WPARAM>(kSliderSeek));
    EXPECT_EQ(main.Of(WM_PANEL_COMMAND).back().lParam, time) << "x " << x;
  }
  fake_.engine().answers.currentEntry = nullptr;
}

TEST_F(PanelTest, TheCalendarMarksTheRecordedDaysAndMinutesAndAMinuteClickPlaysItsRecordingFromThere) {
  ScopedEnvironment tz("TZ", "America/New_York");
  const std::string backup = dir_.File("days.sd");
  ASSERT_TRUE(BuildThreeDayBackup(backup));
  ASSERT_TRUE(fake_.engine().UseStore(backup));
  SpyMainDlg& main = StartSpy({L"-f", CString(backup)});
  ASSERT_EQ(main.GetSpans().size(), 3u);
  const std::vector<RecordSpanEntry> spans = main.GetSpans();
  PlaySpyCalendar panel(&main);
  ASSERT_TRUE(panel.Create(CalendarPanel::kTemplate, &main));
  panel.Toggle(5);
  std::vector<int> days;
  for (const COleDateTime& d : panel.Calendar().GetMarkedDates()) days.push_back(d.GetDay());
  EXPECT_EQ(days, (std::vector<int>{1, 2, 3}));

  panel.ShowDay(COleDateTime(2024, 3, 2, 0, 0, 0));
  EXPECT_EQ(Colours(panel.Grid(0)), Marked(12, {}));
  EXPECT_EQ(Colours(panel.Grid(1)), Marked(12, {11}));
  EXPECT_EQ(Colours(panel.Grid(3)), Marked(30, {}));  // no hour chosen
  ClickCell(panel.Grid(1), 11);
  EXPECT_EQ(Colours(panel.Grid(2)), Marked(30, {}));
  EXPECT_EQ(Colours(panel.Grid(3)), Marked(30, {29}));
  fake_.engine().ClearCalls();
  ClickCell(panel.Grid(3), 28);  // grey: nothing plays
  EXPECT_TRUE(panel.played.empty());
  ClickCell(panel.Grid(3), 29);  // 23:59, the recording starts at 23:59:57
  EXPECT_EQ(panel.played, std::vector<int>{1});
  EXPECT_EQ(CallsNamed("Seek"), std::vector<std::string>{"Seek(" + std::to_string(spans[1].start) + ")"});

  // The day after, chosen in the calendar: the same recording from midnight, and the next one.
  panel.Calendar().SetCurrentDate(COleDateTime(2024, 3, 3, 0, 0, 0));
  NMHDR changed{panel.Calendar().GetSafeHwnd(), mainid::kCalendar, static_cast<UINT>(NM_MONTHCAL_DATECHANGE)};
  panel.SendMessage(WM_NOTIFY, mainid::kCalendar, reinterpret_cast<LPARAM>(&changed));
  EXPECT_EQ(Colours(panel.Grid(0)), Marked(12, {0, 10}));
  ClickCell(panel.Grid(0), 0);
  ClickCell(panel.Grid(2), 0);
  ClickCell(panel.Grid(0), 10);
  ClickCell(panel.Grid(3), 0);
  EXPECT_EQ(panel.played, (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(CallsNamed("Seek").back(), "Seek(" + std::to_string(spans[2].start) + ")");
  EXPECT_EQ(CallsNamed("Seek")[1], "Seek(" + std::to_string(LocalTime(2024, 3, 3, 0, 0, 0)) + ")");

  panel.ShowTime(spans[0].start);
  EXPECT_EQ(panel.GetShownDay(), (panels::Date{2024, 3, 1}));
  EXPECT_EQ(panel.Calendar().GetCurrentDate().GetDay(), 1);
  EXPECT_EQ(panel.GetSelectedHour(), 8);
  EXPECT_EQ(panel.Grid(0).GetMarkedCell().col, 8);
  EXPECT_EQ(panel.Grid(2).GetMarkedCell().col, 12);
  panel.ShowTime(0);
  EXPECT_EQ(panel.GetShownDay(), (panels::Date{2024, 3, 1}));
}

TEST(DayIndexTest, LongOrBackwardSpansMarkNothingAndASpanOverMidnightMarksBothDays) {
  ScopedEnvironment tz("TZ", "Asia/Kolkata");
  const std::int64_t ten = LocalTime(2024, 5, 1, 10, 0, 0);
  const std::int64_t late = LocalTime(2024, 5, 1, 23, 50, 0);
  const std::vector<RecordSpanEntry> spans = {
      {nullptr, 0, ten, ten + 3601}, {nullptr, 0, ten + 60, ten}, {nullptr, 0, late, late + 20 * 60}};
  panels::DayIndex day;
  day.Fill(spans, {2024, 5, 1}, app::DisplayZone::PcZone());
  EXPECT_EQ(day.HourMark(10), 0);
  EXPECT_EQ(day.MinuteMark(23, 49), 0);
  EXPECT_EQ(day.SpanAt(23, 50), 2);
  EXPECT_EQ(day.SpanAt(23, 59), 2);
  day.Fill(spans, {2024, 5, 2}, app::DisplayZone::PcZone());
  EXPECT_EQ(day.SpanAt(0, 10), 2);
  EXPECT_EQ(day.MinuteMark(0, 11), 0);
  EXPECT_EQ(panels::RecordedDays(spans, app::DisplayZone::PcZone()),
            (std::vector<panels::Date>{{2024, 5, 1}, {2024, 5, 2}}));
}

// The Close buttons of the G-sensor and calendar panels cover none of the panel's other shown
// controls (the range slider's thumbs, the calendar's month list).
TEST_F(PanelTest, ThePanelsCloseButtonsCoverNothing) {
  SpyMainDlg& main = StartSpy();
  const auto check = [&](CSidePanel& panel, std::span<const ui::PanelControl> design) {
    panel.Toggle(5);
    plat::test::Pump();
    const CWnd* close = panel.GetDlgItem(mainid::kClose);
    ASSERT_TRUE(close != nullptr && close->IsWindowVisible());
    const CRect closeRect = RectIn(panel, *close);
    CRect client;
    panel.GetClientRect(&client);
    CRect inside;
    inside.IntersectRect(closeRect, client);
    EXPECT_EQ(inside, closeRect);
    for (const ui::PanelControl& c : design) {
      const CWnd* other = panel.GetDlgItem(c.id);
      if (c.id == mainid::kClose || other == nullptr || !other->IsWindowVisible()) continue;
      EXPECT_FALSE(CRect().IntersectRect(closeRect, RectIn(panel, *other))) << c.id;
    }
  };
  check(main.GetGsensorPanel(), ui::kGsensorPanelControls);
  check(main.GetCalendarPanel(), ui::kCalendarPanelControls);
}
