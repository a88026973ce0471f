// The day view on recordings around midnight, too long or reversed, in two zones: marked days,
// grid colours, and a click on a minute that seeks there.
#include "controls/grid/GridTypes.h"
#include "platform/Time.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/ui/CommandsTestAccess.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

std::int64_t March(int day, int hour, int minute, int second = 0) {
  return plat::LocalToEpoch(2024, 3, day, hour, minute, second);
}

CGridCtrl& Grid(CMainDlg& dlg, int id) { return *dynamic_cast<CGridCtrl*>(dlg.GetDlgItem(id)); }

// One letter per cell: '.' grey, 'g' green, 'r' red.
std::string Colours(CGridCtrl& grid) {
  std::string cells;
  for (int c = 0; c < grid.GetColumnCount(); ++c) {
    const COLORREF colour = grid.GetItemBkColour(0, c);
    cells += colour == 0x686868 ? '.' : colour == 0x00FF00 ? 'g' : colour == 0x0000FF ? 'r' : '?';
  }
  return cells;
}

void Click(CMainDlg& dlg, int id, int column) {
  GridNotify notify;
  notify.hdr.idFrom = static_cast<UINT_PTR>(id);
  notify.hdr.code = static_cast<UINT>(NM_CLICK);
  notify.iRow = 0;
  notify.iColumn = column;
  dlg.SendMessage(WM_NOTIFY, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&notify));
}

}  // namespace

TEST_F(MainWindowTest, TheDayViewMarksRecordingsAcrossMidnightAndAGreenMinuteSeeksThere) {
  for (const char* tz : {"America/New_York", "Asia/Kolkata"}) {
    SCOPED_TRACE(tz);
    ScopedEnvironment zone("TZ", tz);
    CMainDlg& dlg = Start(1920, 1080);
    RecordSpanEntry midnight{.start = March(5, 23, 50), .end = March(6, 0, 10)};
    RecordSpanEntry tooLong{.start = March(7, 10, 0), .end = March(7, 11, 0, 1)};
    RecordSpanEntry reversed{.start = March(8, 10, 0), .end = March(8, 9, 0)};
    RecordSpanEntry morning{.start = March(5, 10, 5), .end = March(5, 10, 7, 30)};
    for (const RecordSpanEntry& span : {midnight, tooLong, reversed, morning}) dlg.AppendRecordSpan(span, {});

    dlg.MarkRecordedDays();
    std::vector<int> days;
    for (const COleDateTime& d : dynamic_cast<CMonthCalCtrlEx*>(dlg.GetDlgItem(mainid::kCalendar))->GetMarkedDates()) {
      days.push_back(d.GetDay());
    }
    EXPECT_EQ(days, (std::vector<int>{5, 6}));

    dlg.FillDay(COleDateTime(2024, 3, 5, 12, 0, 0));
    EXPECT_EQ(Colours(Grid(dlg, mainid::kHourGrid0)) + Colours(Grid(dlg, mainid::kHourGrid12)),
              std::string(10, '.') + "g" + std::string(12, '.') + "g");
    EXPECT_EQ(Colours(Grid(dlg, mainid::kMinuteGrid30)), std::string(30, '.'));  // no hour chosen
    Click(dlg, mainid::kHourGrid12, 11);
    EXPECT_EQ(Colours(Grid(dlg, mainid::kMinuteGrid0)), std::string(30, '.'));
    EXPECT_EQ(Colours(Grid(dlg, mainid::kMinuteGrid30)), std::string(20, '.') + std::string(10, 'g'));
    EXPECT_EQ(dlg.GetMinuteRecord(23, 49), -1);
    EXPECT_EQ(dlg.GetMinuteRecord(23, 59), 0);

    dlg.FillDay(COleDateTime(2024, 3, 6, 0, 0, 0));
    Click(dlg, mainid::kHourGrid0, 0);
    EXPECT_EQ(Colours(Grid(dlg, mainid::kMinuteGrid0)), std::string(11, 'g') + std::string(19, '.'));
    for (int day : {7, 8}) {
      dlg.FillDay(COleDateTime(2024, 3, day, 0, 0, 0));
      EXPECT_EQ(Colours(Grid(dlg, mainid::kHourGrid0)) + Colours(Grid(dlg, mainid::kHourGrid12)), std::string(24, '.'));
    }

    // The day of a recording's time, its hour and minute chosen; a grey minute only selects.
    dlg.MoveCalendarTo(midnight.start + 120);
    EXPECT_EQ(Grid(dlg, mainid::kHourGrid12).GetFocusCell(), CCellID(0, 11));
    EXPECT_EQ(Grid(dlg, mainid::kMinuteGrid30).GetMarkedCell(), CCellID(0, 22));
    fake_.engine().ClearCalls();
    Click(dlg, mainid::kMinuteGrid30, 5);
    EXPECT_TRUE(CallsNamed("Seek").empty());
    Click(dlg, mainid::kMinuteGrid30, 25);
    EXPECT_EQ(CallsNamed("Seek"), std::vector<std::string>{"Seek(" + std::to_string(March(5, 23, 55)) + ")"});
    EXPECT_EQ(MainDlgTestAccess::SeekLockUntil(dlg), GetTickCount() + 1000);
  }
  // The columns share each grid's width evenly and fill it exactly, without scroll bars.
  for (const auto& [id, columns] : {std::pair{mainid::kHourGrid0, 12}, {mainid::kMinuteGrid30, 30}}) {
    CGridCtrl& grid = Grid(*dlg_, id);
    CRect client;
    grid.GetClientRect(&client);
    ASSERT_EQ(grid.GetColumnCount(), columns);
    int sum = 0;
    for (int c = 0; c < columns; ++c) {
      EXPECT_NEAR(grid.GetColumnWidth(c), client.Width() / columns, 1);
      sum += grid.GetColumnWidth(c);
    }
    EXPECT_EQ(sum, client.Width());
    EXPECT_EQ(grid.GetRowHeight(0), client.Height());
    EXPECT_EQ(grid.GetScrollBarState(), 0);
  }
}
