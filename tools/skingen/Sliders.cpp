#include "tools/skingen/Sliders.h"

#include <algorithm>

namespace skingen {
namespace {

struct GrooveColours {
  QColor fill;
  QColor edge;
};

GrooveColours GrooveOf(const Design& d, int state) {
  switch (state) {
    case kHover:
      return {d.Colour("well-shade"), d.Colour("accent-dim")};
    case kPressed:
      return {d.Colour("accent-dim"), d.Colour("accent")};
    case kDisabled:
      return {d.Colour("well"), d.Colour("bar-line")};
    default:
      return {d.Colour("well-shade"), d.Colour("well-light")};
  }
}

int GrooveThickness(int across) { return std::clamp(qRound(across * 0.32), 3, 7); }

// The groove along the area: with caps it stops short of the ends and is rounded, without it
// runs from edge to edge (the ground of a thumb that slides over it).
void DrawGroove(QPainter& p, const Design& d, QSize area, bool vertical, int state, bool caps) {
  p.fillRect(QRect(QPoint(0, 0), area), d.Colour("well"));
  const int across = vertical ? area.width() : area.height();
  const int along = vertical ? area.height() : area.width();
  const int t = GrooveThickness(across);
  const int start = caps ? 1 : -4;
  const int length = caps ? along - 2 : along + 8;
  const int offset = (across - t) / 2;
  const QRectF box = vertical ? QRectF(offset, start, t, length) : QRectF(start, offset, length, t);
  const GrooveColours g = GrooveOf(d, state);
  const QPainterPath path = RoundedBox(box, t / 2.0);
  p.fillPath(path, g.fill);
  p.save();
  p.setClipPath(path);
  p.setPen(QPen(g.edge, 1));
  if (vertical) {
    p.drawLine(QPointF(box.right() - 0.5, box.top()), QPointF(box.right() - 0.5, box.bottom()));
  } else {
    p.drawLine(QPointF(box.left(), box.bottom() - 0.5), QPointF(box.right(), box.bottom() - 0.5));
  }
  p.restore();
}

void DrawMarks(QPainter& p, const Design& d, QSize size, const TrackMarks& marks) {
  p.setPen(QPen(d.Colour("label"), 1));
  const int t = GrooveThickness(size.height());
  const int grooveTop = (size.height() - t) / 2;
  if (marks.levels > 1) {
    for (int k = 0; k < marks.levels; ++k) {
      const double x = marks.thumbWidth / 2.0 + (size.width() - marks.thumbWidth) * k / double(marks.levels - 1);
      p.drawLine(QPointF(x, 0), QPointF(x, grooveTop - 1));
      p.drawLine(QPointF(x, grooveTop + t + 1), QPointF(x, size.height()));
    }
  }
  if (marks.ruler) {
    for (int k = 0; k <= 10; ++k) {
      const double x = 1.5 + (size.width() - 3) * k / 10.0;
      p.drawLine(QPointF(x, grooveTop + t + 2), QPointF(x, size.height() - (k % 5 == 0 ? 0 : 2)));
    }
  }
}

// A knob over the ground of its track, returned opaque.
template <typename DrawKnob>
QImage OverGroove(Context& c, QSize size, bool vertical, DrawKnob draw) {
  QImage image = NewImage(size);
  QPainter p(&image);
  DrawGroove(p, c.design, size, vertical, kNormal, false);
  Smooth(p);
  draw(p);
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QImage TrackStrip(Context& c, QSize size, int frames, bool vertical, const TrackMarks& marks) {
  QImage strip(size.width() * frames, size.height(), QImage::Format_RGB32);
  strip.fill(Qt::black);  // the mask frame: the track is opaque everywhere
  for (int state = 0; state < kStateCount; ++state) {
    QImage frame = NewImage(size);
    QPainter p(&frame);
    Smooth(p);
    DrawGroove(p, c.design, size, vertical, state, true);
    if (!vertical) DrawMarks(p, c.design, size, marks);
    p.end();
    QPainter s(&strip);
    s.drawImage(state * size.width(), 0, frame);
  }
  return strip;
}

QImage PositionThumb(Context& c, QSize size) {
  return OverGroove(c, size, false, [&](QPainter& p) {
    const QPainterPath knob = RoundedBox(QRectF(1.5, 0.5, size.width() - 3, size.height() - 1), 3);
    FillVertical(p, knob, c.design.Colour("white"), c.design.Colour("label"));
    p.setPen(QPen(c.design.Colour("well-shade"), 1));
    p.drawPath(knob);
    p.setPen(QPen(c.design.Colour("accent"), 2));
    const double x = size.width() / 2.0;
    p.drawLine(QPointF(x, size.height() * 0.28), QPointF(x, size.height() * 0.72));
  });
}

QImage LevelThumb(Context& c, QSize size, bool vertical) {
  return OverGroove(c, size, vertical, [&](QPainter& p) {
    const QPainterPath knob = RoundedBox(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 2.5);
    FillVertical(p, knob, c.design.Colour("white"), c.design.Colour("accent"));
    p.setPen(QPen(c.design.Colour("well-shade"), 1));
    p.drawPath(knob);
  });
}

QImage RangeThumb(Context& c, QSize size, bool end) {
  return OverGroove(c, size, false, [&](QPainter& p) {
    const double w = size.width();
    const double h = size.height();
    const double bar = end ? w - 4 : 1;
    const double serif = end ? 1 : w - 1;
    QPainterPath mark;
    mark.moveTo(serif, 1);
    mark.lineTo(bar + 1.5, 1);
    mark.lineTo(bar + 1.5, h - 1);
    mark.lineTo(serif, h - 1);
    p.setPen(QPen(c.design.Colour("warning"), 3, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(mark);
  });
}

std::pair<QImage, QImage> VolumeBars(Context& c, QSize size) {
  constexpr int kLevels = 28;
  QImage channel = NewImage(size, c.design.Colour("well"));
  QImage active = channel.copy();
  QPainter pc(&channel);
  QPainter pa(&active);
  const double step = size.width() / double(kLevels);
  const double gap = std::max(1.0, std::round(step * 0.35));
  const int pad = std::max(2, qRound(size.height() * 0.12));
  const double tallest = size.height() - 2 * pad;
  for (int i = 0; i < kLevels; ++i) {
    const double height = std::round(tallest * (0.22 + 0.78 * i / (kLevels - 1)));
    const QRectF bar(std::round(i * step + gap / 2), size.height() - pad - height, std::round(step - gap), height);
    pc.fillRect(bar, c.design.Colour("well-light"));
    QLinearGradient lit(bar.bottomLeft(), QPointF(bar.left(), pad));
    lit.setColorAt(0, c.design.Colour("accent-dim"));
    lit.setColorAt(1, c.design.Colour("accent"));
    pa.fillRect(bar, lit);
  }
  pc.end();
  pa.end();
  return {channel.convertToFormat(QImage::Format_RGB32), active.convertToFormat(QImage::Format_RGB32)};
}

}  // namespace skingen
