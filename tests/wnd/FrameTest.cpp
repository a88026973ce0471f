#include <gtest/gtest.h>

#include <QPainter>
#include <QWidget>

#include "platform/gdi/GdiQt.h"
#include "platform/video/qt/WindowPresenters.h"
#include "platform/wnd/Icon.h"
#include "platform/wnd/SysMetrics.h"
#include "platform/wnd/TestHarness.h"

using plat::test::SpyWnd;

namespace {

constexpr DWORD kFloatingFrame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

CRect WindowRect(const CWnd& w) {
  CRect rc;
  w.GetWindowRect(&rc);
  return rc;
}

CRect ClientRect(const CWnd& w) {
  CRect rc;
  w.GetClientRect(&rc);
  return rc;
}

// The client area in screen coordinates.
CRect ClientOnScreen(const CWnd& w) {
  CRect rc = ClientRect(w);
  w.ClientToScreen(&rc);
  return rc;
}

bool Framed(const CWnd& w) { return !(w.Widget()->windowFlags() & Qt::FramelessWindowHint) && w.Widget()->isWindow(); }

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

// The channel window's three modes: embedded, floating at the picture's size plus its frame,
// full screen, and back.
TEST_F(FrameTest, AWindowGoesFromChildToCaptionedPopupToFullScreenAndBackKeepingItsRectangles) {
  // Floating: a captioned, sizable top-level window whose outer size is the picture plus the frame.
  channel.ModifyStyle(WS_CHILD, WS_POPUP | kFloatingFrame);
  channel.SetParent(nullptr);
  EXPECT_TRUE(Framed(channel));
  const CSize frame = WindowRect(channel).Size() - ClientRect(channel).Size();
  EXPECT_GT(frame.cx, 0);
  EXPECT_GT(frame.cy, 0);
  channel.SetWindowPos(nullptr, 0, 0, 1280 + frame.cx, 720 + frame.cy, SWP_NOZORDER);
  channel.CenterWindow(&main);
  EXPECT_EQ(ClientRect(channel).Size(), CSize(1280, 720));
  const CRect floating = WindowRect(channel);
  EXPECT_TRUE(floating.PtInRect(ClientOnScreen(channel).TopLeft()));
  EXPECT_EQ(plat::ToQRect(ClientOnScreen(channel)), channel.Widget()->geometry());
  // The engine's picture fills the client area, inside the frame.
  plat::WindowPresenters presenters;
  ASSERT_NE(presenters.PresenterFor(channel.m_hWnd), nullptr);
  const plat::VideoWidget* picture = presenters.WidgetOf(channel.m_hWnd);
  EXPECT_EQ(picture->geometry(), QRect(0, 0, 1280, 720));

  // Full screen: no caption, the whole (injected) screen, without a new parent.
  plat::test::SetScreenSize(1280, 1024);
  channel.ModifyStyle(kFloatingFrame, 0);
  channel.SetWindowPos(nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                       SWP_FRAMECHANGED | SWP_NOZORDER);
  EXPECT_FALSE(Framed(channel));
  EXPECT_EQ(WindowRect(channel), CRect(0, 0, 1280, 1024));
  EXPECT_EQ(ClientOnScreen(channel), CRect(0, 0, 1280, 1024));
  EXPECT_EQ(channel.Widget()->geometry(), QRect(0, 0, 1280, 1024));
  EXPECT_EQ(picture->geometry(), QRect(0, 0, 1280, 1024));

  // And back to the captioned window, where it was.
  channel.ModifyStyle(0, kFloatingFrame);
  channel.SetWindowPos(nullptr, floating.left, floating.top, floating.Width(), floating.Height(),
                       SWP_FRAMECHANGED | SWP_NOZORDER);
  EXPECT_TRUE(Framed(channel));
  EXPECT_EQ(WindowRect(channel), floating);
  EXPECT_EQ(ClientRect(channel).Size(), CSize(1280, 720));

  // A frame change that neither moves nor sizes keeps the window rectangle: the client grows.
  channel.ModifyStyle(WS_CAPTION, 0, SWP_FRAMECHANGED);
  EXPECT_EQ(WindowRect(channel), floating);
  EXPECT_EQ(ClientRect(channel).Size(), floating.Size());
  channel.ModifyStyle(0, WS_CAPTION, SWP_FRAMECHANGED);

  // Embedded again: a child of the main window at its place there.
  channel.ModifyStyle(WS_POPUP | kFloatingFrame, WS_CHILD);
  channel.SetParent(&main);
  channel.MoveWindow(50, 40, 640, 360);
  EXPECT_TRUE(main.IsChild(&channel));
  EXPECT_FALSE(channel.Widget()->isWindow());
  EXPECT_EQ(ClientOnScreen(channel), CRect(150, 140, 790, 500));

  // A frame change alone turns a popup with an owner into its child and back.
  channel.ModifyStyle(WS_CHILD, WS_POPUP, SWP_FRAMECHANGED);
  EXPECT_FALSE(main.IsChild(&channel));
  EXPECT_EQ(channel.GetParent(), &main);
  EXPECT_TRUE(channel.Widget()->isWindow());
  channel.ModifyStyle(WS_POPUP, WS_CHILD, SWP_FRAMECHANGED);
  EXPECT_TRUE(main.IsChild(&channel));
}

TEST_F(FrameTest, SizingByTheUserGoesThroughTheWindowsSizingAndTrackingLimits) {
  channel.ModifyStyle(WS_CHILD, WS_POPUP | kFloatingFrame);
  channel.SetParent(nullptr);
  channel.SetWindowPos(nullptr, 100, 100, 640, 360, SWP_NOZORDER);
  const CSize frame = WindowRect(channel).Size() - ClientRect(channel).Size();
  // Keeps a 16:9 picture while its frame is dragged, as the channel window does.
  channel.answer = [&](UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg == WM_SIZING) {
      auto* r = reinterpret_cast<RECT*>(lParam);
      CRect client;
      channel.GetClientRect(&client);
      r->bottom = r->top + (r->right - r->left - frame.cx) * 9 / 16 + frame.cy;
      return TRUE;
    }
    if (msg == WM_GETMINMAXINFO) {
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {320, 200};
      return 0;
    }
    return std::nullopt;
  };

