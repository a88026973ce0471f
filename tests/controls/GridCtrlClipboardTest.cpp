#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "GridTestSupport.h"

using gridtest::Codes;
using plat::test::DragMove;
using plat::test::Mouse;

namespace {

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

// Text ended by its NUL, as the grid puts it under CF_TEXT.
std::vector<BYTE> Text(const std::string& text) {
  std::vector<BYTE> bytes = Bytes(text);
  bytes.push_back(0);
  return bytes;
}

class GridClipboardTest : public gridtest::OwnerTest {
 protected:
  // Three by three cells a..i, no fixed cells.
  void SetUp() override {
    OwnerTest::SetUp();
    ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 300, 200));
    Fill(grid, 3, 3, 0);
  }

  static void Fill(CGridCtrl& g, int rows, int cols, int fixed) {
    gridtest::Shape(g, rows, cols, fixed, 0, 20, 50);
    char letter = 'a';
    for (int row = fixed; row < rows; ++row) {
      for (int col = 0; col < cols; ++col) g.SetItemText(row, col, CString(std::wstring(1, static_cast<wchar_t>(letter++)).c_str()));
    }
    g.SetModified(FALSE);
  }

  std::vector<BYTE> CopiedText() {
    grid.OnEditCopy();
    const plat::ClipData data = plat::test::ClipboardData();
    return data.count(CF_TEXT) ? data.at(CF_TEXT) : std::vector<BYTE>();
  }

  // A drag from another program: it enters over a point, moves to another and drops there.
  DROPEFFECT DropFromOutside(const plat::ClipData& data, CPoint enter, CPoint drop, DWORD keys) {
    return plat::test::DragFromOutside(data, {{plat::DragStep::Enter, &grid, enter, 0},
                                              {plat::DragStep::Over, &grid, drop, keys},
                                              {plat::DragStep::Drop, &grid, drop, keys}});
  }

  CString Row(int row) {
    CString all;
    for (int col = 0; col < grid.GetColumnCount(); ++col) all += grid.GetItemText(row, col) + L"|";
    return all;
  }

  CGridCtrl grid;
};

}  // namespace

TEST_F(GridClipboardTest, CopyingGivesTabSeparatedLinesOfTheSelectedCells) {
  grid.SetSelectedRange(0, 0, 1, 2);
  EXPECT_TRUE(grid.OnUpdateEditCopy());
  EXPECT_EQ(CopiedText(), Text("a\tb\tc\r\nd\te\tf"));
  // The same text is offered as plain text to other programs.
  EXPECT_EQ(plat::test::ClipboardData().at(CF_UNICODETEXT), Bytes(WideToUtf16Le(L"a\tb\tc\r\nd\te\tf") + std::string(2, '\0')));

  grid.SetColumnWidth(1, 0);
  EXPECT_EQ(CopiedText(), Text("a\tc\r\nd\tf"));
  grid.SetColumnWidth(1, 50);
  grid.SetColumnWidth(2, 0);
  EXPECT_EQ(CopiedText(), Text("a\tb\r\nd\te"));
  grid.SetRowHeight(1, 0);
  EXPECT_EQ(CopiedText(), Text("a\tb"));
  grid.SetColumnWidth(2, 50);
  grid.SetRowHeight(1, 20);

  // Cells inside the range that are not selected give empty fields.
  grid.SetSelectedRange(-1, -1, -1, -1);
  grid.SetItemState(0, 0, GCS_SELECTED);
  grid.SetItemState(1, 2, GCS_SELECTED);
  EXPECT_EQ(CopiedText(), Text("a\t\t\r\n\t\tf"));

  // Characters of any script survive the trip.
  grid.SetItemText(0, 0, L"\u00e9\u20ac\U0001F600");
  grid.SetSelectedRange(0, 0, 0, 0);
  EXPECT_EQ(CopiedText(), Text("\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"));
  grid.SetItemText(1, 1, L"");
  grid.SetFocusCell(1, 1);
  grid.SetSelectedRange(-1, -1, -1, -1);
  grid.OnEditPaste();
  EXPECT_EQ(grid.GetItemText(1, 1), L"\u00e9\u20ac\U0001F600");

  // Nothing selected: nothing copied, the clipboard keeps what it had.
  grid.ResetSelectedRange();
  EXPECT_FALSE(grid.OnUpdateEditCopy());
  EXPECT_EQ(grid.CopyTextFromGrid(), nullptr);
}

