// Every bitmap the windows load by id, at every size they use it. A skin strip is drawn unscaled,
// so an id used by controls of different sizes comes in one picture per size: the first entry of
// an id is its plain resource, each further size a variant that a control of that size gets
// (CBitmap::LoadBitmap(id, width, height)). Width and height are one frame's.
//
// Deliberately absent: the speed-unit pictures 1710-1712 (+10 per UI mode), which the windows
// treat as "no unit picture", and the placeholders 104-106 and 138 that nothing draws.
#pragma once

namespace ui {

struct SkinImage {
  int id;
  int width;
  int height;
  int frames;  // 4: normal, hover, pressed, disabled; 5: and a mask (white = transparent); 1: a picture
};

inline constexpr SkinImage kSkinImages[] = {
    // Transport: main window, then the video control panel.
    {141, 48, 31, 4}, {142, 48, 31, 4}, {143, 48, 31, 4}, {144, 48, 31, 4},
    {145, 48, 31, 4}, {146, 48, 31, 4}, {147, 48, 31, 4}, {148, 48, 31, 4},
    {141, 85, 85, 5}, {142, 85, 85, 5}, {143, 85, 85, 5}, {144, 85, 85, 5},
    {145, 85, 85, 5}, {146, 85, 85, 5}, {147, 85, 85, 5}, {148, 85, 85, 5},
    {2422, 48, 31, 4},
    // Tools: main window top bar (the smallest mode narrower), then the control bar. Playback also above the speed slider.
    {150, 61, 41, 4}, {151, 61, 41, 4}, {153, 61, 41, 4}, {154, 61, 41, 4}, {188, 61, 41, 4},
    {150, 56, 41, 4}, {151, 56, 41, 4}, {153, 56, 41, 4}, {154, 56, 41, 4}, {188, 56, 41, 4},
    {151, 65, 52, 5}, {153, 65, 52, 5}, {154, 65, 52, 5}, {188, 65, 52, 5},
    {150, 44, 34, 4}, {150, 34, 26, 4}, {150, 26, 22, 4},
    {1761, 65, 52, 5}, {2126, 65, 52, 5}, {1549, 65, 52, 5}, {1781, 65, 52, 5},
    {1761, 44, 34, 4}, {1761, 34, 26, 4}, {1761, 26, 22, 4},
    {2126, 44, 34, 4}, {2126, 34, 26, 4}, {2126, 26, 22, 4},
    // Caption buttons.
    {135, 33, 20, 4}, {135, 30, 20, 4},
    {136, 33, 20, 4}, {136, 30, 20, 4}, {136, 37, 37, 5},
    {2406, 33, 20, 4}, {2406, 30, 20, 4}, {2405, 33, 20, 4}, {2405, 30, 20, 4},
    {1777, 37, 37, 5}, {1745, 37, 37, 5}, {1782, 37, 37, 5}, {1782, 20, 20, 5},
    {1764, 50, 50, 5}, {1765, 50, 50, 5},
    // Volume and sound.
    {239, 24, 31, 4}, {240, 24, 31, 4}, {239, 85, 85, 5}, {240, 85, 85, 5},
    {1735, 85, 85, 5}, {1736, 85, 85, 5}, {1770, 85, 85, 5}, {1771, 85, 85, 5},
    // Speed.
    {1759, 85, 85, 5}, {1760, 85, 85, 5}, {1759, 52, 52, 5}, {1760, 50, 52, 5},
    // Mark save: the panels, then the main window's transport row.
    {2008, 47, 47, 5}, {2008, 48, 31, 4},
    // Video control panel: title, captions, side bars.
    {1797, 299, 32, 5}, {1799, 141, 18, 5}, {1798, 167, 18, 5},
    {1806, 24, 923, 5}, {1807, 13, 923, 5},
    // Slider tracks.
    {181, 570, 9, 4}, {181, 425, 9, 4}, {181, 308, 9, 4}, {226, 425, 9, 4}, {234, 308, 9, 4},
    {184, 400, 20, 4}, {184, 300, 16, 4}, {184, 210, 15, 4}, {184, 347, 20, 5},
    {186, 13, 169, 4}, {186, 11, 148, 4}, {186, 11, 133, 4},
    {1574, 362, 22, 5}, {1578, 359, 22, 5},
    // Slider thumbs.
    {183, 14, 20, 1}, {1292, 12, 16, 1}, {1293, 11, 15, 1},
    {219, 14, 9, 1}, {1290, 12, 9, 1}, {1291, 10, 9, 1},
    {185, 11, 9, 1}, {1576, 10, 22, 1}, {1577, 10, 22, 1},
    // Bitmap volume slider: channel and active channel per UI mode.
    {2133, 375, 102, 1}, {2130, 375, 102, 1}, {2134, 275, 77, 1}, {2131, 275, 77, 1},
    {2135, 190, 55, 1}, {2132, 190, 55, 1},
    // Main window: our own buttons, tool size per mode.
    {2404, 44, 34, 4}, {2404, 34, 26, 4}, {2404, 26, 22, 4},
    {2429, 44, 34, 4}, {2429, 34, 26, 4}, {2429, 26, 22, 4},
    {2413, 44, 34, 4}, {2413, 34, 26, 4}, {2413, 26, 22, 4},
    {2414, 44, 34, 4}, {2414, 34, 26, 4}, {2414, 26, 22, 4},
    {2415, 44, 34, 4}, {2415, 34, 26, 4}, {2415, 26, 22, 4},
    {2403, 44, 34, 4}, {2403, 34, 26, 4}, {2403, 26, 22, 4},
    {2407, 44, 34, 4}, {2407, 34, 26, 4}, {2407, 26, 22, 4},
    {2408, 44, 34, 4}, {2408, 34, 26, 4}, {2408, 26, 22, 4},
    {2416, 44, 34, 4}, {2416, 34, 26, 4}, {2416, 26, 22, 4},
    {2417, 44, 34, 4}, {2417, 34, 26, 4}, {2417, 26, 22, 4},
    // ... and small size per mode.
    {2401, 36, 30, 4}, {2401, 28, 24, 4}, {2401, 22, 20, 4},
    {2402, 36, 30, 4}, {2402, 28, 24, 4}, {2402, 22, 20, 4},
    {2418, 36, 30, 4}, {2418, 28, 24, 4}, {2418, 22, 20, 4},
    {2419, 36, 30, 4}, {2419, 28, 24, 4}, {2419, 22, 20, 4},
    {2423, 36, 30, 4}, {2423, 28, 24, 4}, {2423, 22, 20, 4},
    {2424, 36, 30, 4}, {2424, 28, 24, 4}, {2424, 22, 20, 4},
    {2425, 36, 30, 4}, {2425, 28, 24, 4}, {2425, 22, 20, 4},
    {2426, 36, 30, 4}, {2426, 28, 24, 4}, {2426, 22, 20, 4},
    {2427, 36, 30, 4}, {2427, 28, 24, 4}, {2427, 22, 20, 4},
    {2428, 36, 30, 4}, {2428, 28, 24, 4}, {2428, 22, 20, 4},
    {2420, 36, 30, 4}, {2420, 28, 24, 4}, {2420, 22, 20, 4},
    {2421, 36, 30, 4}, {2421, 28, 24, 4}, {2421, 22, 20, 4},
    {2411, 36, 30, 4}, {2411, 28, 24, 4}, {2411, 22, 20, 4},
    {2412, 36, 30, 4}, {2412, 28, 24, 4}, {2412, 22, 20, 4},
    {2409, 36, 30, 4}, {2409, 28, 24, 4}, {2409, 22, 20, 4},
    {2410, 36, 30, 4}, {2410, 28, 24, 4}, {2410, 22, 20, 4},
    // Backgrounds: main window (marked, unmarked; layout 4 marked, unmarked) per mode.
    {2064, 1920, 1080, 1}, {1904, 1920, 1080, 1}, {100, 1920, 1080, 1}, {1907, 1920, 1080, 1},
    {2065, 1440, 810, 1}, {1905, 1440, 810, 1}, {101, 1440, 810, 1}, {1908, 1440, 810, 1},
    {2066, 1024, 576, 1}, {1906, 1024, 576, 1}, {102, 1024, 576, 1}, {1909, 1024, 576, 1},
    // ... panels.
    {1702, 480, 1080, 1}, {1898, 460, 260, 1}, {1785, 576, 204, 1}, {1540, 720, 200, 1},
    {2061, 610, 118, 1}, {2062, 465, 118, 1}, {2063, 348, 118, 1}, {2058, 129, 170, 1},
    // G-sensor curve and position-text pictures per mode; 216 is also the compass panel.
    {180, 400, 200, 1}, {223, 300, 150, 1}, {231, 210, 105, 1},
    {216, 226, 280, 1}, {222, 204, 252, 1}, {230, 181, 224, 1},
    // Compass needle (pure black is transparent).
    {140, 22, 92, 1},
    // Car-data inputs: off, then on.
    {1520, 64, 64, 1}, {1521, 64, 64, 1}, {1522, 64, 64, 1}, {1523, 64, 64, 1},
    {1524, 64, 64, 1}, {1525, 64, 64, 1}, {1526, 64, 64, 1}, {1527, 64, 64, 1},
    {1530, 64, 64, 1}, {1531, 64, 64, 1}, {1532, 64, 64, 1}, {1533, 64, 64, 1},
    {1534, 64, 64, 1}, {1535, 64, 64, 1}, {1536, 64, 64, 1}, {1537, 64, 64, 1},
};

// The entry of an id made for that frame size; with no size, its plain picture (the first entry).
constexpr const SkinImage* FindSkinImage(int id, int width = 0, int height = 0) {
  for (const SkinImage& image : kSkinImages) {
    if (image.id == id && ((width == 0 && height == 0) || (image.width == width && image.height == height))) {
      return &image;
    }
  }
  return nullptr;
}

// Pictures loaded by path rather than by id, with alpha.
// The map page's car markers, one per 22.5-degree sector clockwise from north ("%02d": 0..15),
// and its start and end markers.
inline constexpr int kMapHeadingCount = 16;
inline constexpr const char* kMapCarMarkerPattern = ":/map/car-%02d.png";
inline constexpr const char* kMapStartMarker = ":/map/start.png";
inline constexpr const char* kMapEndMarker = ":/map/end.png";
// The program icon, large and small.
inline constexpr const char* kProgramIconLarge = ":/icons/program-48.png";
inline constexpr const char* kProgramIconSmall = ":/icons/program-16.png";

}  // namespace ui
