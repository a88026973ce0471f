#include <gtest/gtest.h>

#include <QRegion>

#include "platform/video/Overlay.h"
#include "OsdTestSupport.h"
#include "engine/video/OsdLayout.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Surface.h"
#include "tests/engine/video/OsdSamples.h"

using namespace osdtest;

namespace {

constexpr QRgb kPicture = 0xFF404040u;  // a grey picture, so that a filled background would show
constexpr COLORREF kTimeColor = RGB(255, 255, 0);

OsdSettings Settings() {
  OsdSettings s = osdsamples::CarDataSettings();
  s.timeMode = 2;
  s.timeColor = kTimeColor;
  s.timeLeft = 8;
  s.music = true;
  return s;
}

OsdFrame Frame() {
  OsdFrame f = osdsamples::FrameWithCarData(640, 480);
  f.speed = 4.0;
  f.carData.status = kCarStatusEmergencyBraking;
  f.figures.picturesLastSecond = 30;
  f.figures.gopLength = 15;
  return f;
}

// Where each text's cell lies, measured with its own font.
QRect CellOf(CDC& dc, const OsdText& text) {
  CFont font;
  font.CreateFontIndirect(&text.font);
  CFont* previous = dc.SelectObject(&font);
  const CSize extent = dc.GetTextExtent(text.text);
  dc.SelectObject(previous);
  return QRect(text.x, text.y, extent.cx, extent.cy);
}

}  // namespace

TEST(OsdDrawTest, TextsAppearInTheirColoursWhereTheLayoutPutsThem) {
  QImage image(640, 480, QImage::Format_RGB32);
  image.fill(kPicture);
  const std::vector<OsdText> texts = OsdLayout(Settings(), Frame());
  ASSERT_EQ(texts.size(), 14u);
  CDC dc(plat::DcSurface{&image, QPoint(), QRegion()});
  CFont* ownFont = dc.GetCurrentFont();
  plat::DrawOverlayTexts(dc, texts);
  SaveForReview(image, "osd_texts");
  EXPECT_EQ(dc.GetCurrentFont(), ownFont);

  QRegion cells;
  for (const OsdText& text : texts) {
    const QRect cell = CellOf(dc, text);
    SCOPED_TRACE(text.text.ToUtf8());
    EXPECT_GT(cell.width(), 0);
    // Ink of the text's colour on the untouched picture: the background stays transparent.
    EXPECT_TRUE(Contains(image, cell, Rgb(text.color)));
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
      for (int x = cell.left(); x <= cell.right(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (p != kPicture && !cells.contains(QPoint(x, y)) && p != Rgb(text.color)) {
          ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << p;
          return;
        }
      }
    }
    cells += cell;
  }
  // Nothing is drawn outside the cells.
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!cells.contains(QPoint(x, y)) && image.pixel(x, y) != kPicture) {
        ADD_FAILURE() << "stray pixel at " << x << "," << y;
        return;
      }
    }
  }
  // The speed label sits at the large-picture offsets, in red, in the 24-pixel cell.
  EXPECT_EQ(texts.back().text, L"4x");
  const QRect label = BoundsOfNot(image, QRect(0, 430, 200, 50), kPicture);
  EXPECT_GE(label.left(), 42);
  EXPECT_GE(label.top(), 448);
  EXPECT_LT(label.bottom(), 448 + 24);
  EXPECT_TRUE(Contains(image, label, qRgb(255, 0, 0)));
}
