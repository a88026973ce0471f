#include <gtest/gtest.h>

#include "platform/wnd/Button.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/DialogTemplate.h"
#include "platform/wnd/Edit.h"
#include "tests/support/TestHarness.h"

using plat::test::Key;
using plat::test::SpyWnd;

namespace {

constexpr UINT kTestDialog = 901;

class TestDialog : public CDialog {
 public:
  explicit TestDialog(CWnd* parent) : CDialog(kTestDialog, parent) {}

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    ++inits;
    if (timerMs) SetTimer(1, timerMs);
    if (hideInInit) ShowWindow(SW_HIDE);
    visibleAfterInit = IsWindowVisible();
    return initResult;
  }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_TIMER && wParam == 1) {
      ticks.push_back(GetTickCount());
      if (static_cast<int>(ticks.size()) == endAfterTicks) EndDialog(42);
      return 0;
    }
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) <= IDCANCEL) commands.push_back(LOWORD(wParam));
    return CDialog::WindowProc(msg, wParam, lParam);
  }

  void OnOK() override {
    ++oks;
    CDialog::OnOK();
  }

  int inits = 0;
  int oks = 0;
  UINT timerMs = 0;
  int endAfterTicks = 0;
  bool hideInInit = false;
  bool visibleAfterInit = true;
  BOOL initResult = TRUE;
  std::vector<DWORD> ticks;
  std::vector<WORD> commands;

 protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1001, name); }

 public:
  CEdit name;
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(owner.CreateTopLevel(CRect(100, 100, 600, 500)));
  }
  SpyWnd owner;
};

}  // namespace

