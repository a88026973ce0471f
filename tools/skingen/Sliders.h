// Slider pictures: tracks (skin strips of the sliding buttons), their thumbs, and the channel and
// active-channel pair of the bitmap volume slider.
#pragma once

#include <QImage>
#include <utility>

#include "tools/skingen/Paint.h"

namespace skingen {

struct TrackMarks {
  int levels = 0;      // tick marks for that many levels, centred under a thumb...
  int thumbWidth = 0;  // ...of this width
  bool ruler = false;  // a tick every tenth of the length
};

QImage TrackStrip(Context& c, QSize size, int frames, bool vertical, const TrackMarks& marks);
// The knob of the position slider, over the groove of its track.
QImage PositionThumb(Context& c, QSize size);
// The small knob of the speed and volume sliders.
QImage LevelThumb(Context& c, QSize size, bool vertical);
// The start (`end` false) or end mark of the range slider.
QImage RangeThumb(Context& c, QSize size, bool end);
// Channel and active channel: volume bars rising left to right.
std::pair<QImage, QImage> VolumeBars(Context& c, QSize size);

}  // namespace skingen
