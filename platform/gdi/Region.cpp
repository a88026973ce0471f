// Regions: rectangles, rounded rectangles, paths, combinations and tests.
#include <cmath>
#include <vector>

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"
#include "platform/gdi/Raster.h"

namespace plat {
namespace {

// GDI coordinates are limited to 27 bits; regions keep to the 16-bit plane that windows use.
const QRect kRegionPlane(-32768, -32768, 65536, 65536);

std::shared_ptr<GdiData> RegionData(const QRegion& region) {
  auto data = NewGdiData(GdiKind::Region);
  data->region = region;
  return data;
}

// Row by row, the rectangle less the part outside the corner ellipses.
QRegion RoundRect(const QRect& r, int ellipseWidth, int ellipseHeight) {
  const double rx = std::min(ellipseWidth, r.width()) / 2.0;
  const double ry = std::min(ellipseHeight, r.height()) / 2.0;
  if (rx < 1.0 || ry < 1.0) return QRegion(r);
  std::vector<QRect> rows;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    const int fromEdge = std::min(y - r.top(), r.bottom() - y);
    int inset = 0;
    if (fromEdge < ry) {
      const double dy = (ry - (fromEdge + 0.5)) / ry;
      inset = static_cast<int>(std::lround(rx - rx * std::sqrt(std::max(0.0, 1.0 - dy * dy))));
    }
    const QRect row(r.left() + inset, y, r.width() - 2 * inset, 1);
    if (!rows.empty() && rows.back().left() == row.left() && rows.back().width() == row.width()) {
      rows.back().setBottom(y);
    } else if (!row.isEmpty()) {
      rows.push_back(row);
    }
  }
  QRegion region;
  region.setRects(rows.data(), static_cast<int>(rows.size()));
  return region;
}

}  // namespace
}  // namespace plat

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  if (GetSafeHandle() != nullptr) return FALSE;
  CRect r(left, top, right, bottom);
  r.NormalizeRect();
  Adopt(plat::RegionData(r.IsRectEmpty() ? QRegion() : QRegion(plat::ToQRect(r))));
  return TRUE;
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) {
  return rect != nullptr && CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CRgn::CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth,
                              int ellipseHeight) {
  if (GetSafeHandle() != nullptr) return FALSE;
  CRect r(left, top, right, bottom);
  r.NormalizeRect();
  const QRect rect = plat::ToQRect(r).intersected(plat::kRegionPlane);
  Adopt(plat::RegionData(rect.isEmpty() ? QRegion()
                                        : plat::RoundRect(rect, std::abs(ellipseWidth),
                                                          std::abs(ellipseHeight))));
  return TRUE;
}

BOOL CRgn::CreateFromPath(CDC* dc) {
  plat::DcState* s = dc != nullptr ? dc->State() : nullptr;
  if (GetSafeHandle() != nullptr || s == nullptr || !s->path.closed) return FALSE;
  const auto spans = plat::raster::ScanFigures(s->path.figures, s->attr.polyFillMode,
                                               plat::kRegionPlane);
  s->path = plat::PathState();
  Adopt(plat::RegionData(plat::raster::RegionOfSpans(spans)));
  return TRUE;
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  const auto& self = Data();
  if (self == nullptr || a == nullptr || a->Data() == nullptr) return ERROR;
  const QRegion& ra = a->Data()->region;
  if (mode == RGN_COPY) {
    self->region = ra;
    return plat::RegionKindOf(self->region);
  }
  if (b == nullptr || b->Data() == nullptr) return ERROR;
  const QRegion& rb = b->Data()->region;
  switch (mode) {
    case RGN_AND: self->region = ra.intersected(rb); break;
    case RGN_OR: self->region = ra.united(rb); break;
    case RGN_XOR: self->region = ra.xored(rb); break;
    case RGN_DIFF: self->region = ra.subtracted(rb); break;
    default: return ERROR;
  }
  return plat::RegionKindOf(self->region);
}

BOOL CRgn::PtInRegion(int x, int y) const {
  return Data() != nullptr && Data()->region.contains(QPoint(x, y));
}

int CRgn::GetRgnBox(LPRECT box) const {
  if (Data() == nullptr || box == nullptr) return ERROR;
  const QRect b = Data()->region.boundingRect();
  *box = b.isEmpty() ? CRect() : plat::ToCRect(b);
  return plat::RegionKindOf(Data()->region);
}

int CRgn::OffsetRgn(int dx, int dy) {
  if (Data() == nullptr) return ERROR;
  Data()->region.translate(dx, dy);
  return plat::RegionKindOf(Data()->region);
}
