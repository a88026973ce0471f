// Device contexts: lines, shapes, fills, edges, focus rectangles, paths and single pixels.
#include <QPainterPath>
#include <QPolygonF>
#include <utility>

#include "platform/gdi/Dc.h"
#include "platform/gdi/GdiQt.h"
#include "platform/gdi/GdiState.h"
#include "platform/gdi/Raster.h"

namespace plat {
namespace {

// The pen's pixel, or nothing for a null pen.
std::optional<QRgb> PenPixel(const DcState& state, const Target& target) {
  const auto& pen = state.attr.pen;
  if (pen == nullptr || pen->pen.lopnStyle == PS_NULL) return std::nullopt;
  return PixelOf(pen->pen.lopnColor, target.mono);
}

std::optional<QRgb> BrushPixel(const GdiData* brush, const Target& target) {
  if (brush == nullptr || brush->kind != GdiKind::Brush || brush->brush.lbStyle == BS_NULL) {
    return std::nullopt;
  }
  return PixelOf(brush->brush.lbColor, target.mono);
}

// The rows and columns a fill may touch, in device units.
QRect DeviceRows(const Target& target) { return target.clip.boundingRect().translated(-target.origin); }

void Polyline(const Target& target, const std::vector<QPoint>& points, bool closed, QRgb pixel) {
  const size_t n = points.size();
  for (size_t i = 0; i + 1 < n; ++i) {
    raster::Line(target, points[i] + target.origin, points[i + 1] + target.origin, pixel);
  }
  if (closed && n >= 2) raster::Line(target, points[n - 1] + target.origin, points[0] + target.origin, pixel);
}

void FillAndOutline(const DcState& state, const std::vector<std::vector<QPoint>>& figures) {
  const Target target = state.target();
  if (!target.Drawable()) return;
  if (const auto brush = BrushPixel(state.attr.brush.get(), target)) {
    const auto spans = raster::ScanFigures(figures, state.attr.polyFillMode, DeviceRows(target));
    raster::FillSpans(target, spans, target.origin, *brush);
  }
  if (const auto pen = PenPixel(state, target)) {
    for (const auto& figure : figures) Polyline(target, figure, true, *pen);
  }
}

// The points after p0 of a cubic Bézier curve flattened to whole device pixels.
std::vector<QPoint> FlattenBezier(QPoint p0, QPoint c1, QPoint c2, QPoint p3) {
  QPainterPath path(p0);
  path.cubicTo(c1, c2, p3);
  std::vector<QPoint> points;
  QPoint last = p0;
  for (const QPolygonF& polygon : path.toSubpathPolygons()) {
    for (const QPointF& p : polygon) {
      const QPoint q = p.toPoint();
      if (q != last) points.push_back(q);
      last = q;
    }
  }
  if (points.empty() || points.back() != p3) points.push_back(p3);
  return points;
}

void XorFocusPixel(const Target& target, int deviceX, int deviceY) {
  if (((deviceX + deviceY) & 1) != 0) return;
  const QPoint p(deviceX + target.origin.x(), deviceY + target.origin.y());
  if (!target.clip.contains(p)) return;
  target.Touch(QRect(p, p));
  reinterpret_cast<QRgb*>(target.image->scanLine(p.y()))[p.x()] ^= 0x00FFFFFFu;
}

struct EdgeColors {
  int topLeft;
  int bottomRight;
};

std::optional<EdgeColors> OuterColors(UINT edge) {
  if (edge & BDR_RAISEDOUTER) return EdgeColors{COLOR_3DLIGHT, COLOR_3DDKSHADOW};
  if (edge & BDR_SUNKENOUTER) return EdgeColors{COLOR_3DSHADOW, COLOR_3DHILIGHT};
  return std::nullopt;
}

std::optional<EdgeColors> InnerColors(UINT edge) {
  if (edge & BDR_RAISEDINNER) return EdgeColors{COLOR_3DHILIGHT, COLOR_3DSHADOW};
  if (edge & BDR_SUNKENINNER) return EdgeColors{COLOR_3DDKSHADOW, COLOR_3DLIGHT};
  return std::nullopt;
}

// One pixel wide border on the flagged sides of [l, r) x [t, b): top and left first, then
// bottom and right over the corners. The rectangle shrinks on the sides drawn.
void DrawBorder(const Target& target, QRect& r, EdgeColors colors, UINT sides) {
  const QRgb tl = PixelOf(GetSysColor(colors.topLeft), target.mono);
  const QRgb br = PixelOf(GetSysColor(colors.bottomRight), target.mono);
  const int l = r.left(), t = r.top(), right = r.right() + 1, bottom = r.bottom() + 1;
  const int topEnd = (sides & BF_RIGHT) ? right - 1 : right;
  const int leftEnd = (sides & BF_BOTTOM) ? bottom - 1 : bottom;
  const QPoint o = target.origin;
  if (sides & BF_TOP) raster::Fill(target, QRect(l, t, topEnd - l, 1).translated(o), tl);
  if (sides & BF_LEFT) raster::Fill(target, QRect(l, t, 1, leftEnd - t).translated(o), tl);
  if (sides & BF_BOTTOM) raster::Fill(target, QRect(l, bottom - 1, right - l, 1).translated(o), br);
  if (sides & BF_RIGHT) raster::Fill(target, QRect(right - 1, t, 1, bottom - t).translated(o), br);
  r.adjust((sides & BF_LEFT) ? 1 : 0, (sides & BF_TOP) ? 1 : 0, (sides & BF_RIGHT) ? -1 : 0,
           (sides & BF_BOTTOM) ? -1 : 0);
}

}  // namespace
}  // namespace plat

