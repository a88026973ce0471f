#include <gtest/gtest.h>

#include <algorithm>

#include <QColor>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <set>

#include "SkinTestSupport.h"
#include "layout/MainLayout.h"

using skintest::Placed;
using skintest::Skin;
using skintest::ToQRect;

namespace {

// The controls whose rectangles come with the product's design; every other place is ours.
const std::set<int> kGivenPlaces = {1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1030, 1031,
                                    1033, 1099, 1034, 1046, 1047, 1045, 1028, 1226, 1225, 1029};

QRgb Palette(const char* name) {
  QFile file(PLAYER_SKIN_DESIGN);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonObject palette = QJsonDocument::fromJson(file.readAll()).object().value("palette").toObject();
  return QColor(palette.value(name).toString()).rgb();
}

// The middle and the middles of the four sides, two pixels in.
std::vector<QPoint> Probes(const QRect& r) {
  const QPoint c = r.center();
  return {c, QPoint(r.left() + 2, c.y()), QPoint(r.right() - 2, c.y()), QPoint(c.x(), r.top() + 2), QPoint(c.x(), r.bottom() - 2)};
}

void ExpectColourAt(const QImage& image, const QRect& r, QRgb colour, const char* what) {
  for (const QPoint& p : Probes(r)) {
    if (!image.rect().contains(p)) continue;
    EXPECT_EQ(image.pixel(p) | 0xFF000000u, colour) << what << " at " << p.x() << "," << p.y();
  }
}

}  // namespace

TEST(MainLayout, OurPlacementsOverlapNothingAndStayInTheWindow) {
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    SCOPED_TRACE(mode);
    const QRect window(0, 0, ui::kWindowSize[static_cast<size_t>(mode)].width, ui::kWindowSize[static_cast<size_t>(mode)].height);
    const std::vector<Placed> placed = skintest::PlacedControls(mode);
    for (const Placed& ours : placed) {
      if (kGivenPlaces.count(ours.id)) continue;
      EXPECT_TRUE(window.contains(ours.rect)) << ours.id;
      for (const Placed& other : placed) {
        // Controls that take turns at one place (tabs, view switches) share it exactly.
        if (other.id == ours.id || other.rect == ours.rect) continue;
        EXPECT_FALSE(ours.rect.intersects(other.rect)) << ours.id << " and " << other.id;
      }
      for (const ui::MainArea& area : ui::kMainAreas) {
        if (area.overlay) continue;
        EXPECT_FALSE(ours.rect.intersects(ToQRect(area.rect[static_cast<size_t>(mode)])))
            << ours.id << " and area " << static_cast<int>(area.area);
      }
    }
  }
}

TEST(MainBackgrounds, WellsLieBehindEveryControlAndScreensBehindTheVideo) {
  const QRgb well = Palette("well");
  const QRgb screen = Palette("screen");
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    SCOPED_TRACE(mode);
    const auto m = static_cast<size_t>(mode);
    for (int id : {ui::kBackground[m], ui::kBackgroundNoMark[m], ui::kSecondBackground[m], ui::kSecondBackgroundNoMark[m]}) {
      SCOPED_TRACE(id);
      const QImage bg = Skin(id);
      ASSERT_FALSE(bg.isNull());
      const std::vector<Placed> placed = skintest::PlacedControls(mode);
      for (const Placed& c : placed) {
        // The vertical volume slider is never shown and has no well of its own; the area tabs show
        // only with the record list and wear their own frame, so they leave no empty well.
        const ui::MainControl& ctl = *ui::FindMainControl(c.id);
        const bool sharesShownPlace = std::any_of(placed.begin(), placed.end(), [&](const Placed& o) {
          return o.rect.topLeft() == c.rect.topLeft() && !ui::FindMainControl(o.id)->hiddenAtStart;
        });
        if (ctl.kind == ui::ControlKind::kVerticalSlider) continue;
        if (!sharesShownPlace) {
          EXPECT_NE(bg.pixel(c.rect.center()) | 0xFF000000u, well) << c.id;
        } else {
          ExpectColourAt(bg, c.rect, well, "control");
        }
      }
      ExpectColourAt(bg, ToQRect(ui::AreaRect(ui::Area::kGsensorGraph, mode)), well, "graph");
      ExpectColourAt(bg, ToQRect(ui::AreaRect(ui::Area::kBitmapVolume, mode)), well, "volume");
      const bool second = id == ui::kSecondBackground[m] || id == ui::kSecondBackgroundNoMark[m];
      if (!second) {
        ExpectColourAt(bg, ToQRect(ui::AreaRect(ui::Area::kVideo, mode)), screen, "video");
      } else {
        const QRect cell = ToQRect(ui::kLayout4Grid[m].CellRect(0, 0));
        EXPECT_EQ(bg.pixel(cell.topLeft() + QPoint(2, 2)) | 0xFF000000u, screen);
        EXPECT_NE(bg.pixel(ToQRect(ui::AreaRect(ui::Area::kVideo, mode)).topLeft() + QPoint(2, 2)) | 0xFF000000u, screen);
      }
    }
    // Only the marked backgrounds carry the product mark.
    const QRect mark = ToQRect(ui::AreaRect(ui::Area::kProductMark, mode));
    EXPECT_NE(Skin(ui::kBackground[m]).copy(mark), Skin(ui::kBackgroundNoMark[m]).copy(mark));
    EXPECT_EQ(Skin(ui::kBackground[m]).copy(0, 0, mark.left(), mark.top()),
              Skin(ui::kBackgroundNoMark[m]).copy(0, 0, mark.left(), mark.top()));
  }
}
