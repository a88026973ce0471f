// Drawing a bitmap turned about a point, as the compass draws its needle.
#pragma once

#include <optional>

#include "platform/gdi/Dc.h"

namespace plat {

struct RotatedDraw {
  POINT pivot{0, 0};   // logical units of the context
  POINT anchor{0, 0};  // the bitmap's point (pixels from its top-left) that lands on the pivot
  double degrees = 0;  // clockwise
  std::optional<COLORREF> colorKey;  // pixels of this colour are left out
};

// Draws the bitmap at its own size, turned about the pivot. Each destination pixel takes the
// bitmap pixel under its centre, unsmoothed, so the key colour never bleeds into the edges.
// FALSE without a context or a bitmap.
BOOL DrawRotatedBitmap(CDC& dc, const CBitmap& bitmap, const RotatedDraw& how);

}  // namespace plat
