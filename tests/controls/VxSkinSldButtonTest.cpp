#include <gtest/gtest.h>

#include <climits>

#include "SkinTestSupport.h"
#include "controls/Messages.h"
#include "controls/VxSkinSldButton.h"
#include "tests/support/TestHarness.h"

using namespace skintest;
using plat::test::Mouse;
using plat::test::Pixel;
using plat::test::Pump;

namespace {

constexpr UINT kTrack = 9110;          // 4 frames of 200 x 30
constexpr UINT kThumb = 9111;          // 20 x 10
constexpr UINT kVerticalTrack = 9112;  // 4 frames of 20 x 100
constexpr UINT kSquareThumb = 9113;    // 10 x 10

class SliderTest : public ParentWindowTest {
 protected:
  static void SetUpTestSuite() {
    RegisterFourStates(kTrack, 200, 30);
    Register(kThumb, Solid(20, 10, kYellow));
    RegisterFourStates(kVerticalTrack, 20, 100);
    Register(kSquareThumb, Solid(10, 10, kYellow));
  }

  // A 200 x 30 seek slider over 0..100 at (10, 10).
  void MakeSeek(CVxSkinSldButton& s, UINT id = 600) {
    ASSERT_TRUE(s.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 40), &parent, id));
    ASSERT_TRUE(s.SetSkin(kTrack));
    ASSERT_TRUE(s.SetThumbBitmap(kThumb));
    s.SetRange(0, 100);
    s.SetNotifyCode(kSliderSeek);
    Pump();
  }
};

}  // namespace

TEST_F(SliderTest, PressDragAndReleaseReportKindAndValue) {
  CVxSkinSldButton s;
  MakeSeek(s);
  EXPECT_EQ(FirstColumnOf(s, 15, kYellow), 0);

  Mouse(&s, WM_LBUTTONDOWN, {50, 15});  // ratio 0.25
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED), (Posts{{kSliderSeek, 25}}));
  EXPECT_EQ(s.GetPos(), 25);
  Pump();
  EXPECT_EQ(FirstColumnOf(s, 15, kYellow), 45);  // (200 - 20) x 0.25
  EXPECT_EQ(Pixel(&s, 64, 10), kYellow);
  EXPECT_EQ(Pixel(&s, 65, 10), kBlue);  // the track shows pressed
  EXPECT_EQ(Pixel(&s, 50, 9), kBlue);   // the thumb is centred: rows 10 to 19
  EXPECT_EQ(Pixel(&s, 50, 20), kBlue);

  // A move without a change of ratio posts nothing but still repaints.
  const size_t draws = parent.Of(WM_DRAWITEM).size();
  Mouse(&s, WM_MOUSEMOVE, {50, 16});
  EXPECT_TRUE(Posted(WM_SLIDER_DRAGGED).empty());
  EXPECT_GT(parent.Of(WM_DRAWITEM).size(), draws);
  Mouse(&s, WM_MOUSEMOVE, {51, 16});
  Mouse(&s, WM_MOUSEMOVE, {120, 16});
  EXPECT_EQ(Posted(WM_SLIDER_DRAGGED), (Posts{{kSliderSeek, 26}, {kSliderSeek, 60}}));

  // Released outside (the slider holds the capture): the value is not clamped.
  Mouse(&s, WM_LBUTTONUP, {-10, 15});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND), (Posts{{kSliderSeek, -4}}));
  EXPECT_EQ(s.GetPos(), -4);
  Pump();
  EXPECT_EQ(FirstColumnOf(s, 15, kYellow), 0);  // the thumb stays on the track

  // A release that ends no press on the slider reports nothing; moves without a press neither.
  Mouse(&parent, WM_LBUTTONDOWN, {300, 200});
  Mouse(&s, WM_MOUSEMOVE, {150, 15});
  Mouse(&s, WM_LBUTTONUP, {150, 15});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).size(), 1u);
  EXPECT_EQ(Posted(WM_SLIDER_DRAGGED).size(), 2u);
  EXPECT_EQ(s.GetPos(), -4);
}