TEST_F(DialogTest, TemplatesParseStylesRectanglesAndControlsAndRejectWhatIsWrong) {
  const auto t = plat::ParseDialogTemplate(R"({"title": "T", "style": "WS_POPUP | 0x10", "rect": [1, 2, 30, 40],
      "controls": [{"id": 7, "class": "Static", "style": "SS_CENTER|WS_VISIBLE", "rect": [3, 4, 5, 6], "text": "x"}]})");
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->style, WS_POPUP | 0x10);
  EXPECT_EQ(t->rect, CRect(1, 2, 31, 42));
  ASSERT_EQ(t->items.size(), 1u);
  EXPECT_EQ(t->items[0].id, 7u);
  EXPECT_EQ(t->items[0].style, SS_CENTER | WS_VISIBLE | WS_CHILD);
  EXPECT_EQ(t->items[0].rect, CRect(3, 4, 8, 10));
  EXPECT_EQ(t->items[0].text, L"x");

  QString error;
  EXPECT_FALSE(plat::ParseDialogTemplate("{\"style\": \"WS_NOPE\", \"rect\": [0,0,1,1]}", &error));
  EXPECT_FALSE(plat::ParseDialogTemplate("{\"style\": \"WS_POPUP\"}", &error));
  EXPECT_FALSE(plat::ParseDialogTemplate(R"({"rect": [0,0,1,1], "controls": [{"id": 70000, "class": "Static", "rect": [0,0,1,1]}]})", &error));
  EXPECT_FALSE(plat::ParseDialogTemplate(R"({"rect": [0,0,1,1], "controls": [{"id": 1, "rect": [0,0,1,1]}]})", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(plat::ParseDialogTemplate("not json", &error));
  EXPECT_FALSE(plat::LoadDialogTemplate(123456));
  EXPECT_EQ(plat::ParseStyle("WS_CHILD|WS_VISIBLE | 12"), WS_CHILD | WS_VISIBLE | 12u);
}

TEST_F(DialogTest, AModalLoopKeepsRunningTimersAndPostedMessagesAndDisablesItsOwner) {
  TestDialog dlg(&owner);
  dlg.timerMs = 100;
  dlg.endAfterTicks = 3;
  const DWORD start = GetTickCount();
  bool ownerDisabledWhileModal = false;
  plat::test::WhileModal([&] {
    ownerDisabledWhileModal = !owner.IsWindowEnabled();
    owner.PostMessage(WM_USER + 9, 1, 2);
  });
  EXPECT_EQ(dlg.DoModal(), 42);
  EXPECT_EQ(dlg.inits, 1);
  ASSERT_EQ(dlg.ticks.size(), 3u);
  EXPECT_EQ(dlg.ticks[0] - start, 100u);
  EXPECT_EQ(dlg.ticks[2] - start, 300u);
  EXPECT_TRUE(ownerDisabledWhileModal);
  EXPECT_TRUE(owner.IsWindowEnabled());
  EXPECT_EQ(owner.Of(WM_USER + 9).size(), 1u);
  EXPECT_EQ(dlg.m_hWnd, nullptr);  // the dialog is gone when DoModal returns
}

TEST_F(DialogTest, InitialisationRunsHiddenAndTheLoopShowsTheDialogWhenIdle) {
  TestDialog dlg(&owner);
  dlg.hideInInit = true;
  dlg.initResult = FALSE;  // declines the focus but does not end the dialog
  bool shownWhenIdle = false;
  CWnd* focusAtIdle = nullptr;
  plat::test::WhileModal([&] {
    shownWhenIdle = dlg.IsWindowVisible() != FALSE;
    focusAtIdle = CWnd::GetFocus();
    dlg.EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_FALSE(dlg.visibleAfterInit);
  EXPECT_TRUE(shownWhenIdle);
  EXPECT_EQ(focusAtIdle, nullptr);

  // With TRUE the first tab stop takes the focus, its text selected.
  TestDialog second(&owner);
  CWnd* focus = nullptr;
  plat::test::WhileModal([&] {
    focus = CWnd::GetFocus();
    second.EndDialog(7);
  });
  EXPECT_EQ(second.DoModal(), 7);
  EXPECT_EQ(focus, &second.name);

  // A loop that nothing can end gives up; a missing template or an unknown control class fails.
  TestDialog stuck(&owner);
  EXPECT_EQ(stuck.DoModal(), -1);
  CDialog missing(903, &owner);
  EXPECT_EQ(missing.DoModal(), -1);
  CDialog broken(902, &owner);
  EXPECT_EQ(broken.DoModal(), -1);
  EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST_F(DialogTest, ModelessDialogsGiveTheirControlsTypedObjectsAndSubclassing) {
  TestDialog dlg(&owner);
  ASSERT_TRUE(dlg.Create(kTestDialog, &owner));
  EXPECT_TRUE(dlg.IsWindowVisible());
  EXPECT_EQ(dlg.GetDlgItem(1001), &dlg.name);  // subclassed in DoDataExchange
  EXPECT_EQ(dlg.name.GetWindowText(), L"name");
  auto* check = dynamic_cast<CButton*>(dlg.GetDlgItem(1002));
  ASSERT_NE(check, nullptr);
  EXPECT_EQ(check->GetCheck(), BST_UNCHECKED);
  // The template places the client area from the owner's client area; the frame lies around it.
  CPoint origin(0, 0);
  dlg.ClientToScreen(&origin);
  EXPECT_EQ(origin, CPoint(120, 130));

  // Subclassing a template control by another object moves the window's messages to it.
  SpyWnd spy;
  ASSERT_TRUE(spy.SubclassDlgItem(1020, &dlg));
  EXPECT_EQ(dlg.GetDlgItem(1020), &spy);
  spy.SetWindowText(L"changed");
  EXPECT_EQ(spy.Of(WM_SETTEXT).size(), 1u);
  EXPECT_EQ(spy.GetWindowText(), L"changed");
  EXPECT_FALSE(spy.SubclassDlgItem(1002, &dlg));  // already has a window

  dlg.EndDialog(IDOK);
  EXPECT_FALSE(dlg.IsWindowVisible());
  dlg.DestroyWindow();
  EXPECT_EQ(spy.m_hWnd, nullptr);
}

TEST_F(DialogTest, TheDialogKeysMoveTheFocusAndEnterAndEscapeCommand) {
  TestDialog dlg(&owner);
  ASSERT_TRUE(dlg.Create(kTestDialog, &owner));
  CWnd* check = dlg.GetDlgItem(1002);
  CWnd* one = dlg.GetDlgItem(1010);
  CWnd* two = dlg.GetDlgItem(1011);
  CWnd* ok = dlg.GetDlgItem(IDOK);
  CWnd* cancel = dlg.GetDlgItem(IDCANCEL);
  EXPECT_EQ(CWnd::GetFocus(), &dlg.name);
  Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(CWnd::GetFocus(), check);
  Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(CWnd::GetFocus(), one);
  // Arrows move within the radio group and check the automatic radio buttons they reach.
  Key(WM_KEYDOWN, VK_DOWN);
  EXPECT_EQ(CWnd::GetFocus(), two);
  EXPECT_EQ(two->SendMessage(BM_GETCHECK), BST_CHECKED);
  Key(WM_KEYDOWN, VK_UP);
  EXPECT_EQ(one->SendMessage(BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(two->SendMessage(BM_GETCHECK), BST_UNCHECKED);
  Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(CWnd::GetFocus(), ok);
  cancel->EnableWindow(FALSE);  // a disabled control is skipped
  Key(WM_KEYDOWN, VK_TAB);
  EXPECT_EQ(CWnd::GetFocus(), &dlg.name);
  plat::test::SetKeyState(VK_SHIFT, true);
  Key(WM_KEYDOWN, VK_TAB);
  plat::test::SetKeyState(VK_SHIFT, false);
  EXPECT_EQ(CWnd::GetFocus(), ok);
  cancel->EnableWindow(TRUE);

  // Enter on a push button commands that button; elsewhere the default button.
  cancel->SetFocus();
  Key(WM_KEYDOWN, VK_RETURN);
  dlg.name.SetFocus();
  Key(WM_KEYDOWN, VK_RETURN);
  Key(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(dlg.commands, (std::vector<WORD>{IDCANCEL, IDOK, IDCANCEL}));
  EXPECT_EQ(dlg.oks, 1);
  EXPECT_FALSE(dlg.IsWindowVisible());

  // A control that wants every key keeps Enter; WM_CLOSE is the cancel command.
  dlg.commands.clear();
  SpyWnd greedy;
  ASSERT_TRUE(greedy.CreateChild(&dlg, CRect(0, 0, 5, 5), 77, WS_CHILD | WS_VISIBLE | WS_TABSTOP));
  greedy.answer = [](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
    return std::nullopt;
  };
  greedy.SetFocus();
  Key(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(greedy.Of(WM_KEYDOWN).size(), 1u);
  EXPECT_EQ(greedy.Of(WM_CHAR).size(), 1u);
  EXPECT_TRUE(dlg.commands.empty());
  dlg.SendMessage(WM_CLOSE);
  EXPECT_EQ(dlg.commands, (std::vector<WORD>{IDCANCEL}));
}
