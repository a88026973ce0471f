#include "platform/video/PresentedFrame.h"

#include <QRegion>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/RowCopy.h"
#include "platform/video/BackBufferPresenter.h"

namespace plat {

void ComposeFrame(QPainter& painter, const QRect& client, const PresentedFrame& frame, const QRegion& region) {
  if (client.isEmpty()) return;
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
