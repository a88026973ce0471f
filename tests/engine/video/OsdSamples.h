// On-screen text settings and channel states shared by the layout, drawing and snapshot tests.
#pragma once

#include "engine/video/OsdLayout.h"

namespace osdsamples {

constexpr COLORREF kEdrColor = RGB(0, 255, 0);

// The settings the main window makes from a fresh Config.ini, with the car-data text on.
inline OsdSettings CarDataSettings() {
  OsdSettings s;
  s.edrFont = EdrFont(14, CString(L"Arial"));
  s.edrLeft = -190;
  s.edrTop = 10;
  s.edrColor = kEdrColor;
  return s;
}

// A picture at normal speed with car data.
inline OsdFrame FrameWithCarData(int width, int height) {
  OsdFrame f;
  f.width = width;
  f.height = height;
  f.carData.time = 1700000000;
  f.carData.speed = 100;
  f.carData.rpm = 2500;
  f.carData.engineLoad = 45;
  f.carData.batteryVoltage = 13.8;
  f.carData.engineTemperature = 90;
  f.carData.throttlePosition = 7;
  return f;
}

}  // namespace osdsamples
