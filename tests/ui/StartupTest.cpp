#include "app/OrynPlayerApp.h"
#include "tests/ui/MainWindowTestSupport.h"
#include "ui/MainDlgIds.h"

namespace {

void Click(CWnd* button) {
  CRect r;
  button->GetClientRect(&r);
  plat::test::Mouse(button, WM_LBUTTONDOWN, r.CenterPoint());
  plat::test::Mouse(button, WM_LBUTTONUP, r.CenterPoint());
}

}  // namespace

// The program runs its main window modally; Escape and Enter do not end it, Close does, and then
// the language and the UI mode are written, in that order, into a Config.ini made for them.
TEST_F(MainWindowTest, TheRunEndsOnlyByCloseAndThenWritesTheLanguageAndTheUiMode) {
  plat::test::SetScreenSize(1440, 900);
  bool stillRunning = false;
  plat::test::WhileModal([] {
    plat::test::Key(WM_KEYDOWN, VK_ESCAPE);
    plat::test::Key(WM_KEYDOWN, VK_RETURN);
  });
  plat::test::WhileModal([&] {
    CMainDlg* dlg = theApp.GetMainDlg();
    stillRunning = dlg != nullptr && dlg->IsWindowVisible();
    if (dlg != nullptr) Click(dlg->GetDlgItem(mainid::kClose));
  });
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_TRUE(stillRunning);
  EXPECT_EQ(theApp.GetMainDlg(), nullptr);
  EXPECT_TRUE(fake_.engine().Destroyed());
  EXPECT_EQ(ReadConfig(), "[Config]\r\nLanguage File=en_US\r\nUIMode=1\r\n");
}

// Without an engine the main window ends at once, with no timer to keep its loop alive, and the
// preferences are written all the same.
TEST_F(MainWindowTest, WithoutAnEngineTheRunEndsAtOnceAndStillWritesThePreferences) {
  fake_.FailCreation(true);
  WriteConfig("UIMode=2\n");
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_EQ(fake_.Created(), 1);
  EXPECT_EQ(ReadConfig(), "[Config]\r\nUIMode=2\r\nLanguage File=en_US\r\n");
}
