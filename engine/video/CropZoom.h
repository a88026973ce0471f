// The digital zoom of a channel: a step in or out about a point of the picture changes the crop
// rectangle through which the picture is presented.
#pragma once

#include "platform/Geometry.h"

// Margins summing to this much across stop zooming in.
constexpr int kMaxZoomMargins = 1801;

// The crop after one zoom step. The crop holds the left and top margins (0 or more) and, in right
// and bottom, the right and bottom margins (0 or less) of a width x height picture; (x, y) is the
// point zoomed about, in millionths of the picture from its centre. A positive step zooms in by
// that many hundredths of the picture on each side, a negative one out; the crop then moves
// toward the point and is kept inside the picture. Zooming out of no zoom, or back to none,
// clears the crop. Zooming in stops once the horizontal margins reach kMaxZoomMargins or when
// the step would leave no picture to show.
CRect ZoomCrop(const CRect& crop, int width, int height, int x, int y, int step);
