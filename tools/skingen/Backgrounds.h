// Window backgrounds, drawn from the layout tables so that every well, frame and label lies
// exactly behind its control.
#pragma once

#include <QImage>

#include "tools/skingen/Paint.h"

namespace skingen {

// The main window in a UI mode; `second` is the background of the four-channel layout, `marked`
// carries the product mark.
QImage MainBackground(Context& c, int mode, bool second, bool marked);
QImage VideoPanelBackground(Context& c);
QImage GsensorPanelBackground(Context& c);
QImage CalendarPanelBackground(Context& c);
QImage SpeedPanelBackground(Context& c, int mode);
QImage VolumePanelBackground(Context& c);
QImage CarDataPanelBackground(Context& c);

}  // namespace skingen
