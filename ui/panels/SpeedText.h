// The speed read-outs of the video control panel and the speed panel.
#pragma once

#include "platform/String.h"

namespace panels {

// "%3d " of the whole speed from 1 up; "1/2 ", "1/4 ", "1/8 ", "1/16" or "1/32" for exactly those
// fractions; empty for any other speed.
CString SpeedText(double speed);
// The speed level of a speed of the level table (0 = 1/16, 4 = 1, 8 = 16); -1 for any other.
int SpeedLevelOf(double speed);

}  // namespace panels
