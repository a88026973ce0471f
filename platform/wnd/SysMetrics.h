// System metrics and settings with the values the controls were laid out for: a fixed table,
// except for the screen size, which is the primary screen's unless set for a test.
#pragma once

#include "platform/Geometry.h"
#include "platform/wnd/WinInput.h"

int GetSystemMetrics(int index);
// SPI_GETWHEELSCROLLLINES writes the lines per wheel notch (3) to *(UINT*)param.
BOOL SystemParametersInfo(UINT action, UINT uiParam, void* param, UINT winIni);
UINT GetDoubleClickTime();

namespace plat {

// Replaces the primary screen's size (0 x 0 goes back to the real screen).
void SetScreenSize(int width, int height);
// The part of the primary screen that windows may take.
CRect WorkArea();

}  // namespace plat
