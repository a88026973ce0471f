#include "platform/video/Overlay.h"

#include <deque>

#include <QFontMetrics>
#include <QPainter>

#include "platform/gdi/Dc.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiObjects.h"

namespace plat {

void DrawOverlayTexts(CDC& dc, const std::vector<OverlayText>& texts) {
  dc.SetBkMode(TRANSPARENT);
  // Every font stays alive until the context's own font is selected back, so that selecting
  // never hands back an object whose owner is gone.
  std::deque<CFont> fonts;
  CFont* original = nullptr;
  for (const OverlayText& text : texts) {
    CFont& font = fonts.emplace_back();
    font.CreateFontIndirect(&text.font);
    CFont* previous = dc.SelectObject(&font);
    if (original == nullptr) original = previous;
    dc.SetTextColor(text.color);
    dc.TextOut(text.x, text.y, text.text);
  }
  if (original != nullptr) dc.SelectObject(original);
}

// The text is laid out as TextOut lays it out at the picture's size (the same font, its cell's
// top left at (x, y)); the painter's transform then scales the whole of it with the picture.
void DrawOverlayTexts(QImage& image, const QTransform& toImage, const std::vector<OverlayText>& texts) {
  if (texts.empty()) return;
  QPainter painter(&image);
  DrawOverlayTexts(painter, toImage, texts);
}

void DrawOverlayTexts(QPainter& painter, const QTransform& toDevice, const std::vector<OverlayText>& texts) {
  if (texts.empty() || !TextAvailable()) return;
  painter.save();
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setTransform(toDevice, true);
  for (const OverlayText& text : texts) {
    const QFont font = RealizeFont(text.font, 1.0);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(ToQRgb(text.color)));
    painter.drawText(QPoint(text.x, text.y + QFontMetrics(font).ascent()), ToQString(text.text));
  }
  painter.restore();
}

}  // namespace plat
