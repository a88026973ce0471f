// The channel window in the main window, with the engine's real video widget in it: double clicks
// on the picture cycle embedded, floating and full screen; Escape embeds; a press drags; a floating
// window keeps the picture's proportion when "KeepRatio" asks for it.
#include <QTest>
#include <QWindow>

#include "platform/video/qt/WindowPresenters.h"
#include "tests/ui/MainWindowTestSupport.h"

namespace {

class KeySpyMainDlg : public CMainDlg {
 public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) keys.push_back(msg->wParam);
    return CMainDlg::PreTranslateMessage(msg);
  }
  std::vector<WPARAM> keys;
};

CRect WindowRectOf(const CWnd& w) {
  CRect r;
  w.GetWindowRect(&r);
  return r;
}

CSize ClientSize(const CWnd& w) {
  CRect r;
  w.GetClientRect(&r);
  return r.Size();
}

class ChannelWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    fake_.engine().answers.videoWidth = 1280;
    fake_.engine().answers.videoHeight = 720;
    main_ = std::make_unique<KeySpyMainDlg>();
    ASSERT_TRUE(main_->Create(CMainDlg::kTemplate, nullptr));
    main_->ShowWindow(SW_SHOW);
    channel().ShowWindow(SW_SHOW);
    ASSERT_NE(presenters_.PresenterFor(channel().m_hWnd), nullptr);
    plat::test::Pump();
  }
  void TearDown() override {
    main_.reset();
    MainWindowTest::TearDown();
  }
  CPanelDlg& channel() { return main_->GetChannelWindow(); }
  // A double click on the picture, through the top-level Qt window that shows it; what each press
  // posts is handled before the button comes up, as it is when a user clicks.
  void DoubleClick() {
    for (int click = 0; click < 4; ++click) {
      QWidget* top = channel().Widget()->window();
      const QPoint at = channel().Widget()->mapTo(top, QPoint(200, 150));
      if (click % 2 == 0) QTest::mousePress(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
      if (click % 2 == 1) QTest::mouseRelease(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
      plat::test::Pump();
    }
  }

  plat::WindowPresenters presenters_;
  std::unique_ptr<KeySpyMainDlg> main_;
};

}  // namespace

TEST_F(ChannelWindowTest, DoubleClicksOnThePictureCycleTheModesAndEscapeEmbeds) {
  const CRect embedded = channel().GetEmbeddedRect();
  const CRect mainRect = WindowRectOf(*main_);
  // F6 over the picture, which never takes the focus, is the main window's.
  QTest::keyClick(main_->Widget()->windowHandle(), Qt::Key_F6);
  EXPECT_EQ(main_->keys, std::vector<WPARAM>{VK_F6});

  DoubleClick();
  ASSERT_EQ(channel().GetMode(), CPanelDlg::kFloating);
  EXPECT_EQ(channel().GetWindowText(), L"Channel-01 1280x720");
  EXPECT_EQ(ClientSize(channel()), CSize(1280, 720));
  EXPECT_EQ(WindowRectOf(channel()).CenterPoint(), mainRect.CenterPoint());
  EXPECT_EQ(channel().GetParent(), main_.get());  // owned, so that it stays above the main window
  DoubleClick();
  ASSERT_EQ(channel().GetMode(), CPanelDlg::kFullScreen);
  EXPECT_EQ(WindowRectOf(channel()), CRect(0, 0, 1920, 1080));
  EXPECT_EQ(ClientSize(channel()), CSize(1920, 1080));
  DoubleClick();
  ASSERT_EQ(channel().GetMode(), CPanelDlg::kEmbedded);
  EXPECT_EQ(channel().GetParent(), main_.get());
  EXPECT_EQ(WindowRectOf(channel()), embedded + mainRect.TopLeft());

  DoubleClick();
  plat::test::Key(WM_KEYDOWN, VK_ESCAPE);
  EXPECT_EQ(channel().GetMode(), CPanelDlg::kEmbedded);

  // The picture is the window's background: erasing asks the engine to show its last frame again.
  fake_.engine().ClearCalls();
  channel().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  plat::test::Pump();
  EXPECT_FALSE(CallsNamed("RedrawVideo").empty());

  // A press on the embedded picture drags the main window.
  plat::test::Clock().Advance(1000);
  plat::test::Mouse(&channel(), WM_LBUTTONDOWN, CPoint(100, 100));
  plat::test::Mouse(&channel(), WM_MOUSEMOVE, CPoint(130, 120), MK_LBUTTON);
  plat::test::Mouse(&channel(), WM_LBUTTONUP, CPoint(130, 120));
  EXPECT_EQ(WindowRectOf(*main_), mainRect + CPoint(30, 20));
}

// Sized by its frame, a floating window keeps 16:9 from the proposed width; with "KeepRatio" 0 or
// without a picture size it sizes freely.
TEST_F(ChannelWindowTest, AFloatingWindowKeepsThePicturesProportionWhenKeepRatioAsks) {
  DoubleClick();
  const auto sizeBy = [&](int width, int height) {
    const QRect g = channel().Widget()->geometry();
    channel().Widget()->setGeometry(QRect(g.topLeft(), QSize(width, height)));
    plat::test::Pump();
    return ClientSize(channel());
  };
  EXPECT_EQ(sizeBy(800, 300), CSize(800, 450));
  WriteConfig("KeepRatio=0\n");
  EXPECT_EQ(sizeBy(640, 300), CSize(640, 300));
  WriteConfig("KeepRatio=1\n");
  fake_.engine().answers.videoWidth = 0;
  EXPECT_EQ(sizeBy(600, 200), CSize(600, 200));
}
