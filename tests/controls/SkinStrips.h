// Skin bitmaps for the control tests: frames of flat, distinct colours so that every state can be
// told by its pixels, registered as bitmap resources under the tests' own ids.
#pragma once

#include <QImage>
#include <vector>

#include "platform/gdi/GdiDefs.h"

namespace skintest {

constexpr COLORREF kRed = RGB(220, 30, 30);
constexpr COLORREF kGreen = RGB(30, 200, 60);
constexpr COLORREF kBlue = RGB(40, 60, 230);
constexpr COLORREF kGrey = RGB(150, 150, 150);
constexpr COLORREF kNavy = RGB(10, 20, 90);
constexpr COLORREF kYellow = RGB(250, 220, 20);
constexpr COLORREF kOrange = RGB(250, 140, 20);
constexpr COLORREF kPurple = RGB(140, 40, 160);

// One frame per colour, each frameWidth x height, side by side; with `mask`, a fifth frame whose
// left half is white (transparent) and right half black (opaque).
QImage Strip(const std::vector<COLORREF>& frames, int frameWidth, int height, bool mask = false);
// An image of one colour.
QImage Solid(int width, int height, COLORREF color);
// Registers the image as bitmap resource `id` for the rest of the test program.
void Register(UINT id, const QImage& image);
// The four-state strip red, green, blue, grey, registered as `id`.
void RegisterFourStates(UINT id, int frameWidth, int height, bool mask = false);

}  // namespace skintest
