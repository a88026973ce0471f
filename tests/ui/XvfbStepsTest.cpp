// The real program on an Xvfb server under a window manager (openbox), used step by step as a user
// would (windowshot --steps): in each mode the record view's speed read-out shows the speed alone
// and whole, and the floating channel window opens at the picture's size, centred on the main
// window, each time it is brought out again after Escape; the main window keeps its size when the
// window manager is asked for another, the card dialog's path box takes what is typed, and the
// floating picture stays above the main window when the main window is clicked.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "controls/DigiStatic.h"
#include "layout/MainLayout.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreBuilder.h"
#include "testdata/TestSignals.h"
#include "tests/support/TestEnvironment.h"
#include "tests/support/TestHarness.h"

namespace {

struct Screen {
  int width;
  int height;
  int mode;
};
constexpr Screen kScreens[] = {{1920, 1080, 0}, {1440, 900, 1}, {1024, 600, 2}};

// Runs the program on the backup (its first recording plays) under openbox through windowshot
// with the steps; the main window's geometry, then the steps' reports, one a line.
std::vector<std::string> RunSteps(const Screen& s, const fixtures::ScratchDir& dir, const std::string& backup,
                                  const std::string& steps, const std::string& png) {
  std::ofstream(dir.File("Config.ini")) << "[Config]\r\nAutoPlayFirstRecord=1\r\n";
  std::ofstream(dir.File("steps.txt")) << steps;
  const std::string command = "PLAYER_APPDIR='" + dir.Path() + "' '" PLAYER_WITH_XVFB "' " + std::to_string(s.width) +
                              "x" + std::to_string(s.height) + " '" PLAYER_WINDOWSHOT "' --wm --steps '" +
                              dir.File("steps.txt") + "' '" PLAYER_PROGRAM "' '" + png + "' -f '" + backup +
                              "' 2>/dev/null";
  std::vector<std::string> lines;
  FILE* out = popen(command.c_str(), "r");
  if (out == nullptr) return lines;
  char line[256];
  while (std::fgets(line, sizeof line, out) != nullptr) lines.emplace_back(line, std::strcspn(line, "\n"));
  pclose(out);
  return lines;
}

std::string Centre(const ui::LayoutRect& r) {
  return std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
}

std::string Region(const ui::LayoutRect& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.Width()) + " " +
         std::to_string(r.Height());
}

// Which pixels are lit segments (green).
std::vector<bool> Lit(const QImage& image) {
  std::vector<bool> lit;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      lit.push_back(qGreen(p) > 200 && qRed(p) < 100 && qBlue(p) < 100);
    }
  }
  return lit;
}

// The segments a read-out of that size shows for the text, as the main window draws it.
QImage Segments(const CWnd& parent, CSize size, const wchar_t* text) {
  CDigiStatic digits;
  EXPECT_TRUE(digits.Create(L"", WS_CHILD | WS_VISIBLE, CRect(CPoint(0, 0), size), const_cast<CWnd*>(&parent), 9902));
  digits.SetColor(0x101018, 0xFF00);
  digits.ModifyDigiStyle(0, kDigi14Segment | kDigiOnlyLit | kDigiKeepRatio);
  digits.SetText(text);
  plat::test::Pump();
  return plat::test::Grab(&digits);
}

}  // namespace

// The demo backup's first recording goes at about 60 km/h: the read-out shows the car's speed of
// the moment, one of those its car data carries.
TEST(XvfbStepsTest, UnderAWindowManagerTheSpeedShowsWholeAndThePictureFloatsCentredAtItsSizeEachTimeInEveryMode) {
  const fixtures::ScratchDir dir("xvfb-steps");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  plat::test::Reset();
  plat::test::SpyWnd parent;
  ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 200)));
  constexpr int kFloats = 3;
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(s.mode);
    const ui::LayoutRect& video = ui::AreaRect(ui::Area::kVideo, s.mode);
    const ui::LayoutRect& views = ui::FindMainControl(1102)->rect[static_cast<size_t>(s.mode)];
    const ui::LayoutRect& place = ui::AreaRect(ui::Area::kSpeedDigits, s.mode);
    const std::string middle = Region({video.left + 40, video.top + 40, video.right - 40, video.bottom - 40});
    // The record view shows the speed once the picture plays (it has shown and changed); the
    // picture is floated and put back with Escape, again and again; the read-out is looked at last.
    std::string steps = "moving " + middle + "\nmoving " + middle + "\nclick " + Centre(views) + "\nclick " +
                        Centre(views) + "\n";
    for (int i = 0; i < kFloats; ++i) {
      steps += "dblclick " + Centre(video) + "\nwindow Channel-01\nkey Escape\ngone Channel-01\n";
    }
    steps += "settle " + Region(place) + "\n";
    const std::string png = plat::test::TestOutputDir() + "/xvfb-steps-mode-" + std::to_string(s.mode) + ".png";
    const std::vector<std::string> lines = RunSteps(s, dir, backup, steps, png);
    ASSERT_EQ(lines.size(), 1u + 2 * kFloats) << "the main window did not appear, or a step failed";
    int width = 0, height = 0, x = 0, y = 0;
    std::istringstream(lines[0]) >> width >> height >> x >> y;
    const QImage screen = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    const QImage shown = screen.copy(x + place.left, y + place.top, place.Width(), place.Height());
    bool whole = false;
    for (int second = 0; second < 20 && !whole; ++second) {
      CString text;
      text.Format(L"%3d", fixtures::TestCarData(second, 60.0).speedKmh);
      whole = Lit(shown) == Lit(Segments(parent, CSize(place.Width(), place.Height()), text));
    }
    EXPECT_TRUE(whole) << "the read-out does not show a speed of the car alone";
    for (int i = 0; i < kFloats; ++i) {
      const std::string& floated = lines[1 + 2 * static_cast<size_t>(i)];
      EXPECT_EQ(lines[2 + 2 * static_cast<size_t>(i)], "gone");
      std::string word;
      int w = 0, h = 0, left = 0, top = 0;
      std::istringstream(floated) >> word >> w >> h >> left >> top;
      EXPECT_EQ(std::make_pair(w, h), std::make_pair(640, 360)) << floated;
      // Centred on the main window: the frame the window manager adds may shift it a little.
      constexpr int kFrameSlack = 16;
      EXPECT_LE(std::abs(left + w / 2 - (x + width / 2)), kFrameSlack) << floated;
      EXPECT_LE(std::abs(top + h / 2 - (y + height / 2)), kFrameSlack) << floated;
    }
  }
}

