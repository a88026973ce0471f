#include <gtest/gtest.h>

#include <QImage>
#include <climits>

#include "controls/ColorListCtrl.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

QRgb Q(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

struct Extent {
  int count = 0;
  int left = INT_MAX;
  int right = INT_MIN;
  int top = INT_MAX;
  int bottom = INT_MIN;
};

Extent Find(const QImage& image, COLORREF color) {
  Extent e;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != Q(color)) continue;
      ++e.count;
      e.left = std::min(e.left, x);
      e.right = std::max(e.right, x + 1);
      e.top = std::min(e.top, y);
      e.bottom = std::max(e.bottom, y + 1);
    }
  }
  return e;
}

}  // namespace

TEST(ColorListCtrlTest, RowsTakeTheirFirstFlagsColourAndTheEventColumnShowsOneBarPerFlag) {
  plat::test::Reset();
  SpyWnd parent;
  ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 300)));
  CColorListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 330, 200), &parent, 1200));
  EXPECT_EQ(list.GetStyle() & (LVS_REPORT | LVS_OWNERDRAWFIXED), LVS_REPORT | LVS_OWNERDRAWFIXED);
  list.InsertColumn(0, L"Time", LVCFMT_LEFT, 100);
  list.InsertColumn(1, L"Event", LVCFMT_LEFT, 110);
  list.SetEventColumn(1);
  list.InsertItem(0, L"WWWWWW");
  list.InsertItem(1, L"WWWWWW");

  std::vector<EventLogRow> rows(2);
  EventLogTriggers t;
  t.event = "100";
  t.gSensorTrigger = "1";
  rows[0].SetEventFlags(t);  // flags 1 and 4
  list.SetRows(rows);
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  const QImage shown = plat::test::Grab(&list);
  plat::test::SavePng(shown, "ColorListCtrl");

  // Bars of flags 1 and 4 sit in the parts 1 and 4 of the event column's eleven, 4 pixels below
  // the row's top and 3 above its bottom.
  const int part = list.GetColumnWidth(1) / 11;
  ASSERT_GE(part, 10);
  const Extent bar1 = Find(shown, GetEventColor(1));
  const Extent bar4 = Find(shown, GetEventColor(4));
  ASSERT_GT(bar4.count, 0);
  EXPECT_EQ(bar4.right - bar4.left, part);
  EXPECT_EQ(bar4.bottom - bar4.top, bar4.count / part);
  EXPECT_GE(bar1.count, bar4.count);  // the row's text is drawn in flag 1's colour as well
  const Extent selected = Find(shown, 0xFF9933);
  ASSERT_GT(selected.count, 0);
  const int rowHeight = selected.bottom - selected.top;
  EXPECT_EQ(bar4.bottom - bar4.top, rowHeight - 7);
  EXPECT_EQ(bar4.top, selected.top - rowHeight + 4);
  const int eventLeft = bar4.left - 4 * part;
  for (int flag : {2, 3, 5}) EXPECT_EQ(Find(shown, GetEventColor(flag)).count, 0) << flag;
  int barPixelsInPart1 = 0;
  for (int y = bar4.top; y < bar4.bottom; ++y) {
    for (int x = eventLeft + part; x < eventLeft + 2 * part; ++x) barPixelsInPart1 += shown.pixel(x, y) == Q(GetEventColor(1));
  }
  EXPECT_EQ(barPixelsInPart1, part * (rowHeight - 7));
  // Row 0's text in flag 1's colour lies in the first column.
  EXPECT_LT(bar1.left, eventLeft);

  // The selected plain row is filled blue with its text black, across both columns.
  EXPECT_LE(selected.left, eventLeft - 90);
  EXPECT_GE(selected.right, eventLeft + list.GetColumnWidth(1));
  int blackText = 0;
  for (int y = selected.top; y < selected.bottom; ++y) {
    for (int x = selected.left; x < eventLeft; ++x) blackText += shown.pixel(x, y) == qRgb(0, 0, 0);
  }
  EXPECT_GT(blackText, 0);
  EXPECT_EQ(list.GetRows().size(), 2u);
}

TEST(ColorListCtrlTest, ColumnsAfterAHiddenOneAreStillDrawn) {
  plat::test::Reset();
  SpyWnd parent;
  ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 300)));
  CColorListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 330, 200), &parent, 1201));
  list.InsertColumn(0, L"Time", LVCFMT_LEFT, 100);
  list.InsertColumn(1, L"Hidden", LVCFMT_LEFT, 0);
  list.InsertColumn(2, L"Event", LVCFMT_LEFT, 110);
  ASSERT_EQ(list.GetColumnCount(), 3);
  ASSERT_EQ(list.GetColumnWidth(1), 0);
  list.SetEventColumn(2);
  list.InsertItem(0, L"12:00");
  std::vector<EventLogRow> rows(1);
  EventLogTriggers t;
  t.event = "100";
  rows[0].SetEventFlags(t);  // flag 4
  list.SetRows(rows);
  const QImage shown = plat::test::Grab(&list);
  // Right of the first column only the event column can show flag 4's colour: its bar, in part 4.
  const Extent bar4 = Find(shown.copy(100, 0, shown.width() - 100, shown.height()), GetEventColor(4));
  ASSERT_GT(bar4.count, 0);
  EXPECT_NEAR(bar4.left, 4 * (list.GetColumnWidth(2) / 11), 1);  // the list's frame may come first
}
