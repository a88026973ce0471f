// The settings of a channel's on-screen text: which texts, where, in which fonts and colours. The
// UI thread edits them in the engine state and the video thread draws with a copy, so they are a
// plain value that sits below both.
#pragma once

#include <optional>

#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"

// The car-data font: a cell of the given height in pixels, weight 900, the face when installed.
LOGFONTW EdrFont(int size, const CString& face);
// The font of the time, diagnostic and speed texts: a 24-pixel cell, default face.
LOGFONTW DefaultOsdFont();

struct OsdSettings {
  // Car-data text: none until its font is set. A left below 0 counts from the right edge, a top
  // below 0 from the bottom edge, and the lines then go upward.
  std::optional<LOGFONTW> edrFont;
  int edrLeft = 0;
  int edrTop = 0;
  COLORREF edrColor = 0;
  int speedUnit = 0;        // 0 km/h, 1 miles per hour, 2 knots
  int temperatureUnit = 0;  // 0 Celsius, anything else Fahrenheit
  // Time text: 0 none, 1 date and time, 2 diagnostic figures; placed by the same rule as the
  // car data, 40 pixels lower.
  int timeMode = 0;
  COLORREF timeColor = 0;
  int timeLeft = 0;
  int timeTop = 0;
  bool music = false;  // the two sound-sync lines
  LOGFONTW osdFont = DefaultOsdFont();
};
