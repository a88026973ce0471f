#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "SkinTestSupport.h"
#include "controls/Messages.h"
#include "controls/VxSkinSldButton2.h"
#include "tests/support/TestHarness.h"

using namespace skintest;
using plat::test::Mouse;
using plat::test::Pixel;
using plat::test::Pump;

namespace {

constexpr UINT kTrack = 9120;       // 4 frames of 200 x 20
constexpr UINT kStartThumb = 9121;  // 10 x 10
constexpr UINT kEndThumb = 9122;    // 10 x 10

class RangeSliderTest : public ParentWindowTest {
 protected:
  static void SetUpTestSuite() {
    RegisterFourStates(kTrack, 200, 20);
    Register(kStartThumb, Solid(10, 10, kOrange));
    Register(kEndThumb, Solid(10, 10, kPurple));
  }

  // A 200 x 20 time-range slider over 0..1000 at (10, 10).
  void MakeRange(CVxSkinSldButton2& s, const CRect& rect = CRect(10, 10, 210, 30), UINT id = 700) {
    ASSERT_TRUE(s.Create(L"", WS_CHILD | WS_VISIBLE, rect, &parent, id));
    ASSERT_TRUE(s.SetSkin(kTrack));
    ASSERT_TRUE(s.SetThumbBitmap(0, kStartThumb));
    ASSERT_TRUE(s.SetThumbBitmap(1, kEndThumb));
    s.SetRange(0, 1000);
    s.SetNotifyCode(kSliderTimeRange);
    Pump();
  }
};

}  // namespace

TEST_F(RangeSliderTest, TheNearerThumbTakesThePressAndThumbsOnOneSpotSplitLeftAndRight) {
  CVxSkinSldButton2 s;
  MakeRange(s);
  EXPECT_EQ(FirstColumnOf(s, 10, kOrange), 0);
  EXPECT_EQ(FirstColumnOf(s, 10, kPurple), 190);

  s.SetPos(0, 500);
  s.SetPos(1, 500);
  Mouse(&s, WM_LBUTTONDOWN, {110, 10});
  EXPECT_EQ(s.GetActiveThumb(), 1);
  Mouse(&s, WM_LBUTTONUP, {110, 10});
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED), (Posts{{kSliderTimeRange, 550}}));
  EXPECT_EQ(Posted(WM_PANEL_COMMAND), (Posts{{kSliderTimeRange, 550}}));
  EXPECT_EQ(s.ClampPos(1), 550);

  s.SetPos(0, 500);
  s.SetPos(1, 500);
  Mouse(&s, WM_LBUTTONDOWN, {90, 10});
  EXPECT_EQ(s.GetActiveThumb(), 0);
  Mouse(&s, WM_LBUTTONUP, {90, 10});
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED).back(), (std::pair<WPARAM, int>{kSliderTimeRange, 450}));
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).back(), (std::pair<WPARAM, int>{kSliderTimeRange, 450}));
  EXPECT_EQ(s.ClampPos(0), 450);
  EXPECT_EQ(s.ClampPos(1), 500);
  Pump();
  EXPECT_EQ(FirstColumnOf(s, 10, kOrange), 85);
  EXPECT_EQ(FirstColumnOf(s, 10, kPurple), 101);  // half its width right of its offset
  EXPECT_EQ(Pixel(&s, 50, 4), kRed);               // thumbs centred: rows 5 to 14
  EXPECT_EQ(Pixel(&s, 90, 4), kRed);
  EXPECT_EQ(Pixel(&s, 90, 5), kOrange);

  // Dragged past the start, the value follows the pointer; the release clamps it.
  Mouse(&s, WM_LBUTTONDOWN, {90, 10});
  Mouse(&s, WM_MOUSEMOVE, {-50, 10});
  Mouse(&s, WM_LBUTTONUP, {-50, 10});
  EXPECT_EQ(Posted(WM_SLIDER_DRAGGED).back(), (std::pair<WPARAM, int>{kSliderTimeRange, -249}));
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).back(), (std::pair<WPARAM, int>{kSliderTimeRange, 0}));
  EXPECT_EQ(s.GetPos(0), 0);

  // A release that ends no press on the slider changes and reports nothing.
  const size_t commands = Posted(WM_PANEL_COMMAND).size();
  Mouse(&parent, WM_LBUTTONDOWN, {300, 200});
  Mouse(&s, WM_LBUTTONUP, {150, 10});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).size(), commands);
  EXPECT_EQ(s.GetPos(0), 0);
  EXPECT_EQ(s.GetPos(1), 500);

  // Distances count from the thumbs' middles: a press at 80 takes the start thumb (38..47), though
  // the end thumb's offset (114) lies nearer than the start thumb's; the end thumb stays put.
  s.SetPos(0, 200);
  s.SetPos(1, 600);
  Pump();
  ASSERT_EQ(FirstColumnOf(s, 10, kPurple), 119);
  Mouse(&s, WM_LBUTTONDOWN, {80, 10});
  Mouse(&s, WM_LBUTTONUP, {80, 10});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).back(), (std::pair<WPARAM, int>{kSliderTimeRange, 400}));
  EXPECT_EQ(s.GetPos(0), 400);
  EXPECT_EQ(s.GetPos(1), 600);
  Pump();
  EXPECT_EQ(FirstColumnOf(s, 10, kOrange), 76);
  EXPECT_EQ(FirstColumnOf(s, 10, kPurple), 119);
}

