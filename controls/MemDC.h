// CMemDC: an off-screen device context over a rectangle of another context. Drawing goes into a
// bitmap of the rectangle's size, in the target's logical coordinates, and the result is copied to
// the target in one transfer when the object is destroyed, so that painting does not flicker.
//
// On a printer, and when no bitmap can be made for the rectangle (empty or too large), the object
// draws straight onto the target instead.
#pragma once

#include "platform/Geometry.h"
#include "platform/gdi/Dc.h"

class CMemDC : public CDC {
 public:
  // `rect` in the target's logical units; null takes the target's clip box. With `copyBackground`
  // the drawing starts from the target's pixels, else from the target's background colour.
  explicit CMemDC(CDC* target, const RECT* rect = nullptr, bool copyBackground = false);
  ~CMemDC() override;

  // The rectangle covered, in logical units.
  const CRect& GetRect() const { return rect_; }
  // False when the drawing goes straight onto the target.
  bool IsOffScreen() const { return offScreen_; }

 private:
  bool MakeOffScreen();

  CBitmap bitmap_;
  CBitmap* oldBitmap_ = nullptr;
  CDC* target_;
  CRect rect_;
  bool offScreen_ = false;
};
