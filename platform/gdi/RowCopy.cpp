#include "platform/gdi/RowCopy.h"

#include <QPaintEngine>
#include <QTransform>

#include <cmath>
#include <cstring>

namespace plat {

namespace {

// Opaque pixels are the same in each of these (the premultiplied ones included).
bool TakesOpaquePixels(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

QImage* PainterImage(QPainter& painter, QPoint& offset) {
  QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return nullptr;
  auto* image = static_cast<QImage*>(device);
  const QTransform t = painter.deviceTransform();
  if (!TakesOpaquePixels(image->format()) || !image->isDetached() || image->devicePixelRatio() != 1.0 ||
      t.type() > QTransform::TxTranslate || t.dx() != std::floor(t.dx()) || t.dy() != std::floor(t.dy())) {
    return nullptr;
  }
  offset = QPoint(static_cast<int>(t.dx()), static_cast<int>(t.dy()));
  return image;
}

void DrawOpaqueImage(QPainter& painter, const QPoint& at, const QImage& picture, const QRegion& region) {
  QPoint offset;
  QImage* target = picture.format() == QImage::Format_RGB32 ? PainterImage(painter, offset) : nullptr;
  if (!target) {
    painter.drawImage(at, picture);
    return;
  }
  for (const QRect& r : region & QRect(at, picture.size())) {
    const QRect onTarget = r.translated(offset) & target->rect();
    const QPoint from = onTarget.topLeft() - offset - at;
    const auto bytes = static_cast<std::size_t>(onTarget.width()) * 4;
    for (int y = 0; y < onTarget.height(); ++y) {
      std::memcpy(target->scanLine(onTarget.top() + y) + static_cast<std::ptrdiff_t>(onTarget.left()) * 4,
                  picture.constScanLine(from.y() + y) + static_cast<std::ptrdiff_t>(from.x()) * 4, bytes);
    }
  }
}

}  // namespace plat
