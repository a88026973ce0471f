#include <gtest/gtest.h>

#include "controls/MonthCalCtrlEx.h"
#include "tests/support/TestHarness.h"

using plat::test::Pixel;
using plat::test::SpyWnd;

namespace {

// Client 190 x 195: cells of 27 x 25, day cell i at (27 (i mod 7), 44 + 25 (i div 7)).
constexpr int kCellW = 27;
constexpr int kCellH = 25;
constexpr int kGridTop = 44;

CPoint CellCentre(int i) { return {kCellW * (i % 7) + kCellW / 2, kGridTop + kCellH * (i / 7) + kCellH / 2}; }

COleDateTime Date(int y, int m, int d) { return COleDateTime(y, m, d, 0, 0, 0); }

class MonthCalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 300, 260)));
    ASSERT_TRUE(cal.Create(L"MFCMonthCalCtrlEx", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 190, 195), &parent, 1000));
    cal.SetPressCallback([this] { ++presses; });
    plat::test::Pump();
  }

  void Show(const COleDateTime& date) {
    cal.SetCurrentDate(date);
    cal.Invalidate(FALSE);
    plat::test::Pump();
    parent.Clear();
  }

  int DateChanges() const {
    int n = 0;
    for (const auto& r : parent.Of(WM_NOTIFY)) {
      n += r.notify.code == static_cast<UINT>(NM_MONTHCAL_DATECHANGE) && r.notify.idFrom == 1000 && r.wParam == 1000;
    }
    return n;
  }

  // Pixels of the colour in the cell's rectangle.
  int CountIn(const CRect& rc, COLORREF color) const {
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y) {
      for (int x = rc.left; x < rc.right; ++x) n += Pixel(&cal, x, y) == color;
    }
    return n;
  }
  static CRect Cell(int i) {
    const int x = kCellW * (i % 7);
    const int y = kGridTop + kCellH * (i / 7);
    return CRect(x, y, x + kCellW, y + kCellH);
  }

  // A click apart from the one before, so that the two make no double click.
  void Click(CPoint p) {
    plat::test::AdvanceTime(1000);
    plat::test::Mouse(&cal, WM_MOUSEMOVE, p);
    plat::test::Mouse(&cal, WM_LBUTTONDOWN, p);
    plat::test::Mouse(&cal, WM_LBUTTONUP, p);
  }

  CComboBox& List(UINT id) { return *dynamic_cast<CComboBox*>(cal.GetDlgItem(static_cast<int>(id))); }

  void Choose(UINT id, int index) {
    List(id).SetCurSel(index);
    cal.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE), reinterpret_cast<LPARAM>(List(id).m_hWnd));
    plat::test::Pump();
  }

  SpyWnd parent;
  CMonthCalCtrlEx cal;
  int presses = 0;
};

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kAdjacent = 0xB3B885;

}  // namespace

TEST_F(MonthCalTest, AMonthFillsTheGridFromItsWeekdayWithTheNeighbouringMonthsAround) {
  Show(Date(2017, 3, 1));  // a Wednesday
  const CMonthCalCtrlEx::DayCell* c = cal.GetDayCell(0);
  EXPECT_EQ(c->text, L"26");
  EXPECT_EQ(c->monthFlag, -1);
  EXPECT_EQ(c->date, Date(2017, 2, 26));
  EXPECT_EQ(cal.GetDayCell(2)->text, L"28");
  EXPECT_EQ(cal.GetDayCell(3)->text, L"1");
  EXPECT_EQ(cal.GetDayCell(3)->monthFlag, 0);
  EXPECT_EQ(cal.GetDayCell(33)->date, Date(2017, 3, 31));
  EXPECT_EQ(cal.GetDayCell(34)->date, Date(2017, 4, 1));
  EXPECT_EQ(cal.GetDayCell(34)->monthFlag, 1);
  EXPECT_EQ(cal.GetDayCell(41)->text, L"8");
  EXPECT_EQ(cal.GetDayCell(42), nullptr);
  EXPECT_EQ(cal.GetDayCell(-1), nullptr);
  EXPECT_EQ(cal.GetSelectedCell(), 3);
  // Other months' days are not written while they are not shown; the month's days are.
  EXPECT_EQ(CountIn(Cell(0), kAdjacent), 0);
  EXPECT_EQ(CountIn(Cell(0), kWhite), 0);
  EXPECT_GT(CountIn(Cell(4), kWhite), 0);

  // A month that begins on a Sunday starts at the first cell, or after a whole week of the month
  // before when the neighbouring days are shown.
  Show(Date(2017, 10, 5));
  EXPECT_EQ(cal.GetDayCell(0)->date, Date(2017, 10, 1));
  cal.SetShowAdjacentDays(TRUE);
  plat::test::Pump();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(cal.GetDayCell(i)->date, Date(2017, 9, 24 + i)) << i;
  EXPECT_EQ(cal.GetDayCell(7)->date, Date(2017, 10, 1));
  EXPECT_EQ(cal.GetSelectedCell(), 11);
  EXPECT_GT(CountIn(Cell(0), kAdjacent), 0);
}

