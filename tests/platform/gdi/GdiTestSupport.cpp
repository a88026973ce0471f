#include "GdiTestSupport.h"

#include <QDir>

#include "platform/gdi/GdiState.h"

namespace gditest {

QImage Canvas(int width, int height, COLORREF fill) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(plat::PixelOf(fill, false));
  return image;
}

COLORREF At(const QImage& image, int x, int y) { return plat::ColorOf(image.pixel(x, y)); }

bool OutsideIs(const QImage& image, const QRect& rect, COLORREF color) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (!rect.contains(x, y) && At(image, x, y) != color) return false;
    }
  }
  return true;
}

QRect BoundsOfNot(const QImage& image, COLORREF color) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (At(image, x, y) != color) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

void SaveForReview(const QImage& image, const char* name) {
  const QString folder = qEnvironmentVariable("PLAYER_TEST_OUTPUT");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  image.save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

}  // namespace gditest
