// The side panels' design: panel size, background, and each control's rectangle and skin, in the
// panel's client coordinates. The panels place their controls from it and the skin generator
// draws their backgrounds from it.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "layout/MainLayout.h"

namespace ui {

struct PanelControl {
  int id;
  const wchar_t* tooltip;  // English; translated when shown. nullptr: none
  int skin;                // 0: no skin (a read-out, a grid, a calendar, a plain button)
  bool hidden;             // hidden at start (and, for these panels, for good)
  LayoutRect rect;
};

struct PanelLayout {
  int templateId;
  int background;  // 0: none of its own
  int width;       // the background's size
  int height;
  std::span<const PanelControl> controls;
};

// Every skinned control of the panels uses a strip of five frames (the last one a mask); the
// speed panel's slider track alone has four.
inline constexpr int kPanelStripFrames = 5;

// ---- G-sensor panel: the graph fills the panel below the sliders. The Close button stands below
// the graph under Mark Save, where it covers nothing (the design's 100,10 lay on the range slider's
// start thumb).
inline constexpr PanelControl kGsensorPanelControls[] = {
    {1575, nullptr, 1578, false, {38, 10, 397, 32}},
    {1045, nullptr, 184, false, {38, 32, 385, 52}},
    {1762, nullptr, 1764, true, {0, 0, 50, 50}},
    {1763, nullptr, 1765, true, {0, 0, 50, 50}},
    {1790, nullptr, 2008, false, {405, 10, 452, 57}},
    {1029, nullptr, 1782, false, {415, 209, 452, 246}},
};
inline constexpr PanelLayout kGsensorPanel{103, 1898, 460, 260, kGsensorPanelControls};
inline constexpr int kMarkBarStartThumb = 1576;
inline constexpr int kMarkBarEndThumb = 1577;
// The G-sensor bar is laid over the whole client area: its curves run between these margins
// around the middle row, a value of +-1024 reaching (height / 10) * 2 pixels from it.
inline constexpr int kGsensorBarLeftMargin = 32;
inline constexpr int kGsensorBarRightMargin = 42;

// ---- Calendar panel.
inline constexpr PanelControl kCalendarPanelControls[] = {
    {1762, L"locked", 1764, true, {10, 10, 60, 60}},
    {1763, L"unlocked", 1765, true, {10, 10, 60, 60}},
    {1029, L"Close", 1782, false, {100, 10, 137, 47}},
    // Inside the panel's region, which leaves out 4 pixels at every edge.
    {1000, nullptr, 0, false, {4, 4, 194, 199}},
    {1501, nullptr, 0, false, {203, 61, 385, 77}},
    {1502, nullptr, 0, false, {385, 61, 568, 77}},
    {1503, nullptr, 0, false, {203, 120, 566, 139}},
    {1504, nullptr, 0, false, {203, 156, 566, 175}},
};
inline constexpr PanelLayout kCalendarPanel{1704, 1785, 576, 204, kCalendarPanelControls};

// ---- Compass panel: background 216 is also the position-text bitmap of UI mode 0.
inline constexpr PanelControl kCompassPanelControls[] = {
    {1762, nullptr, 1764, true, {0, 0, 50, 50}},
    {1763, nullptr, 1765, true, {0, 0, 50, 50}},
    {1029, nullptr, 1782, false, {179, 10, 216, 47}},
};
inline constexpr PanelLayout kCompassPanel{108, 216, 226, 280, kCompassPanelControls};
inline constexpr int kCompassNeedle = 140;
inline constexpr int kCompassPivotX = 113;
inline constexpr int kCompassPivotY = 117;
inline constexpr int kCompassTextY = 250;  // latitude at x 13, longitude at x 112

// ---- Speed panel, one skin per UI mode; the slider is as large as its track.
struct SpeedPanelSkins {
  int skin;
  int thumb;
  int track;
  int trackWidth;  // one frame of the four
  int trackHeight;
};
inline constexpr std::array<SpeedPanelSkins, kUiModeCount> kSpeedPanelSkins{{
    {2061, 219, 181, 570, 9},
    {2062, 1290, 226, 425, 9},
    {2063, 1291, 234, 308, 9},
}};
inline constexpr int kSpeedPanelSliderX = 20;
inline constexpr int kSpeedPanelSliderY = 4;
// Under the slider, which spans the panel, "slower" stands at its left end and "faster" at its
// right end, 7 pixels in from each edge.
constexpr std::array<PanelControl, 3> SpeedPanelControls(int width) {
  return {{
      {1703, nullptr, 0, true, {60, 60, 188, 112}},
      {1756, nullptr, 1759, false, {width - 59, 60, width - 7, 112}},
      {1758, nullptr, 1760, false, {7, 60, 57, 112}},
  }};
}
inline constexpr std::array<int, kUiModeCount> kSpeedPanelWidths{610, 465, 348};
inline constexpr std::array<std::array<PanelControl, 3>, kUiModeCount> kSpeedPanelControls{
    SpeedPanelControls(kSpeedPanelWidths[0]), SpeedPanelControls(kSpeedPanelWidths[1]),
    SpeedPanelControls(kSpeedPanelWidths[2])};
inline constexpr std::array<PanelLayout, kUiModeCount> kSpeedPanel{{
    {110, 2061, kSpeedPanelWidths[0], 118, kSpeedPanelControls[0]},
    {110, 2062, kSpeedPanelWidths[1], 118, kSpeedPanelControls[1]},
    {110, 2063, kSpeedPanelWidths[2], 118, kSpeedPanelControls[2]},
}};
// Speed levels 0..8 under the slider, slowest first.
inline constexpr std::array<const char*, 9> kSpeedLevelNames{"1/16", "1/8", "1/4", "1/2", "1", "2", "4", "8", "16"};

// ---- Volume panel: the bitmap slider is a quarter of the channel bitmap 2133 wide.
inline constexpr PanelControl kVolumePanelControls[] = {
    {1601, nullptr, 0, false, {18, 50, 18 + 375 / 4, 50 + 102}},
};
inline constexpr PanelLayout kVolumePanel{1866, 2058, 129, 170, kVolumePanelControls};

// ---- Control bar: no background of its own (it stretches 2065). Its buttons are 65 x 52 at y 80,
// spaced by its width; shown here side by side.
constexpr LayoutRect ControlBarButton(int order) { return {20 + order * 65, 80, 85 + order * 65, 132}; }
inline constexpr PanelControl kControlBarControls[] = {
    {1030, L"Backup", 153, false, ControlBarButton(0)},
    {1099, L"SnapShot", 188, false, ControlBarButton(1)},
    {1031, L"Configuration", 151, false, ControlBarButton(2)},
    {1034, L"Format", 154, false, ControlBarButton(3)},
    {1788, L"Calendar Button", 2126, false, ControlBarButton(4)},
    {1100, L"Gsensor Button", 1761, false, ControlBarButton(5)},
    {1032, L"Map", 1549, false, ControlBarButton(6)},
    {1780, L"Compass Button", 1781, true, ControlBarButton(7)},
};
inline constexpr PanelLayout kControlBar{235, 0, 0, 0, kControlBarControls};

// ---- Caption panel: no background of its own. Its buttons stand in a row inside the panel's
// region (inset 4), so that none is cut, and the strip fits the corner above the product mark in
// every mode (a column 111 high fits there in none but the largest).
inline constexpr int kCaptionRegionInset = 4;
inline constexpr PanelControl kCaptionPanelControls[] = {
    {1029, L"Close", 136, false, {4, 4, 41, 41}},
    {1776, L"Max", 1777, false, {41, 4, 78, 41}},
    {1744, L"Menu", 1745, false, {78, 4, 115, 41}},
};
inline constexpr PanelLayout kCaptionPanel{102, 0, 119, 45, kCaptionPanelControls};

// ---- Car-data panel: two pictures per input (off 1520 + k, on 1530 + k) at x 99 + 45 k, and two
// text lines. The pictures are wider than their spacing; each shows its sign in the left 45 pixels.
inline constexpr int kCarDataInputs = 8;
inline constexpr int kCarDataOffPicture = 1520;
inline constexpr int kCarDataOnPicture = 1530;
constexpr LayoutRect CarDataPictureRect(int input) { return {99 + 45 * input, 40, 163 + 45 * input, 104}; }
inline constexpr int kCarDataPictureSpacing = 45;
inline constexpr PanelControl kCarDataPanelControls[] = {
    {1541, nullptr, 1782, false, {446, 9, 466, 29}},
};
inline constexpr PanelLayout kCarDataPanel{1510, 1540, 720, 200, kCarDataPanelControls};
inline constexpr LayoutRect kCarDataTextLines{38, 70, 542, 130};

// ---- Video control panel: rows of fixed height whose gaps scale with the panel's height.
struct PanelRow {
  int top;     // at the design height 1080
  int height;
};
// The range row counts 71 high, not its sliders' 55: its Mark Save button reaches 16 px lower, and
// would cover the Stop button below when the gaps close. The volume row stands 8 px higher than
// 843, where it would touch the sound buttons and its well would run into theirs.
inline constexpr std::array<PanelRow, 10> kVideoPanelRows{{
    {60, 32}, {210, 18}, {250, 90}, {385, 18}, {438, 85}, {550, 71}, {629, 85}, {724, 85}, {835, 102}, {945, 85},
}};
inline constexpr int kVideoPanelRowGap = 10;
inline constexpr int kVideoPanelDesignHeight = 1080;
inline constexpr int kVideoPanelWidth = 480;
// The background is drawn for the panel beside the 1920 x 1080 window (its height less 5).
inline constexpr int kVideoPanelDrawnHeight = 1075;

// Row index -1: the side buttons, at y = trunc(s * 156), as high as y + 768.
struct RowControl {
  int id;
  const wchar_t* tooltip;
  int skin;
  bool hidden;
  int row;
  int x, dy, width, height;  // dy from the row's top
};
inline constexpr RowControl kVideoPanelControls[] = {
    {1768, L"", 1797, false, 0, 95, 0, 299, 32},
    {1769, L"Car Speed", 1799, true, 1, 170, 0, 141, 18},  // hidden with the read-out it names
    {1140, nullptr, 0, true, 2, 145, 0, 175, 90},
    {1741, L"KM", 1712, true, 2, 315, 62, 74, 28},
    {1742, L"knot", 1710, true, 2, 315, 62, 74, 28},
    {1743, L"Mile", 1711, true, 2, 315, 62, 74, 28},
    {1735, L"Video Speed", 1798, false, 3, 155, 0, 167, 18},
    {1703, nullptr, 0, false, 4, 161, -3, 175, 82},
    {1758, L"Decrement Video Speed", 1760, false, 4, 60, 0, 85, 85},
    {1756, L"Increase Video Speed", 1759, false, 4, 345, 0, 85, 85},
    {1575, L"MarkBar", 1574, false, 5, 62, 0, 362, 22},
    {1045, L"Position", 184, false, 5, 62, 22, 347, 20},
    {1790, L"Mark Save", 2008, false, 5, 420, 24, 47, 47},
    {1023, L"Pause", 147, false, 6, 60, 0, 85, 85},
    {1022, L"BackWardPlay", 145, false, 6, 155, 0, 85, 85},
    {1025, L"Play", 146, false, 6, 250, 0, 85, 85},
    {1024, L"Stop", 148, false, 6, 345, 0, 85, 85},
    {1020, L"PrevFile", 141, false, 7, 60, 0, 85, 85},
    {1021, L"PrevFrame", 143, false, 7, 155, 0, 85, 85},
    {1026, L"NextFrame", 144, false, 7, 250, 0, 85, 85},
    {1027, L"NextFile", 142, false, 7, 345, 0, 85, 85},
    {1601, nullptr, 0, false, 8, 63, 0, 375, 102},
    {1733, L"Sound On", 1735, false, 9, 60, 0, 85, 85},
    {1766, L"Sound On", 1770, false, 9, 60, 0, 85, 85},
    {1734, L"Sound Off", 1736, false, 9, 155, 0, 85, 85},
    {1767, L"Sound Off", 1771, false, 9, 155, 0, 85, 85},
    {1225, L"min", 239, false, 9, 250, 0, 85, 85},
    {1226, L"max", 240, false, 9, 345, 0, 85, 85},
    {1757, L"Shift Right", 1806, false, -1, 459, 0, 469, 768},
    {1759, L"Shift Left", 1807, false, -1, 3, 0, 13, 768},
};
inline constexpr int kVideoPanelBackground = 1702;

// The height of the rows from `first` on, each below its least gap, with that gap again below the
// last.
constexpr int VideoPanelRowsHeight(size_t first = 0) {
  int sum = kVideoPanelRowGap;
  for (size_t i = first; i < kVideoPanelRows.size(); ++i) sum += kVideoPanelRowGap + kVideoPanelRows[i].height;
  return sum;
}
// The base height h0 of the scale: the height at which the gaps are least. From it up every row
// fits and the gaps take the rest; below it the panel is compact.
inline constexpr int kVideoPanelBaseHeight = VideoPanelRowsHeight();
// A compact panel drops the title, the car-speed caption and read-out and the video-speed caption,
// and spreads the rows from the speed buttons on evenly over its height.
inline constexpr size_t kVideoPanelFirstCompactRow = 4;

constexpr bool VideoPanelIsCompact(int height, int baseHeight) { return baseHeight > 0 && height < baseHeight; }
constexpr bool VideoPanelRowShown(int row, int height, int baseHeight = kVideoPanelBaseHeight) {
  return !VideoPanelIsCompact(height, baseHeight) || row >= static_cast<int>(kVideoPanelFirstCompactRow);
}

// The vertical scale of a panel of the given height; baseHeight is the height at which the gaps
// are least (0: the gaps scale with the height).
constexpr double VideoPanelScale(int height, int baseHeight = kVideoPanelBaseHeight) {
  const double s = static_cast<double>(height - baseHeight) / (kVideoPanelDesignHeight - baseHeight);
  return s < 0 ? 0 : s;
}

// A compact panel's rows share what their heights leave as equal gaps, above, between and below.
constexpr int CompactRowTop(size_t row, int height) {
  int rows = 0;
  int used = 0;
  for (size_t i = kVideoPanelFirstCompactRow; i < kVideoPanelRows.size(); ++i, ++rows) used += kVideoPanelRows[i].height;
  const int gap = height > used ? (height - used) / (rows + 1) : 0;
  int top = gap;
  for (size_t i = kVideoPanelFirstCompactRow; i < row; ++i) top += kVideoPanelRows[i].height + gap;
  return top;
}

constexpr int VideoPanelRowTop(int row, int height, int baseHeight = kVideoPanelBaseHeight) {
  const auto index = static_cast<size_t>(row);
  if (VideoPanelIsCompact(height, baseHeight) && index >= kVideoPanelFirstCompactRow) return CompactRowTop(index, height);
  const double s = VideoPanelScale(height, baseHeight);
  int above = 0;
  for (size_t i = 0; i < index; ++i) above += kVideoPanelRowGap + kVideoPanelRows[i].height;
  return static_cast<int>((kVideoPanelRows[index].top - above) * s) + above + kVideoPanelRowGap;
}

constexpr LayoutRect VideoPanelRect(const RowControl& c, int height, int baseHeight = kVideoPanelBaseHeight) {
  if (c.row < 0) {
    const int y = static_cast<int>(VideoPanelScale(height, baseHeight) * 312 / 2);
    return {c.x, y, c.x + c.width, y + y + c.height};
  }
  const int y = VideoPanelRowTop(c.row, height, baseHeight) + c.dy;
  return {c.x, y, c.x + c.width, y + c.height};
}

}  // namespace ui
