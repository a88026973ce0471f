// Pictures for people to look at: every skin picture at every size on a dark and a light ground,
// each mode's bare background with the control rectangles outlined, and each mode composed as
// the window will show it.
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <set>

#include "SkinTestSupport.h"
#include "layout/PanelLayout.h"
#include "layout/SkinIds.h"
#include "tests/support/TestEnvironment.h"

using skintest::Placed;
using skintest::Skin;
using skintest::ToQRect;

namespace {

const std::set<int> kGivenPlaces = {1020, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1030, 1031,
                                    1033, 1099, 1034, 1046, 1047, 1045, 1028, 1226, 1225, 1029};

const char* const kAreaNames[] = {"video",         "record list",  "map beside list", "map as stored",
                                  "snapshot",      "G-sensor graph", "position text", "speed digits",
                                  "speed unit",    "bitmap volume", "product mark"};

QString OutputPath(const QString& name) {
  const QString dir = QString::fromStdString(plat::test::TestOutputDir()) + "/artwork";
  QDir().mkpath(dir);
  return dir + "/" + name;
}

// One picture of the sheet: scaled down only when wider than a column of the sheet.
struct Tile {
  const ui::SkinImage* entry;
  QImage image;
  double scale;
};

QImage Arranged(const Tile& t, const QColor& ground);

QSize TileSize(const Tile& t) {
  const QSize shown = Arranged(t, Qt::black).size() * t.scale;
  return QSize(std::max(shown.width() + 16, 150), 2 * shown.height() + 40);
}

// A strip with a mask frame shows its frames as the button does: the ground where the mask is white.
QImage OverGround(const Tile& t, const QColor& ground) {
  if (t.entry->frames != 5) return t.image;
  const int w = t.entry->width;
  QImage out = t.image.copy();
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < 4 * w; ++x) {
      if ((t.image.pixel(4 * w + x % w, y) & 0xFFFFFF) != 0) out.setPixel(x, y, ground.rgb());
    }
  }
  return out;
}

// Wide strips show their frames one under another, so that they need not shrink.
QImage Arranged(const Tile& t, const QColor& ground) {
  const QImage frames = OverGround(t, ground);
  if (t.entry->frames == 1 || frames.width() <= 480) return frames;
  const int w = t.entry->width;
  const int h = t.entry->height;
  QImage column(w, t.entry->frames * (h + 2), QImage::Format_RGB32);
  column.fill(ground);
  QPainter p(&column);
  for (int f = 0; f < t.entry->frames; ++f) p.drawImage(0, f * (h + 2), frames.copy(f * w, 0, w, h));
  return column;
}

void DrawTile(QPainter& p, const QPoint& at, const Tile& t) {
  const QSize shown = Arranged(t, Qt::black).size() * t.scale;
  const QSize size = TileSize(t);
  const QColor dark(24, 26, 30);
  const QColor light(236, 238, 242);
  p.fillRect(QRect(at, QSize(size.width(), size.height() / 2)), dark);
  p.fillRect(QRect(at + QPoint(0, size.height() / 2), QSize(size.width(), size.height() - size.height() / 2)), light);
  p.drawImage(QRect(at + QPoint(8, 20), shown), Arranged(t, dark));
  p.drawImage(QRect(at + QPoint(8, size.height() / 2 + 4), shown), Arranged(t, light));
  p.setPen(QColor(250, 210, 90));
  QString label = QStringLiteral("%1  %2x%3").arg(t.entry->id).arg(t.entry->width).arg(t.entry->height);
  if (t.entry->frames > 1) label += QStringLiteral(" x%1").arg(t.entry->frames);
  if (t.scale < 1) label += QStringLiteral(" (shown at %1%)").arg(qRound(t.scale * 100));
  p.drawText(at + QPoint(8, 14), label);
}

