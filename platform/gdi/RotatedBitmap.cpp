#include "platform/gdi/RotatedBitmap.h"

#include <cmath>
#include <numbers>

#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"

namespace plat {
namespace {

struct Turn {
  double cos;
  double sin;
  // Clockwise on the screen, where y grows downwards.
  QPointF Apply(QPointF p) const { return {p.x() * cos - p.y() * sin, p.x() * sin + p.y() * cos}; }
  QPointF Undo(QPointF p) const { return {p.x() * cos + p.y() * sin, -p.x() * sin + p.y() * cos}; }
};

// The destination pixels that the turned bitmap can cover.
QRect CoveredArea(QSize size, QPointF anchor, QPointF pivot, const Turn& turn) {
  double left = 1e18, top = 1e18, right = -1e18, bottom = -1e18;
  for (const QPointF corner : {QPointF(0, 0), QPointF(size.width(), 0), QPointF(0, size.height()),
                               QPointF(size.width(), size.height())}) {
    const QPointF p = turn.Apply(corner - anchor) + pivot;
    left = std::min(left, p.x());
    top = std::min(top, p.y());
    right = std::max(right, p.x());
    bottom = std::max(bottom, p.y());
  }
  const QPoint tl(static_cast<int>(std::floor(left)), static_cast<int>(std::floor(top)));
  const QPoint br(static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(bottom)));
  return QRect(tl, br - QPoint(1, 1));
}

}  // namespace

BOOL DrawRotatedBitmap(CDC& dc, const CBitmap& bitmap, const RotatedDraw& how) {
  DcState* state = dc.State();
  const std::shared_ptr<GdiData>& data = bitmap.Data();
  if (state == nullptr || data == nullptr || data->kind != GdiKind::Bitmap) return FALSE;
  const QImage& image = data->image;
  const Target t = state->target();
  if (!t.Drawable() || image.isNull()) return TRUE;
  const double radians = how.degrees * std::numbers::pi / 180.0;
  const Turn turn{std::cos(radians), std::sin(radians)};
  const QPointF pivot(state->toDevice(how.pivot.x, how.pivot.y) + t.origin);
  const QPointF anchor(how.anchor.x, how.anchor.y);
  std::optional<QRgb> key;
  if (how.colorKey) key = ToQRgb(*how.colorKey) & 0x00FFFFFFu;
  const QRect area = CoveredArea(image.size(), anchor, pivot, turn);
  t.Touch(area);
  for (const QRect& part : t.clip.intersected(area)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      auto* out = reinterpret_cast<QRgb*>(t.image->scanLine(y));
      for (int x = part.left(); x <= part.right(); ++x) {
        const QPointF at = turn.Undo(QPointF(x + 0.5, y + 0.5) - pivot) + anchor;
        const int sx = static_cast<int>(std::floor(at.x()));
        const int sy = static_cast<int>(std::floor(at.y()));
        if (sx < 0 || sy < 0 || sx >= image.width() || sy >= image.height()) continue;
        const QRgb pixel = reinterpret_cast<const QRgb*>(image.constScanLine(sy))[sx];
        if (key && (pixel & 0x00FFFFFFu) == *key) continue;
        out[x] = PixelOf(ColorOf(pixel), t.mono);
      }
    }
  }
  return TRUE;
}

}  // namespace plat