using plat::DcState;

CPoint CDC::MoveTo(int x, int y) {
  DcState* s = State();
  if (s == nullptr) return CPoint();
  const QPoint old = std::exchange(s->attr.position, QPoint(x, y));
  if (s->path.open) s->path.figures.push_back({s->toDevice(x, y)});
  return CPoint(old.x(), old.y());
}

CPoint CDC::GetCurrentPosition() const {
  const DcState* s = State();
  return s ? CPoint(s->attr.position.x(), s->attr.position.y()) : CPoint();
}

namespace {
// Adds points to the open path or draws them as lines from the current position.
void LinesFromPosition(DcState& s, const std::vector<QPoint>& devicePoints) {
  if (s.path.open) {
    if (s.path.figures.empty()) {
      s.path.figures.push_back({s.toDevice(s.attr.position.x(), s.attr.position.y())});
    }
    auto& figure = s.path.figures.back();
    figure.insert(figure.end(), devicePoints.begin(), devicePoints.end());
    return;
  }
  const plat::Target target = s.target();
  const auto pen = plat::PenPixel(s, target);
  if (!pen || !target.Drawable()) return;
  std::vector<QPoint> line{s.toDevice(s.attr.position.x(), s.attr.position.y())};
  line.insert(line.end(), devicePoints.begin(), devicePoints.end());
  plat::Polyline(target, line, false, *pen);
}
}  // namespace

BOOL CDC::LineTo(int x, int y) {
  DcState* s = State();
  if (s == nullptr) return FALSE;
  LinesFromPosition(*s, {s->toDevice(x, y)});
  s->attr.position = QPoint(x, y);
  return TRUE;
}

BOOL CDC::PolyBezierTo(const POINT* points, int count) {
  DcState* s = State();
  if (s == nullptr || points == nullptr || count <= 0 || count % 3 != 0) return FALSE;
  std::vector<QPoint> flat;
  QPoint from = s->toDevice(s->attr.position.x(), s->attr.position.y());
  for (int i = 0; i < count; i += 3) {
    const QPoint c1 = s->toDevice(points[i].x, points[i].y);
    const QPoint c2 = s->toDevice(points[i + 1].x, points[i + 1].y);
    const QPoint end = s->toDevice(points[i + 2].x, points[i + 2].y);
    const auto part = plat::FlattenBezier(from, c1, c2, end);
    flat.insert(flat.end(), part.begin(), part.end());
    from = end;
  }
  LinesFromPosition(*s, flat);
  s->attr.position = QPoint(points[count - 1].x, points[count - 1].y);
  return TRUE;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
  DcState* s = State();
  if (s == nullptr) return FALSE;
  CRect r(left, top, right, bottom);
  r.NormalizeRect();
  const QRect d = s->toDevice(r);
  const plat::Target target = s->target();
  if (d.isEmpty() || !target.Drawable()) return TRUE;
  // The brush covers all but the last column and row; the pen's outline covers the whole.
  if (const auto brush = plat::BrushPixel(s->attr.brush.get(), target)) {
    plat::raster::Fill(target, d.adjusted(0, 0, -1, -1).translated(target.origin), *brush);
  }
  if (const auto pen = plat::PenPixel(*s, target)) {
    plat::raster::Frame(target, d.translated(target.origin), *pen);
  }
  return TRUE;
}

BOOL CDC::Polygon(const POINT* points, int count) {
  DcState* s = State();
  if (s == nullptr || points == nullptr || count < 2) return FALSE;
  std::vector<QPoint> figure;
  figure.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) figure.push_back(s->toDevice(points[i].x, points[i].y));
  plat::FillAndOutline(*s, {figure});
  return TRUE;
}

