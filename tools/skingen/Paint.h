// Drawing pieces shared by the skin pictures: button bodies, wells, text, and the step from a
// transparent drawing to the opaque pixels (and mask) that the windows blit.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <span>

#include "layout/MainLayout.h"
#include "tools/skingen/Design.h"
#include "tools/skingen/Sources.h"

namespace skingen {

struct Context {
  const Design& design;
  Sources& sources;
};

QRect ToQRect(const ui::LayoutRect& r);
QImage NewImage(QSize size, const QColor& fill = Qt::transparent);
void Smooth(QPainter& p);

// Corner radius of a box of this size: the design radius for a 32-pixel box, scaled.
double Radius(const Design& d, QSize size);
QPainterPath RoundedBox(const QRectF& r, double radius);
void FillVertical(QPainter& p, const QPainterPath& path, const QColor& top, const QColor& bottom);
// A button body filling the whole size.
void DrawBody(QPainter& p, const Design& d, QSize size, const StateLook& s);
// A recess behind a control: `r` is the control, the well reaches `margin` beyond it.
void DrawWell(QPainter& p, const Design& d, const QRect& r, int margin, const QColor& fill);
void DrawText(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& colour,
              int flags = Qt::AlignCenter);

// The speed levels along a slider of that thumb width, each under the thumb's centre at its level;
// the end ones kept inside the slider.
void DrawSpeedLevels(QPainter& p, const Design& d, const QRect& slider, int thumbWidth, const QRectF& row, const QFont& font);

// The drawing laid over `ground`: every pixel opaque.
QImage Opaque(const QImage& drawing, const QColor& ground);
// White where none of the frames covers half a pixel (transparent), black elsewhere.
QImage MaskOf(std::span<const QImage> frames);

// What a button shows over its body in one state; the frame rectangle is already moved by the
// state's offset.
using Face = std::function<void(QPainter&, const QRect& frame, const StateLook&)>;
Face GlyphFace(Context& c, const QString& glyph, double scale);
// A strip of four frames (normal, hover, pressed, disabled), with a fifth, the mask, when
// `frames` is 5.
QImage ButtonStrip(Context& c, const Look& look, QSize size, int frames, const Face& face);

}  // namespace skingen