// A resize request to the window manager leaves the main window at its mode's size (it would crop
// the window's right column and transport row); a backup's path typed into the card dialog's
// path box, with real key presses, opens that backup.
TEST(XvfbStepsTest, TheWindowKeepsItsSizeAgainstAResizeRequestAndThePathBoxTakesTyping) {
  const fixtures::ScratchDir dir("xvfb-size-typing");
  const std::string backup = dir.File("demo.sd");
  const std::string other = dir.File("other.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  ASSERT_TRUE(fixtures::BuildStore(fixtures::Recordings(fixtures::StoreKind::kSd, 1, 4), other));
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(s.mode);
    const ui::WindowSize size = ui::kWindowSize[static_cast<size_t>(s.mode)];
    const ui::LayoutRect& playback = ui::FindMainControl(1033)->rect[static_cast<size_t>(s.mode)];
    // The dialog's "Opened" line names the backup open; the path box lies right of "Backup File".
    const std::string steps = "resize 1280 720\nclick " + Centre(playback) +
                              "\nin Open an existing file\nlook 96 138 452 20\nclick 300 70\nkey ctrl+a\ntype " +
                              other + "\nkey Return\nchanged\n";
    const std::string png = plat::test::TestOutputDir() + "/xvfb-size-typing-mode-" + std::to_string(s.mode) + ".png";
    const std::vector<std::string> lines = RunSteps(s, dir, backup, steps, png);
    ASSERT_EQ(lines.size(), 3u) << "the main window did not appear";
    EXPECT_EQ(lines[1], "size " + std::to_string(size.width) + " " + std::to_string(size.height));
    EXPECT_EQ(lines[2], "changed") << "the typed path did not open its backup";
  }
}

// Under a window manager a click on the main window raises it; the floating picture, owned by it,
// stays above it all the same.
TEST(XvfbStepsTest, TheFloatingPictureStaysAboveTheMainWindowWhenTheMainWindowIsClicked) {
  const fixtures::ScratchDir dir("xvfb-float-above");
  const std::string backup = dir.File("demo.sd");
  ASSERT_TRUE(fixtures::BuildStore(fixtures::DemoDescription(), backup));
  for (const Screen& s : kScreens) {
    SCOPED_TRACE(s.mode);
    const size_t m = static_cast<size_t>(s.mode);
    const ui::LayoutRect& video = ui::AreaRect(ui::Area::kVideo, s.mode);
    // Bare background of the right-hand column, between the snapshot and the position slider.
    const ui::LayoutRect& snapshot = ui::AreaRect(ui::Area::kSnapshot, s.mode);
    const ui::LayoutRect& slider = ui::FindMainControl(1045)->rect[m];
    const ui::LayoutRect bare{snapshot.left, snapshot.bottom, snapshot.right, slider.top};
    const std::string steps = "moving " + Region({video.left + 40, video.top + 40, video.right - 40, video.bottom - 40}) +
                              "\ndblclick " + Centre(video) + "\nwindow Channel-01\nclick " + Centre(bare) +
                              "\nsync\nstacked Channel-01\n";
    const std::string png = plat::test::TestOutputDir() + "/xvfb-float-above-mode-" + std::to_string(s.mode) + ".png";
    const std::vector<std::string> lines = RunSteps(s, dir, backup, steps, png);
    ASSERT_EQ(lines.size(), 3u) << "the main window did not appear, or a step failed";
    const std::string& stacked = lines[2];
    const size_t main = stacked.find("Dravik2 Player|");
    const size_t picture = stacked.find("Channel-01");
    ASSERT_NE(main, std::string::npos) << stacked;
    ASSERT_NE(picture, std::string::npos) << stacked;
    EXPECT_GT(picture, main) << stacked;  // lowest first
  }
}
