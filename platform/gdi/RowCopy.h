// Drawing large opaque pictures unscaled into whatever a painter paints on. Qt's painter hands a
// picture this large to helper threads, which wakes each of them for every picture and costs more
// than the copy itself; copying its rows costs one pass, and writing the pixels where the painter
// paints costs none.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRegion>

namespace plat {

// The image that the painter paints on, when it paints unscaled on opaque 32-bit pixels that may
// be written directly: `offset` is then the pixel of the image where the painter's origin lies.
// Null otherwise (another kind of device, a transform, pixels of another kind).
QImage* PainterImage(QPainter& painter, QPoint& offset);

// Draws the picture (of opaque 32-bit pixels) with its top left at `at` (painter coordinates), at
// least where the region lies; by copying rows when the painter paints unscaled on such pixels,
// else through the painter.
void DrawOpaqueImage(QPainter& painter, const QPoint& at, const QImage& picture, const QRegion& region);

}  // namespace plat