TEST_F(MonthCalTest, TheChosenDayIsFilledYellowWithRedTextInItsCell) {
  Show(Date(2017, 3, 15));
  EXPECT_EQ(cal.GetSelectedCell(), 17);
  EXPECT_EQ(Pixel(&cal, 83, 96), kYellow);
  // Cell 17 is (81, 94)-(108, 119); the fill leaves its top row and left column.
  EXPECT_EQ(Pixel(&cal, 82, 95), kYellow);
  EXPECT_EQ(Pixel(&cal, 107, 118), kYellow);
  EXPECT_NE(Pixel(&cal, 81, 100), kYellow);
  EXPECT_NE(Pixel(&cal, 90, 94), kYellow);
  EXPECT_NE(Pixel(&cal, 108, 100), kYellow);
  EXPECT_GT(CountIn(Cell(17), kRed), 0);
  EXPECT_EQ(CountIn(Cell(16), kYellow), 0);
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 3, 15));
}

TEST_F(MonthCalTest, TheArrowsStepAMonthKeepingTheDayWithinTheNewMonth) {
  Show(Date(2017, 1, 31));
  plat::test::Mouse(&cal, WM_MOUSEMOVE, {170, 14});
  EXPECT_EQ(Pixel(&cal, 166, 14), kWhite);  // the hovered arrow's outline
  EXPECT_EQ(Pixel(&cal, 24, 14), RGB(1, 6, 56));
  plat::test::Mouse(&cal, WM_LBUTTONDOWN, {170, 14});
  EXPECT_EQ(presses, 0);
  plat::test::Mouse(&cal, WM_LBUTTONUP, {170, 14});
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 2, 28));
  EXPECT_EQ(DateChanges(), 1);
  EXPECT_EQ(List(CMonthCalCtrlEx::kMonthListId).GetCurSel(), 1);

  Show(Date(2016, 1, 31));
  Click({170, 14});
  EXPECT_EQ(cal.GetCurrentDate(), Date(2016, 2, 29));
  Show(Date(2017, 1, 15));
  Click({20, 14});
  EXPECT_EQ(cal.GetCurrentDate(), Date(2016, 12, 15));
  EXPECT_EQ(DateChanges(), 1);
  CString year;
  List(CMonthCalCtrlEx::kYearListId).GetLBText(List(CMonthCalCtrlEx::kYearListId).GetCurSel(), year);
  EXPECT_EQ(year, L"2016");
  Show(Date(2016, 12, 31));
  Click({170, 14});
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 1, 31));

  // Leaving the arrow gives it its dark outline again.
  plat::test::Mouse(&cal, WM_MOUSEMOVE, {100, 150});
  EXPECT_EQ(Pixel(&cal, 166, 14), RGB(1, 6, 56));
}

