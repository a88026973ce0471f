#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <QWindow>

#include "platform/video/qt/VideoWidget.h"
#include "platform/wnd/ForeignWidget.h"
#include "tests/support/TestHarness.h"

using plat::test::SpyWnd;

namespace {

// A main window whose PreTranslateMessage sees the keys and presses of its tree; F6 is its own.
class TranslatingWnd : public SpyWnd {
 public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN || msg->message == WM_LBUTTONDOWN) seen.push_back(*msg);
    return msg->message == WM_KEYDOWN && msg->wParam == VK_F6;
  }
  std::vector<MSG> seen;
};

// A stand-in for a web page: it takes its own keys and clicks.
class PageWidget : public QWidget {
 public:
  PageWidget() { setFocusPolicy(Qt::StrongFocus); }
  std::vector<int> keys;
  int presses = 0;

 protected:
  void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
  void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class ForeignWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::Reset();
    ASSERT_TRUE(main.CreateTopLevel(CRect(0, 0, 800, 600)));
    ASSERT_TRUE(channel.CreateChild(&main, CRect(40, 30, 680, 390), 1016));
  }
  // Input goes to the top-level Qt window, which finds the widget under the point itself.
  QWindow* Screen() const { return main.Widget()->windowHandle(); }
  QPoint InMain(CPoint client) const { return {40 + client.x, 30 + client.y}; }

  TranslatingWnd main;
  SpyWnd channel;
};

}  // namespace

TEST_F(ForeignWidgetTest, TheVideoPictureIsTheWindowsOwnSurfaceForTheMouseAndTheKeys) {
  auto* video = new plat::VideoWidget;
  ASSERT_TRUE(plat::EmbedWidget(channel.m_hWnd, video, plat::ForeignInput::kWindow));
  channel.MoveWindow(40, 30, 320, 180);
  EXPECT_EQ(video->geometry(), QRect(0, 0, 320, 180));

  // A double click on the picture is the channel window's, at its client point, after the main
  // window's pre-translation.
  channel.Clear();
  QTest::mouseDClick(Screen(), Qt::LeftButton, Qt::NoModifier, InMain({100, 50}));
  plat::test::Pump();
  std::vector<UINT> clicks;
  for (UINT m : channel.Messages()) {
    if (m >= WM_LBUTTONDOWN && m <= WM_LBUTTONDBLCLK) clicks.push_back(m);
  }
  EXPECT_EQ(clicks, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  EXPECT_EQ(channel.Of(WM_LBUTTONDBLCLK).at(0).lParam, MAKELPARAM(100, 50));
  ASSERT_FALSE(main.seen.empty());
  EXPECT_EQ(main.seen[0].hwnd, channel.m_hWnd);

  // F6 over the picture (which never takes the focus) reaches the main window's PreTranslateMessage.
  main.seen.clear();
  QTest::keyClick(Screen(), Qt::Key_F6);
  plat::test::Pump();
  ASSERT_EQ(main.seen.size(), 1u);
  EXPECT_EQ(main.seen[0].wParam, static_cast<WPARAM>(VK_F6));
}

TEST_F(ForeignWidgetTest, APageKeepsItsInputAfterThePreTranslationChainUnlessAWindowHoldsTheCapture) {
  auto* page = new PageWidget;
  ASSERT_TRUE(plat::EmbedWidget(channel.m_hWnd, page, plat::ForeignInput::kWidget));
  page->setFocus();
  QTest::keyClick(Screen(), Qt::Key_A);
  QTest::keyClick(Screen(), Qt::Key_F6);
  QTest::mouseClick(Screen(), Qt::LeftButton, Qt::NoModifier, InMain({10, 20}));
  plat::test::Pump();
  EXPECT_EQ(page->keys, (std::vector<int>{Qt::Key_A}));  // F6 was the main window's
  EXPECT_EQ(page->presses, 1);
  ASSERT_EQ(main.seen.size(), 3u);
  EXPECT_EQ(main.seen[0].hwnd, channel.m_hWnd);
  EXPECT_EQ(main.seen[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(main.seen[2].lParam, MAKELPARAM(10, 20));
  EXPECT_TRUE(channel.Of(WM_KEYDOWN).empty());

  // While a window holds the capture (a slider being dragged), the mouse is that window's.
  main.SetCapture();
  QTest::mouseClick(Screen(), Qt::LeftButton, Qt::NoModifier, InMain({10, 20}));
  plat::test::Pump();
  EXPECT_EQ(page->presses, 1);
  EXPECT_EQ(main.Of(WM_LBUTTONDOWN).size(), 1u);
  ReleaseCapture();
}
