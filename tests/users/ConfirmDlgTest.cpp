// The password dialog as the main window runs it: typed texts come back with OK, Cancel gives
// something other than 1.
#include <gtest/gtest.h>

#include "tests/support/TestHarness.h"
#include "users/ConfirmDlg.h"

namespace {

void Type(const CString& text) {
  for (int i = 0; i < text.GetLength(); ++i) plat::test::Key(WM_CHAR, text[i]);
}

}  // namespace

TEST(ConfirmDlgTest, OkKeepsTheTypedAccountAndCancelIsNotOne) {
  plat::test::Reset();
  plat::test::SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 800, 600)));

  CConfirmDlg dlg(&owner);
  plat::test::WhileModal([&] {
    EXPECT_EQ(dlg.GetDlgItem(CConfirmDlg::kPasswordEdit)->GetStyle() & ES_PASSWORD, static_cast<DWORD>(ES_PASSWORD));
    dlg.GetDlgItem(CConfirmDlg::kUserNameEdit)->SetFocus();
    Type(L"fleet");
    dlg.GetDlgItem(CConfirmDlg::kPasswordEdit)->SetFocus();
    Type(L"s3cret-and-far-too-long");
    plat::test::Key(WM_KEYDOWN, VK_RETURN);
  });
  EXPECT_EQ(dlg.DoModal(), 1);
  EXPECT_EQ(dlg.GetUserName(), L"fleet");
  EXPECT_EQ(dlg.GetPassword(), L"s3cret-and-far-t");  // 16 characters, as a card holds

  CConfirmDlg cancelled(&owner);
  plat::test::WhileModal([&] { plat::test::Key(WM_KEYDOWN, VK_ESCAPE); });
  EXPECT_NE(cancelled.DoModal(), 1);
}
