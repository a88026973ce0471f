// Support of the control tests: skin bitmaps of flat, distinct colours so that every state can be
// told by its pixels (registered as bitmap resources under the tests' own ids), pixel searches,
// and the slider messages a parent received.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <utility>
#include <vector>

#include "platform/gdi/GdiDefs.h"
#include "tests/support/TestHarness.h"

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

COLORREF At(const QImage& image, int x, int y);
// The first column of the window's client row y that has the colour, or -1; likewise the first row
// of column x.
int FirstColumnOf(const CWnd& wnd, int y, COLORREF color);
int FirstRowOf(const CWnd& wnd, int x, COLORREF color);
// How many pixels of the client area have the colour.
int CountOf(const CWnd& wnd, COLORREF color);

// (kind, value) of each message of one kind that the window received, in order.
using Posts = std::vector<std::pair<WPARAM, int>>;
Posts PostedTo(const plat::test::SpyWnd& wnd, UINT msg);

// Tests of controls on a top-level parent window that records what it receives.
class ParentWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  // The slider messages of one kind that the parent received.
  Posts Posted(UINT msg) const { return PostedTo(parent, msg); }
  // The ids of the BN_CLICKED notifications that the parent received.
  std::vector<WPARAM> Clicks() const;

  plat::test::SpyWnd parent;
};

}  // namespace skintest
