#include <gtest/gtest.h>

#include "controls/FolderDialog.h"
#include "platform/wnd/Shell.h"
#include "tests/support/TestHarness.h"

using plat::test::FolderStep;
using plat::test::SpyWnd;

TEST(FolderDialogTest, ReturnsTheChosenFolderOrWhyThereIsNone) {
  plat::test::Reset();
  SpyWnd owner;
  ASSERT_TRUE(owner.CreateTopLevel(CRect(100, 100, 400, 300)));

  // Cancelled: no path.
  CFolderDialog dlg(L"Backup folder", nullptr, &owner, BIF_RETURNONLYFSDIRS);
  plat::test::ScriptFolderPicker({{FolderStep::Select, L"/media/card"}}, {IDCANCEL, L""});
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(dlg.GetFolderPath().IsEmpty());
  EXPECT_TRUE(plat::test::FolderSelections().empty());  // no initial folder to select

  // Paths longer than any fixed buffer come back whole.
  CString deep = L"/home/driver";
  for (int i = 0; i < 40; ++i) deep += L"/recordings-of-the-week";
  plat::test::ScriptFolderPicker({}, {IDOK, deep});
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.GetFolderPath(), deep);

  // A choice without a file-system path (a virtual folder) gives -1 and clears the last path.
  plat::test::ScriptFolderPicker({{FolderStep::Select, L""}}, {-1, L""});
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_TRUE(dlg.GetFolderPath().IsEmpty());
}

TEST(FolderDialogTest, SelectsTheInitialFolderShowsTheSelectionAndBeepsAtUnknownNames) {
  plat::test::Reset();
  CString initial = L"/media/backup";
  for (int i = 0; i < 30; ++i) initial += L"/2024-05-17-trip";
  CFolderDialog dlg(L"Backup folder", initial, nullptr, BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_VALIDATE);
  plat::test::ScriptFolderPicker({{FolderStep::Select, L"/media/a"},
                                  {FolderStep::TypeInvalid, L"no such folder"},
                                  {FolderStep::Select, L""},
                                  {FolderStep::Select, L"/media/b"}},
                                 {IDOK, L"/media/b"});
  const int beeps = plat::test::Beeps();
  EXPECT_EQ(dlg.DoModal(), IDOK);  // the unknown name kept the picker open
  EXPECT_EQ(plat::test::Beeps(), beeps + 1);
  EXPECT_EQ(plat::test::FolderSelections(), std::vector<CString>{initial});
  EXPECT_EQ(plat::test::FolderStatusTexts(), (std::vector<CString>{L"/media/a", L"", L"/media/b"}));
  EXPECT_EQ(dlg.GetFolderPath(), L"/media/b");

  // Without BIF_STATUSTEXT there is no status line; a new initial folder is used next time.
  CFolderDialog plain(L"Folder", nullptr, nullptr, BIF_RETURNONLYFSDIRS);
  EXPECT_FALSE(plain.SetInitialFolder(nullptr));
  EXPECT_TRUE(plain.SetInitialFolder(L"/media/card"));
  plat::test::ScriptFolderPicker({{FolderStep::Select, L"/media/c"}}, {IDOK, L"/media/c"});
  EXPECT_EQ(plain.DoModal(), IDOK);
  EXPECT_EQ(plat::test::FolderSelections(), std::vector<CString>{L"/media/card"});
  EXPECT_TRUE(plat::test::FolderStatusTexts().empty());
}
