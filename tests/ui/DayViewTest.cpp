// The day view on recordings around midnight, too long or reversed, in two zones: marked days,
// grid colours, and a click on a minute that seeks there.
#include <algorithm>
#include <numeric>

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
std::string Colours(CMainDlg& dlg, int id) {
  const CGridCtrl& grid = Grid(dlg, id);
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
    // Across midnight, an hour and a second, reversed, and two minutes in the morning.
    for (const auto& [start, end] : {std::pair{March(5, 23, 50), March(6, 0, 10)},
                                     {March(7, 10, 0), March(7, 11, 0, 1)},
                                     {March(8, 10, 0), March(8, 9, 0)},
                                     {March(5, 10, 5), March(5, 10, 7, 30)}}) {
      dlg.AppendRecordSpan({.start = start, .end = end}, {});
    }
    dlg.MarkRecordedDays();
    std::vector<int> days;
    for (const COleDateTime& d : dynamic_cast<CMonthCalCtrlEx*>(dlg.GetDlgItem(mainid::kCalendar))->GetMarkedDates()) {
      days.push_back(d.GetDay());
    }
    EXPECT_EQ(days, (std::vector<int>{5, 6}));

    const auto hours = [&] { return Colours(dlg, mainid::kHourGrid0) + Colours(dlg, mainid::kHourGrid12); };
    const auto minutes = [&] { return Colours(dlg, mainid::kMinuteGrid0) + Colours(dlg, mainid::kMinuteGrid30); };
    dlg.FillDay(COleDateTime(2024, 3, 5, 12, 0, 0));
    EXPECT_EQ(hours(), std::string(10, '.') + "g" + std::string(12, '.') + "g");
    EXPECT_EQ(minutes(), std::string(60, '.'));  // no hour chosen
    Click(dlg, mainid::kHourGrid12, 11);
    EXPECT_EQ(minutes(), std::string(50, '.') + std::string(10, 'g'));
    EXPECT_EQ(dlg.GetMinuteRecord(23, 59), 0);
    dlg.FillDay(COleDateTime(2024, 3, 6, 0, 0, 0));
    Click(dlg, mainid::kHourGrid0, 0);
    EXPECT_EQ(minutes(), std::string(11, 'g') + std::string(49, '.'));
    for (int day : {7, 8}) {
      dlg.FillDay(COleDateTime(2024, 3, day, 0, 0, 0));
      EXPECT_EQ(hours(), std::string(24, '.'));
    }

    // The day of a recording's time, its hour and minute chosen; a grey minute only selects.
    dlg.MoveCalendarTo(March(5, 23, 52));
    EXPECT_EQ(Grid(dlg, mainid::kHourGrid12).GetFocusCell(), CCellID(0, 11));
    EXPECT_EQ(Grid(dlg, mainid::kMinuteGrid30).GetMarkedCell(), CCellID(0, 22));
    EXPECT_EQ(dlg.GetCalendarPanel().GetShownDay(), (panels::Date{2024, 3, 5}));  // the panel follows
    EXPECT_EQ(dlg.GetCalendarPanel().GetSelectedHour(), 23);
    fake_.engine().ClearCalls();
    Click(dlg, mainid::kMinuteGrid30, 5);
    Click(dlg, mainid::kMinuteGrid30, 25);
    EXPECT_EQ(CallsNamed("Seek"), std::vector<std::string>{"Seek(" + std::to_string(March(5, 23, 55)) + ")"});
    EXPECT_EQ(MainDlgTestAccess::SeekLockUntil(dlg), GetTickCount() + 1000);
  }
  // Twelve columns share the grid's width evenly and fill it exactly, without scroll bars.
  CGridCtrl& grid = Grid(*dlg_, mainid::kHourGrid0);
  CRect client;
  grid.GetClientRect(&client);
  std::vector<int> widths;
  for (int c = 0; c < 12; ++c) widths.push_back(grid.GetColumnWidth(c));
  EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), client.Width());
  EXPECT_LE(*std::max_element(widths.begin(), widths.end()) - *std::min_element(widths.begin(), widths.end()), 1);
  EXPECT_EQ(grid.GetRowHeight(0), client.Height());
  EXPECT_EQ(grid.GetScrollBarState(), 0);
}
