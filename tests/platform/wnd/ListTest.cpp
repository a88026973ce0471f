#include <gtest/gtest.h>

#include <QWidget>

#include "platform/gdi/Dc.h"
#include "platform/wnd/DateTimeCtrl.h"
#include "platform/wnd/ListCtrl.h"
#include "platform/wnd/ProgressCtrl.h"
#include "platform/wnd/ToolTipCtrl.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

class RowPainter : public CListCtrl {
 public:
  void DrawItem(LPDRAWITEMSTRUCT item) override {
    rows.push_back(static_cast<int>(item->itemID));
    CDC::FromHandle(item->hDC)->FillSolidRect(&item->rcItem, RGB(0, 0, 255));
  }
  std::vector<int> rows;
};

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(100, 100, 600, 500)));
    parent.answer = [this](UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
      const auto* hdr = reinterpret_cast<const NMHDR*>(l);
      if (msg == WM_NOTIFY && hdr->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        changes.push_back(*reinterpret_cast<const NMLISTVIEW*>(hdr));
      }
      return std::nullopt;
    };
  }

  const std::vector<NMLISTVIEW>& Changes() const { return changes; }

  SpyWnd parent;
  std::vector<NMLISTVIEW> changes;
};

}  // namespace

TEST_F(ListTest, AReportListKeepsColumnsRowsStatesAndChecksAndReportsTheirChanges) {
  CListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(10, 10, 400, 300), &parent, 1006));
  EXPECT_EQ(list.InsertColumn(0, L"Setting", LVCFMT_LEFT, 190), 0);
  EXPECT_EQ(list.InsertColumn(1, L"Value", LVCFMT_LEFT, 150), 1);
  EXPECT_EQ(list.GetColumnWidth(0), 190);
  EXPECT_GE(list.GetColumnWidth(1), 150);  // the last column fills the rest of the list
  EXPECT_EQ(list.GetColumnWidth(2), 0);
  EXPECT_EQ(list.GetColumnWidth(-1), 0);
  EXPECT_EQ(list.SetExtendedStyle(LVS_EX_FULLROWSELECT), 0u);
  for (const wchar_t* row : {L"Audio Recording", L"G-sensor Sensitivity", L"Video Format"}) {
    EXPECT_EQ(list.InsertItem(0, row), 0);  // each at the top
  }
  EXPECT_EQ(list.GetItemCount(), 3);
  EXPECT_EQ(list.GetItemText(0, 0), L"Video Format");
  EXPECT_EQ(list.GetItemText(2, 0), L"Audio Recording");
  EXPECT_TRUE(list.SetItemText(1, 1, L"High"));
  EXPECT_FALSE(list.SetItemText(7, 0, L"x"));
  EXPECT_EQ(list.GetItemText(1, 1), L"High");
  EXPECT_EQ(list.InsertItem(99, L"last"), 3);
  EXPECT_TRUE(Changes().empty());

  EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
  ASSERT_EQ(Changes().size(), 1u);
  EXPECT_EQ(Changes()[0].iItem, 2);
  EXPECT_EQ(Changes()[0].uNewState & LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(Changes()[0].hdr.idFrom, 1006u);

  // Check boxes: off when turned on, and each change is reported with the state image.
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
  EXPECT_FALSE(list.GetCheck(0));
  EXPECT_TRUE(list.SetCheck(0, TRUE));
  EXPECT_TRUE(list.GetCheck(0));
  EXPECT_EQ(Changes().back().uNewState, 0x2000u);
  EXPECT_EQ(Changes().back().iItem, 0);

  EXPECT_TRUE(list.DeleteItem(1));
  EXPECT_EQ(list.GetItemText(1, 0), L"Audio Recording");
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
}

TEST_F(ListTest, OwnerDrawnRowsAreDrawnByTheListsObject) {
  RowPainter list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, CRect(10, 10, 300, 200), &parent, 7));
  list.InsertColumn(0, L"Time", LVCFMT_LEFT, 120);
  list.InsertItem(0, L"a");
  list.InsertItem(1, L"b");
  const QImage shown = plat::test::Grab(&parent);
  EXPECT_NE(std::find(list.rows.begin(), list.rows.end(), 0), list.rows.end());
  EXPECT_NE(std::find(list.rows.begin(), list.rows.end(), 1), list.rows.end());
  int blue = 0;
  for (int y = 10; y < 200; ++y) blue += shown.pixel(60, y) == qRgb(0, 0, 255);
  EXPECT_GT(blue, 10);
}

TEST_F(ListTest, ProgressDateAndTipControlsHoldWhatTheyAreGiven) {
  CProgressCtrl progress;
  ASSERT_TRUE(progress.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 200, 30), &parent, 1));
  EXPECT_EQ(progress.SetPos(40), 0);
  EXPECT_EQ(progress.SetPos(150), 40);
  EXPECT_EQ(progress.GetPos(), 100);
  progress.SetRange32(0, 1000);
  progress.SetPos(-5);
  EXPECT_EQ(progress.GetPos(), 0);

  setenv("TZ", "UTC", 1);
  tzset();
  CDateTimeCtrl picker;
  ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE, CRect(10, 40, 200, 62), &parent, 2));
  EXPECT_TRUE(picker.SetTime(1709251950));
  std::int64_t t = 0;
  EXPECT_TRUE(picker.GetTime(t));
  EXPECT_EQ(t, 1709251950);

  CToolTipCtrl tips;
  ASSERT_TRUE(tips.Create(&parent));
  SpyWnd tool;
  ASSERT_TRUE(tool.CreateChild(&parent, CRect(10, 70, 60, 90), 3));
  EXPECT_TRUE(tips.AddTool(&tool, L"Play"));
  EXPECT_EQ(tool.Widget()->toolTip(), "Play");
  tips.UpdateTipText(L"2024-03-01 00:12:30", &tool);
  CString text;
  tips.GetText(text, &tool);
  EXPECT_EQ(text, L"2024-03-01 00:12:30");
  tips.Activate(FALSE);
  EXPECT_TRUE(tool.Widget()->toolTip().isEmpty());
  tips.Activate(TRUE);
  EXPECT_EQ(tool.Widget()->toolTip(), "2024-03-01 00:12:30");
  MSG relayed;
  relayed.hwnd = tool.m_hWnd;
  relayed.message = WM_MOUSEMOVE;
  tips.RelayEvent(&relayed);
  tips.DelTool(&tool);
  EXPECT_TRUE(tool.Widget()->toolTip().isEmpty());
}
