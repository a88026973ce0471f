// The real program on an Xvfb server of each screen size: its main window takes the mode's
// background size, centred, and the screenshot shows the background wherever no control lies and
// each visible button's own picture at its place; started on a backup with "AutoPlayFirstRecord",
// it plays the first recording in the channel window.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "layout/MainLayout.h"
#include "platform/gdi/GdiQt.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "tests/support/TestEnvironment.h"

namespace {

struct Screen {
  int width;
  int height;
  int mode;
};

struct Shot {
  QImage image;
  CRect window;
};

// Runs the program under Xvfb through windowshot; an empty image when the window never showed.
// `options` go to windowshot, `arguments` to the program.
Shot ShootProgram(const Screen& s, const std::string& appDir, const std::string& png, const std::string& options = "",
                  const std::string& arguments = "") {
  const std::string command = "PLAYER_APPDIR='" + appDir + "' '" PLAYER_WITH_XVFB "' " + std::to_string(s.width) + "x" +
                              std::to_string(s.height) + " '" PLAYER_WINDOWSHOT "' " + options + " '" + PLAYER_PROGRAM
                              "' '" + png + "' " + arguments + " 2>/dev/null";
  FILE* out = popen(command.c_str(), "r");
  if (out == nullptr) return {};
  int w = 0, h = 0, x = 0, y = 0;
  const bool read = std::fscanf(out, "%d %d %d %d", &w, &h, &x, &y) == 4;
  const int status = pclose(out);
  if (!read || status != 0) return {};
  return {QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32), CRect(x, y, x + w, y + h)};
}

QImage Picture(int id, int width = 0, int height = 0) {
  CBitmap bitmap;
  if (!bitmap.LoadBitmap(static_cast<UINT>(id), width, height)) return {};
  return plat::ImageOf(bitmap);
}

bool IsVisibleButton(const ui::MainControl& c, int mode) {
  return (c.kind == ui::ControlKind::kButton || c.kind == ui::ControlKind::kCheckBox) && !c.hiddenAtStart &&
         c.skin != 0 && !c.rect[static_cast<size_t>(mode)].IsEmpty();
}

bool UnderAControl(int x, int y, int mode, bool playing = false) {
  const ui::LayoutRect point{x, y, x + 1, y + 1};
  for (const ui::MainControl& c : ui::kMainControls) {
    if (c.rect[static_cast<size_t>(mode)].Intersects(point)) return true;
  }
  if (playing && ui::AreaRect(ui::Area::kVideo, mode).Intersects(point)) return true;
  // The window paints its graph over the background's well from the start.
  for (const ui::Area area : {ui::Area::kRecordList, ui::Area::kBitmapVolume, ui::Area::kGsensorGraph}) {
    if (ui::AreaRect(area, mode).Intersects(point)) return true;
  }
  return false;
}

// The share of the sampled background points that the screenshot shows unchanged; while playing,
// the channel window is no background.
double BackgroundShown(const Shot& shot, const QImage& background, int mode, bool playing = false) {
  int sampled = 0, same = 0;
  for (int y = 0; y < background.height(); y += 7) {
    for (int x = 0; x < background.width(); x += 7) {
      if (UnderAControl(x, y, mode, playing)) continue;
      ++sampled;
      same += shot.image.pixel(shot.window.left + x, shot.window.top + y) == background.pixel(x, y);
    }
  }
  return sampled == 0 ? 0.0 : static_cast<double>(same) / sampled;
}

// The share of the pixels of two pictures of one size that are the same.
double SameShare(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 0.0;
  int same = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) same += a.pixel(x, y) == b.pixel(x, y);
  }
  return static_cast<double>(same) / (a.width() * a.height());
}

bool OneColour(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != image.pixel(0, 0)) return false;
    }
  }
  return true;
}

// Whether a button made after the given one (and so lying above it) covers the point.
bool CoveredByALaterButton(const ui::MainControl& c, int x, int y, int mode) {
  const ui::LayoutRect point{x, y, x + 1, y + 1};
  for (const ui::MainControl* later = &c + 1; later != std::end(ui::kMainControls); ++later) {
    if (IsVisibleButton(*later, mode) && later->rect[static_cast<size_t>(mode)].Intersects(point)) return true;
  }
  return false;
}

