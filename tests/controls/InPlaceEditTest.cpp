#include <gtest/gtest.h>

#include <memory>

#include "GridTestSupport.h"
#include "controls/grid/InPlaceEdit.h"
#include "platform/wnd/Input.h"

using plat::test::Key;

namespace {

// A grid that records the ends of edits its editor reports.
class EditSpyGrid : public CGridCtrl {
 public:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (msg == WM_NOTIFY && header && header->idFrom == kInPlaceEditId) {
      ends.push_back(reinterpret_cast<const GridDispInfo*>(lParam)->item);
    }
    return CGridCtrl::WindowProc(msg, wParam, lParam);
  }
  std::vector<GridItemRecord> ends;
};

class InPlaceEditTest : public gridtest::OwnerTest {
 protected:
  void SetUp() override {
    OwnerTest::SetUp();
    ASSERT_TRUE(Make(grid));
  }

  bool Make(CGridCtrl& g) {
    if (!gridtest::CreateGrid(g, owner, 300, 200)) return false;
    gridtest::Shape(g, 6, 5, 1, 1, 20, 60);
    for (int row = 1; row < 6; ++row) {
      for (int col = 1; col < 5; ++col) g.SetItemText(row, col, L"old");
    }
    g.SetModified(FALSE);
    g.SetFocusCell(1, 1);
    g.SetFocus();
    plat::test::Pump();
    owner.notices.clear();
    return true;
  }

  CInPlaceEdit* Editor() { return dynamic_cast<CInPlaceEdit*>(grid.GetDlgItem(CGridCtrl::kInPlaceEditId)); }

  // The editor's place in the grid's client area.
  CRect EditorRect() {
    CRect rect;
    Editor()->GetWindowRect(&rect);
    grid.ScreenToClient(&rect);
    return rect;
  }

  std::pair<int, int> Selection() {
    int start = -1;
    int end = -1;
    Editor()->GetSel(start, end);
    return {start, end};
  }

  EditSpyGrid grid;
};

}  // namespace

TEST_F(InPlaceEditTest, TheStartingKeyDecidesWhatIsSelectedAndWhatIsTyped) {
  Key(WM_CHAR, 'a');
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->GetWindowText(), L"a");
  Key(WM_KEYDOWN, VK_ESCAPE);
  ASSERT_EQ(Editor(), nullptr);

  grid.OnEditCell(1, 1, CPoint(5, 5), VK_LBUTTON);
  plat::test::Pump();
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->GetWindowText(), L"old");
  EXPECT_EQ(Selection(), std::make_pair(3, 3));
  Key(WM_KEYDOWN, VK_RETURN);
  ASSERT_EQ(Editor(), nullptr);

  Key(WM_KEYDOWN, VK_SPACE);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->GetWindowText(), L"old");
  EXPECT_EQ(Selection(), std::make_pair(0, 3));
  Key(WM_KEYDOWN, VK_RETURN);

  Key(WM_KEYDOWN, VK_BACK);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->GetWindowText(), L"ol");
  EXPECT_EQ(Selection(), std::make_pair(2, 2));
  Key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(grid.GetItemText(1, 1), L"ol");

  // F2 opens the editor as a click does; Escape typed into the grid opens none.
  Key(WM_CHAR, VK_ESCAPE);
  EXPECT_EQ(Editor(), nullptr);
  Key(WM_KEYDOWN, VK_F2);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Selection(), std::make_pair(2, 2));
}

