#include "controls/DSegment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "platform/gdi/Dc.h"

namespace {

struct Vec {
  double x = 0;
  double y = 0;
};

// Both searches end however the numbers fall: a paint must never hang on a curve.
constexpr int kMaxSecantSteps = 32;
constexpr int kMaxSearchSteps = 64;
constexpr int kFitRounds = 2;

// A cubic Bezier curve in polynomial form over t from -1 to 1, one polynomial per coordinate.
class Cubic {
 public:
  explicit Cubic(const std::array<Vec, 4>& c) {
    Coefficients(c[0].x, c[1].x, c[2].x, c[3].x, ax_);
    Coefficients(c[0].y, c[1].y, c[2].y, c[3].y, ay_);
  }
  Vec At(double t) const { return {Poly(ax_, t), Poly(ay_, t)}; }
  Vec Slope(double t) const { return {Derivative(ax_, t), Derivative(ay_, t)}; }

 private:
  static void Coefficients(double c0, double c1, double c2, double c3, double a[4]) {
    a[3] = (3 * (c1 - c2) + c3 - c0) / 8;
    a[2] = 3 * (c3 + c0 - c1 - c2) / 8;
    a[1] = (c3 - c0) / 2 - a[3];
    a[0] = (c3 + c0) / 2 - a[2];
  }
  static double Poly(const double a[4], double t) { return a[0] + t * (a[1] + t * (a[2] + t * a[3])); }
  static double Derivative(const double a[4], double t) { return a[1] + t * (2 * a[2] + t * 3 * a[3]); }

  double ax_[4];
  double ay_[4];
};

double Distance2(Vec a, Vec b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }

// The squared distance from the point to the nearest point of the curve: a scan in steps of
// `step`, then the secant method on (B(t) - P) . B'(t) from the best t found.
double NearestDistance2(const Cubic& curve, Vec p, double step) {
  double bestT = -1;
  double best = std::numeric_limits<double>::infinity();
  for (double t = -1; t <= 1.01; t += step) {
    const double d = Distance2(curve.At(t), p);
    if (d < best) {
      best = d;
      bestT = t;
      if (d == 0) return 0;
    }
  }
  const auto f = [&](double t) {
    const Vec b = curve.At(t);
    const Vec s = curve.Slope(t);
    return (b.x - p.x) * s.x + (b.y - p.y) * s.y;
  };
  double t0 = bestT;
  double t1 = t0 + step > 1 ? 1 - step : t0 + step;
  double f0 = f(t0);
  double f1 = f(t1);
  for (int i = 0; i < kMaxSecantSteps; ++i) {
    double t2 = f1 == f0 ? (t0 + t1) / 2 : t1 - f1 * (t1 - t0) / (f1 - f0);
    t2 = std::isfinite(t2) ? std::clamp(t2, -1.0, 1.0) : bestT;
    const double d = Distance2(curve.At(t2), p);
    best = std::min(best, d);
    const double f2 = f(t2);
    if (f2 == 0 || d == 0 || std::fabs(t2 - t1) < 0.001) break;
    t0 = t1;
    f0 = f1;
    t1 = t2;
    f1 = f2;
  }
  return best;
}

double FitError(const std::array<Vec, 4>& c, const std::vector<Vec>& points) {
  const Cubic curve(c);
  const double step = 1.0 / static_cast<double>(points.size());
  double sum = 0;
  for (size_t i = 1; i + 1 < points.size(); ++i) sum += NearestDistance2(curve, points[i], step);
  return sum;
}

// Control points of a curve from the first to the last point that passes near the inner points:
// starting from the tangents of the end points, each inner control coordinate in turn is moved
// away from (or back towards) its end point while the error shrinks.
std::array<Vec, 4> FitCurve(const std::vector<Vec>& p) {
  const Vec& first = p.front();
  const Vec& last = p.back();
  const Vec& second = p[1];
  const Vec& beforeLast = p[p.size() - 2];
  std::array<Vec, 4> c = {first, Vec{2 * second.x - first.x, 2 * second.y - first.y},
                          Vec{2 * beforeLast.x - last.x, 2 * beforeLast.y - last.y}, last};
  double error = FitError(c, p);
  double* const coordinates[4] = {&c[1].x, &c[1].y, &c[2].x, &c[2].y};
  const double anchors[4] = {c[0].x, c[0].y, c[3].x, c[3].y};
  for (int round = 0; round < kFitRounds; ++round) {
    for (int k = 0; k < 4; ++k) {
      double& v = *coordinates[k];
      double factor = 0.5;
      for (int step = 0; std::fabs(factor) >= 0.01 && step < kMaxSearchSteps; ++step) {
        const double old = v;
        v += factor * (v - anchors[k]);
        const double e = FitError(c, p);
        if (e == error) break;
        if (e > error) {
          v = old;
          factor /= -3;
        } else {
          error = e;
        }
      }
    }
  }
  return c;
}

int Round(double v) { return static_cast<int>(std::trunc(v + 0.5)); }

}  // namespace

void CDSegment::DefineSegment(const POINT* points, const BYTE* kinds, int count) {
  points_.assign(points, points + count);
  kinds_.assign(kinds, kinds + count);
}

void CDSegment::Draw(CDC& dc, const DigiRect& rect, int width) const {
  if (width <= 0) return;
  const double sx = rect.Width() / width;
  const double sy = rect.Height() / kDigiDesignHeight;
  const auto scaled = [&](const POINT& p) { return Vec{p.x * sx + rect.left, p.y * sy + rect.top}; };
  const auto pixel = [&](const POINT& p) {
    const Vec v = scaled(p);
    return CPoint(Round(v.x), Round(v.y));
  };
  const int n = GetCount();
  for (int i = 0; i < n; ++i) {
    if (kinds_[i] == kSegmentMoveTo) {
      dc.MoveTo(pixel(points_[i]));
      continue;
    }
    if (kinds_[i] != kSegmentCurve || i == 0) {
      dc.LineTo(pixel(points_[i]));
      continue;
    }
    // A run of curve points ends at the next line point, which the curve ends on.
    int end = i;
    while (end < n - 1 && kinds_[end] == kSegmentCurve) ++end;
    std::vector<Vec> fit;
    for (int j = i - 1; j <= end; ++j) fit.push_back(scaled(points_[j]));
    const std::array<Vec, 4> c = FitCurve(fit);
    const POINT bezier[3] = {CPoint(Round(c[1].x), Round(c[1].y)), CPoint(Round(c[2].x), Round(c[2].y)),
                             pixel(points_[end])};
    dc.PolyBezierTo(bezier, 3);
    i = end;
  }
}
