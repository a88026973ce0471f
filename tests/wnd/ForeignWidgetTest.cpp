#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <QWindow>

#include "platform/video/qt/VideoWidget.h"
#include "platform/wnd/ForeignWidget.h"
#include "platform/wnd/TestHarness.h"

using plat::test::SpyWnd;

namespace {

// A window whose PreTranslateMessage sees the keys and buttons of its tree; F6 is its own.
class TranslatingWnd : public SpyWnd {
 public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN || msg->message == WM_LBUTTONDOWN) seen.push_back(*msg);
    return msg->message == WM_KEYDOWN && msg->wParam == VK_F6;
  }
  std::vector<MSG> seen;
};

// A stand-in for a web page: a widget that takes its own keys and clicks.
class PageWidget : public QWidget {
 public:
  PageWidget() { setFocusPolicy(Qt::StrongFocus); }
  std::vector<int> keys;
  int presses = 0;

 protected:
  void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

QWindow* WindowOf(const CWnd& top) { return top.Widget()->windowHandle(); }

// A point of a window's client area in its top-level window's coordinates.
QPoint InTopLevel(const CWnd& wnd, const CWnd& top, CPoint client) {
  POINT p = client;
  wnd.ClientToScreen(&p);
  top.ScreenToClient(&p);
  return {p.x, p.y};
}

class ForeignWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 800, 600)));
    ASSERT_TRUE(channel.CreateChild(&main, CRect(40, 30, 680, 390), 1016));
  }

  TranslatingWnd main;
  SpyWnd channel;
};

}  // namespace

TEST_F(ForeignWidgetTest, TheVideoPictureIsTheWindowsOwnSurfaceForTheMouseAndTheKeys) {
  auto* video = new plat::VideoWidget;
  ASSERT_TRUE(plat::EmbedWidget(channel.m_hWnd, video, plat::ForeignInput::kWindow));
  EXPECT_EQ(video->parentWidget(), channel.Widget());
  EXPECT_EQ(video->geometry(), QRect(0, 0, 640, 360));
  EXPECT_EQ(video->focusPolicy(), Qt::NoFocus);
  channel.MoveWindow(40, 30, 320, 180);
  EXPECT_EQ(video->size(), QSize(320, 180));

  // A double click on the picture is the channel window's, at its client point.
  channel.Clear();
  const QPoint at = InTopLevel(channel, main, CPoint(100, 50));
  ASSERT_EQ(main.Widget()->childAt(at), channel.Widget());  // the picture lets the mouse through
  QTest::mouseDClick(WindowOf(main), Qt::LeftButton, Qt::NoModifier, at);
  plat::test::Pump();
  const std::vector<UINT> clicks = [&] {
    std::vector<UINT> out;
    for (UINT m : channel.Messages()) {
      if (m >= WM_LBUTTONDOWN && m <= WM_LBUTTONDBLCLK) out.push_back(m);
    }
    return out;
  }();
  EXPECT_EQ(clicks, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  ASSERT_FALSE(channel.Of(WM_LBUTTONDBLCLK).empty());
  EXPECT_EQ(channel.Of(WM_LBUTTONDBLCLK)[0].lParam, MAKELPARAM(100, 50));
  ASSERT_FALSE(main.seen.empty());
  EXPECT_EQ(main.seen[0].hwnd, channel.m_hWnd);  // the presses passed the main window's pre-translation

  // F6 pressed while the pointer is over the picture reaches the main window's PreTranslateMessage.
  main.seen.clear();
  QTest::keyClick(WindowOf(main), Qt::Key_F6);
  plat::test::Pump();
  ASSERT_EQ(main.seen.size(), 1u);
  EXPECT_EQ(main.seen[0].wParam, static_cast<WPARAM>(VK_F6));
  EXPECT_TRUE(main.Of(WM_KEYDOWN).empty());  // consumed there

  // The picture goes with its window.
  QPointer<QWidget> gone(video);
  channel.DestroyWindow();
  plat::test::Pump();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
  EXPECT_FALSE(plat::EmbedWidget(nullptr, new QWidget(main.Widget()), plat::ForeignInput::kWindow));
}

TEST_F(ForeignWidgetTest, APageKeepsItsInputAfterThePreTranslationChainUnlessAWindowHoldsTheCapture) {
  auto* page = new PageWidget;
  ASSERT_TRUE(plat::EmbedWidget(channel.m_hWnd, page, plat::ForeignInput::kWidget));
  page->setFocus();
  QTest::keyClick(WindowOf(main), Qt::Key_A);
  QTest::keyClick(WindowOf(main), Qt::Key_F6);
  plat::test::Pump();
  EXPECT_EQ(page->keys, (std::vector<int>{Qt::Key_A}));  // F6 was the main window's
  ASSERT_EQ(main.seen.size(), 2u);
  EXPECT_EQ(main.seen[0].hwnd, channel.m_hWnd);
  EXPECT_EQ(main.seen[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_TRUE(channel.Of(WM_KEYDOWN).empty());  // the page's keys are not the window's messages

  const QPoint at = InTopLevel(channel, main, CPoint(10, 20));
  QTest::mouseClick(WindowOf(main), Qt::LeftButton, Qt::NoModifier, at);
  plat::test::Pump();
  EXPECT_EQ(page->presses, 1);
  ASSERT_EQ(main.seen.size(), 3u);
  EXPECT_EQ(main.seen[2].message, WM_LBUTTONDOWN);
  EXPECT_EQ(main.seen[2].lParam, MAKELPARAM(10, 20));

  // While a window holds the capture (a slider being dragged), the mouse is that window's.
  main.SetCapture();
  main.Clear();
  QTest::mouseClick(WindowOf(main), Qt::LeftButton, Qt::NoModifier, at);
  plat::test::Pump();
  EXPECT_EQ(page->presses, 1);
  EXPECT_EQ(main.Of(WM_LBUTTONDOWN).size(), 1u);
  ReleaseCapture();
}
