#include "tools/skingen/Pictures.h"

#include <QFontMetricsF>
#include <algorithm>

#include "layout/PanelLayout.h"

namespace skingen {
namespace {

constexpr char kProductName[] = "Dravik2 Player";

// Keys the needle's background to pure black and keeps its own pixels off pure black; its soft
// edges are laid over the dial, which lies beneath it wherever it turns.
QImage KeyedOnBlack(const QImage& drawing, const QColor& dial) {
  QImage out = Opaque(drawing, dial);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if (qAlpha(drawing.pixel(x, y)) < 128) {
        row[x] = qRgb(0, 0, 0);
      } else if ((row[x] & 0xFFFFFF) == 0) {
        row[x] = qRgb(1, 1, 1);
      }
    }
  }
  return out;
}

// The graph's grid: a column every 40 pixels right of the gutter, the zero row, and the rows of
// half a full-scale value (gain height / 3.5 per 512).
void DrawGraphGrid(QPainter& p, const Design& d, QSize size, int gutter) {
  const int mid = size.height() / 2;
  const int half = static_cast<int>(size.height() / 3.5);
  p.setPen(QPen(d.Colour("graph-grid"), 1));
  for (int x = gutter; x < size.width(); x += 40) p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, size.height()));
  for (int y : {mid - half, mid + half}) p.drawLine(QPointF(gutter, y + 0.5), QPointF(size.width(), y + 0.5));
  p.setPen(QPen(d.Colour("graph-axis"), 1));
  p.drawLine(QPointF(gutter, mid + 0.5), QPointF(size.width(), mid + 0.5));
}

}  // namespace

QImage CompassPicture(Context& c, QSize size, bool panel) {
  QImage image = NewImage(size);
  QPainter p(&image);
  Smooth(p);
  c.sources.Draw(p, "compass-face", c.design.PaletteClasses(), QRectF(QPointF(0, 0), size));
  if (panel) {
    for (const ui::PanelControl& ctl : ui::kCompassPanel.controls) {
      if (!ctl.hidden) DrawWell(p, c.design, ToQRect(ctl.rect), 3, c.design.Colour("well"));
    }
  }
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

QImage CompassNeedle(Context& c, QSize size) {
  const QImage drawing = c.sources.Render("compass-needle", c.design.PaletteClasses(), size);
  return KeyedOnBlack(drawing, c.design.Colour("well"));
}

QImage GraphPicture(Context& c, QSize size) {
  constexpr int kGutter = 40;  // the curves start this far from the left
  QImage image = NewImage(size, c.design.Colour("graph"));
  QPainter p(&image);
  p.fillRect(QRect(0, 0, kGutter, size.height()), c.design.Colour("well"));
  DrawGraphGrid(p, c.design, size, kGutter);
  Smooth(p);
  const QFont font = c.design.Font(std::max(8.0, size.height() / 11.0), "caption-weight");
  const int row = size.height() / 4;
  const char* const axes[] = {"X", "Y", "Z"};
  for (int axis = 0; axis < 3; ++axis) {
    DrawText(p, QRectF(0, row * (axis + 0.5), kGutter, row), axes[axis], font, c.design.GraphPen(axis));
  }
  p.setPen(QPen(c.design.Colour("bar-line"), 1));
  p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

QImage CarDataSign(Context& c, QSize size, int input, bool on) {
  static const char* const kSigns[ui::kCarDataInputs] = {"io-brake", "io-left",   "io-right", "io-reverse",
                                                         "io-lights", "io-door", "io-belt",  "io-horn"};
  QImage image = NewImage(size, c.design.Colour("well"));
  QPainter p(&image);
  Smooth(p);
  StateLook s;
  s.ink = s.accent = on ? c.design.IndicatorOn(input) : c.design.IndicatorOff();
  // The pictures overlap their right-hand neighbours: the sign keeps to the visible part.
  const int visible = ui::kCarDataPictureSpacing;
  const int g = visible - 8;
  c.sources.Draw(p, kSigns[input], c.design.ClassesFor(s), QRectF((visible - g) / 2, 4, g, g));
  p.end();
  return image.convertToFormat(QImage::Format_RGB32);
}

void DrawProductMark(Context& c, QPainter& p, const QRect& r, const QColor& ink) {
  const int icon = r.height();
  c.sources.Draw(p, "program-icon", c.design.PaletteClasses(), QRectF(r.x(), r.y(), icon, icon));
  const QRectF text(r.x() + icon * 1.25, r.y(), r.width() - icon * 1.25, r.height());
  QFont font = c.design.Font(r.height() * 0.6, "title-weight");
  const double wide = QFontMetricsF(font).horizontalAdvance(kProductName);
  if (wide > text.width()) font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * text.width() / wide)));
  DrawText(p, text, kProductName, font, ink, Qt::AlignLeft | Qt::AlignVCenter);
}

QImage TitleStrip(Context& c, QSize size, int frames) {
  const Look look = c.design.LookNamed("title");
  return ButtonStrip(c, look, size, frames, [&](QPainter& p, const QRect& frame, const StateLook& s) {
    const int h = frame.height() - 6;
    const int w = qRound(h * 8.4);
    DrawProductMark(c, p, QRect(frame.x() + (frame.width() - w) / 2, frame.y() + 3, w, h), s.ink);
  });
}

QImage CaptionStrip(Context& c, QSize size, int frames, const QString& text) {
  const Look look = c.design.LookNamed("label");
  QFont font = c.design.Font(size.height() * 0.7, "caption-weight");
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
  return ButtonStrip(c, look, size, frames, [&](QPainter& p, const QRect& frame, const StateLook& s) {
    DrawText(p, frame, text.toUpper(), font, s.ink);
  });
}

QImage SideBarStrip(Context& c, QSize size, int frames, const QString& glyph) {
  constexpr int kArrowCentre = 230;  // within the part that every UI mode shows
  const Look look = c.design.LookNamed("side");
  return ButtonStrip(c, look, size, frames, [&](QPainter& p, const QRect& frame, const StateLook& s) {
    const int g = frame.width() + 4;
    const QRectF box(frame.x() + (frame.width() - g) / 2.0, frame.y() + kArrowCentre - g / 2.0, g, g);
    c.sources.Draw(p, glyph, c.design.ClassesFor(s), box);
  });
}

QImage MapCarMarker(Context& c, int heading) {
  constexpr int kSize = 32;
  QImage image = NewImage(QSize(kSize, kSize));
  QPainter p(&image);
  Smooth(p);
  p.translate(kSize / 2.0, kSize / 2.0);
  p.rotate(heading * 22.5);
  p.translate(-kSize / 2.0, -kSize / 2.0);
  c.sources.Draw(p, "marker-car", c.design.PaletteClasses(), QRectF(3, 3, kSize - 6, kSize - 6));
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

QImage MapPin(Context& c, bool end) {
  return c.sources.Render(end ? "marker-end" : "marker-start", c.design.PaletteClasses(), QSize(32, 40))
      .convertToFormat(QImage::Format_ARGB32);
}

QImage ProgramIcon(Context& c, int size) {
  return c.sources.Render("program-icon", c.design.PaletteClasses(), QSize(size, size)).convertToFormat(QImage::Format_ARGB32);
}

}  // namespace skingen