TEST_F(InPlaceEditTest, ArrowsMoveTheCaretOfAClickedEditorAndLeaveAKeyedOne) {
  grid.OnEditCell(1, 1, CPoint(5, 5), VK_LBUTTON);
  plat::test::Pump();
  Key(WM_KEYDOWN, VK_LEFT);
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Selection(), std::make_pair(2, 2));
  Key(WM_KEYDOWN, VK_DOWN);
  ASSERT_NE(Editor(), nullptr);
  plat::test::SetKeyState(VK_CONTROL, true);
  Key(WM_KEYDOWN, VK_DOWN);
  plat::test::SetKeyState(VK_CONTROL, false);
  ASSERT_EQ(grid.ends.size(), 1u);
  EXPECT_EQ(grid.ends[0].lParam, VK_DOWN);
  grid.EndEditing();
  grid.ends.clear();

  // Opened by a key, the editor ends on Down: the focus moves down and edits there.
  grid.SetFocusCell(2, 2);
  grid.SetFocus();
  Key(WM_CHAR, 'n');
  Key(WM_KEYDOWN, VK_DOWN);
  ASSERT_EQ(grid.ends.size(), 1u);
  EXPECT_EQ(grid.ends[0].row, 2);
  EXPECT_EQ(grid.ends[0].col, 2);
  EXPECT_EQ(grid.ends[0].strText, L"n");
  EXPECT_EQ(grid.ends[0].lParam, VK_DOWN);
  EXPECT_EQ(grid.ends[0].mask, GIF_TEXT | GIF_PARAM);
  EXPECT_EQ(grid.GetItemText(2, 2), L"n");
  EXPECT_TRUE(grid.GetCell(2, 2)->IsModified());
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 2));
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->GetRow(), 3);
  EXPECT_EQ(Selection(), std::make_pair(0, 3));
  EXPECT_TRUE(grid.IsItemEditing(3, 2));
  EXPECT_FALSE(grid.IsItemEditing(2, 2));

  // Tab ends the edit, moves right and edits there.
  Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 3));
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->GetColumn(), 3);
}

TEST_F(InPlaceEditTest, EscapeRestoresTheTextAndStillReports) {
  Key(WM_CHAR, 'x');
  ASSERT_EQ(Editor()->GetWindowText(), L"x");
  Key(WM_KEYDOWN, VK_ESCAPE);
  ASSERT_EQ(grid.ends.size(), 1u);
  EXPECT_EQ(grid.ends[0].strText, L"old");
  EXPECT_EQ(grid.ends[0].lParam, VK_ESCAPE);
  EXPECT_EQ(grid.GetItemText(1, 1), L"old");
  EXPECT_FALSE(grid.GetCell(1, 1)->IsModified());
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(CWnd::GetFocus(), &grid);
  for (const gridtest::Notice& notice : owner.notices) EXPECT_NE(notice.code, LVN_ENDLABELEDITW);
}

TEST_F(InPlaceEditTest, AnOwnerThatRefusesTheTextKeepsTheOldOne) {
  owner.onNotice = [](const gridtest::Notice& n) { return n.code == LVN_ENDLABELEDITW ? LRESULT(-1) : LRESULT(0); };
  Key(WM_CHAR, 'x');
  Key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(grid.GetItemText(1, 1), L"old");
  EXPECT_FALSE(grid.GetCell(1, 1)->IsModified());

  // An owner that refuses to begin gets no editor.
  owner.onNotice = [](const gridtest::Notice& n) { return n.code == LVN_BEGINLABELEDITW ? LRESULT(-1) : LRESULT(0); };
  Key(WM_CHAR, 'y');
  EXPECT_EQ(Editor(), nullptr);
  grid.SetEditable(FALSE);
  owner.onNotice = nullptr;
  Key(WM_CHAR, 'y');
  EXPECT_EQ(Editor(), nullptr);
}

TEST_F(InPlaceEditTest, TypingPastTheEdgeWidensTheEditorUpToTheGridsEdge) {
  grid.SetFocusCell(1, 3);
  Key(WM_CHAR, 'w');
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(EditorRect(), CRect(180, 20, 239, 39));
  for (const wchar_t c : std::wstring(L"idening")) Key(WM_CHAR, c);
  CRect rect = EditorRect();
  EXPECT_EQ(rect.left, 180);
  EXPECT_GT(rect.right, 239);
  EXPECT_LT(rect.right, 300);
  for (const wchar_t c : std::wstring(L" and widening until the text is far too long")) Key(WM_CHAR, c);
  rect = EditorRect();
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.bottom, 39);
  plat::test::SavePng(plat::test::Grab(&grid), "grid_in_place_editor");
}

