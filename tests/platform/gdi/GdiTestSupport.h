// Helpers of the drawing tests: images to draw on, pixel reads and PNGs for people to look at.
#pragma once

#include <QImage>
#include <QRect>

#include "platform/gdi/Dc.h"
#include "platform/gdi/Surface.h"

namespace gditest {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

// An RGB32 image filled with the colour.
QImage Canvas(int width, int height, COLORREF fill);
COLORREF At(const QImage& image, int x, int y);
// Every pixel of the image outside the rectangle has the colour.
bool OutsideIs(const QImage& image, const QRect& rect, COLORREF color);
// The bounding box of the pixels that differ from the colour (null when none).
QRect BoundsOfNot(const QImage& image, COLORREF color);
// Writes the image as <name>.png under $PLAYER_TEST_OUTPUT, when set.
void SaveForReview(const QImage& image, const char* name);

// A device context on an image, as the window layer makes them.
struct SurfaceDc {
  explicit SurfaceDc(QImage& image, QRegion clip = QRegion(), QPoint origin = QPoint())
      : dc(plat::DcSurface{&image, origin, clip}) {}
  CDC dc;
};

}  // namespace gditest
