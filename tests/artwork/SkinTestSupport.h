// Loading the embedded skin pictures as the windows do.
#pragma once

#include <QImage>

#include "layout/MainLayout.h"

namespace skintest {

// The picture the windows get for the id at that control size (0 x 0: the plain one); null when
// there is none.
QImage Skin(int id, int width = 0, int height = 0);
QRect ToQRect(const ui::LayoutRect& r);
// The rectangle of every main-window control placed in the mode, with its id.
struct Placed {
  int id;
  QRect rect;
};
std::vector<Placed> PlacedControls(int mode);

}  // namespace skintest
