// Pictures that are not buttons or sliders: compass face and needle, G-sensor graph, car-data
// signs, panel title and captions, the product mark, map markers and the program icon.
#pragma once

#include <QImage>

#include "tools/skingen/Paint.h"

namespace skingen {

// The compass face, also the position-text picture; with `panel` the wells of the compass panel's
// buttons are drawn in.
QImage CompassPicture(Context& c, QSize size, bool panel);
// The needle pointing up; pure black is transparent, the pivot lies width / 2 above the bottom.
QImage CompassNeedle(Context& c, QSize size);
// The background of the main window's G-sensor curve.
QImage GraphPicture(Context& c, QSize size);
QImage CarDataSign(Context& c, QSize size, int input, bool on);
// The product mark (icon and name) in the rectangle, its text in `ink`.
void DrawProductMark(Context& c, QPainter& p, const QRect& r, const QColor& ink);
QImage TitleStrip(Context& c, QSize size, int frames);
QImage CaptionStrip(Context& c, QSize size, int frames, const QString& text);
// A side bar of the video control panel with its arrow.
QImage SideBarStrip(Context& c, QSize size, int frames, const QString& glyph);
// Pictures with alpha for the map page and the window icons.
QImage MapCarMarker(Context& c, int heading);
QImage MapPin(Context& c, bool end);
QImage ProgramIcon(Context& c, int size);

}  // namespace skingen