TEST_F(SliderTest, SetPosPlacesTheThumbWithoutClampingAndSurvivesEmptyRangesAndZeroSizes) {
  CVxSkinSldButton s;
  MakeSeek(s);
  s.SetPos(50);
  Pump();
  EXPECT_EQ(FirstColumnOf(s, 15, kYellow), 90);
  s.SetPos(150);
  Pump();
  EXPECT_EQ(s.GetPos(), 150);
  EXPECT_EQ(FirstColumnOf(s, 15, kYellow), 180);  // drawn at the end

  s.SetRange(40, 40);  // an empty range puts the thumb at the start
  s.SetPos(70);
  Pump();
  EXPECT_EQ(s.GetPos(), 70);
  EXPECT_EQ(FirstColumnOf(s, 15, kYellow), 0);
  Mouse(&s, WM_LBUTTONDOWN, {150, 15});
  Mouse(&s, WM_LBUTTONUP, {150, 15});
  EXPECT_EQ(Posted(WM_PANEL_COMMAND), (Posts{{kSliderSeek, 40}}));

  // The widest range and a pointer far outside saturate instead of overflowing.
  s.SetRange(INT_MIN, INT_MAX);
  Mouse(&s, WM_LBUTTONDOWN, {100, 15});
  Mouse(&s, WM_LBUTTONUP, {30000, 15});
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED).back().second, 0);
  EXPECT_EQ(Posted(WM_PANEL_COMMAND).back().second, INT_MAX);

  // A slider without width: every ratio is 0.
  CVxSkinSldButton flat;
  ASSERT_TRUE(flat.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 50, 10, 80), &parent, 601));
  flat.SetRange(10, 20);
  flat.SetNotifyCode(kSliderSpeedLevel);
  flat.SetPos(15);
  flat.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED).back(), (std::pair<WPARAM, int>{kSliderSpeedLevel, 10}));
}

TEST_F(SliderTest, AVerticalSliderRunsFromTheBottomAndCentresTheThumbOnThePointer) {
  CVxSkinSldButton v;
  ASSERT_TRUE(v.Create(L"", WS_CHILD | WS_VISIBLE, CRect(), &parent, 610));
  ASSERT_TRUE(v.SetSkin(kVerticalTrack));
  ASSERT_TRUE(v.SetThumbBitmap(kSquareThumb));
  v.SetWindowRect(250, 60, 20, 100);  // not at the parent's top
  CRect placed;
  v.GetWindowRect(&placed);
  parent.ScreenToClient(&placed);
  EXPECT_EQ(placed, CRect(250, 60, 270, 160));
  v.SetVertical(TRUE);
  v.SetRange(0, 27);
  v.SetNotifyCode(kSliderVolume);
  v.SetPos(0);
  Pump();
  EXPECT_EQ(FirstRowOf(v, 10, kYellow), 90);  // flush with the bottom
  EXPECT_EQ(Pixel(&v, 10, 99), kYellow);
  EXPECT_EQ(Pixel(&v, 4, 95), kRed);  // centred across: columns 5 to 14
  EXPECT_EQ(Pixel(&v, 5, 95), kYellow);
  v.SetPos(27);
  Pump();
  EXPECT_EQ(FirstRowOf(v, 10, kYellow), 0);  // flush with the top

  Mouse(&v, WM_LBUTTONDOWN, {10, 50});
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED), (Posts{{kSliderVolume, 14}}));
  Pump();
  EXPECT_EQ(FirstRowOf(v, 10, kYellow), 45);
  Mouse(&v, WM_MOUSEMOVE, {10, 25});
  Mouse(&v, WM_LBUTTONUP, {10, 25});
  EXPECT_EQ(Posted(WM_SLIDER_DRAGGED), (Posts{{kSliderVolume, 20}}));
  EXPECT_EQ(Posted(WM_PANEL_COMMAND), (Posts{{kSliderVolume, 20}}));
}

TEST_F(SliderTest, ChainedSettersReachEveryMemberAndStopAtACycle) {
  CVxSkinSldButton head, twin;
  MakeSeek(head, 620);
  ASSERT_TRUE(twin.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 60, 210, 90), &parent, 621));
  ASSERT_TRUE(twin.SetSkin(kTrack));
  ASSERT_TRUE(twin.SetThumbBitmap(kThumb));
  head.SetLinkedButton(&twin);
  head.SetRange(0, 200);
  head.SetNotifyCode(kSliderVolumeLevel);
  head.SetPos(5);
  EXPECT_EQ(twin.GetRangeMin(), 0);
  EXPECT_EQ(twin.GetRangeMax(), 200);
  EXPECT_EQ(twin.GetPos(), 5);
  EXPECT_EQ(head.GetPos(), 5);
  twin.SetPos(7);  // the chain runs one way
  EXPECT_EQ(head.GetPos(), 5);

  // Linked both ways, and to itself: every setter ends.
  twin.SetLinkedButton(&head);
  head.SetPos(100);
  twin.SetRange(0, 50);
  EXPECT_EQ(head.GetPos(), 100);
  EXPECT_EQ(twin.GetPos(), 100);
  EXPECT_EQ(head.GetRangeMax(), 50);
  head.SetLinkedButton(&head);
  head.SetPos(3);
  EXPECT_EQ(head.GetPos(), 3);

  Mouse(&twin, WM_LBUTTONDOWN, {100, 15});  // only the slider under the mouse reports
  EXPECT_EQ(Posted(WM_SLIDER_PRESSED), (Posts{{kSliderVolumeLevel, 25}}));
  EXPECT_EQ(head.GetPos(), 3);
}
