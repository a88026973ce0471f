#include <gtest/gtest.h>

#include <QApplication>

#include "platform/wnd/Input.h"
#include "tests/support/TestHarness.h"

using plat::test::Key;
using plat::test::Mouse;
using plat::test::SpyWnd;

namespace {

class HoverKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(top.CreateTopLevel(CRect(100, 100, 400, 300)));
    ASSERT_TRUE(a.CreateChild(&top, CRect(10, 10, 60, 60), 1));
    ASSERT_TRUE(inner.CreateChild(&a, CRect(20, 20, 40, 40), 2));
  }

  static void TrackLeave(CWnd& w, DWORD flags = TME_LEAVE) {
    TRACKMOUSEEVENT t;
    t.dwFlags = flags;
    t.hwndTrack = w.m_hWnd;
    ASSERT_TRUE(TrackMouseEvent(&t));
  }

  SpyWnd top, a, inner;
};

}  // namespace

TEST_F(HoverKeyTest, LeaveTrackingPostsOneMouseLeaveWhenThePointerLeavesOrEntersAChild) {
  Mouse(&a, WM_MOUSEMOVE, {5, 5});
  TrackLeave(a);
  Mouse(&a, WM_MOUSEMOVE, {6, 6});
  EXPECT_TRUE(a.Of(WM_MOUSELEAVE).empty());
  Mouse(&a, WM_MOUSEMOVE, {25, 25});  // into the child
  EXPECT_EQ(a.Of(WM_MOUSELEAVE).size(), 1u);
  Mouse(&a, WM_MOUSEMOVE, {5, 5});
  Mouse(&top, WM_MOUSEMOVE, {200, 150});
  EXPECT_EQ(a.Of(WM_MOUSELEAVE).size(), 1u);  // one-shot: not armed any more

  Mouse(&a, WM_MOUSEMOVE, {5, 5});
  TrackLeave(a);
  TrackLeave(a, TME_LEAVE | TME_CANCEL);
  Mouse(&top, WM_MOUSEMOVE, {200, 150});
  EXPECT_EQ(a.Of(WM_MOUSELEAVE).size(), 1u);

  // Armed while the pointer is elsewhere: the leave comes at once.
  TrackLeave(a);
  plat::test::Pump();
  EXPECT_EQ(a.Of(WM_MOUSELEAVE).size(), 2u);
}

TEST_F(HoverKeyTest, TheWindowUnderThePointerIsAskedForTheCursorParentFirst) {
  top.answer = [](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_SETCURSOR) return FALSE;
    return std::nullopt;
  };
  Mouse(&inner, WM_MOUSEMOVE, {3, 3});
  const auto own = inner.Of(WM_SETCURSOR);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(own[0].wParam), inner.m_hWnd);
  EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(own[0].lParam)), HTCLIENT);
  EXPECT_EQ(HIWORD(static_cast<DWORD_PTR>(own[0].lParam)), WM_MOUSEMOVE);
  EXPECT_EQ(a.Of(WM_SETCURSOR).size(), 1u);  // default processing asks the parent chain
  EXPECT_EQ(top.Of(WM_SETCURSOR).size(), 1u);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));  // the class cursor

  // A parent that answers TRUE decides the cursor; the window's class cursor is not set.
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  top.answer = [](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_SETCURSOR) return TRUE;
    return std::nullopt;
  };
  Mouse(&inner, WM_MOUSEMOVE, {4, 4});
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
  EXPECT_EQ(LoadCursor(nullptr, reinterpret_cast<LPCWSTR>(L"custom")), nullptr);

  // GetMessagePos gives the screen point of the message being handled.
  POINT expect{4, 4};
  inner.ClientToScreen(&expect);
  EXPECT_EQ(GET_X_LPARAM(GetMessagePos()), expect.x);
  EXPECT_EQ(GET_Y_LPARAM(GetMessagePos()), expect.y);
}