void Outline(QPainter& p, const QRect& r, const QColor& colour, const QString& label) {
  p.setPen(QPen(colour, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.drawText(r.topLeft() + QPoint(2, 11), label);
}

// The control's normal frame at its place, and the mode's thumbs and volume bars.
void Compose(QPainter& p, int mode) {
  const ui::ModeSkins& skins = ui::kModeSkins[static_cast<size_t>(mode)];
  for (const ui::MainControl& c : ui::kMainControls) {
    const ui::LayoutRect& r = c.rect[static_cast<size_t>(mode)];
    if (r.IsEmpty() || c.skin == 0 || c.hiddenAtStart) continue;
    const QImage strip = Skin(c.skin, r.Width(), r.Height());
    p.drawImage(QPoint(r.left, r.top), strip.copy(0, 0, strip.width() / 4, strip.height()));
  }
  const auto at = [&](int id) { return ToQRect(ui::FindMainControl(id)->rect[static_cast<size_t>(mode)]); };
  const QImage position = Skin(skins.positionThumb);
  p.drawImage(at(1045).topLeft() + QPoint(at(1045).width() / 3, (at(1045).height() - position.height()) / 2), position);
  const QImage speed = Skin(skins.speedThumb);
  const QRect s = at(1047);
  p.drawImage(s.topLeft() + QPoint((s.width() - speed.width()) / 2, (s.height() - speed.height()) / 2), speed);
  const QImage volume = Skin(ui::kVolumeThumb);
  p.drawImage(at(1046).topLeft() + QPoint((at(1046).width() - volume.width()) / 2, 10), volume);
  const QRect bars = ToQRect(ui::AreaRect(ui::Area::kBitmapVolume, mode));
  p.drawImage(bars.topLeft(), Skin(skins.volumeChannel));
  p.drawImage(bars.topLeft(), Skin(skins.volumeActive).copy(0, 0, bars.width() * 2 / 3, bars.height()));
  p.drawImage(ToQRect(ui::AreaRect(ui::Area::kGsensorGraph, mode)).topLeft(), Skin(skins.graph));
}

// The normal frame of a strip at its place in the panel, through the mask as the button draws it.
void PutNormalFrame(QImage& panel, int skin, const QRect& r) {
  const ui::SkinImage* e = ui::FindSkinImage(skin, r.width(), r.height());
  if (e == nullptr) e = ui::FindSkinImage(skin);
  const QImage strip = Skin(skin, r.width(), r.height());
  if (e == nullptr || strip.isNull()) return;
  for (int y = 0; y < e->height; ++y) {
    for (int x = 0; x < e->width; ++x) {
      const bool clear = e->frames == 5 && (strip.pixel(4 * e->width + x, y) & 0xFFFFFF) != 0;
      const QPoint at = r.topLeft() + QPoint(x, y);
      if (!clear && panel.rect().contains(at)) panel.setPixel(at, strip.pixel(x, y));
    }
  }
}

QImage ComposedPanel(const ui::PanelLayout& layout) {
  QImage panel = Skin(layout.background).convertToFormat(QImage::Format_RGB32);
  for (const ui::PanelControl& c : layout.controls) {
    if (!c.hidden && c.skin != 0) PutNormalFrame(panel, c.skin, ToQRect(c.rect));
  }
  return panel;
}

QImage ComposedVideoPanel() {
  QImage panel = Skin(ui::kVideoPanelBackground).convertToFormat(QImage::Format_RGB32);
  panel = panel.copy(0, 0, ui::kVideoPanelWidth + 3, ui::kVideoPanelDrawnHeight);
  for (const ui::RowControl& c : ui::kVideoPanelControls) {
    if (!c.hidden && c.skin != 0 && c.id != 1766 && c.id != 1767) {
      PutNormalFrame(panel, c.skin, ToQRect(ui::VideoPanelRect(c, ui::kVideoPanelDrawnHeight)));
    }
  }
  return panel;
}

}  // namespace

TEST(ContactSheet, PanelsComposed) {
  EXPECT_TRUE(ComposedVideoPanel().save(OutputPath("panel-video-control.png")));
  EXPECT_TRUE(ComposedPanel(ui::kGsensorPanel).save(OutputPath("panel-gsensor.png")));
  EXPECT_TRUE(ComposedPanel(ui::kCalendarPanel).save(OutputPath("panel-calendar.png")));
  EXPECT_TRUE(ComposedPanel(ui::kCompassPanel).save(OutputPath("panel-compass.png")));
}

TEST(ContactSheet, EveryPictureAtEverySizeOnDarkAndLight) {
  constexpr int kWidth = 2400;
  std::vector<Tile> tiles;
  for (const ui::SkinImage& e : ui::kSkinImages) {
    Tile tile{&e, Skin(e.id, e.width, e.height), 1.0};
    ASSERT_FALSE(tile.image.isNull()) << e.id;
    const QSize shown = Arranged(tile, Qt::black).size();
    tile.scale = std::min({1.0, 480.0 / shown.width(), 300.0 / shown.height()});
    tiles.push_back(tile);
  }
  int height = 0;
  int x = 0;
  int row = 0;
  for (const Tile& t : tiles) {
    if (x + TileSize(t).width() > kWidth) {
      height += row + 6;
      x = row = 0;
    }
    x += TileSize(t).width() + 6;
    row = std::max(row, TileSize(t).height());
  }
  QImage sheet(kWidth, height + row, QImage::Format_RGB32);
  sheet.fill(QColor(90, 90, 96));
  QPainter p(&sheet);
  QPoint at(0, 0);
  row = 0;
  for (const Tile& t : tiles) {
    if (at.x() + TileSize(t).width() > kWidth) at = QPoint(0, at.y() + row + 6), row = 0;
    DrawTile(p, at, t);
    at.rx() += TileSize(t).width() + 6;
    row = std::max(row, TileSize(t).height());
  }
  p.end();
  EXPECT_TRUE(sheet.save(OutputPath("contact-sheet.png")));
}

TEST(ContactSheet, EachModeOutlinedAndComposed) {
  for (int mode = 0; mode < ui::kUiModeCount; ++mode) {
    QImage outlined = Skin(ui::kBackgroundNoMark[static_cast<size_t>(mode)]).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(outlined.isNull());
    QImage composed = Skin(ui::kBackground[static_cast<size_t>(mode)]).convertToFormat(QImage::Format_RGB32);
    QPainter p(&outlined);
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    for (const ui::MainArea& a : ui::kMainAreas) {
      Outline(p, ToQRect(a.rect[static_cast<size_t>(mode)]), a.overlay ? QColor(200, 120, 255) : QColor(255, 220, 60),
              kAreaNames[static_cast<int>(a.area)]);
    }
    for (const Placed& c : skintest::PlacedControls(mode)) {
      Outline(p, c.rect, kGivenPlaces.count(c.id) ? QColor(255, 80, 80) : QColor(80, 230, 255), QString::number(c.id));
    }
    p.end();
    QPainter q(&composed);
    Compose(q, mode);
    q.end();
    EXPECT_TRUE(outlined.save(OutputPath(QStringLiteral("mode-%1-outlined.png").arg(mode))));
    EXPECT_TRUE(composed.save(OutputPath(QStringLiteral("mode-%1-composed.png").arg(mode))));
  }
}
