// Where a device context draws: a window's backing image, a memory bitmap or a printer page.
// The window layer makes surfaces for its windows; the drawing layer draws into any surface.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>

namespace plat {

struct DcSurface {
  QImage* image = nullptr;  // RGB32; drawing never changes its size
  QPoint origin;            // the image position of device point (0,0)
  QRegion clip;             // in device coordinates; an empty region means the whole image
};

}  // namespace plat