TEST_F(MonthCalTest, PressingADayCallsTheOwnerAndReleasingChoosesIt) {
  Show(Date(2017, 3, 1));
  plat::test::Mouse(&cal, WM_LBUTTONDOWN, {86, 99});
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(DateChanges(), 0);
  plat::test::Mouse(&cal, WM_LBUTTONUP, {86, 99});
  EXPECT_EQ(cal.GetSelectedCell(), 17);
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 3, 15));
  EXPECT_EQ(DateChanges(), 1);
  EXPECT_EQ(Pixel(&cal, 83, 96), kYellow);
  EXPECT_EQ(CountIn(Cell(3), kYellow), 0);

  // Without an owner's callback the press still chooses the day.
  cal.SetPressCallback(nullptr);
  Click(CellCentre(20));
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 3, 18));
  EXPECT_EQ(presses, 1);

  // A day of another month only counts while those days are shown, and then moves to its month.
  Click(CellCentre(0));
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 3, 18));
  cal.SetShowAdjacentDays(TRUE);
  Click(CellCentre(0));
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 2, 26));
  EXPECT_EQ(cal.GetSelectedCell(), 28);
  EXPECT_EQ(cal.GetDayCell(0)->date, Date(2017, 1, 29));
  EXPECT_GT(CountIn(Cell(28), kYellow), 0);
  EXPECT_EQ(CountIn(Cell(0), kYellow), 0);

  // A press with another button or a modifier held is no choice.
  Show(Date(2017, 3, 1));
  plat::test::Mouse(&cal, WM_LBUTTONDOWN, CellCentre(10), MK_SHIFT);
  plat::test::Mouse(&cal, WM_LBUTTONUP, CellCentre(10));
  EXPECT_EQ(cal.GetCurrentDate(), Date(2017, 3, 1));
  EXPECT_EQ(DateChanges(), 0);
}

TEST_F(MonthCalTest, MarkedDaysGetARedFrameOnceWhateverTheTimeOfDay) {
  Show(Date(2017, 3, 1));
  cal.AddMarkedDate(COleDateTime(2017, 3, 20, 10, 30, 0));
  cal.AddMarkedDate(COleDateTime(2017, 3, 20, 23, 0, 0));
  cal.AddMarkedDate(Date(2017, 4, 2));
  EXPECT_EQ(cal.GetMarkedDates().size(), 2u);
  EXPECT_EQ(cal.GetDayCell(22)->marked, 1);
  EXPECT_EQ(cal.GetDayCell(35)->marked, 1);  // April 2 lies in the grid too
  plat::test::Pump();
  // Cell 22 is (27, 119)-(54, 144): the frame's lines run at x 28 and 52, y 120 and 142.
  EXPECT_EQ(Pixel(&cal, 28, 130), kRed);
  EXPECT_EQ(Pixel(&cal, 52, 130), kRed);
  EXPECT_EQ(Pixel(&cal, 40, 120), kRed);
  EXPECT_EQ(Pixel(&cal, 40, 142), kRed);
  EXPECT_EQ(Pixel(&cal, 52, 142), kRed);
  EXPECT_NE(Pixel(&cal, 27, 130), kRed);
  EXPECT_NE(Pixel(&cal, 53, 130), kRed);
  EXPECT_NE(Pixel(&cal, 40, 143), kRed);
  EXPECT_EQ(CountIn(Cell(21), kRed), 0);
  plat::test::SavePng(plat::test::Grab(&cal), "MonthCalCtrlEx");

  // Marks outlive the month shown and are cleared together.
  Show(Date(2017, 4, 10));
  EXPECT_EQ(cal.GetDayCell(7)->date, Date(2017, 4, 2));
  EXPECT_EQ(cal.GetDayCell(7)->marked, 1);
  cal.ClearMarkedDates();
  plat::test::Pump();
  EXPECT_TRUE(cal.GetMarkedDates().empty());
  EXPECT_EQ(cal.GetDayCell(7)->marked, 0);
  EXPECT_EQ(CountIn(Cell(7), kRed), 0);
}

