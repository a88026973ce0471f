// One segment of a segment-display character: an outline of points in the character's design grid
// (83 units high), drawn scaled into the character's rectangle. Runs of curve points are replaced
// at drawing time by one cubic Bezier curve fitted through them.
#pragma once

#include <vector>

#include "platform/Geometry.h"

class CDC;

// A rectangle in fractional pixels: characters lie side by side at fractional offsets.
struct DigiRect {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

// The height of every character in design units.
constexpr int kDigiDesignHeight = 83;

// Point kinds of an outline.
constexpr BYTE kSegmentMoveTo = 6;  // starts the outline at the point
constexpr BYTE kSegmentLineTo = 2;  // a straight line to the point
constexpr BYTE kSegmentCurve = 4;   // a point the curve to the next line point passes near

class CDSegment {
 public:
  // Replaces the outline with copies of the points and their kinds.
  void DefineSegment(const POINT* points, const BYTE* kinds, int count);
  int GetCount() const { return static_cast<int>(points_.size()); }
  const std::vector<POINT>& GetPoints() const { return points_; }
  const std::vector<BYTE>& GetKinds() const { return kinds_; }

  // Adds the outline, scaled from a character `width` design units wide into the rectangle, to the
  // context's open path.
  void Draw(CDC& dc, const DigiRect& rect, int width) const;

 private:
  std::vector<POINT> points_;
  std::vector<BYTE> kinds_;
};