TEST_F(GridClipboardTest, PastingSplitsFieldsAtTabsAndCommasAndLinesAtLineFeeds) {
  grid.SetFocusCell(0, 0);
  plat::test::SetClipboardData({{CF_TEXT, Text(" x , y ")}});
  EXPECT_TRUE(grid.OnUpdateEditPaste());
  owner.notices.clear();
  grid.OnEditPaste();
  EXPECT_EQ(Row(0), L"x|y|c|");
  EXPECT_EQ(Codes(owner.notices), (std::vector<std::tuple<int, int, int>>{{LVN_BEGINLABELEDITW, 0, 0},
                                                                          {LVN_ENDLABELEDITW, 0, 0},
                                                                          {LVN_BEGINLABELEDITW, 0, 1},
                                                                          {LVN_ENDLABELEDITW, 0, 1}}));
  EXPECT_TRUE(grid.GetCell(0, 1)->IsModified());
  EXPECT_FALSE(grid.GetCell(0, 2)->IsModified());
  // The pasted cells are selected afterwards.
  EXPECT_TRUE(grid.IsCellSelected(0, 0));
  EXPECT_TRUE(grid.IsCellSelected(0, 1));
  EXPECT_EQ(grid.GetSelectedCount(), 2u);

  // A closing line break fills no further row; a paste starts at the selection's corner.
  grid.SetSelectedRange(1, 1, 1, 1);
  plat::test::SetClipboardData({{CF_TEXT, Text("p\tq\r\n")}});
  grid.OnEditPaste();
  EXPECT_EQ(Row(1), L"d|p|q|");
  EXPECT_EQ(Row(2), L"g|h|i|");

  // Lines and fields beyond the table are dropped; a hidden row is passed over.
  grid.SetRowHeight(1, 0);
  grid.SetSelectedRange(0, 1, 0, 1);
  plat::test::SetClipboardData({{CF_TEXT, Text("1\t2\t3\n4\t5\t6\n7\t8")}});
  grid.OnEditPaste();
  EXPECT_EQ(Row(0), L"x|1|2|");
  EXPECT_EQ(Row(1), L"d|p|q|");
  EXPECT_EQ(Row(2), L"g|4|5|");
}

TEST_F(GridClipboardTest, RefusedPastesAndDataWithoutAnEndChangeNothingWrong) {
  grid.SetFocusCell(1, 1);
  owner.onNotice = [](const gridtest::Notice& n) { return n.code == LVN_ENDLABELEDITW ? LRESULT(-1) : LRESULT(0); };
  plat::test::SetClipboardData({{CF_TEXT, Text("1\t2\n3\t4")}});
  grid.OnEditPaste();
  EXPECT_EQ(Row(1), L"d|e|f|");
  EXPECT_EQ(Row(2), L"g|h|i|");
  EXPECT_FALSE(grid.GetCell(1, 1)->IsModified());
  owner.onNotice = nullptr;

  // Data of another program need not end with a NUL: it is read to its end and no further.
  plat::test::SetClipboardData({{CF_TEXT, Bytes("abc")}});
  grid.OnEditPaste();
  EXPECT_EQ(grid.GetItemText(1, 1), L"abc");
  plat::test::SetClipboardData({{CF_UNICODETEXT, Bytes(WideToUtf16Le(L"wide") + std::string(1, 'z'))}, {CF_TEXT, Bytes("narrow")}});
  grid.OnEditPaste();
  EXPECT_EQ(grid.GetItemText(1, 1), L"wide");

  // A grid that cannot be edited neither pastes nor cuts, not even into the clipboard.
  grid.SetEditable(FALSE);
  EXPECT_FALSE(grid.OnUpdateEditPaste());
  plat::test::SetClipboardData({{CF_TEXT, Text("zz")}});
  grid.OnEditPaste();
  EXPECT_EQ(grid.GetItemText(1, 1), L"wide");
  grid.SetSelectedRange(0, 0, 2, 2);
  EXPECT_FALSE(grid.OnUpdateEditCut());
  grid.SendMessage(WM_COMMAND, ID_EDIT_CUT, 0);
  EXPECT_EQ(plat::test::ClipboardData().at(CF_TEXT), Text("zz"));
  EXPECT_EQ(grid.GetItemText(0, 0), L"a");
  grid.SendMessage(WM_COMMAND, ID_EDIT_COPY, 0);
  EXPECT_NE(plat::test::ClipboardData().at(CF_TEXT), Text("zz"));

  // Pasting while the target cell is being edited pastes into the editor.
  grid.SetEditable(TRUE);
  grid.SetSelectedRange(-1, -1, -1, -1);
  grid.SetFocusCell(2, 2);
  grid.SetFocus();
  grid.OnEditCell(2, 2, CPoint(-1, -1), VK_RETURN);
  plat::test::SetClipboardData({{CF_TEXT, Text("more")}});
  grid.SendMessage(WM_COMMAND, ID_EDIT_PASTE, 0);
  CWnd* editor = grid.GetDlgItem(CGridCtrl::kInPlaceEditId);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->GetWindowText(), L"imore");
  EXPECT_EQ(grid.GetItemText(2, 2), L"i");
}