TEST_F(HoverKeyTest, KeysGoToTheFocusWindowAsKeyDownCharKeyUpWithTheirState) {
  EXPECT_EQ(a.SetFocus(), nullptr);
  EXPECT_EQ(CWnd::GetFocus(), &a);
  ASSERT_EQ(a.Of(WM_SETFOCUS).size(), 1u);
  inner.SetFocus();
  ASSERT_EQ(a.Of(WM_KILLFOCUS).size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(a.Of(WM_KILLFOCUS)[0].wParam), inner.m_hWnd);
  ASSERT_EQ(inner.Of(WM_SETFOCUS).size(), 1u);
  EXPECT_EQ(reinterpret_cast<HWND>(inner.Of(WM_SETFOCUS)[0].wParam), a.m_hWnd);

  inner.answer = [](UINT msg, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_KEYDOWN && w == VK_SHIFT) {
      EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    }
    return std::nullopt;
  };
  Key(WM_KEYDOWN, VK_SHIFT);
  Key(WM_KEYDOWN, 'A');
  Key(WM_KEYUP, 'A');
  Key(WM_KEYUP, VK_SHIFT);
  Key(WM_KEYDOWN, VK_F6);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  std::vector<UINT> keys;
  for (UINT m : inner.Messages()) {
    if (m >= WM_KEYDOWN && m <= WM_SYSCHAR) keys.push_back(m);
  }
  EXPECT_EQ(keys, (std::vector<UINT>{WM_KEYDOWN, WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_KEYUP, WM_KEYDOWN}));
  ASSERT_EQ(inner.Of(WM_CHAR).size(), 1u);
  EXPECT_EQ(inner.Of(WM_CHAR)[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(inner.Of(WM_KEYDOWN).back().wParam, static_cast<WPARAM>(VK_F6));
  EXPECT_EQ(inner.Of(WM_KEYUP)[0].lParam & 0xC0000000, static_cast<LPARAM>(0xC0000000u));

  // Ctrl+letter types the control character; a key consumed by a pre-translation makes no char.
  Key(WM_KEYDOWN, VK_CONTROL);
  Key(WM_KEYDOWN, 'V');
  Key(WM_KEYUP, 'V');
  Key(WM_KEYUP, VK_CONTROL);
  EXPECT_EQ(inner.Of(WM_CHAR).back().wParam, 0x16u);

  // Destroying the focus window takes the focus away with WM_KILLFOCUS.
  inner.DestroyWindow();
  EXPECT_EQ(CWnd::GetFocus(), nullptr);
  EXPECT_EQ(inner.Of(WM_KILLFOCUS).size(), 1u);
}

TEST_F(HoverKeyTest, ACaptionPressMovesTheWindowOnlyAfterThePointerMovesAndAClickStillArrives) {
  top.answer = [this](UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (msg == WM_LBUTTONDOWN) top.PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, l);
    return std::nullopt;
  };
  Mouse(&top, WM_LBUTTONDOWN, {200, 150});
  Mouse(&top, WM_MOUSEMOVE, {202, 151}, MK_LBUTTON);  // within the drag threshold
  Mouse(&top, WM_LBUTTONUP, {202, 151});
  CRect rc;
  top.GetWindowRect(&rc);
  EXPECT_EQ(rc.TopLeft(), CPoint(100, 100));
  EXPECT_EQ(top.Of(WM_LBUTTONUP).size(), 1u);  // a click without movement is a click

  plat::test::Clock().Advance(1000);  // not a double click
  Mouse(&top, WM_LBUTTONDOWN, {200, 150});
  Mouse(&top, WM_MOUSEMOVE, {230, 170}, MK_LBUTTON);
  top.GetWindowRect(&rc);
  EXPECT_EQ(rc.TopLeft(), CPoint(130, 120));
  // The pointer is at the same screen place: (230,170) of the old client is (200,150) now.
  Mouse(&top, WM_MOUSEMOVE, {210, 160}, MK_LBUTTON);
  top.GetWindowRect(&rc);
  EXPECT_EQ(rc.TopLeft(), CPoint(140, 130));
  Mouse(&top, WM_LBUTTONUP, {210, 160});
  EXPECT_EQ(top.Of(WM_LBUTTONUP).size(), 1u);  // the release that ends a move is swallowed
}

TEST_F(HoverKeyTest, TheWheelGoesToTheFocusWindowAndUpToItsParentByDefault) {
  a.SetFocus();
  plat::test::Wheel(&inner, {3, 3}, -240);
  const auto own = a.Of(WM_MOUSEWHEEL);
  ASSERT_EQ(own.size(), 1u);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(own[0].wParam), -240);
  POINT screen{3, 3};
  inner.ClientToScreen(&screen);
  EXPECT_EQ(GET_X_LPARAM(own[0].lParam), screen.x);  // screen coordinates
  EXPECT_EQ(top.Of(WM_MOUSEWHEEL).size(), 1u);  // passed on by default processing
  EXPECT_TRUE(inner.Of(WM_MOUSEWHEEL).empty());

  // The wait cursor shows while its scope lasts.
  {
    CWaitCursor wait;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