TEST_F(MonthCalTest, TheYearListShowsElevenYearsAndTheListsChooseTheMonth) {
  Show(Date(2016, 2, 29));
  CComboBox& years = List(CMonthCalCtrlEx::kYearListId);
  ASSERT_EQ(years.GetCount(), 11);
  CString text;
  years.GetLBText(0, text);
  EXPECT_EQ(text, L"2011");
  years.GetLBText(10, text);
  EXPECT_EQ(text, L"2021");
  EXPECT_EQ(years.GetCurSel(), 5);
  EXPECT_EQ(List(CMonthCalCtrlEx::kMonthListId).GetCount(), 12);

  Choose(CMonthCalCtrlEx::kYearListId, 8);
  EXPECT_EQ(cal.GetCurrentDate(), Date(2019, 2, 28));
  EXPECT_EQ(DateChanges(), 1);
  years.GetLBText(0, text);
  EXPECT_EQ(text, L"2014");
  EXPECT_EQ(years.GetCurSel(), 5);

  Choose(CMonthCalCtrlEx::kMonthListId, 11);
  EXPECT_EQ(cal.GetCurrentDate(), Date(2019, 12, 28));
  EXPECT_EQ(DateChanges(), 2);

  // No choice, or a text that is no year of the list, changes nothing.
  Choose(CMonthCalCtrlEx::kYearListId, -1);
  years.AddString(L"abc");
  Choose(CMonthCalCtrlEx::kYearListId, 11);
  years.AddString(L"0");
  Choose(CMonthCalCtrlEx::kYearListId, 12);
  years.AddString(L"3000");
  Choose(CMonthCalCtrlEx::kYearListId, 13);
  EXPECT_EQ(cal.GetCurrentDate(), Date(2019, 12, 28));
  EXPECT_EQ(DateChanges(), 2);

  // A calendar whose window is made again has its lists again.
  cal.DestroyWindow();
  ASSERT_TRUE(cal.Create(L"MFCMonthCalCtrlEx", L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 190, 195), &parent, 1000));
  ASSERT_NE(cal.GetDlgItem(static_cast<int>(CMonthCalCtrlEx::kYearListId)), nullptr);
  EXPECT_EQ(List(CMonthCalCtrlEx::kYearListId).GetCount(), 11);
  EXPECT_EQ(List(CMonthCalCtrlEx::kMonthListId).GetCount(), 12);
}

TEST_F(MonthCalTest, TheCalendarIsDarkWithColouredWeekdayNamesAndAFrame) {
  Show(Date(2017, 3, 1));
  EXPECT_EQ(Pixel(&cal, 3, 190), RGB(0x30, 0x30, 0x30));
  EXPECT_EQ(Pixel(&cal, 100, 2), RGB(0x19, 0x19, 0x19));
  EXPECT_EQ(Pixel(&cal, 20, 14), RGB(228, 151, 30));
  EXPECT_EQ(Pixel(&cal, 170, 14), RGB(228, 151, 30));
  EXPECT_EQ(Pixel(&cal, 100, 43), kWhite);  // the separator under the weekday names
  EXPECT_EQ(Pixel(&cal, 0, 100), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(&cal, 189, 100), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(Pixel(&cal, 100, 194), GetSysColor(COLOR_BTNSHADOW));
  const CRect sunday(0, 28, 27, 43);
  const CRect monday(27, 28, 54, 43);
  const CRect saturday(162, 28, 189, 43);
  EXPECT_GT(CountIn(sunday, kRed), 0);
  EXPECT_EQ(CountIn(sunday, kWhite), 0);
  EXPECT_GT(CountIn(monday, kWhite), 0);
  EXPECT_GT(CountIn(saturday, RGB(0, 0, 255)), 0);

  // The grid follows the control's size: 7 columns and 6 rows under the title and header.
  cal.MoveWindow(0, 0, 260, 240);
  Show(Date(2017, 3, 15));
  const int cw = 260 / 7;
  const int ch = (240 - 44) / 6;
  EXPECT_EQ(Pixel(&cal, 3 * cw + 2, 44 + 2 * ch + 2), kYellow);
  EXPECT_NE(Pixel(&cal, 3 * cw, 44 + 2 * ch + 2), kYellow);
  EXPECT_EQ(Pixel(&cal, 4 * cw - 1, 44 + 3 * ch - 1), kYellow);
  EXPECT_NE(Pixel(&cal, 4 * cw, 44 + 3 * ch - 1), kYellow);
}
