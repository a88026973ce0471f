#include "platform/gdi/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace plat::raster {

void Fill(const Target& target, const QRect& rect, QRgb pixel) {
  if (!target.Drawable() || rect.isEmpty()) return;
  target.Touch(rect);
  for (const QRect& part : target.clip.intersected(rect)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(target.image->scanLine(y));
      std::fill(row + part.left(), row + part.right() + 1, pixel);
    }
  }
}

void Xor(const Target& target, const QRect& rect, QRgb value) {
  if (!target.Drawable() || rect.isEmpty()) return;
  target.Touch(rect);
  for (const QRect& part : target.clip.intersected(rect)) {
    for (int y = part.top(); y <= part.bottom(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(target.image->scanLine(y));
      for (int x = part.left(); x <= part.right(); ++x) row[x] ^= value;
    }
  }
}

void Plot(const Target& target, int x, int y, QRgb pixel) {
  if (target.image == nullptr || !target.clip.contains(QPoint(x, y))) return;
  target.Touch(QRect(x, y, 1, 1));
  reinterpret_cast<QRgb*>(target.image->scanLine(y))[x] = pixel;
}

void Line(const Target& target, QPoint a, QPoint b, QRgb pixel) {
  if (!target.Drawable()) return;
  // Step along the major axis; the minor coordinate of step i is a + i * slope, rounded half
  // up. Only the steps whose major coordinate can be visible are walked.
  const bool xMajor = std::llabs(static_cast<long long>(b.x()) - a.x()) >=
                      std::llabs(static_cast<long long>(b.y()) - a.y());
  const long long major0 = xMajor ? a.x() : a.y(), minor0 = xMajor ? a.y() : a.x();
  const long long majorDelta = (xMajor ? b.x() : b.y()) - major0;
  const long long minorDelta = (xMajor ? b.y() : b.x()) - minor0;
  const long long steps = std::llabs(majorDelta);
  if (steps == 0) return;
  const int majorSign = majorDelta > 0 ? 1 : -1, minorSign = minorDelta < 0 ? -1 : 1;
  const QRect bounds = target.clip.boundingRect();
  const long long low = xMajor ? bounds.left() : bounds.top();
  const long long high = xMajor ? bounds.right() : bounds.bottom();
  long long first = majorSign > 0 ? low - major0 : major0 - high;
  long long last = majorSign > 0 ? high - major0 : major0 - low;
  first = std::max(first, 0LL);
  last = std::min(last, steps - 1);
  const long long minorSteps = std::llabs(minorDelta);
  for (long long i = first; i <= last; ++i) {
    const long long major = major0 + majorSign * i;
    const long long minor = minor0 + minorSign * ((2 * i * minorSteps + steps) / (2 * steps));
    if (xMajor) {
      Plot(target, static_cast<int>(major), static_cast<int>(minor), pixel);
    } else {
      Plot(target, static_cast<int>(minor), static_cast<int>(major), pixel);
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
  // Rows with the same runs as the row above extend its band, so that a rectangle stays one.
  std::vector<QRect> rects;
  size_t bandStart = 0;  // first rectangle of the band of the previous row
  size_t i = 0;
  while (i < spans.size()) {
    size_t j = i;
    while (j < spans.size() && spans[j].y == spans[i].y) ++j;
    const size_t bandSize = rects.size() - bandStart;
    bool same = bandSize == j - i && bandSize > 0 && rects[bandStart].bottom() + 1 == spans[i].y;
    for (size_t k = 0; same && k < bandSize; ++k) {
      same = rects[bandStart + k].left() == spans[i + k].x0 &&
             rects[bandStart + k].right() + 1 == spans[i + k].x1;
    }
    if (same) {
      for (size_t k = 0; k < bandSize; ++k) rects[bandStart + k].setBottom(spans[i].y);
    } else {
      bandStart = rects.size();
      for (size_t k = i; k < j; ++k) rects.emplace_back(spans[k].x0, spans[k].y, spans[k].x1 - spans[k].x0, 1);
    }
    i = j;
  }
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

}  // namespace plat::raster
