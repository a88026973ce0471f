// The main window's layout in each UI mode: where every control and area sits, which skin it
// wears and whether it starts hidden. The main window places its controls from this table and the
// skin generator draws the backgrounds from it, so a well is always behind its control.
//
// Rectangles are left, top, right, bottom in window pixels, one per UI mode (0: 1920 x 1080,
// 1: 1440 x 810, 2: 1024 x 576). An empty rectangle means the control has no place in that mode.
#pragma once

#include <array>
#include <cstddef>

namespace ui {

inline constexpr int kUiModeCount = 3;

struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  constexpr bool Intersects(const LayoutRect& o) const {
    return !IsEmpty() && !o.IsEmpty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

using ModeRects = std::array<LayoutRect, kUiModeCount>;
using ModeIds = std::array<int, kUiModeCount>;

struct WindowSize {
  int width;
  int height;
};
// The window takes its background's size.
inline constexpr std::array<WindowSize, kUiModeCount> kWindowSize{{{1920, 1080}, {1440, 810}, {1024, 576}}};

// Backgrounds: layouts 1 and 8 use the first, layout 4 the second; "isNoMark" picks the set
// without the product mark.
inline constexpr ModeIds kBackground{2064, 2065, 2066};
inline constexpr ModeIds kBackgroundNoMark{1904, 1905, 1906};
inline constexpr ModeIds kSecondBackground{100, 101, 102};
inline constexpr ModeIds kSecondBackgroundNoMark{1907, 1908, 1909};

// Bitmaps that change with the mode besides the backgrounds.
struct ModeSkins {
  int graph;          // G-sensor curve background, drawn at the graph area
  int positionText;   // position text, drawn in the (off-window) position-text area
  int positionThumb;  // thumb of the position slider 1045
  int speedThumb;     // thumb of the speed slider 1047
  int volumeChannel;  // bitmap volume slider 1601: channel and active channel
  int volumeActive;
};
inline constexpr std::array<ModeSkins, kUiModeCount> kModeSkins{{
    {180, 216, 183, 219, 2133, 2130},
    {223, 222, 1292, 1290, 2134, 2131},
    {231, 230, 1293, 1291, 2135, 2132},
}};
inline constexpr int kVolumeThumb = 185;

enum class ControlKind { kButton, kCheckBox, kSlider, kVerticalSlider };

// The main window's strips and slider tracks have four frames, without a mask.
inline constexpr int kMainStripFrames = 4;

struct MainControl {
  int id;
  const wchar_t* tooltip;  // English; translated when shown. nullptr: none
  ControlKind kind;
  int skin;                // the button's strip or the slider's track; 0: none
  bool hiddenAtStart;
  ModeRects rect;
};

namespace detail {

constexpr ModeRects Same(int l0, int t0, int r0, int b0, int l1, int t1, int r1, int b1, int l2, int t2,
                         int r2, int b2) {
  return {{{l0, t0, r0, b0}, {l1, t1, r1, b1}, {l2, t2, r2, b2}}};
}

// Transport row of the three modes: x of each mode, fixed sizes.
constexpr ModeRects Transport(int x0, int x1, int x2) {
  return Same(x0, 965, x0 + 48, 996, x1, 720, x1 + 48, 751, x2, 506, x2 + 48, 537);
}

// Our own placements: rows of equal buttons, one size per mode.
struct Row {
  std::array<int, kUiModeCount> x, y, step, width, height;
};
constexpr ModeRects Slot(const Row& row, int slot) {
  ModeRects r{};
  for (int m = 0; m < kUiModeCount; ++m) {
    const int left = row.x[m] + slot * row.step[m];
    r[m] = {left, row.y[m], left + row.width[m], row.y[m] + row.height[m]};
  }
  return r;
}
// A column of equal buttons at the given tops.
struct Column {
  std::array<int, kUiModeCount> x, width, height;
};
constexpr ModeRects Cell(const Column& col, int top0, int top1, int top2) {
  const std::array<int, kUiModeCount> top{top0, top1, top2};
  ModeRects r{};
  for (int m = 0; m < kUiModeCount; ++m) r[m] = {col.x[m], top[m], col.x[m] + col.width[m], top[m] + col.height[m]};
  return r;
}

// Tools above the speed slider: playback, Wi-Fi, map key and the three Config.ini toggles.
inline constexpr Row kToolRow{{1140, 856, 605}, {18, 10, 3}, {52, 40, 31}, {44, 34, 26}, {34, 26, 22}};
// Views and side panels, above the snapshot in the right-hand column.
inline constexpr Row kViewRow{{1505, 1130, 802}, {106, 77, 62}, {69, 50, 36}, {44, 34, 26}, {34, 26, 22}};
// Speed steps left of the speed slider, centred on it.
inline constexpr Row kSpeedRow{{1060, 792, 556}, {50, 36, 25}, {40, 32, 25}, {36, 28, 22}, {30, 24, 20}};
// Audio channel boxes left of the volume-down button.
inline constexpr Row kAudioRow{{286, 204, 147}, {970, 728, 515}, {40, 32, 24}, {36, 28, 22}, {30, 24, 20}};
// Area tabs, channel layouts and views along the left edge of the video, below the record list.
inline constexpr Column kRail{{7, 5, 3}, {36, 28, 22}, {30, 24, 20}};
// Menu and restore, left of the minimise button.
inline constexpr ModeRects kCaptionSlot = Same(1755, 30, 1788, 50, 1312, 25, 1345, 45, 915, 12, 945, 32);

}  // namespace detail

inline constexpr ModeRects kNoPlace{};

// Every control of the main window that wears a skin or is placed by the layout.
inline constexpr MainControl kMainControls[] = {
    // Transport row.
    {1020, L"PrevFile", ControlKind::kButton, 141, false, detail::Transport(900, 655, 460)},
    {1021, L"PrevFrame", ControlKind::kButton, 143, false, detail::Transport(996, 730, 513)},
    {1022, L"BackWardPlay", ControlKind::kButton, 145, false, detail::Transport(1092, 805, 566)},
    {1023, L"Pause", ControlKind::kButton, 147, false, detail::Transport(1188, 880, 619)},
    {1024, L"Stop", ControlKind::kButton, 148, false, detail::Transport(1284, 955, 672)},
    {1025, L"Play", ControlKind::kButton, 146, false, detail::Transport(1380, 1030, 725)},
    {1026, L"NextFrame", ControlKind::kButton, 144, false, detail::Transport(1476, 1105, 778)},
    {1027, L"NextFile", ControlKind::kButton, 142, false, detail::Transport(1572, 1180, 831)},
    {1564, L"Restart Record", ControlKind::kButton, 2422, false, detail::Transport(1668, 1255, 884)},
    {1790, L"Mark Save", ControlKind::kButton, 2008, false, detail::Transport(1764, 1330, 937)},
    // Tool buttons of the top bar. In the smallest mode they share the span evenly: placed as
    // first given, Backup lay over Playback and took clicks meant for it.
    {1099, L"SnapShot", ControlKind::kButton, 188, false, detail::Same(500, 30, 561, 71, 367, 15, 428, 56, 250, 7, 306, 48)},
    {1031, L"Configuration", ControlKind::kButton, 151, false, detail::Same(610, 30, 671, 71, 452, 15, 513, 56, 311, 7, 367, 48)},
    {1030, L"Backup", ControlKind::kButton, 153, false, detail::Same(720, 30, 781, 71, 533, 15, 594, 56, 372, 7, 428, 48)},
    {1033, L"Playback", ControlKind::kButton, 150, false, detail::Same(830, 30, 891, 71, 616, 15, 677, 56, 433, 7, 489, 48)},
    {1034, L"Format", ControlKind::kButton, 154, false, detail::Same(940, 30, 1001, 71, 700, 15, 761, 56, 494, 7, 550, 48)},
    // Window caption buttons.
    {1028, L"Mini", ControlKind::kButton, 135, false, detail::Same(1800, 30, 1833, 50, 1345, 25, 1378, 45, 945, 12, 975, 32)},
    {1029, L"Close", ControlKind::kButton, 136, false, detail::Same(1845, 30, 1878, 50, 1378, 25, 1411, 45, 975, 12, 1005, 32)},
    {1776, L"Menu", ControlKind::kButton, 2406, false, detail::kCaptionSlot},
    {1051, L"Restore", ControlKind::kButton, 2405, true, detail::kCaptionSlot},
    // Sliders and volume.
    {1045, L"Position", ControlKind::kSlider, 184, false, detail::Same(1500, 600, 1900, 620, 1125, 450, 1425, 466, 800, 315, 1010, 330)},
    {1047, L"Speed", ControlKind::kSlider, 181, false, detail::Same(1140, 60, 1710, 69, 856, 43, 1281, 52, 605, 30, 913, 39)},
    // The vertical volume slider keeps its level but stays hidden: at its place it would cut through
    // the bitmap volume slider, which shows the same level, and run past the window's bottom.
    {1046, L"Volume", ControlKind::kVerticalSlider, 186, true, detail::Same(569, 911, 582, 1080, 447, 742, 458, 890, 397, 659, 408, 792)},
    {1225, L"Min", ControlKind::kButton, 239, false, detail::Same(370, 970, 394, 1001, 270, 725, 294, 756, 195, 510, 219, 541)},
    {1226, L"Max", ControlKind::kButton, 240, false, detail::Same(800, 970, 824, 1001, 580, 725, 604, 756, 410, 510, 434, 541)},
    {1125, L"Audio 1", ControlKind::kCheckBox, 2418, false, detail::Slot(detail::kAudioRow, 0)},
    {1127, L"Audio 2", ControlKind::kCheckBox, 2419, false, detail::Slot(detail::kAudioRow, 1)},
    {1040, L"<<", ControlKind::kButton, 2401, false, detail::Slot(detail::kSpeedRow, 0)},
    {1041, L">>", ControlKind::kButton, 2402, false, detail::Slot(detail::kSpeedRow, 1)},
    // Tools above the speed slider.
    {1050, L"Playback", ControlKind::kButton, 150, false, detail::Slot(detail::kToolRow, 0)},
    {1035, L"Wi-Fi", ControlKind::kButton, 2404, false, detail::Slot(detail::kToolRow, 1)},
    {2156, L"Map Key", ControlKind::kButton, 2429, false, detail::Slot(detail::kToolRow, 2)},
    {1085, L"Car Type", ControlKind::kButton, 2413, false, detail::Slot(detail::kToolRow, 3)},
    {1103, L"Brakes Mode", ControlKind::kButton, 2414, false, detail::Slot(detail::kToolRow, 4)},
    {1104, L"Passenger Mode", ControlKind::kButton, 2415, false, detail::Slot(detail::kToolRow, 5)},
    // Views and panels in the right-hand column.
    {1049, L"Gsensor Button", ControlKind::kButton, 1761, false, detail::Slot(detail::kViewRow, 0)},
    {1788, L"Calendar Button", ControlKind::kButton, 2126, false, detail::Slot(detail::kViewRow, 1)},
    {1048, L"Map View", ControlKind::kButton, 2403, false, detail::Slot(detail::kViewRow, 2)},
    {1079, L"Speed Panel", ControlKind::kButton, 2407, false, detail::Slot(detail::kViewRow, 3)},
    {1080, L"Volume Panel", ControlKind::kButton, 2408, false, detail::Slot(detail::kViewRow, 4)},
    {1102, L"Record List", ControlKind::kButton, 2416, false, detail::Slot(detail::kViewRow, 5)},
    {1207, L"Speed", ControlKind::kButton, 2417, true, detail::Slot(detail::kViewRow, 5)},
    // Area tabs (one of each pair shows: active or not), channel layouts and video views.
    {1671, L"Record List", ControlKind::kButton, 2423, true, detail::Cell(detail::kRail, 432, 324, 322)},
    {1675, L"Record List", ControlKind::kButton, 2425, true, detail::Cell(detail::kRail, 432, 324, 322)},
    {1673, L"Map", ControlKind::kButton, 2424, true, detail::Cell(detail::kRail, 470, 353, 345)},
    {1677, L"Map", ControlKind::kButton, 2426, true, detail::Cell(detail::kRail, 470, 353, 345)},
    {1690, L"Settings", ControlKind::kButton, 2427, false, detail::Cell(detail::kRail, 508, 382, 368)},
    {1693, L"Settings", ControlKind::kButton, 2428, false, detail::Cell(detail::kRail, 508, 382, 368)},
    {1553, L"Layout 4", ControlKind::kButton, 2420, false, detail::Cell(detail::kRail, 560, 421, 398)},
    {1554, L"Layout 8", ControlKind::kButton, 2421, false, detail::Cell(detail::kRail, 598, 450, 421)},
    {1083, L"Full Video", ControlKind::kButton, 2411, false, detail::Cell(detail::kRail, 650, 489, 451)},
    {1084, L"Full Video Swap", ControlKind::kButton, 2412, false, detail::Cell(detail::kRail, 688, 518, 474)},
    {1081, L"Swap Views", ControlKind::kButton, 2409, false, detail::Cell(detail::kRail, 726, 547, 497)},
    {1082, L"Swap Views", ControlKind::kButton, 2410, false, detail::Cell(detail::kRail, 764, 576, 520)},
    // Hidden for the whole run; no place.
    {1575, L"MarkBar", ControlKind::kSlider, 0, true, kNoPlace},
    {246, nullptr, ControlKind::kSlider, 0, true, kNoPlace},
    {1401, nullptr, ControlKind::kButton, 0, true, kNoPlace},
    {1412, nullptr, ControlKind::kButton, 0, true, kNoPlace},
    {1032, L"Map", ControlKind::kButton, 0, true, kNoPlace},
    {1539, nullptr, ControlKind::kButton, 0, true, kNoPlace},
    {1626, nullptr, ControlKind::kButton, 0, true, kNoPlace},
    {1627, nullptr, ControlKind::kButton, 0, true, kNoPlace},
    {1744, nullptr, ControlKind::kButton, 0, true, kNoPlace},
    {1780, nullptr, ControlKind::kButton, 0, true, kNoPlace},
};

constexpr const MainControl* FindMainControl(int id) {
  for (const MainControl& c : kMainControls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

enum class Area {
  kVideo,          // the channel window
  kRecordList,     // record list 1005; the settings list 1006 shares it
  kBesideList,     // the video area right of the record list: the map view's map page, and the
                   // picture while a list of the main area is shown
  kMapStored,      // the map page's first place (it starts hidden), the video area's bottom right
  kSnapshot,       // the last snapshot
  kGsensorGraph,   // the curve: its size is the mode's graph bitmap
  kPositionText,   // outside the window: its size is the mode's position-text bitmap
  kSpeedDigits,    // the digit display, shown with the record view: in the top bar's empty left end
  kSpeedUnit,      // top-left of the speed-unit picture (no such picture is shipped)
  kBitmapVolume,   // volume bitmap slider 1601: its size is the mode's channel bitmap
  kProductMark,    // the product mark of the marked backgrounds
};

struct MainArea {
  Area area;
  bool overlay;  // laid over the other areas when shown; the background draws no well for it
  ModeRects rect;
};

inline constexpr MainArea kMainAreas[] = {
    {Area::kVideo, false, detail::Same(50, 98, 1468, 893, 37, 73, 1103, 670, 28, 53, 783, 476)},
    {Area::kRecordList, true, detail::Same(8, 12, 260, 422, 6, 9, 195, 316, 6, 9, 195, 316)},
    // The video area less the record list's column and a cell margin: nothing placed there lies
    // under the list, which keeps the video area's top-left corner.
    {Area::kBesideList, true, detail::Same(268, 98, 1468, 893, 202, 73, 1103, 670, 200, 53, 783, 476)},
    {Area::kMapStored, true, detail::Same(952, 448, 1468, 834, 493, 378, 1103, 670, 438, 219, 783, 476)},
    {Area::kSnapshot, false, detail::Same(1505, 250, 1895, 448, 1130, 200, 1418, 362, 802, 120, 1010, 237)},
    {Area::kGsensorGraph, false, detail::Same(1508, 722, 1908, 922, 1133, 542, 1433, 692, 806, 385, 1016, 490)},
    {Area::kPositionText, true, detail::Same(-1000, -1000, -774, -720, -1000, -1000, -796, -748, -1000, -1000, -819, -776)},
    {Area::kSpeedDigits, true, detail::Same(24, 6, 161, 84, 18, 8, 178, 58, 12, 3, 172, 45)},
    {Area::kSpeedUnit, true, detail::Same(1288, 1012, 1288, 1012, 1019, 854, 1019, 854, 913, 756, 913, 756)},
    {Area::kBitmapVolume, false, detail::Same(420, 945, 795, 1047, 305, 708, 580, 785, 220, 505, 410, 560)},
    {Area::kProductMark, false, detail::Same(24, 1004, 264, 1060, 18, 760, 198, 800, 30, 545, 140, 571)},
};

constexpr const LayoutRect& AreaRect(Area area, int mode) {
  for (const MainArea& a : kMainAreas) {
    if (a.area == area) return a.rect[static_cast<size_t>(mode)];
  }
  return kNoPlace[0];
}

// The channel cells of layouts 4 and 8: a grid of equal cells, cell = (x, y, x + width, y + height).
struct ChannelGrid {
  std::array<int, 3> columnX;
  std::array<int, 3> rowY;
  int cellWidth;
  int cellHeight;

  constexpr LayoutRect CellRect(int column, int row) const {
    const int x = columnX[static_cast<size_t>(column)];
    const int y = rowY[static_cast<size_t>(row)];
    return {x, y, x + cellWidth, y + cellHeight};
  }
};

namespace detail {

// Cells stand this far inside the video area and apart from each other, so that the bezel the
// backgrounds draw around each cell stays within the video area too.
inline constexpr std::array<int, kUiModeCount> kCellMargin{8, 7, 5};
inline constexpr std::array<int, kUiModeCount> kCellGap{16, 14, 10};

// `count` x `count` equal cells filling the mode's video area; the columns and rows beyond
// `count` repeat the last one.
constexpr ChannelGrid VideoGrid(int mode, int count) {
  const LayoutRect& video = AreaRect(Area::kVideo, mode);
  const int margin = kCellMargin[static_cast<size_t>(mode)];
  const int gap = kCellGap[static_cast<size_t>(mode)];
  ChannelGrid grid{};
  grid.cellWidth = (video.Width() - 2 * margin - (count - 1) * gap) / count;
  grid.cellHeight = (video.Height() - 2 * margin - (count - 1) * gap) / count;
  for (int i = 0; i < 3; ++i) {
    const int k = i < count ? i : count - 1;
    grid.columnX[static_cast<size_t>(i)] = video.left + margin + k * (grid.cellWidth + gap);
    grid.rowY[static_cast<size_t>(i)] = video.top + margin + k * (grid.cellHeight + gap);
  }
  return grid;
}

}  // namespace detail

// Layout 4 is 2 x 2 cells, layout 8 is 3 x 3; both lie inside the video area.
inline constexpr std::array<ChannelGrid, kUiModeCount> kLayout4Grid{
    {detail::VideoGrid(0, 2), detail::VideoGrid(1, 2), detail::VideoGrid(2, 2)}};
inline constexpr std::array<ChannelGrid, kUiModeCount> kLayout8Grid{
    {detail::VideoGrid(0, 3), detail::VideoGrid(1, 3), detail::VideoGrid(2, 3)}};

}  // namespace ui
