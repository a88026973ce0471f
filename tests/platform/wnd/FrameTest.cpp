#include <gtest/gtest.h>

#include <QWidget>

#include "platform/gdi/GdiQt.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/Icon.h"
#include "platform/wnd/SysMetrics.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

constexpr DWORD kFloatingFrame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

CRect WindowRect(const CWnd& w) {
  CRect rc;
  w.GetWindowRect(&rc);
  return rc;
}

CRect ClientOnScreen(const CWnd& w) {
  CRect rc;
  w.GetClientRect(&rc);
  w.ClientToScreen(&rc);
  return rc;
}

bool Framed(const CWnd& w) { return w.Widget()->isWindow() && !(w.Widget()->windowFlags() & Qt::FramelessWindowHint); }

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(main.CreateTopLevel(CRect(100, 100, 1100, 800)));
    ASSERT_TRUE(channel.CreateChild(&main, CRect(50, 40, 690, 400), 1016));
  }

  SpyWnd main;
  SpyWnd channel;
};

}  // namespace

// The channel window's modes: embedded, floating at the picture's size plus its frame, full
// screen, and back.
TEST_F(FrameTest, AWindowGoesFromChildToCaptionedPopupToFullScreenAndBackKeepingItsRectangles) {
  channel.ModifyStyle(WS_CHILD, WS_POPUP | kFloatingFrame);
  channel.SetParent(nullptr);
  EXPECT_TRUE(Framed(channel));
  const CSize frame = WindowRect(channel).Size() - ClientOnScreen(channel).Size();
  ASSERT_GT(frame.cx, 0);
  channel.SetWindowPos(nullptr, 0, 0, 1280 + frame.cx, 720 + frame.cy, SWP_NOZORDER);
  channel.CenterWindow(&main);
  const CRect floating = WindowRect(channel);
  EXPECT_EQ(plat::ToQRect(ClientOnScreen(channel)), channel.Widget()->geometry());
  plat::WindowPresenters presenters;  // the engine's picture fills the client area, inside the frame
  ASSERT_NE(presenters.PresenterFor(channel.m_hWnd), nullptr);
  const plat::VideoWidget* picture = presenters.WidgetOf(channel.m_hWnd);
  EXPECT_EQ(picture->geometry(), QRect(0, 0, 1280, 720));

  // Full screen: no caption, the whole (injected) screen, with no new parent.
  plat::test::SetScreenSize(1280, 1024);
  channel.ModifyStyle(kFloatingFrame, 0);
  channel.SetWindowPos(nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       SWP_FRAMECHANGED | SWP_NOZORDER);
  EXPECT_FALSE(Framed(channel));
  EXPECT_EQ(WindowRect(channel), ClientOnScreen(channel));
  EXPECT_EQ(picture->geometry(), QRect(0, 0, 1280, 1024));

  // Captioned again where it was; a frame change that neither moves nor sizes keeps the window
  // rectangle and gives the frame's room to the client.
  channel.ModifyStyle(0, kFloatingFrame);
  channel.SetWindowPos(nullptr, floating.left, floating.top, floating.Width(), floating.Height(),
                       SWP_FRAMECHANGED | SWP_NOZORDER);
  EXPECT_TRUE(Framed(channel));
  EXPECT_EQ(WindowRect(channel), floating);
  EXPECT_EQ(ClientOnScreen(channel).Size(), CSize(1280, 720));
  channel.ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED);
  EXPECT_EQ(WindowRect(channel), floating);
  EXPECT_EQ(ClientOnScreen(channel), floating);
}

TEST_F(FrameTest, SizingByTheUserGoesThroughTheWindowsSizingAndTrackingLimits) {
  channel.ModifyStyle(WS_CHILD, WS_POPUP | kFloatingFrame);
  channel.SetParent(nullptr);
  channel.SetWindowPos(nullptr, 100, 100, 640, 360, SWP_NOZORDER);
  const CSize frame = WindowRect(channel).Size() - ClientOnScreen(channel).Size();
  // Keeps a 16:9 picture while the frame is dragged, as the channel window does.
  channel.answer = [&](UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg == WM_SIZING) {
      auto* r = reinterpret_cast<RECT*>(lParam);
      r->bottom = r->top + (r->right - r->left - frame.cx) * 9 / 16 + frame.cy;
      return TRUE;
    }
    if (msg == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {320, 200};
    return std::nullopt;
  };

  // The window manager sizes the window by its right edge to a client 800 wide.
  const QRect before = channel.Widget()->geometry();
  channel.Widget()->setGeometry(QRect(before.topLeft(), QSize(800, 300)));
  plat::test::Pump();
  ASSERT_EQ(channel.Of(WM_SIZING).size(), 1u);
  EXPECT_EQ(channel.Of(WM_SIZING)[0].wParam, WMSZ_BOTTOMRIGHT);
  EXPECT_EQ(channel.Of(WM_SIZE).back().lParam, MAKELPARAM(800, 450));
  // The tracking limits hold for the program too while the window has a sizing frame.
  channel.SetWindowPos(nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowRect(channel).Size(), CSize(320, 200));
}

TEST_F(FrameTest, TopLevelWindowsShowTheProgramIconAndOwnedPopupsGoWithTheirOwner) {
  const HICON program = LoadIcon(nullptr, L"program");  // large and small, from the skin
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(plat::QIconOf(program).availableSizes().size(), 2);
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(129)), nullptr);
  EXPECT_EQ(main.SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(program)), 0);
  EXPECT_FALSE(main.Widget()->windowIcon().isNull());

  // A frameless tool window owned by the main window: above it, moving on its own, hidden
  // while its owner is minimised unless it was hidden already.
  SpyWnd panel, hidden;
  ASSERT_TRUE(panel.CreateEx(0, L"PlatTestSpy", L"", WS_POPUP | WS_VISIBLE, CRect(900, 200, 1000, 300), &main, 0));
  ASSERT_TRUE(hidden.CreateEx(0, L"PlatTestSpy", L"", WS_POPUP, CRect(0, 0, 10, 10), &main, 0));
  EXPECT_EQ(panel.Widget()->windowFlags() & (Qt::Tool | Qt::FramelessWindowHint), Qt::Tool | Qt::FramelessWindowHint);
  main.ShowWindow(SW_SHOW);
  EXPECT_EQ(CWnd::WindowFromPoint({950, 250}), &panel);
  main.MoveWindow(0, 0, 1000, 700);
  EXPECT_EQ(WindowRect(panel), CRect(900, 200, 1000, 300));
  main.ShowWindow(SW_MINIMIZE);
  EXPECT_FALSE(panel.Widget()->isVisible());
  main.ShowWindow(SW_RESTORE);
  EXPECT_TRUE(panel.IsWindowVisible());
  EXPECT_FALSE(hidden.IsWindowVisible());
}