TEST_F(GridClipboardTest, TextDropsPasteAndCtrlMakesThemCopies) {
  grid.EnableDragAndDrop(TRUE);
  const CPoint cell = gridtest::CellCentre(grid, 1, 1);
  const plat::ClipData data{{CF_TEXT, Text("dropped")}};
  EXPECT_EQ(DropFromOutside(data, cell, cell, MK_CONTROL), DROPEFFECT_COPY);
  EXPECT_EQ(grid.GetItemText(1, 1), L"dropped");
  EXPECT_FALSE(grid.GetItemState(1, 1) & GCS_DROPHILITED);

  const CPoint other = gridtest::CellCentre(grid, 2, 0);
  EXPECT_EQ(DropFromOutside(data, cell, other, 0), DROPEFFECT_MOVE);
  EXPECT_EQ(grid.GetItemText(2, 0), L"dropped");

  // A read-only cell takes no drop; over it the highlight goes too.
  grid.SetItemState(0, 2, GCS_READONLY);
  const CPoint locked = gridtest::CellCentre(grid, 0, 2);
  EXPECT_EQ(DropFromOutside(data, locked, locked, 0), DROPEFFECT_NONE);
  EXPECT_EQ(grid.GetItemText(0, 2), L"c");

  // Without drag-and-drop the grid takes nothing.
  grid.EnableDragAndDrop(FALSE);
  EXPECT_EQ(DropFromOutside(data, cell, cell, 0), DROPEFFECT_NONE);
}

TEST_F(GridClipboardTest, DraggingTheSelectionOutMovesItsTextAwayOrCopiesIt) {
  grid.EnableDragAndDrop(TRUE);
  grid.SetSelectedRange(0, 0, 0, 1);
  grid.SetFocusCell(0, 0);
  owner.notices.clear();
  // Pressed on a selected cell, the mouse moves: the selection is dragged into another program
  // that takes it as a move.
  plat::test::ScriptDrag({}, DROPEFFECT_MOVE);
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, gridtest::CellCentre(grid, 0, 1));
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 0, 1) + CPoint(3, 0), MK_LBUTTON);
  EXPECT_EQ(Codes(owner.notices).front(), std::make_tuple(LVN_BEGINDRAG, 0, 0));
  EXPECT_EQ(grid.GetItemText(0, 0), L"");
  EXPECT_EQ(grid.GetItemText(0, 1), L"");
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  Mouse(&grid, WM_LBUTTONUP, gridtest::CellCentre(grid, 0, 1));

  // Taken as a copy, the text stays.
  grid.SetSelectedRange(1, 0, 1, 1);
  grid.SetFocusCell(1, 1);
  plat::test::ScriptDrag({}, DROPEFFECT_COPY);
  plat::test::AdvanceTime(1000);
  Mouse(&grid, WM_LBUTTONDOWN, gridtest::CellCentre(grid, 1, 0));
  Mouse(&grid, WM_MOUSEMOVE, gridtest::CellCentre(grid, 1, 0) + CPoint(3, 0), MK_LBUTTON);
  Mouse(&grid, WM_LBUTTONUP, gridtest::CellCentre(grid, 1, 0));
  EXPECT_EQ(Row(1), L"d|e|f|");
}

