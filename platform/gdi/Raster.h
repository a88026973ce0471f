// Inside the drawing layer: the pixel rules, written on the target image. Coordinates are image
// coordinates; every write is clipped to the target's clip region.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <vector>

#include "platform/gdi/GdiState.h"

namespace plat::raster {

// Fills [left, right) x [top, bottom).
void Fill(const Target& target, const QRect& rect, QRgb pixel);
// Exclusive-or of every pixel of the rectangle with the value.
void Xor(const Target& target, const QRect& rect, QRgb value);
void Plot(const Target& target, int x, int y, QRgb pixel);
// A one-pixel line from a up to, but not including, b.
void Line(const Target& target, QPoint a, QPoint b, QRgb pixel);
// A one-pixel outline of [left, right) x [top, bottom), each pixel written once.
void Frame(const Target& target, const QRect& rect, QRgb pixel);

// A run of pixels [x0, x1) on row y.
struct Span {
  int y;
  int x0;
  int x1;
};
// The pixels whose centres lie inside the figures (each closed implicitly), with the
// alternate (even-odd) or winding rule, row by row from the top, on the rows of `rows` only.
std::vector<Span> ScanFigures(const std::vector<std::vector<QPoint>>& figures, int fillMode,
                              const QRect& rows);
void FillSpans(const Target& target, const std::vector<Span>& spans, QPoint offset, QRgb pixel);
QRegion RegionOfSpans(const std::vector<Span>& spans);

}  // namespace plat::raster
