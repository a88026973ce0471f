// What each bitmap id shows, and the drawing of every picture the windows load.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

#include "tools/skingen/Paint.h"

namespace skingen {

struct Picture {
  QString path;  // inside the resources, e.g. "bitmaps/141@85x85.png"
  QImage image;
};

// Every picture of the skin table at every size, the map markers and the program icons. Ids that
// have no drawing, or drawings of the wrong size, are added to `errors`.
std::vector<Picture> DrawAll(Context& c, QStringList& errors);

}  // namespace skingen