  // The window manager sizes the window from its right edge to a client 800 wide.
  const QRect before = channel.Widget()->geometry();
  channel.Clear();
  channel.Widget()->setGeometry(QRect(before.topLeft(), QSize(800, 300)));
  plat::test::Pump();
  ASSERT_EQ(channel.Of(WM_SIZING).size(), 1u);
  EXPECT_EQ(channel.Of(WM_SIZING)[0].wParam, WMSZ_BOTTOMRIGHT);
  EXPECT_EQ(ClientRect(channel).Size(), CSize(800, 450));
  EXPECT_EQ(channel.Widget()->size(), QSize(800, 450));
  EXPECT_EQ(channel.Of(WM_SIZE).back().lParam, MAKELPARAM(800, 450));

  // Dragging the left edge keeps the right one; the tracking limit holds, by the user or not.
  const QRect now = channel.Widget()->geometry();
  channel.Widget()->setGeometry(QRect(now.right() - 99, now.top(), 100, now.height()));
  plat::test::Pump();
  EXPECT_EQ(channel.Of(WM_SIZING).back().wParam, WMSZ_LEFT);
  EXPECT_EQ(WindowRect(channel).Width(), 320);
  EXPECT_EQ(channel.Widget()->geometry().right(), now.right());
  channel.SetWindowPos(nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowRect(channel).Size(), CSize(320, 200));
  // Without a sizing frame nothing limits the size.
  channel.ModifyStyle(WS_THICKFRAME, 0);
  channel.SetWindowPos(nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(WindowRect(channel).Size(), CSize(50, 50));
}

TEST_F(FrameTest, TopLevelWindowsShowTheProgramIconAndOwnedPopupsGoWithTheirOwner) {
  QPixmap pixels(32, 32);
  pixels.fill(Qt::red);
  plat::RegisterIconResource(128, QIcon(pixels));
  const HICON icon = LoadIcon(nullptr, MAKEINTRESOURCE(128));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(128)), icon);
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(129)), nullptr);
  EXPECT_EQ(main.SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)), 0);
  EXPECT_EQ(main.SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon)), 0);
  EXPECT_EQ(main.SendMessage(WM_GETICON, ICON_BIG), reinterpret_cast<LRESULT>(icon));
  EXPECT_EQ(main.Widget()->windowIcon().pixmap(32).toImage().pixelColor(16, 16), QColor(Qt::red));
  plat::RegisterIconResource(128, QIcon());
  // The program's own icon comes large and small from the skin.
  const HICON program = LoadIcon(nullptr, L"program");
  ASSERT_NE(program, nullptr);
  EXPECT_EQ(plat::QIconOf(program).availableSizes(), (QList<QSize>{QSize(16, 16), QSize(48, 48)}));

  // A frameless tool window owned by the main window: above it, moving on its own.
  SpyWnd panel;
  ASSERT_TRUE(panel.CreateEx(0, L"PlatTestSpy", L"", WS_POPUP | WS_VISIBLE, CRect(900, 200, 1000, 300), &main, 0));
  EXPECT_EQ(panel.GetParent(), &main);
  EXPECT_TRUE(panel.Widget()->isWindow());
  EXPECT_EQ(panel.Widget()->windowFlags() & (Qt::Tool | Qt::FramelessWindowHint), Qt::Tool | Qt::FramelessWindowHint);
  main.ShowWindow(SW_SHOW);
  EXPECT_EQ(CWnd::WindowFromPoint({950, 250}), &panel);
  main.MoveWindow(0, 0, 1000, 700);
  EXPECT_EQ(WindowRect(panel), CRect(900, 200, 1000, 300));

  // Minimising the owner hides it; restoring brings it back, unless it was hidden on its own.
  SpyWnd hidden;
  ASSERT_TRUE(hidden.CreateEx(0, L"PlatTestSpy", L"", WS_POPUP, CRect(0, 0, 10, 10), &main, 0));
  main.ShowWindow(SW_MINIMIZE);
  EXPECT_FALSE(panel.IsWindowVisible());
  EXPECT_FALSE(panel.Widget()->isVisible());
  main.ShowWindow(SW_RESTORE);
  EXPECT_TRUE(panel.IsWindowVisible());
  EXPECT_FALSE(hidden.IsWindowVisible());
}