TEST_F(GridClipboardTest, DraggingAHeadingReordersTheColumnsAndNothingElse) {
  grid.ShowWindow(SW_HIDE);
  CGridCtrl headed;
  ASSERT_TRUE(gridtest::CreateGrid(headed, owner, 300, 200, 1502));
  Fill(headed, 3, 5, 1);
  headed.SetAllowColumnReorder(TRUE);
  headed.SetItemText(0, 2, L"two");
  const auto drag = [&](int from, CPoint to) {
    plat::test::ScriptDrag({{plat::DragStep::Enter, &headed, to, 0},
                            {plat::DragStep::Over, &headed, to, 0},
                            {plat::DragStep::Drop, &headed, to, 0}});
    plat::test::AdvanceTime(1000);
    const CPoint start = gridtest::CellCentre(headed, 0, from);
    Mouse(&headed, WM_LBUTTONDOWN, start);
    Mouse(&headed, WM_MOUSEMOVE, start + CPoint(0, 3), MK_LBUTTON);
    Mouse(&headed, WM_LBUTTONUP, to);
  };
  drag(2, gridtest::CellCentre(headed, 0, 4));
  EXPECT_EQ(headed.GetColumnOrder(), (std::vector<int>{0, 1, 3, 4, 2}));
  EXPECT_EQ(headed.GetItemText(0, 4), L"two");
  EXPECT_EQ(headed.GetItemText(1, 4), L"c");
  for (int col = 0; col < 5; ++col) EXPECT_FALSE(headed.GetItemText(1, col).IsEmpty());

  // Dropped on the body, or beyond the last column: refused, the order stays.
  drag(4, gridtest::CellCentre(headed, 1, 1));
  drag(4, CPoint(290, 10));
  EXPECT_EQ(headed.GetColumnOrder(), (std::vector<int>{0, 1, 3, 4, 2}));
  for (int col = 0; col < 5; ++col) EXPECT_FALSE(headed.GetItemText(2, col).IsEmpty());
}

TEST_F(GridClipboardTest, RowsMoveByDraggingOnlyInVirtualMode) {
  grid.ShowWindow(SW_HIDE);
  CGridCtrl rows;
  rows.SetVirtualMode(TRUE);
  ASSERT_TRUE(gridtest::CreateGrid(rows, owner, 300, 200, 1503));
  gridtest::Shape(rows, 6, 3, 1, 0, 20, 50);
  rows.EnableDragAndDrop(TRUE);
  owner.onRequest = [](GridItemRecord& item) { item.strText = std::to_wstring(item.row).c_str(); };
  rows.SetSelectedRange(2, 0, 2, 2);
  rows.SetFocusCell(2, 0);
  owner.notices.clear();
  const CPoint target = gridtest::CellCentre(rows, 4, 1);
  plat::test::ScriptDrag({{plat::DragStep::Enter, &rows, target, 0},
                          {plat::DragStep::Over, &rows, target, 0},
                          {plat::DragStep::Drop, &rows, target, 0}});
  plat::test::AdvanceTime(1000);
  Mouse(&rows, WM_LBUTTONDOWN, gridtest::CellCentre(rows, 2, 1));
  Mouse(&rows, WM_MOUSEMOVE, gridtest::CellCentre(rows, 2, 1) + CPoint(3, 0), MK_LBUTTON);
  Mouse(&rows, WM_LBUTTONUP, target);
  EXPECT_EQ(rows.GetRowOrder(), (std::vector<int>{0, 1, 3, 4, 2, 5}));
  EXPECT_EQ(rows.GetItemText(4, 0), L"2");
  // The moved row's cells were not cut.
  for (const gridtest::Notice& notice : owner.notices) EXPECT_NE(notice.code, LVN_BEGINLABELEDITW);

  EXPECT_TRUE(rows.MoveRowInOrder(3, 3));
  EXPECT_EQ(rows.GetRowOrder(), (std::vector<int>{0, 1, 3, 4, 2, 5}));
  EXPECT_TRUE(rows.MoveRowInOrder(5, 1));
  EXPECT_EQ(rows.GetRowOrder(), (std::vector<int>{0, 1, 5, 3, 4, 2}));
  EXPECT_FALSE(rows.MoveRowInOrder(-1, 2));
  EXPECT_FALSE(rows.MoveRowInOrder(2, 6));
  EXPECT_FALSE(rows.MoveRowInOrder(0, 2));
  EXPECT_EQ(rows.GetRowOrder(), (std::vector<int>{0, 1, 5, 3, 4, 2}));
  owner.onRequest = nullptr;

  // A grid that stores its cells has no row order to move.
  EXPECT_FALSE(grid.MoveRowInOrder(1, 2));
}

TEST_F(GridClipboardTest, TheClipboardKeepsAGridsTextAfterTheGridIsGone) {
  auto gone = std::make_unique<CGridCtrl>(2, 2);
  gone->SetItemText(0, 0, L"kept");
  gone->SetSelectedRange(0, 0, 0, 0);
  gone->OnEditCopy();
  ASSERT_NE(COleDataSource::GetClipboardOwner(), nullptr);
  gone.reset();
  EXPECT_EQ(COleDataSource::GetClipboardOwner(), nullptr);
  CString text;
  ASSERT_TRUE(plat::GetClipboardText(text));
  EXPECT_EQ(text, L"kept");
}
