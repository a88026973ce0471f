#include "platform/video/OffscreenPresenter.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <QPainter>

#include "platform/gdi/Surface.h"
#include "platform/video/PresentedFrame.h"
#include "tests/platform/video/PictureDrawing.h"

using namespace videotest;

namespace {

bool IsUniform(const plat::PictureCopy& copy, std::uint32_t colour) {
  for (const std::uint32_t p : copy.pixels) {
    if (p != colour) return false;
  }
  return !copy.pixels.empty();
}

}  // namespace

TEST(OffscreenPresenterTest, ABackBufferIsMadeOnlyForAPictureSizeThatCanBeHad) {
  plat::OffscreenPresenter presenter;
  plat::PictureCopy copy;
  ASSERT_TRUE(presenter.Reset(335, 255));
  EXPECT_TRUE(presenter.HasSurface());
  EXPECT_EQ(presenter.Width(), 335);
  EXPECT_EQ(presenter.Height(), 255);
  ASSERT_TRUE(presenter.ReadBack(copy, 0));
  EXPECT_EQ(copy.width, 335);
  EXPECT_EQ(copy.height, 255);
  EXPECT_TRUE(IsUniform(copy, kBlack));
  ASSERT_TRUE(Fill(presenter, kRed));
  ASSERT_TRUE(presenter.ReadBack(copy, 0));
  EXPECT_TRUE(IsUniform(copy, kRed));

  plat::OffscreenPresenter other;
  ASSERT_TRUE(other.Reset(334, 255));
  AVFrame* wrongSize = av_frame_alloc();
  wrongSize->format = AV_PIX_FMT_BGRA;
  wrongSize->width = 335;
  wrongSize->height = 255;
  ASSERT_EQ(av_frame_get_buffer(wrongSize, 0), 0);
  EXPECT_FALSE(other.SetPicture(*wrongSize));
  av_frame_free(&wrongSize);

  for (const auto& [w, h] : {std::pair{0, 0}, {-1, 10}, {10, 0}, {100000, 100000}}) {
    EXPECT_FALSE(presenter.Reset(w, h)) << w << "x" << h;
    EXPECT_FALSE(presenter.HasSurface());
    EXPECT_EQ(presenter.Width(), 0);
    EXPECT_FALSE(Fill(presenter, kRed));
    EXPECT_FALSE(presenter.Present(CRect(), false));
    EXPECT_FALSE(presenter.ReadBack(copy, 0));
  }
  EXPECT_EQ(presenter.PresentCount(), 0u);
  ASSERT_TRUE(presenter.Reset(16, 16));
  presenter.Release();
  EXPECT_FALSE(presenter.HasSurface());
  EXPECT_FALSE(presenter.ReadBack(copy, 0));
}

TEST(OffscreenPresenterTest, ThePresentedPictureStaysWhileTheNextOneIsWritten) {
  plat::OffscreenPresenter presenter;
  ASSERT_TRUE(presenter.Reset(64, 48));
  const QSize window(128, 96);
  ASSERT_TRUE(Fill(presenter, kRed));
  ASSERT_TRUE(presenter.Present(CRect(), false));
  EXPECT_TRUE(AllOf(plat::ComposeWindow(presenter, window), 0, 0, 128, 96, kRed));

  // A repaint presents the same picture again.
  ASSERT_TRUE(presenter.Present(CRect(), false));
  // The next pictures are written while the window still shows the last one presented.
  for (const std::uint32_t next : {kGreen, kBlue, kWhite, kRed}) {
    plat::PresentedFrame shown;
    presenter.GetPresented(shown);
    const std::uint32_t showing = shown.picture.pixel(0, 0);
    ASSERT_TRUE(Fill(presenter, next));
    EXPECT_TRUE(AllOf(plat::ComposeWindow(presenter, window), 0, 0, 128, 96, showing));
    EXPECT_TRUE(AllOf(shown.picture, 0, 0, 64, 48, showing));
    plat::PictureCopy copy;
    ASSERT_TRUE(presenter.ReadBack(copy, 0));
    EXPECT_TRUE(IsUniform(copy, next));
    ASSERT_TRUE(presenter.Present(CRect(), false));
    EXPECT_TRUE(AllOf(plat::ComposeWindow(presenter, window), 0, 0, 128, 96, next));
  }

  const std::vector<plat::PresentRecord> records = presenter.Presents();
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0].hash, records[1].hash);
  EXPECT_EQ(records[0].hash, records[5].hash);
  EXPECT_NE(records[1].hash, records[2].hash);
  EXPECT_EQ(records[2].hash.size(), 32u);
  EXPECT_EQ(records[3].width, 64);
  EXPECT_EQ(records[3].source, CRect(0, 0, 64, 48));
}

TEST(OffscreenPresenterTest, ClearBlackensTheBackBufferAndThePresentShowsIt) {
  plat::OffscreenPresenter presenter;
  ASSERT_TRUE(presenter.Reset(40, 30));
  ASSERT_TRUE(Fill(presenter, kGreen));
  ASSERT_TRUE(presenter.Present(CRect(), false));
  presenter.Clear();
  plat::PictureCopy copy;
  ASSERT_TRUE(presenter.ReadBack(copy, 0));
  EXPECT_TRUE(IsUniform(copy, kBlack));
  EXPECT_TRUE(AllOf(plat::ComposeWindow(presenter, QSize(40, 30)), 0, 0, 40, 30, kGreen));
  ASSERT_TRUE(presenter.Present(CRect(), false));
  EXPECT_TRUE(AllOf(plat::ComposeWindow(presenter, QSize(40, 30)), 0, 0, 40, 30, kBlack));
}

