#include "tools/skingen/Paint.h"

#include "layout/PanelLayout.h"

#include <algorithm>
#include <array>

namespace skingen {

QRect ToQRect(const ui::LayoutRect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

QImage NewImage(QSize size, const QColor& fill) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(fill);
  return image;
}

void Smooth(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
}

double Radius(const Design& d, QSize size) {
  const double r = d.Geometry("corner-radius") * std::min(size.width(), size.height()) / 32.0;
  return std::clamp(r, 2.0, 12.0);
}

QPainterPath RoundedBox(const QRectF& r, double radius) {
  QPainterPath path;
  path.addRoundedRect(r, radius, radius);
  return path;
}

void FillVertical(QPainter& p, const QPainterPath& path, const QColor& top, const QColor& bottom) {
  const QRectF box = path.boundingRect();
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillPath(path, g);
}

void DrawBody(QPainter& p, const Design& d, QSize size, const StateLook& s) {
  const double r = Radius(d, size);
  const QPainterPath path = RoundedBox(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), r);
  FillVertical(p, path, s.bodyTop, s.bodyBottom);
  p.setPen(QPen(s.shine, 1));
  p.drawLine(QPointF(r, 1.5), QPointF(size.width() - r, 1.5));
  p.setPen(QPen(s.border, 1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void DrawWell(QPainter& p, const Design& d, const QRect& r, int margin, const QColor& fill) {
  const QRectF box = QRectF(r).adjusted(-margin + 0.5, -margin + 0.5, margin - 0.5, margin - 0.5);
  // Concentric with the control's own corners, but never so round that the control's corner
  // pixels fall outside the well.
  const double radius = std::min(Radius(d, r.size()) + margin, margin * 3.4);
  const QPainterPath path = RoundedBox(box, radius);
  p.save();
  p.fillPath(path, fill);
  p.setClipPath(path);
  p.setPen(QPen(d.Colour("well-shade"), 2));
  p.drawPath(RoundedBox(box.translated(0, 1), radius));
  p.restore();
  p.setPen(QPen(d.Colour("well-light"), 1));
  p.drawPath(RoundedBox(box, radius));
}

void DrawText(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& colour, int flags) {
  p.setFont(font);
  p.setPen(colour);
  p.drawText(r, flags, text);
}

void DrawSpeedLevels(QPainter& p, const Design& d, const QRect& slider, int thumbWidth, const QRectF& row, const QFont& font) {
  constexpr int kLevels = 9;
  for (int level = 0; level < kLevels; ++level) {
    const double x = slider.left() + thumbWidth / 2.0 + (slider.width() - thumbWidth) * level / double(kLevels - 1);
    QRectF box(x - 20, row.top(), 40, row.height());
    int align = Qt::AlignHCenter;
    if (level == 0) {
      box = QRectF(row.left(), row.top(), 40, row.height());
      align = Qt::AlignLeft;
    } else if (level == kLevels - 1) {
      box = QRectF(row.right() - 40, row.top(), 40, row.height());
      align = Qt::AlignRight;
    }
    DrawText(p, box, ui::kSpeedLevelNames[static_cast<size_t>(level)], font, d.Colour("label"), align | Qt::AlignTop);
  }
}

QImage Opaque(const QImage& drawing, const QColor& ground) {
  QImage out = NewImage(drawing.size(), ground);
  QPainter p(&out);
  p.drawImage(0, 0, drawing);
  p.end();
  return out.convertToFormat(QImage::Format_RGB32);
}

QImage MaskOf(std::span<const QImage> frames) {
  QImage mask(frames[0].size(), QImage::Format_RGB32);
  for (int y = 0; y < mask.height(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
    for (int x = 0; x < mask.width(); ++x) {
      int alpha = 0;
      for (const QImage& f : frames) alpha = std::max(alpha, qAlpha(f.pixel(x, y)));
      out[x] = alpha >= 128 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
  }
  return mask;
}

Face GlyphFace(Context& c, const QString& glyph, double scale) {
  return [&c, glyph, scale](QPainter& p, const QRect& frame, const StateLook& s) {
    // Small buttons keep a glyph of at least 16 pixels, or all but a 3-pixel border.
    const int side = std::min(frame.width(), frame.height());
    const int g = std::max(qRound(side * scale), std::min(side - 6, 16));
    const QRect box(frame.x() + (frame.width() - g) / 2, frame.y() + (frame.height() - g) / 2, g, g);
    c.sources.Draw(p, glyph, c.design.ClassesFor(s), box);
  };
}

QImage ButtonStrip(Context& c, const Look& look, QSize size, int frames, const Face& face) {
  std::array<QImage, kStateCount> drawn;
  for (int state = 0; state < kStateCount; ++state) {
    const StateLook& s = look.states[static_cast<size_t>(state)];
    QImage frame = NewImage(size);
    QPainter p(&frame);
    Smooth(p);
    if (!look.plain) DrawBody(p, c.design, size, s);
    face(p, QRect(QPoint(0, s.offset), size), s);
    drawn[static_cast<size_t>(state)] = frame;
  }
  QImage strip(size.width() * frames, size.height(), QImage::Format_RGB32);
  QPainter p(&strip);
  for (int state = 0; state < kStateCount; ++state) {
    p.drawImage(state * size.width(), 0, Opaque(drawn[static_cast<size_t>(state)], look.ground));
  }
  if (frames == 5) p.drawImage(4 * size.width(), 0, MaskOf(drawn));
  return strip;
}

}  // namespace skingen
