#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plat::raster {

void Fill(const Target& target, const QRect& rect, QRgb pixel) {
  if (!target.Drawable() || rect.isEmpty()) return;
  for (const QRect& part : target.clip.intersected(rect)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(target.image->scanLine(y));
      std::fill(row + part.left(), row + part.right() + 1, pixel);
    }
  }
}

void Xor(const Target& target, const QRect& rect, QRgb value) {
  if (!target.Drawable() || rect.isEmpty()) return;
  for (const QRect& part : target.clip.intersected(rect)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(target.image->scanLine(y));
      for (int x = part.left(); x <= part.right(); ++x) row[x] ^= value;
    }
  }
}

void Plot(const Target& target, int x, int y, QRgb pixel) {
  if (target.image == nullptr || !target.clip.contains(QPoint(x, y))) return;
  reinterpret_cast<QRgb*>(target.image->scanLine(y))[x] = pixel;
}

void Line(const Target& target, QPoint a, QPoint b, QRgb pixel) {
  if (!target.Drawable()) return;
  const int dx = std::abs(b.x() - a.x());
  const int dy = -std::abs(b.y() - a.y());
  const int sx = a.x() < b.x() ? 1 : -1;
  const int sy = a.y() < b.y() ? 1 : -1;
  int err = dx + dy;
  int x = a.x();
  int y = a.y();
  while (x != b.x() || y != b.y()) {
    Plot(target, x, y, pixel);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void Frame(const Target& target, const QRect& rect, QRgb pixel) {
  if (rect.isEmpty()) return;
  const int l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();
  Fill(target, QRect(QPoint(l, t), QPoint(r, t)), pixel);
  if (b > t) Fill(target, QRect(QPoint(l, b), QPoint(r, b)), pixel);
  if (b - t >= 2) {
    Fill(target, QRect(QPoint(l, t + 1), QPoint(l, b - 1)), pixel);
    if (r > l) Fill(target, QRect(QPoint(r, t + 1), QPoint(r, b - 1)), pixel);
  }
}

namespace {

struct Edge {
  double x0, y0, x1, y1;
  int direction;
};

struct Crossing {
  double x;
  int direction;
};

std::vector<Edge> EdgesOf(const std::vector<std::vector<QPoint>>& figures) {
  std::vector<Edge> edges;
  for (const auto& figure : figures) {
    const size_t n = figure.size();
    for (size_t i = 0; i < n && n >= 2; ++i) {
      const QPoint& p = figure[i];
      const QPoint& q = figure[(i + 1) % n];
      if (p.y() == q.y()) continue;
      edges.push_back({double(p.x()), double(p.y()), double(q.x()), double(q.y()),
                       q.y() > p.y() ? 1 : -1});
    }
  }
  return edges;
}

void AddRowSpans(int y, std::vector<Crossing>& crossings, int fillMode, std::vector<Span>& out) {
  std::sort(crossings.begin(), crossings.end(),
            [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
  int winding = 0;
  for (size_t i = 0; i + 1 < crossings.size(); ++i) {
    winding += fillMode == WINDING ? crossings[i].direction : 1;
    const bool inside = fillMode == WINDING ? winding != 0 : (winding % 2) != 0;
    if (!inside) continue;
    const int x0 = static_cast<int>(std::ceil(crossings[i].x - 0.5));
    const int x1 = static_cast<int>(std::ceil(crossings[i + 1].x - 0.5));
    if (x1 <= x0) continue;
    if (!out.empty() && out.back().y == y && out.back().x1 >= x0) {
      out.back().x1 = std::max(out.back().x1, x1);
    } else {
      out.push_back({y, x0, x1});
    }
  }
}

}  // namespace

std::vector<Span> ScanFigures(const std::vector<std::vector<QPoint>>& figures, int fillMode,
                              const QRect& rows) {
  std::vector<Span> spans;
  const std::vector<Edge> edges = EdgesOf(figures);
  if (edges.empty()) return spans;
  double top = edges.front().y0, bottom = top;
  for (const Edge& e : edges) {
    top = std::min({top, e.y0, e.y1});
    bottom = std::max({bottom, e.y0, e.y1});
  }
  std::vector<Crossing> crossings;
  const int first = std::max(rows.top(), static_cast<int>(std::floor(top)));
  const int last = std::min(rows.bottom() + 1, static_cast<int>(std::ceil(bottom)));
  for (int y = first; y < last; ++y) {
    const double centre = y + 0.5;
    crossings.clear();
    for (const Edge& e : edges) {
      const double lo = std::min(e.y0, e.y1), hi = std::max(e.y0, e.y1);
      if (centre < lo || centre >= hi) continue;
      crossings.push_back({e.x0 + (centre - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.direction});
    }
    AddRowSpans(y, crossings, fillMode, spans);
  }
  return spans;
}

void FillSpans(const Target& target, const std::vector<Span>& spans, QPoint offset, QRgb pixel) {
  for (const Span& s : spans) {
    Fill(target, QRect(s.x0 + offset.x(), s.y + offset.y(), s.x1 - s.x0, 1), pixel);
  }
}

QRegion RegionOfSpans(const std::vector<Span>& spans) {
  std::vector<QRect> rects;
  rects.reserve(spans.size());
  for (const Span& s : spans) rects.emplace_back(s.x0, s.y, s.x1 - s.x0, 1);
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

}  // namespace plat::raster
