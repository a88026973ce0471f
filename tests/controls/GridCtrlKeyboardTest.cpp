#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "platform/wnd/Input.h"

using gridtest::Codes;
using plat::test::Key;
using plat::test::SetKeyState;

namespace {

class GridKeyboardTest : public gridtest::OwnerTest {
 protected:
  void SetUp() override {
    OwnerTest::SetUp();
    ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 200));
    gridtest::Shape(grid, 30, 5, 1, 1, 20, 50);
    grid.SetEditable(FALSE);
    grid.SetFocus();
    plat::test::Pump();
  }

  // A key pressed with the given modifiers held.
  void Press(int vk, bool shift = false, bool ctrl = false) {
    SetKeyState(VK_SHIFT, shift);
    SetKeyState(VK_CONTROL, ctrl);
    Key(WM_KEYDOWN, vk);
    SetKeyState(VK_SHIFT, false);
    SetKeyState(VK_CONTROL, false);
  }

  CGridCtrl grid;
};

}  // namespace

TEST_F(GridKeyboardTest, TabWrapsToTheNextRowAndShiftTabBack) {
  grid.SetFocusCell(1, 4);
  Press(VK_TAB);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 1));
  Press(VK_TAB, true);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 4));
  Press(VK_TAB, true);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 3));
  // Hidden rows and columns are passed over.
  grid.SetRowHeight(2, 0);
  grid.SetColumnWidth(1, 0);
  grid.SetFocusCell(1, 4);
  Press(VK_TAB);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));
  Press(VK_LEFT);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));
  Press(VK_UP);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 2));
  Press(VK_UP);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 2));
  Press(VK_DOWN);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));

  // The grid keeps Tab from the dialog keys unless Ctrl is held or it does not handle Tab.
  EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
  SetKeyState(VK_CONTROL, true);
  EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
  SetKeyState(VK_CONTROL, false);
  grid.SetHandleTabKey(FALSE);
  EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(GridKeyboardTest, AMoveTellsTheOwnerAndSelectsOrStretchesTheSelection) {
  grid.SetFocusCell(2, 2);
  owner.notices.clear();
  Press(VK_RIGHT);
  EXPECT_EQ(Codes(owner.notices),
            (std::vector<std::tuple<int, int, int>>{{LVN_ITEMCHANGING, 2, 3}, {LVN_ITEMCHANGED, 2, 3}}));
  EXPECT_TRUE(grid.IsCellSelected(2, 3));
  EXPECT_EQ(grid.GetSelectedCount(), 1u);
  Press(VK_DOWN, true);
  Press(VK_RIGHT, true);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 4));
  EXPECT_EQ(grid.GetSelectedCount(), 4u);
  EXPECT_TRUE(grid.IsCellSelected(2, 3));
  EXPECT_TRUE(grid.IsCellSelected(3, 4));
  Press(VK_LEFT);
  EXPECT_EQ(grid.GetSelectedCount(), 1u);
  EXPECT_TRUE(grid.IsCellSelected(3, 3));
  // The last column stops a Right.
  grid.SetFocusCell(3, 4);
  owner.notices.clear();
  Press(VK_RIGHT);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 4));
  EXPECT_TRUE(owner.notices.empty());
}

TEST_F(GridKeyboardTest, PagesHomeAndEndScrollAndMoveTheFocus) {
  grid.SetFocusCell(1, 1);
  Press(VK_NEXT);
  const CCellID afterPage = grid.GetFocusCell();
  EXPECT_EQ(afterPage.row, 10);
  EXPECT_EQ(grid.GetTopleftNonFixedCell().row, 10);
  EXPECT_TRUE(grid.IsCellVisible(afterPage));
  Press(VK_END, false, true);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(29, 4));
  EXPECT_TRUE(grid.IsCellVisible(29, 4));
  Press(VK_NEXT);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(29, 4));
  Press(VK_HOME);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(29, 1));
  Press(VK_HOME, false, true);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
  EXPECT_EQ(grid.GetScrollPos32(SB_VERT), 0);
  Press(VK_PRIOR);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
  Press(VK_END);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 4));
}

TEST_F(GridKeyboardTest, ShortcutsCopySelectAllAndDeleteCuts) {
  grid.SetEditable(TRUE);
  grid.SetItemText(2, 2, L"x");
  grid.SetItemText(2, 3, L"y");
  grid.SetFocusCell(2, 2);
  grid.SetSelectedRange(2, 2, 2, 3);
  Press('C', false, true);
  const plat::ClipData data = plat::test::ClipboardData();
  ASSERT_TRUE(data.count(CF_TEXT));
  EXPECT_EQ(data.at(CF_TEXT), (std::vector<BYTE>{'x', '\t', 'y', 0}));

  owner.notices.clear();
  Press(VK_DELETE);
  EXPECT_EQ(grid.GetItemText(2, 2), L"");
  EXPECT_EQ(grid.GetItemText(2, 3), L"");
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{{LVN_BEGINLABELEDITW, 2, 2},
                                                                          {LVN_ENDLABELEDITW, 2, 2},
                                                                          {LVN_BEGINLABELEDITW, 2, 3},
                                                                          {LVN_ENDLABELEDITW, 2, 3}}));
  EXPECT_EQ(grid.GetFocusCell(), CCellID(2, 2));

  Press(VK_INSERT, true);
  EXPECT_EQ(grid.GetItemText(2, 2), L"x");
  EXPECT_EQ(grid.GetItemText(2, 3), L"y");

  Press('A', false, true);
  EXPECT_EQ(grid.GetSelectedCount(), 29u * 4u);
  Press('X', false, true);
  EXPECT_EQ(grid.GetItemText(2, 2), L"");
  Press('V', false, true);
  EXPECT_EQ(grid.GetItemText(1, 1), L"");
  EXPECT_EQ(grid.GetItemText(2, 2), L"x");
}
