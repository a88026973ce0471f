#include "engine/video/CropZoom.h"

#include <cstdlib>

namespace {

constexpr double kMillion = 1000000.0;

bool IsZoomed(const CRect& c) { return (c.left > 0 || c.right < 0) && (c.top > 0 || c.bottom < 0); }

int Whole(double value) { return static_cast<int>(value); }

// A margin that reaches outside the picture hands its excess to the opposite margin.
void KeepInside(CRect& c) {
  if (c.left < 0) {
    c.right -= c.left;
    c.left = 0;
  }
  if (c.top < 0) {
    c.bottom -= c.top;
    c.top = 0;
  }
  if (c.right > 0) {
    c.left -= c.right;
    c.right = 0;
  }
  if (c.bottom > 0) {
    c.top -= c.bottom;
    c.bottom = 0;
  }
}

}  // namespace

CRect ZoomCrop(const CRect& crop, int width, int height, int x, int y, int step) {
  const bool zoomIn = step >= 1;
  if (step < 0 && !IsZoomed(crop)) return CRect(0, 0, 0, 0);
  if (zoomIn && std::abs(crop.left) + std::abs(crop.right) >= kMaxZoomMargins) return crop;
  const int dx = Whole(step * static_cast<double>(width) / 100.0 + 0.9999);
  const int dy = Whole(step * static_cast<double>(height) / 100.0 + 0.9999);
  CRect c = crop;
  if (zoomIn && (width - (c.left - c.right) - 2 * dx < 1 || height - (c.top - c.bottom) - 2 * dy < 1)) return crop;
  c.left += dx;
  c.right -= dx;
  c.top += dy;
  c.bottom -= dy;
  // The crop moves toward the point by a share of what each side grew.
  const double px = Whole(x * static_cast<double>(width) / kMillion);
  const double py = Whole(y * static_cast<double>(height) / kMillion);
  const int shiftX = Whole(px * dx / (zoomIn ? 80.0 : 90.0) + 0.99999);
  const int shiftY = Whole(py * dy / (zoomIn ? 45.3 : 50.0) + 0.99999);
  c.left += shiftX;
  c.right += shiftX;
  c.top += shiftY;
  c.bottom += shiftY;
  KeepInside(c);
  if (!zoomIn && !IsZoomed(c)) return CRect(0, 0, 0, 0);
  return c;
}