void CDC::FillRect(LPCRECT rect, CBrush* brush) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr || brush == nullptr) return;
  const plat::Target target = s->target();
  if (const auto pixel = plat::BrushPixel(brush->Data().get(), target)) {
    plat::raster::Fill(target, s->toDevice(*rect).translated(target.origin), *pixel);
  }
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr) return;
  s->attr.bkColor = color;
  const plat::Target target = s->target();
  plat::raster::Fill(target, s->toDevice(*rect).translated(target.origin),
                     plat::PixelOf(color, target.mono));
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  const CRect rect(x, y, x + cx, y + cy);
  FillSolidRect(&rect, color);
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr || brush == nullptr) return;
  const plat::Target target = s->target();
  if (const auto pixel = plat::BrushPixel(brush->Data().get(), target)) {
    plat::raster::Frame(target, s->toDevice(*rect).translated(target.origin), *pixel);
  }
}

void CDC::InvertRect(LPCRECT rect) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr) return;
  const plat::Target target = s->target();
  plat::raster::Xor(target, s->toDevice(*rect).translated(target.origin), 0x00FFFFFFu);
}

BOOL CDC::FillRgn(const CRgn* region, CBrush* brush) {
  DcState* s = State();
  if (s == nullptr || region == nullptr || brush == nullptr || region->Data() == nullptr) {
    return FALSE;
  }
  const plat::Target target = s->target();
  const auto pixel = plat::BrushPixel(brush->Data().get(), target);
  if (!pixel) return FALSE;
  for (const QRect& r : region->Data()->region) {
    plat::raster::Fill(target, s->toDevice(plat::ToCRect(r)).translated(target.origin), *pixel);
  }
  return TRUE;
}

BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr) return FALSE;
  const plat::Target target = s->target();
  QRect d = s->toDevice(*rect);
  if (d.isEmpty()) return TRUE;
  const QRect before = d;
  const UINT sides = flags & BF_RECT;
  if (const auto outer = plat::OuterColors(edge)) plat::DrawBorder(target, d, *outer, sides);
  if (const auto inner = plat::InnerColors(edge)) plat::DrawBorder(target, d, *inner, sides);
  if (flags & BF_ADJUST) {
    rect->left += d.left() - before.left();
    rect->top += d.top() - before.top();
    rect->right += d.right() - before.right();
    rect->bottom += d.bottom() - before.bottom();
  }
  return TRUE;
}

void CDC::DrawFocusRect(LPCRECT rect) {
  DcState* s = State();
  if (s == nullptr || rect == nullptr) return;
  const plat::Target target = s->target();
  const QRect d = s->toDevice(*rect);
  if (d.isEmpty() || !target.Drawable()) return;
  const QRect visible = d.intersected(target.clip.boundingRect().translated(-target.origin));
  for (int x = visible.left(); x <= visible.right(); ++x) {
    plat::XorFocusPixel(target, x, d.top());
    if (d.bottom() > d.top()) plat::XorFocusPixel(target, x, d.bottom());
  }
  for (int y = std::max(d.top() + 1, visible.top()); y < d.bottom() && y <= visible.bottom(); ++y) {
    plat::XorFocusPixel(target, d.left(), y);
    if (d.right() > d.left()) plat::XorFocusPixel(target, d.right(), y);
  }
}

BOOL CDC::BeginPath() {
  DcState* s = State();
  if (s == nullptr) return FALSE;
  s->path = plat::PathState();
  s->path.open = true;
  return TRUE;
}

BOOL CDC::EndPath() {
  DcState* s = State();
  if (s == nullptr || !s->path.open) return FALSE;
  s->path.open = false;
  s->path.closed = true;
  return TRUE;
}

BOOL CDC::StrokeAndFillPath() {
  DcState* s = State();
  if (s == nullptr || !s->path.closed) return FALSE;
  const auto figures = std::move(s->path.figures);
  s->path = plat::PathState();
  plat::FillAndOutline(*s, figures);
  return TRUE;
}

COLORREF CDC::GetPixel(int x, int y) const {
  const DcState* s = State();
  if (s == nullptr) return CLR_INVALID;
  const plat::Target target = s->target();
  const QPoint p = s->toDevice(x, y) + target.origin;
  if (!target.Drawable() || !target.clip.contains(p)) return CLR_INVALID;
  return plat::ColorOf(target.image->pixel(p));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
  DcState* s = State();
  if (s == nullptr) return CLR_INVALID;
  const plat::Target target = s->target();
  const QPoint p = s->toDevice(x, y) + target.origin;
  if (!target.Drawable() || !target.clip.contains(p)) return CLR_INVALID;
  const QRgb pixel = plat::PixelOf(color, target.mono);
  plat::raster::Plot(target, p.x(), p.y(), pixel);
  return plat::ColorOf(pixel);
}
