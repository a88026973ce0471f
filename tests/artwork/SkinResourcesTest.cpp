#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "SkinTestSupport.h"
#include "controls/VxSkinButton.h"
#include "layout/PanelLayout.h"
#include "layout/SkinIds.h"
#include "tests/support/TestHarness.h"

using skintest::Skin;

namespace {

// The frame count the control draws its strip with, when a strip of its size is embedded; 0 when
// none is.
int FramesAt(int id, int width, int height) {
  const ui::SkinImage* e = ui::FindSkinImage(id, width, height);
  return e ? e->frames : 0;
}

QSize SizeOf(int id) {
  const ui::SkinImage* e = ui::FindSkinImage(id);
  return e ? QSize(e->width * e->frames, e->height) : QSize();
}

bool IsUnitPicture(int id) { return id >= 1710 && id <= 1712; }

}  // namespace

TEST(SkinResources, EveryIdAndSizeTheWindowsAskForIsEmbedded) {
  std::set<std::tuple<int, int, int>> listed;
  for (const ui::SkinImage& e : ui::kSkinImages) {
    SCOPED_TRACE(testing::Message() << e.id << " at " << e.width << "x" << e.height);
    EXPECT_TRUE(listed.insert({e.id, e.width, e.height}).second) << "listed twice";
    const QImage image = Skin(e.id, e.width, e.height);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(e.width * e.frames, e.height));
  }
  // A size nobody asked for gets the plain picture.
  EXPECT_EQ(Skin(141, 10, 10).size(), Skin(141).size());
  EXPECT_EQ(Skin(141, 85, 85).size(), QSize(5 * 85, 85));
}

TEST(SkinResources, EverySkinnedControlFindsAStripOfItsOwnSize) {
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    for (const ui::MainControl& c : ui::kMainControls) {
      const ui::LayoutRect& r = c.rect[static_cast<size_t>(mode)];
      if (c.skin == 0 || r.IsEmpty()) continue;
      EXPECT_EQ(FramesAt(c.skin, r.Width(), r.Height()), ui::kMainStripFrames) << c.id << " in mode " << mode;
    }
  }
  for (const ui::PanelLayout* panel : {&ui::kGsensorPanel, &ui::kCalendarPanel, &ui::kCompassPanel, &ui::kCaptionPanel,
                                       &ui::kControlBar, &ui::kSpeedPanel[0], &ui::kCarDataPanel}) {
    for (const ui::PanelControl& c : panel->controls) {
      if (c.skin == 0) continue;
      EXPECT_EQ(FramesAt(c.skin, c.rect.Width(), c.rect.Height()), ui::kPanelStripFrames) << c.id << " of " << panel->templateId;
    }
  }
  // The side bars are larger than the panel: their plain picture is drawn, clipped by the panel.
  for (const ui::RowControl& c : ui::kVideoPanelControls) {
    if (c.skin == 0 || IsUnitPicture(c.skin) || c.row < 0) continue;
    EXPECT_EQ(FramesAt(c.skin, c.width, c.height), ui::kPanelStripFrames) << c.id << " of the video control panel";
  }
  for (const ui::SpeedPanelSkins& s : ui::kSpeedPanelSkins) {
    EXPECT_EQ(FramesAt(s.track, s.trackWidth, s.trackHeight), 4) << s.track;
  }
}

TEST(SkinResources, PicturesFitTheAreasAndControlsThatShowThem) {
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    SCOPED_TRACE(mode);
    const auto m = static_cast<size_t>(mode);
    const ui::ModeSkins& skins = ui::kModeSkins[m];
    const QSize window(ui::kWindowSize[m].width, ui::kWindowSize[m].height);
    for (int id : {ui::kBackground[m], ui::kBackgroundNoMark[m], ui::kSecondBackground[m], ui::kSecondBackgroundNoMark[m]}) {
      EXPECT_EQ(SizeOf(id), window) << id;
    }
    EXPECT_EQ(SizeOf(skins.graph), skintest::ToQRect(ui::AreaRect(ui::Area::kGsensorGraph, mode)).size());
    EXPECT_EQ(SizeOf(skins.positionText), skintest::ToQRect(ui::AreaRect(ui::Area::kPositionText, mode)).size());
    EXPECT_EQ(SizeOf(skins.volumeChannel), skintest::ToQRect(ui::AreaRect(ui::Area::kBitmapVolume, mode)).size());
    EXPECT_EQ(SizeOf(skins.volumeActive), SizeOf(skins.volumeChannel));
    // Thumbs are drawn unclipped only when they fit across their track.
    EXPECT_LE(SizeOf(skins.positionThumb).height(), ui::FindMainControl(1045)->rect[m].Height());
    EXPECT_LE(SizeOf(skins.speedThumb).height(), ui::FindMainControl(1047)->rect[m].Height());
    EXPECT_LE(SizeOf(ui::kVolumeThumb).width(), ui::FindMainControl(1046)->rect[m].Width());
    const ui::PanelLayout& speed = ui::kSpeedPanel[m];
    EXPECT_EQ(SizeOf(speed.background), QSize(speed.width, speed.height));
  }
  for (const ui::PanelLayout* p : {&ui::kGsensorPanel, &ui::kCalendarPanel, &ui::kCompassPanel, &ui::kVolumePanel, &ui::kCarDataPanel}) {
    EXPECT_EQ(SizeOf(p->background), QSize(p->width, p->height)) << p->templateId;
  }
  EXPECT_EQ(SizeOf(ui::kVideoPanelBackground), QSize(ui::kVideoPanelWidth, ui::kVideoPanelDesignHeight));
  EXPECT_LE(SizeOf(ui::kMarkBarStartThumb).height(), 22);
  EXPECT_LE(SizeOf(ui::kMarkBarEndThumb).height(), 22);
}

