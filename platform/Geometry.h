// Points, sizes and rectangles with the framework's arithmetic: a rectangle's right and bottom
// edges are exclusive, and nothing normalises a rectangle unless asked.
#pragma once

#include <algorithm>

#include "platform/Types.h"

struct POINT {
  LONG x = 0;
  LONG y = 0;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};
using LPPOINT = POINT*;
using LPSIZE = SIZE*;
using LPRECT = RECT*;
using LPCRECT = const RECT*;

class CSize : public SIZE {
 public:
  CSize() = default;
  CSize(int w, int h) { cx = w, cy = h; }
  CSize(const SIZE& s) : SIZE(s) {}
  bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(const CSize& o) const { return !(*this == o); }
  CSize operator+(const CSize& o) const { return {cx + o.cx, cy + o.cy}; }
  CSize operator-(const CSize& o) const { return {cx - o.cx, cy - o.cy}; }
};

class CPoint : public POINT {
 public:
  CPoint() = default;
  CPoint(int px, int py) { x = px, y = py; }
  CPoint(const POINT& p) : POINT(p) {}
  bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
  bool operator!=(const CPoint& o) const { return !(*this == o); }
  CPoint operator+(const CSize& s) const { return {x + s.cx, y + s.cy}; }
  CPoint operator-(const CSize& s) const { return {x - s.cx, y - s.cy}; }
  CPoint operator+(const CPoint& p) const { return {x + p.x, y + p.y}; }
  CSize operator-(const CPoint& p) const { return {x - p.x, y - p.y}; }
  CPoint& operator+=(const CSize& s) { x += s.cx, y += s.cy; return *this; }
  CPoint& operator-=(const CSize& s) { x -= s.cx, y -= s.cy; return *this; }
  void Offset(int dx, int dy) { x += dx, y += dy; }
};

class CRect : public RECT {
 public:
  CRect() = default;
  CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  CRect(const RECT& r) : RECT(r) {}
  CRect(CPoint tl, CSize sz) : CRect(tl.x, tl.y, tl.x + sz.cx, tl.y + sz.cy) {}
  CRect(CPoint tl, CPoint br) : CRect(tl.x, tl.y, br.x, br.y) {}
  // A rectangle passes where a rectangle pointer is expected, as the drawing calls take them.
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return {Width(), Height()}; }
  CPoint TopLeft() const { return {left, top}; }
  CPoint BottomRight() const { return {right, bottom}; }
  CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

  void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }
  void InflateRect(int dx, int dy) { left -= dx, top -= dy, right += dx, bottom += dy; }
  void InflateRect(int l, int t, int r, int b) { left -= l, top -= t, right += r, bottom += b; }
  void DeflateRect(int dx, int dy) { InflateRect(-dx, -dy); }
  void DeflateRect(int l, int t, int r, int b) { InflateRect(-l, -t, -r, -b); }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  void OffsetRect(CPoint p) { OffsetRect(p.x, p.y); }
  void OffsetRect(CSize s) { OffsetRect(s.cx, s.cy); }
  void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }

  // Both return false and leave an empty (all zero) rectangle when the result is empty.
  bool IntersectRect(const RECT& a, const RECT& b) {
    SetRect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom));
    if (IsRectEmpty()) {
      SetRectEmpty();
      return false;
    }
    return true;
  }
  bool UnionRect(const RECT& a, const RECT& b) {
    const CRect ra(a), rb(b);
    if (ra.IsRectEmpty()) {
      *this = rb;
    } else if (rb.IsRectEmpty()) {
      *this = ra;
    } else {
      SetRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom));
    }
    if (IsRectEmpty()) {
      SetRectEmpty();
      return false;
    }
    return true;
  }

  bool operator==(const RECT& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const RECT& o) const { return !(*this == o); }
  CRect operator+(CPoint p) const { CRect r(*this); r.OffsetRect(p); return r; }
  CRect operator-(CPoint p) const { CRect r(*this); r.OffsetRect(-p.x, -p.y); return r; }
  CRect& operator+=(CPoint p) { OffsetRect(p); return *this; }
  CRect& operator-=(CPoint p) { OffsetRect(-p.x, -p.y); return *this; }
  CRect operator&(const CRect& o) const { CRect r; r.IntersectRect(*this, o); return r; }
  CRect operator|(const CRect& o) const { CRect r; r.UnionRect(*this, o); return r; }
};