TEST(OffscreenPresenterTest, TheCropRectangleIsStretchedOverTheWholeWindow) {
  plat::OffscreenPresenter presenter;
  ASSERT_TRUE(presenter.Reset(320, 240));
  ASSERT_TRUE(PaintQuadrants(presenter));
  ASSERT_TRUE(presenter.Present(CRect(), false));
  QImage window = plat::ComposeWindow(presenter, QSize(400, 300));
  EXPECT_TRUE(AllOf(window, 0, 0, 190, 140, kRed));
  EXPECT_TRUE(AllOf(window, 210, 160, 190, 140, kWhite));

  // Left margin 160 and bottom margin 120: the top right quadrant alone.
  ASSERT_TRUE(presenter.Present(CRect(160, 0, 0, -120), false));
  window = plat::ComposeWindow(presenter, QSize(400, 300));
  Save(window, "presenter-crop.png");
  EXPECT_TRUE(AllOf(window, 0, 0, 400, 300, kGreen));
  EXPECT_EQ(presenter.Presents().back().source, CRect(160, 0, 320, 120));

  // Margins that leave nothing are not presented: the window keeps what it showed.
  EXPECT_FALSE(presenter.Present(CRect(200, 0, -200, 0), false));
  EXPECT_EQ(presenter.PresentCount(), 2u);
  EXPECT_TRUE(AllOf(plat::ComposeWindow(presenter, QSize(40, 30)), 0, 0, 40, 30, kGreen));
}

TEST(OffscreenPresenterTest, LetterboxShowsTheWholePictureBetweenBlackBarsAtAnyWindowSize) {
  plat::OffscreenPresenter presenter;
  ASSERT_TRUE(presenter.Reset(1280, 720));
  ASSERT_TRUE(Fill(presenter, kWhite));
  // The crop does not apply in proportion.
  ASSERT_TRUE(presenter.Present(CRect(100, 100, -100, -100), true));
  EXPECT_EQ(presenter.Presents().back().source, CRect(0, 0, 1280, 720));
  EXPECT_TRUE(presenter.Presents().back().letterbox);

  QImage window = plat::ComposeWindow(presenter, QSize(1000, 1000));
  Save(window, "presenter-letterbox.png");
  EXPECT_TRUE(AllOf(window, 0, 0, 1000, 219, kBlack));
  EXPECT_TRUE(AllOf(window, 0, 220, 1000, 560, kWhite));
  EXPECT_TRUE(AllOf(window, 0, 781, 1000, 219, kBlack));
  // Narrower and wider windows: bars on the other sides, always black.
  window = plat::ComposeWindow(presenter, QSize(400, 100));
  EXPECT_TRUE(AllOf(window, 0, 0, 111, 100, kBlack));
  EXPECT_TRUE(AllOf(window, 112, 0, 176, 100, kWhite));
  EXPECT_TRUE(AllOf(window, 289, 0, 111, 100, kBlack));
  // A minimised window has nothing to show.
  EXPECT_TRUE(plat::ComposeWindow(presenter, QSize(0, 0)).isNull());
  EXPECT_TRUE(plat::ComposeWindow(presenter, QSize(0, 50)).isNull());
  QImage line(1, 50, QImage::Format_RGB32);
  line.fill(kRed);
  QPainter painter(&line);
  plat::PresentedFrame frame;
  presenter.GetPresented(frame);
  plat::ComposeFrame(painter, line.rect(), frame, line.rect());
  painter.end();
  EXPECT_TRUE(AllOf(line, 0, 0, 1, 50, kBlack));
}

TEST(OffscreenPresenterTest, ReadersSeeWholePicturesWhilePicturesArePresented) {
  plat::OffscreenPresenter presenter;
  ASSERT_TRUE(presenter.Reset(160, 120));
  std::atomic<bool> done{false}, reading{false};
  std::thread video([&] {
    while (!reading) std::this_thread::yield();
    for (std::uint32_t i = 0; i < 300; ++i) {
      Fill(presenter, 0xFF000000u | (i * 0x010203u & 0xFFFFFFu));
      presenter.Present(CRect(), (i & 1) != 0);
    }
    done = true;
  });
  int torn = 0, reads = 0;
  reading = true;
  do {
    plat::PictureCopy copy;
    if (presenter.ReadBack(copy, 100)) {
      ++reads;
      torn += IsUniform(copy, copy.pixels[0]) ? 0 : 1;
    }
    const QImage window = plat::ComposeWindow(presenter, QSize(160, 120));
    torn += AllOf(window, 0, 0, 160, 120, window.pixel(0, 0)) ? 0 : 1;
  } while (!done);
  video.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(presenter.PresentCount(), 300u);

  std::thread([&] { presenter.SetVisible(false); }).join();
  EXPECT_FALSE(presenter.IsVisible());
  presenter.SetVisible(true);
  EXPECT_TRUE(presenter.IsVisible());
}
