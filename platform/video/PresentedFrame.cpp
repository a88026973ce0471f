#include "platform/video/PresentedFrame.h"

#include <QRegion>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/RowCopy.h"
#include "platform/video/Overlay.h"
#include "platform/video/BackBufferPresenter.h"

namespace plat {

namespace {

// Turns the samples of the part of the frame's target in `area` (client coordinates, the client
// area's top left at `origin`) into pixels straight where the painter paints, or through a picture
// of that part where it cannot write them.
void ConvertPart(QPainter& painter, const QPoint& origin, const PresentedFrame& frame, const QRect& area) {
  const QPoint toSamples = -origin - frame.target.topLeft();
  QPoint offset;
  if (QImage* image = PainterImage(painter, offset)) {
    const QRect onImage = area.translated(offset) & image->rect();
    if (onImage.isEmpty()) return;
    frame.samples->ConvertTo(ToCRect(onImage.translated(toSamples - offset)),
                             image->scanLine(onImage.top()) + static_cast<std::ptrdiff_t>(onImage.left()) * 4,
                             static_cast<int>(image->bytesPerLine()));
    return;
  }
  QImage part(area.size(), QImage::Format_RGB32);
  frame.samples->ConvertTo(ToCRect(area.translated(toSamples)), part.bits(), static_cast<int>(part.bytesPerLine()));
  painter.drawImage(area.topLeft(), part);
}

void ComposeSamples(QPainter& painter, const QPoint& origin, const PresentedFrame& frame, const QRegion& region) {
  const QRect target = frame.target.translated(origin);
  for (const QRect& r : region & QRect(origin, frame.client)) {
    if (const QRect part = r & target; !part.isEmpty()) ConvertPart(painter, origin, frame, part);
    for (const QRect& bar : QRegion(r).subtracted(target)) painter.fillRect(bar, Qt::black);
  }
  DrawOverlayTexts(painter, frame.toClient * QTransform::fromTranslate(origin.x(), origin.y()), frame.texts);
}

}  // namespace

void ComposeFrame(QPainter& painter, const QRect& client, const PresentedFrame& frame, const QRegion& region) {
  if (client.isEmpty()) return;
  if (frame.samples && frame.client == client.size()) {
    ComposeSamples(painter, client.topLeft(), frame, region);
    return;
  }
  if (frame.samples) {
    // Presented for another size: shown scaled until the next present, made for this size.
    QImage shown(frame.client, QImage::Format_RGB32);
    QPainter onShown(&shown);
    ComposeSamples(onShown, QPoint(), frame, shown.rect());
    onShown.end();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(client, shown);
    return;
  }
  if (frame.picture.isNull() || frame.source.isEmpty()) {
    painter.fillRect(client, Qt::black);
    return;
  }
  if (frame.whole && frame.picture.size() == client.size()) {
    DrawOpaqueImage(painter, client.topLeft(), frame.picture, region);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!frame.letterbox) {
    painter.drawImage(client, frame.picture, frame.source);
    return;
  }
  const QRect target = ToQRect(ComputePresentRect(ToCRect(client), frame.source.width(), frame.source.height()));
  for (const QRect& bar : QRegion(client).subtracted(QRegion(target))) painter.fillRect(bar, Qt::black);
  if (!target.isEmpty()) painter.drawImage(target, frame.picture, frame.source);
}

QImage ComposeWindow(const BackBufferPresenter& presenter, const QSize& client) {
  if (client.isEmpty()) return {};
  QImage window(client, QImage::Format_RGB32);
  PresentedFrame frame;
  presenter.GetPresented(frame);
  QPainter painter(&window);
  ComposeFrame(painter, window.rect(), frame, window.rect());
  return window;
}

}  // namespace plat