TEST_F(InPlaceEditTest, AFocusChangeWhileTheEditEndsReportsOnce) {
  owner.onNotice = [&](const gridtest::Notice& n) {
    if (n.code == LVN_ENDLABELEDITW) owner.SetFocus();
    return LRESULT(0);
  };
  Key(WM_CHAR, 'q');
  ASSERT_EQ(CWnd::GetFocus(), Editor());
  grid.EndEditing();
  EXPECT_EQ(grid.ends.size(), 1u);
  int ends = 0;
  for (const gridtest::Notice& notice : owner.notices) ends += notice.code == LVN_ENDLABELEDITW ? 1 : 0;
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(grid.GetItemText(1, 1), L"q");
  // Scrolling ends an edit too.
  grid.SetFocus();
  Key(WM_CHAR, 'r');
  ASSERT_NE(Editor(), nullptr);
  grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_EQ(grid.ends.size(), 2u);
}

TEST_F(InPlaceEditTest, ARightAlignedCellEditsRightAlignedAndASecondEditOnlyTypes) {
  GridItemRecord item;
  item.row = 2;
  item.col = 1;
  item.mask = GIF_FORMAT;
  item.nFormat = DT_RIGHT | DT_SINGLELINE | DT_VCENTER;
  ASSERT_TRUE(grid.SetItem(&item));
  grid.SetFocusCell(2, 1);
  grid.OnEditCell(2, 1, CPoint(-1, -1), VK_RETURN);
  CInPlaceEdit* editor = Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->GetStyle() & (ES_CENTER | ES_RIGHT), ES_RIGHT);
  EXPECT_EQ(editor->GetStyle() & (WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL),
            WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL);
  CRect rect;
  ASSERT_TRUE(grid.GetCellRect(2, 1, &rect));
  ASSERT_TRUE(grid.GetCell(2, 1)->Edit(2, 1, rect, CPoint(-1, -1), CGridCtrl::kInPlaceEditId, 'z'));
  EXPECT_EQ(Editor(), editor);
  EXPECT_EQ(editor->GetWindowText(), L"oldz");
  EXPECT_EQ(editor->SendMessage(WM_GETDLGCODE), DLGC_WANTALLKEYS);
  // System characters never reach the editor.
  MSG sys;
  sys.hwnd = editor->m_hWnd;
  sys.message = WM_SYSCHAR;
  sys.wParam = 'x';
  EXPECT_TRUE(editor->PreTranslateMessage(&sys));
}

TEST_F(InPlaceEditTest, ACellWhoseEditorCannotBeMadeIsNotEditing) {
  CGridCtrl windowless(3, 3);
  CGridCellBase* cell = windowless.GetCell(1, 1);
  EXPECT_FALSE(cell->Edit(1, 1, CRect(0, 0, 50, 20), CPoint(-1, -1), CGridCtrl::kInPlaceEditId, 'a'));
  EXPECT_FALSE(cell->IsEditing());
  EXPECT_EQ(cell->GetEditWnd(), nullptr);
  // Losing the focus to another window ends an edit.
  Key(WM_CHAR, 'a');
  ASSERT_NE(Editor(), nullptr);
  EXPECT_TRUE(grid.IsItemEditing(1, 1));
  owner.SetFocus();
  EXPECT_EQ(Editor(), nullptr);
  EXPECT_FALSE(grid.IsItemEditing(1, 1));
  EXPECT_EQ(grid.GetItemText(1, 1), L"a");
}

TEST_F(InPlaceEditTest, AnOwnerThatDestroysTheGridWhileTheEditEndsLeavesNothingBehind) {
  auto doomed = std::make_unique<EditSpyGrid>();
  ASSERT_TRUE(Make(*doomed));
  owner.onNotice = [&](const gridtest::Notice& n) {
    if (n.code == LVN_ENDLABELEDITW) doomed.reset();
    return LRESULT(0);
  };
  Key(WM_CHAR, 'k');
  ASSERT_NE(doomed->GetDlgItem(CGridCtrl::kInPlaceEditId), nullptr);
  Key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(doomed, nullptr);
  plat::test::Pump();
  owner.onNotice = nullptr;
}
