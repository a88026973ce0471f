// The on-screen text of a channel: the car data, the recording's date and time or a block of
// diagnostic figures, the sound-sync figures and the playback speed, drawn over each converted
// picture so that it is part of what is presented and what a snapshot saves.
//
// The layout is a pure function of the settings and of the channel's state at that picture, in
// the picture's pixels; the presenter draws the texts wherever the picture is shown (at the
// window's scale, and at the picture's own for a snapshot). The settings are a value: the video thread works
// on its own copy, so a font changed on the UI thread never disappears under a drawing.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/gps/CarDataFrame.h"
#include "engine/state/OsdSettings.h"
#include "platform/Geometry.h"
#include "platform/String.h"
#include "platform/gdi/GdiDefs.h"
#include "platform/video/VideoPresenter.h"

// The figures of the diagnostic and sound-sync lines.
struct OsdFigures {
  std::int64_t videoTime = 0;  // time stamp of the picture
  std::int64_t audioTime = 0;  // time stamp of the sound being played
  int picturesLastSecond = 0;
  std::int64_t bytesLastSecond = 0;
  int gopLength = 0;
  int videoQueueItems = 0;
  std::int64_t videoQueueBytes = 0;
  int audioQueueItems = 0;
  std::int64_t audioQueueBytes = 0;
  int drift = 0;          // ms between sound and picture
  int previousDelay = 0;  // ms the sound last waited
};

// The channel's state at the picture the text goes on.
struct OsdFrame {
  int width = 0;  // picture size
  int height = 0;
  double speed = 1.0;          // playback speed, negative backward
  std::int64_t frameTime = 0;  // seconds since 1970, shown in local time
  CarDataRecord carData;
  OsdFigures figures;
};

// One text as TextOut draws it: (x, y) is the top left of its cell. The presenter draws it.
using OsdText = plat::OverlayText;

// The texts to draw, in drawing order.
std::vector<OsdText> OsdLayout(const OsdSettings& settings, const OsdFrame& frame);

// The speed label: "1/<n>x" below 1 (n the nearest whole inverse), "<speed>x" otherwise, and
// nothing at the normal and single-step speeds 1.0, 1.1 and -1.1.
std::optional<CString> SpeedLabel(double speed);

