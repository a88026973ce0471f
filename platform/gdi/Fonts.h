// Inside the drawing layer: logical fonts realised as Qt fonts.
#pragma once

#include <QFont>

#include "platform/gdi/GdiDefs.h"
#include "platform/gdi/GdiObjects.h"

namespace plat {

// Text needs a QGuiApplication; without one, text calls fail instead of crashing.
bool TextAvailable();
// The font at its size in device pixels, with scaleY device pixels per logical unit.
QFont RealizeFont(const LOGFONTW& logical, double scaleY);

}  // namespace plat
