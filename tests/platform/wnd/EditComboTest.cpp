#include <gtest/gtest.h>

#include <QWidget>

#include "platform/wnd/ComboBox.h"
#include "platform/wnd/Edit.h"
#include "platform/wnd/PaintDC.h"
#include "tests/support/TestHarness.h"

using plat::test::Key;
using plat::test::SpyWnd;

namespace {

class EditComboTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(parent.CreateTopLevel(CRect(100, 100, 500, 300)));
  }

  size_t Notifications(UINT id, UINT code) const {
    size_t n = 0;
    for (const auto& r : parent.Of(WM_COMMAND)) n += LOWORD(r.wParam) == id && HIWORD(r.wParam) == code;
    return n;
  }

  SpyWnd parent;
};

}  // namespace

TEST_F(EditComboTest, AnEditTypesCharactersAndEditsWithCaretKeysAndTheClipboard) {
  CEdit edit;
  ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, CRect(10, 10, 200, 32), &parent, 8));
  edit.SetWindowText(L"old");
  EXPECT_EQ(Notifications(8, EN_CHANGE), 1u);
  edit.SetFocus();
  EXPECT_EQ(Notifications(8, EN_SETFOCUS), 1u);

  // Typing replaces the selection; SetSel(-1) puts the caret at the end.
  edit.SetSel(0, -1);
  Key(WM_KEYDOWN, 'A');
  EXPECT_EQ(edit.GetWindowText(), L"a");
  edit.SetWindowText(L"old");
  edit.SetSel(static_cast<DWORD>(-1));
  int s = -1, e = -1;
  edit.GetSel(s, e);
  EXPECT_EQ(s, 3);
  EXPECT_EQ(e, 3);
  Key(WM_KEYDOWN, VK_BACK);
  EXPECT_EQ(edit.GetWindowText(), L"ol");
  Key(WM_KEYDOWN, VK_HOME);
  Key(WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(edit.GetWindowText(), L"l");
  edit.PostMessage(WM_CHAR, L'x');
  plat::test::Pump();
  EXPECT_EQ(edit.GetWindowText(), L"xl");
  edit.SendMessage(WM_IME_CHAR, 0x4E2D);  // a character typed through an input method
  EXPECT_EQ(edit.GetWindowText(), L"x\u4E2Dl");
  edit.SendMessage(EM_SETSEL, 2, 2);
  {
    CClientDC dc(&edit);  // measures text for the control even though Qt draws it
    EXPECT_GT(dc.GetTextExtent(L"abc").cx, 0);
  }
  edit.SendMessage(EM_SETSEL, 1, 2);
  Key(WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(edit.GetWindowText(), L"xl");
  Key(WM_KEYDOWN, VK_END);
  edit.ReplaceSel(L"!");
  EXPECT_EQ(edit.GetWindowText(), L"xl!");

  // Shift+Home selects; Ctrl+C copies; paste takes the first line only.
  plat::test::SetKeyState(VK_SHIFT, true);
  Key(WM_KEYDOWN, VK_HOME);
  plat::test::SetKeyState(VK_SHIFT, false);
  edit.GetSel(s, e);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(e, 3);
  Key(WM_KEYDOWN, VK_CONTROL);
  Key(WM_KEYDOWN, 'C');
  Key(WM_KEYUP, VK_CONTROL);
  CString copied;
  ASSERT_TRUE(plat::GetClipboardText(copied));
  EXPECT_EQ(copied, L"xl!");
  plat::SetClipboardText(L"one\r\ntwo");
  edit.SetSel(0, -1);
  edit.Paste();
  EXPECT_EQ(edit.GetWindowText(), L"one");
  EXPECT_EQ(edit.SendMessage(WM_GETDLGCODE), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);

  // Read-only and number-only edits refuse what they must.
  edit.SetReadOnly(TRUE);
  Key(WM_KEYDOWN, 'Z');
  EXPECT_EQ(edit.GetWindowText(), L"one");
  CEdit digits;
  ASSERT_TRUE(digits.Create(WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_UPPERCASE, CRect(10, 40, 200, 62), &parent, 9));
  digits.SetFocus();
  Key(WM_KEYDOWN, 'Q');
  Key(WM_KEYDOWN, '7');
  EXPECT_EQ(digits.GetWindowText(), L"7");
  EXPECT_EQ(Notifications(8, EN_KILLFOCUS), 1u);
}

TEST_F(EditComboTest, AComboKeepsItsSelectionWhenFilledAndTellsTheParentOnlyAboutTheUsersChoice) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, CRect(10, 10, 110, 200),
                           &parent, 10002));
  for (int m = 1; m <= 12; ++m) {
    CString s;
    s.Format(L"%d", m);
    EXPECT_EQ(combo.AddString(s), m - 1);
  }
  EXPECT_EQ(combo.GetCount(), 12);
  EXPECT_EQ(combo.GetCurSel(), -1);  // adding never selects
  EXPECT_EQ(combo.SetCurSel(4), 4);
  CString text;
  EXPECT_EQ(combo.GetLBText(4, text), 1);
  EXPECT_EQ(text, L"5");
  EXPECT_EQ(combo.GetWindowText(), L"5");
  EXPECT_EQ(combo.SetCurSel(40), CB_ERR);
  EXPECT_EQ(combo.GetLBText(40, text), CB_ERR);
  EXPECT_EQ(combo.SetItemData(2, 777), 0);
  EXPECT_EQ(combo.GetItemData(2), 777u);
  EXPECT_EQ(Notifications(10002, CBN_SELCHANGE), 0u);

  // The box shows only its closed height; the window keeps the list's height.
  CRect rc;
  combo.GetWindowRect(&rc);
  EXPECT_EQ(rc.Height(), 190);
  EXPECT_LT(combo.Widget()->height(), 60);
  // The mouse below the closed box reaches the window beneath.
  POINT onBox{20, 15};
  POINT below{20, 150};
  parent.ClientToScreen(&onBox);
  parent.ClientToScreen(&below);
  EXPECT_EQ(CWnd::WindowFromPoint(onBox), &combo);
  EXPECT_EQ(CWnd::WindowFromPoint(below), &parent);

  combo.SetFocus();
  Key(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(combo.GetCurSel(), 5);
  EXPECT_EQ(Notifications(10002, CBN_SELCHANGE), 1u);

  combo.ResetContent();
  EXPECT_EQ(combo.GetCount(), 0);
  EXPECT_EQ(combo.GetCurSel(), -1);

  CComboBox sorted;
  ASSERT_TRUE(sorted.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT, CRect(120, 10, 220, 200), &parent, 3));
  sorted.AddString(L"b");
  sorted.AddString(L"C");
  sorted.SetCurSel(1);
  EXPECT_EQ(sorted.AddString(L"a"), 0);
  EXPECT_EQ(sorted.GetCurSel(), 2);  // the selection stays on "C"
  sorted.GetLBText(sorted.GetCurSel(), text);
  EXPECT_EQ(text, L"C");
}