// The drag stays with the thumb pressed, however near the pointer comes to the other: the start
// thumb follows the pointer pixel by pixel, the end thumb keeps its value until the start passes
// it and then goes along with the start's value; the other way round likewise.
TEST_F(RangeSliderTest, ADragMovesThePressedThumbAloneUntilItPushesTheOther) {
  CVxSkinSldButton2 s;
  MakeRange(s);
  s.SetPos(0, 200);
  s.SetPos(1, 600);
  Pump();
  ASSERT_EQ(FirstColumnOf(s, 10, kOrange), 38);
  Mouse(&s, WM_LBUTTONDOWN, {43, 10});
  ASSERT_EQ(s.GetActiveThumb(), 0);
  for (int x = 44; x <= 195; ++x) {
    const size_t before = Posted(WM_SLIDER_DRAGGED).size();
    Mouse(&s, WM_MOUSEMOVE, {x, 10});
    const Posts drags = Posted(WM_SLIDER_DRAGGED);
    ASSERT_EQ(s.GetActiveThumb(), 0) << x;
    ASSERT_EQ(s.GetPos(0), 5 * x) << x;  // 1000 units over 200 pixels
    ASSERT_EQ(s.GetPos(1), std::max(600, 5 * x)) << x;
    ASSERT_EQ(drags.size(), before + 1) << x;
    EXPECT_EQ(drags.back(), (std::pair<WPARAM, int>{kSliderTimeRange, 5 * x})) << x;
    Pump();
    const int start = FirstColumnOf(s, 10, kOrange);
    const int end = FirstColumnOf(s, 10, kPurple);
    ASSERT_EQ(start, std::min(180, 190 * x / 200)) << x;
    ASSERT_GE(end, start + 10) << x;  // never over the start thumb
  }
  Mouse(&s, WM_LBUTTONUP, {195, 10});
  EXPECT_EQ(s.GetPos(0), 975);
  EXPECT_EQ(s.GetPos(1), 975);
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).back(), (std::pair<WPARAM, int>{kSliderTimeRange, 975}));

  // One fast move from the end thumb to far left of the start thumb drags the end thumb there and
  // pushes the start back; the start keeps its value until then.
  s.SetPos(0, 400);
  s.SetPos(1, 800);
  Mouse(&s, WM_LBUTTONDOWN, {162, 10});
  ASSERT_EQ(s.GetActiveThumb(), 1);
  Mouse(&s, WM_MOUSEMOVE, {100, 10});
  EXPECT_EQ(s.GetPos(0), 400);
  EXPECT_EQ(s.GetPos(1), 500);
  Mouse(&s, WM_MOUSEMOVE, {60, 10});
  Mouse(&s, WM_LBUTTONUP, {60, 10});
  EXPECT_EQ(s.GetActiveThumb(), 1);
  EXPECT_EQ(s.GetPos(1), 300);
  EXPECT_EQ(s.GetPos(0), 300);
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).back(), (std::pair<WPARAM, int>{kSliderTimeRange, 300}));
}

