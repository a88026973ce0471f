#include "SkinStrips.h"

#include <QPainter>

#include "platform/gdi/GdiQt.h"

namespace skintest {
namespace {

QColor QtColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

QImage Strip(const std::vector<COLORREF>& frames, int frameWidth, int height, bool mask) {
  const int count = static_cast<int>(frames.size()) + (mask ? 1 : 0);
  QImage image(frameWidth * count, height, QImage::Format_RGB32);
  QPainter p(&image);
  for (int i = 0; i < static_cast<int>(frames.size()); ++i) {
    p.fillRect(i * frameWidth, 0, frameWidth, height, QtColor(frames[static_cast<size_t>(i)]));
  }
  if (mask) {
    const int x = static_cast<int>(frames.size()) * frameWidth;
    p.fillRect(x, 0, frameWidth / 2, height, Qt::white);
    p.fillRect(x + frameWidth / 2, 0, frameWidth - frameWidth / 2, height, Qt::black);
  }
  return image;
}

QImage Solid(int width, int height, COLORREF color) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QtColor(color));
  return image;
}

void Register(UINT id, const QImage& image) { plat::RegisterBitmapResource(id, image); }

void RegisterFourStates(UINT id, int frameWidth, int height, bool mask) {
  Register(id, Strip({kRed, kGreen, kBlue, kGrey}, frameWidth, height, mask));
}

}  // namespace skintest
