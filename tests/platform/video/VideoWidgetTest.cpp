#include "platform/video/qt/VideoWidget.h"

#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "platform/video/BackBufferPresenter.h"
#include "platform/video/PresentedFrame.h"
#include "tests/platform/video/PictureDrawing.h"
#include "tests/platform/video/VideoApp.h"

using namespace videotest;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// Presents from another thread, as the video thread does.
void PresentFromVideoThread(plat::IVideoPresenter& presenter, const CRect& crop, bool letterbox) {
  bool presented = false;
  std::thread([&] { presented = presenter.Present(crop, letterbox); }).join();
  EXPECT_TRUE(presented);
}

QImage GrabAtSize(QWidget& widget, int width, int height, const std::string& name) {
  widget.resize(width, height);
  const QImage shown = widget.grab().toImage();
  Save(shown, name);
  return shown;
}

}  // namespace

TEST(VideoWidgetTest, TheWidgetRepaintsWithWhatTheVideoThreadPresents) {
  App();
  plat::VideoWidget widget;
  widget.resize(400, 300);
  widget.show();
  QCoreApplication::processEvents();
  PaintCounter counter;
  widget.installEventFilter(&counter);
  const std::shared_ptr<plat::IVideoPresenter> presenter = widget.Presenter();

  // Nothing presented yet: black.
  EXPECT_TRUE(AllOf(widget.grab().toImage(), 0, 0, 400, 300, kBlack));

  ASSERT_TRUE(presenter->Reset(320, 240));
  ASSERT_TRUE(PaintQuadrants(*presenter));
  PresentFromVideoThread(*presenter, CRect(0, 120, -160, 0), false);
  QCoreApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
  QImage shown = widget.grab().toImage();
  Save(shown, "widget-crop.png");
  EXPECT_TRUE(AllOf(shown, 0, 0, 400, 300, kBlue));

  PresentFromVideoThread(*presenter, CRect(), false);
  shown = widget.grab().toImage();
  Save(shown, "widget-stretched.png");
  EXPECT_TRUE(AllOf(shown, 0, 0, 190, 140, kRed));
  EXPECT_TRUE(AllOf(shown, 210, 0, 190, 140, kGreen));
  EXPECT_TRUE(AllOf(shown, 0, 160, 190, 140, kBlue));
  EXPECT_TRUE(AllOf(shown, 210, 160, 190, 140, kWhite));
  auto& base = dynamic_cast<plat::BackBufferPresenter&>(*presenter);
  EXPECT_EQ(shown, plat::ComposeWindow(base, QSize(400, 300)).convertToFormat(shown.format()));

  // Letterboxed in a wide window, then in a tall one after a resize: the bars stay black.
  PresentFromVideoThread(*presenter, CRect(), true);
  shown = GrabAtSize(widget, 600, 300, "widget-letterbox-wide.png");
  EXPECT_TRUE(AllOf(shown, 0, 0, 100, 300, kBlack));
  EXPECT_TRUE(AllOf(shown, 500, 0, 100, 300, kBlack));
  EXPECT_TRUE(AllOf(shown, 110, 10, 180, 130, kRed));
  shown = GrabAtSize(widget, 200, 600, "widget-letterbox-tall.png");
  EXPECT_TRUE(AllOf(shown, 0, 0, 200, 225, kBlack));
  EXPECT_TRUE(AllOf(shown, 0, 375, 200, 225, kBlack));
  EXPECT_TRUE(AllOf(shown, 110, 310, 80, 60, kWhite));

  // Minimised: presents and repaints go on without anything to draw.
  widget.resize(0, 0);
  PresentFromVideoThread(*presenter, CRect(), true);
  QCoreApplication::processEvents();
  widget.repaint();
}

TEST(VideoWidgetTest, VisibilityChangesFromAnyThreadAndPresentsOutliveTheWidget) {
  App();
  auto widget = std::make_unique<plat::VideoWidget>();
  widget->resize(64, 48);
  widget->show();
  std::shared_ptr<plat::IVideoPresenter> presenter = widget->Presenter();

  std::thread([&] { presenter->SetVisible(false); }).join();
  QCoreApplication::processEvents();
  EXPECT_FALSE(widget->isVisible());
  presenter->SetVisible(true);
  EXPECT_TRUE(widget->isVisible());

  // The video thread keeps the presenter after the window is gone.
  ASSERT_TRUE(presenter->Reset(32, 24));
  ASSERT_TRUE(Fill(*presenter, kGreen));
  PresentFromVideoThread(*presenter, CRect(), false);
  widget.reset();
  PresentFromVideoThread(*presenter, CRect(), false);
  std::thread([&] { presenter->SetVisible(false); }).join();
  QCoreApplication::processEvents();
  plat::PictureCopy copy;
  ASSERT_TRUE(presenter->ReadBack(copy, 0));
  EXPECT_EQ(copy.Pixel(0, 0), kGreen);
}