TEST(SkinResources, MasksAreBlackOrWhiteAndKeepThePictureVisible) {
  for (const ui::SkinImage& e : ui::kSkinImages) {
    if (e.frames != 5) continue;
    const QImage mask = Skin(e.id, e.width, e.height).copy(4 * e.width, 0, e.width, e.height);
    int opaque = 0;
    int other = 0;
    for (int y = 0; y < mask.height(); ++y) {
      for (int x = 0; x < mask.width(); ++x) {
        const QRgb p = mask.pixel(x, y) & 0xFFFFFF;
        opaque += p == 0 ? 1 : 0;
        other += (p != 0 && p != 0xFFFFFF) ? 1 : 0;
      }
    }
    EXPECT_EQ(other, 0) << e.id << " at " << e.width << "x" << e.height;
    EXPECT_GT(opaque, mask.width() * mask.height() / 10) << e.id << " at " << e.width << "x" << e.height;
  }
}

TEST(SkinResources, CompassNeedlePointsUpFromItsPivotOnBlack) {
  const QImage needle = Skin(ui::kCompassNeedle);
  ASSERT_FALSE(needle.isNull());
  const int w = needle.width();
  const int h = needle.height();
  const auto black = [&](int x, int y) { return (needle.pixel(x, y) & 0xFFFFFF) == 0; };
  EXPECT_TRUE(black(0, 0) && black(w - 1, 0) && black(0, h - 1) && black(w - 1, h - 1));
  EXPECT_FALSE(black(w / 2, h - w / 2));  // the pivot
  EXPECT_FALSE(black(w / 2, h / 4));      // the north half
  EXPECT_TRUE(black(w / 2, 0));           // the tip stops short of the edge
}

TEST(SkinResources, MapMarkersTurnWithTheHeadingOverAClearGround) {
  for (int heading = 0; heading < ui::kMapHeadingCount; ++heading) {
    const QImage car(QString::asprintf(ui::kMapCarMarkerPattern, heading));
    ASSERT_EQ(car.size(), QSize(32, 32)) << heading;
    EXPECT_EQ(qAlpha(car.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(car.pixel(16, 16)), 255);
  }
  const QImage north(QString::asprintf(ui::kMapCarMarkerPattern, 0));
  const QImage south(QString::asprintf(ui::kMapCarMarkerPattern, 8));
  const QImage east(QString::asprintf(ui::kMapCarMarkerPattern, 4));
  EXPECT_GT(qAlpha(north.pixel(16, 8)), 128);
  EXPECT_EQ(qAlpha(south.pixel(16, 5)), 0);
  EXPECT_GT(qAlpha(south.pixel(16, 24)), 128);
  EXPECT_GT(qAlpha(east.pixel(24, 16)), 128);
  EXPECT_EQ(QImage(ui::kMapStartMarker).size(), QSize(32, 40));
  EXPECT_EQ(QImage(ui::kMapEndMarker).size(), QSize(32, 40));
  EXPECT_EQ(QImage(ui::kProgramIconLarge).size(), QSize(48, 48));
  EXPECT_EQ(QImage(ui::kProgramIconSmall).size(), QSize(16, 16));
}

TEST(SkinResources, SkinButtonWearsTheStripMadeForItsSizeAsItIsResized) {
  plat::test::Reset();
  plat::test::SpyWnd parent;
  ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 600, 200)));
  CVxSkinButton track;
  ASSERT_TRUE(track.Create(L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 300, 16), &parent, 1045));
  ASSERT_TRUE(track.SetSkin(184, 0));
  EXPECT_EQ(track.GetFrameSize(), CSize(300, 16));
  track.MoveWindow(0, 0, 210, 15);
  EXPECT_EQ(track.GetFrameSize(), CSize(210, 15));
  track.MoveWindow(0, 0, 50, 50);  // no strip of that size: the plain one
  EXPECT_EQ(track.GetFrameSize(), CSize(400, 20));
}