// The share of the button's uncovered pixels that show its normal frame.
double ButtonShown(const Shot& shot, const ui::MainControl& c, int mode) {
  const ui::LayoutRect& r = c.rect[static_cast<size_t>(mode)];
  const QImage strip = Picture(c.skin, r.Width(), r.Height());
  if (strip.width() < r.Width() || strip.height() < r.Height()) return 0.0;
  int shown = 0, same = 0;
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = 0; x < r.Width(); ++x) {
      if (CoveredByALaterButton(c, r.left + x, r.top + y, mode)) continue;
      ++shown;
      same += shot.image.pixel(shot.window.left + r.left + x, shot.window.top + r.top + y) == strip.pixel(x, y);
    }
  }
  return shown == 0 ? 1.0 : static_cast<double>(same) / shown;
}

}  // namespace

TEST(XvfbScreenshotTest, TheProgramShowsItsModesBackgroundAndEveryVisibleButtonAtItsPlace) {
  for (const Screen& s : {Screen{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    const fixtures::ScratchDir appDir("xvfb-player");
    const std::string png = plat::test::TestOutputDir() + "/xvfb-main-window-" + std::to_string(s.width) + "x" +
                            std::to_string(s.height) + ".png";
    const Shot shot = ShootProgram(s, appDir.Path(), png);
    ASSERT_FALSE(shot.image.isNull()) << "the main window did not appear";
    const ui::WindowSize size = ui::kWindowSize[static_cast<size_t>(s.mode)];
    EXPECT_EQ(shot.window, CRect(CPoint((s.width - size.width) / 2, (s.height - size.height) / 2),
                                 CSize(size.width, size.height)));
    const QImage background = Picture(ui::kBackground[static_cast<size_t>(s.mode)]);
    ASSERT_EQ(background.size(), QSize(size.width, size.height));
    EXPECT_GT(BackgroundShown(shot, background, s.mode), 0.99);
    for (const ui::MainControl& c : ui::kMainControls) {
      if (IsVisibleButton(c, s.mode)) {
        EXPECT_GT(ButtonShown(shot, c, s.mode), 0.95) << "control " << c.id;
      }
    }
  }
}

TEST(XvfbScreenshotTest, ABackupWithAutoPlayPlaysItsFirstRecordingInTheChannelWindowAmidTheControls) {
  const fixtures::ScratchDir dir("xvfb-playing");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  std::ofstream(dir.File("Config.ini")) << "[Config]\r\nAutoPlayFirstRecord=1\r\n";
  int idle = 0;
  for (const Screen& s : {Screen{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}}) {
    SCOPED_TRACE(testing::Message() << s.width << "x" << s.height);
    const std::string name = plat::test::TestOutputDir() + "/xvfb-playing-" + std::to_string(s.width) + "x" +
                             std::to_string(s.height);
    const Shot first = ShootProgram(s, dir.Path(), name + "-a.png", "--again 1500 '" + name + "-b.png'",
                                    "-f '" + backup + "'");
    ASSERT_FALSE(first.image.isNull()) << "the main window did not appear";
    const QImage second = QImage(QString::fromStdString(name + "-b.png")).convertToFormat(QImage::Format_RGB32);
    const QImage background = Picture(ui::kBackground[static_cast<size_t>(s.mode)]);
    EXPECT_GT(BackgroundShown(first, background, s.mode, true), 0.99);
    EXPECT_GT(ButtonShown(first, *ui::FindMainControl(1025), s.mode), 0.95) << "the Play button";
    const ui::LayoutRect& v = ui::AreaRect(ui::Area::kVideo, s.mode);
    // The middle of the channel window, clear of the record list that lies over its corner.
    const QRect video(first.window.left + v.left + v.Width() / 4, first.window.top + v.top + v.Height() / 4,
                      v.Width() / 2, v.Height() / 2);
    const QImage shownBefore = first.image.copy(video);
    const QImage shownAfter = second.copy(video);
    if (OneColour(shownBefore) && OneColour(shownAfter)) {
      ++idle;
      continue;
    }
    EXPECT_LT(SameShare(shownBefore, shownAfter), 0.9) << "the picture in the channel window did not move";
  }
  EXPECT_EQ(idle, 0) << "the channel window showed no picture on " << idle << " of the screens";
}