TEST_F(RangeSliderTest, RangesClampingThumbNumbersAndNarrowSlidersAreHandled) {
  CVxSkinSldButton2 s;
  ASSERT_TRUE(s.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 30), &parent, 710));
  EXPECT_EQ(s.GetRangeMin(), 0);
  EXPECT_EQ(s.GetRangeMax(), 1);
  s.SetRange(10, 20);
  EXPECT_EQ(s.GetPos(0), 10);
  EXPECT_EQ(s.GetPos(1), 20);
  EXPECT_EQ(s.GetActiveThumb(), 1);

  s.SetRange(7, 7);  // an empty range ignores positions
  s.SetPos(0, 3);
  EXPECT_EQ(s.GetPos(0), 10);
  EXPECT_EQ(s.ClampPos(0), 7);
  EXPECT_EQ(s.GetPos(0), 7);
  EXPECT_EQ(s.ClampPos(1), 7);

  s.SetRange(0, 100);
  s.SetPos(0, -5);
  s.SetPos(1, 150);
  EXPECT_EQ(s.GetPos(1), 150);  // not clamped until read with ClampPos
  EXPECT_EQ(s.ClampPos(0), 0);
  EXPECT_EQ(s.ClampPos(1), 100);
  s.SetPos(2, 50);
  s.SetActiveThumb(5);
  s.SetActiveThumb(0);
  EXPECT_EQ(s.GetActiveThumb(), 0);
  EXPECT_EQ(s.ClampPos(-1), 0);
  EXPECT_EQ(s.GetPos(2), 0);
  EXPECT_FALSE(s.SetThumbBitmap(2, kStartThumb));

  // Positions far outside a small range put the thumbs far beyond the slider; the mouse still works.
  s.SetRange(0, 1);
  s.SetPos(0, INT_MAX);
  s.SetPos(1, INT_MAX);
  Mouse(&s, WM_MOUSEMOVE, {100, 10});
  Mouse(&s, WM_LBUTTONDOWN, {100, 10});
  Mouse(&s, WM_LBUTTONUP, {100, 10});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND), (Posts{{0, 1}}));
  EXPECT_EQ(s.GetPos(0), 1);

  // Narrower than two thumbs: each bound applies lower first, so the thumbs keep defined places.
  CVxSkinSldButton2 narrow;
  MakeRange(narrow, CRect(10, 50, 25, 70), 711);
  EXPECT_EQ(Pixel(&narrow, 2, 10), kOrange);  // thumb 0 at -5
  EXPECT_EQ(Pixel(&narrow, 5, 10), kPurple);  // thumb 1 at 0, drawn 5 right
  EXPECT_EQ(Pixel(&narrow, 14, 10), kPurple);
}

TEST_F(RangeSliderTest, ChainedSettersReachTheTwinAndStopAtACycle) {
  CVxSkinSldButton2 main, panel;
  ASSERT_TRUE(main.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 30), &parent, 720));
  ASSERT_TRUE(panel.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 50, 210, 70), &parent, 721));
  ASSERT_TRUE(main.SetSkin(kTrack));
  ASSERT_TRUE(panel.SetSkin(kTrack));
  main.SetLinkedButton(&panel);
  panel.SetLinkedButton(&main);
  EXPECT_TRUE(main.SetThumbBitmap(0, kStartThumb));
  EXPECT_TRUE(main.SetThumbBitmap(1, kEndThumb));
  main.SetNotifyCode(kSliderTimeRange);
  main.SetRange(0, 1000);
  main.SetPos(0, 250);
  EXPECT_EQ(panel.GetPos(0), 250);
  EXPECT_EQ(panel.GetPos(1), 1000);
  EXPECT_EQ(panel.GetActiveThumb(), 0);
  Pump();
  EXPECT_EQ(FirstColumnOf(panel, 10, kOrange), 47);  // (200 - 10) x 0.25
  EXPECT_EQ(FirstColumnOf(panel, 10, kPurple), 190);

  Mouse(&panel, WM_LBUTTONDOWN, {180, 10});
  Mouse(&panel, WM_LBUTTONUP, {180, 10});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND), (Posts{{kSliderTimeRange, 900}}));
  EXPECT_EQ(main.GetPos(1), 1000);  // the mouse moves only the slider under it
  EXPECT_FALSE(main.SetThumbBitmap(0, 9198));
}
