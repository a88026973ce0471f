// Drawing a large opaque picture unscaled into whatever a painter paints on. Qt's painter hands a
// picture this large to helper threads, which wakes each of them for every picture and costs more
// than the copy itself; copying its rows costs one pass.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRegion>

namespace plat {

// Draws the picture (of opaque 32-bit pixels) with its top left at `at` (painter coordinates), at
// least where the region lies; by copying rows when the painter paints unscaled on such pixels,
// else through the painter.
void DrawOpaqueImage(QPainter& painter, const QPoint& at, const QImage& picture, const QRegion& region);

}  // namespace plat
