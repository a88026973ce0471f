// One window with a digit read-out, labels, the month calendar with marked days and a volume
// slider, as the panels put them together; the picture is written for a person to look at.
#include <gtest/gtest.h>

#include <QImage>

#include "controls/BitmapSlider.h"
#include "controls/DigiStatic.h"
#include "controls/Label.h"
#include "controls/MonthCalCtrlEx.h"
#include "tests/controls/SkinTestSupport.h"
#include "tests/support/TestHarness.h"

namespace {

constexpr UINT kTrack = 9311;
constexpr UINT kLevel = 9312;

QImage VolumeBars(bool lit) {
  // 28 bars rising to the right on black, as a volume channel looks.
  QImage image(280, 40, QImage::Format_RGB32);
  image.fill(Qt::black);
  for (int i = 0; i < 28; ++i) {
    const int h = 8 + i;
    const QRgb c = lit ? qRgb(40 + 7 * i, 220 - 3 * i, 40) : qRgb(70, 70, 80);
    for (int y = 40 - h; y < 40; ++y) {
      for (int x = i * 10 + 1; x < i * 10 + 8; ++x) image.setPixel(x, y, c);
    }
  }
  return image;
}

int Count(const QImage& image, const QRect& area, QRgb color) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixel(x, y) == color;
  }
  return n;
}

}  // namespace

TEST(DisplayControlsSheetTest, ReadOutLabelsCalendarAndSliderTogether) {
  plat::test::Reset();
  skintest::Register(kTrack, VolumeBars(false));
  skintest::Register(kLevel, VolumeBars(true));
  plat::test::SpyWnd panel;
  ASSERT_TRUE(panel.CreateTopLevel(CRect(0, 0, 520, 330)));

  CDigiStatic speed;
  ASSERT_TRUE(speed.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 10, 250, 90), &panel, 1703));
  speed.SetColor(0x101018, 0xFF00);
  speed.SetText(L"X 1/4");
  speed.ModifyDigiStyle(0, kDigi14Segment | kDigiSmooth);
  CDigiStatic clock;
  ASSERT_TRUE(clock.Create(L"", WS_CHILD | WS_VISIBLE, CRect(260, 10, 510, 90), &panel, 1140));
  clock.SetText(L"12:34.5");

  CLabel title;
  ASSERT_TRUE(title.Create(L"Recordings of March", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE, CRect(10, 100, 250, 125),
                           &panel, 1));
  title.SetBkColor(RGB(20, 20, 60), RGB(40, 90, 200), TRUE).SetTextColor(RGB(255, 255, 255)).SetFontBold(TRUE);
  CLabel link;
  ASSERT_TRUE(link.Create(L"https://example.org/help", WS_CHILD | WS_VISIBLE, CRect(10, 130, 250, 150), &panel, 2));
  link.SetTextColor(RGB(0, 0, 200)).SetFontUnderline(TRUE).SetLink(TRUE, FALSE);
  CLabel shadowed;
  ASSERT_TRUE(shadowed.Create(L"Volume", WS_CHILD | WS_VISIBLE, CRect(10, 160, 250, 185), &panel, 3));
  shadowed.SetBkColor(RGB(60, 60, 60)).SetTextColor(RGB(255, 220, 0)).SetShadowColor(0).SetTextShadow(TRUE, 1);

  CBitmapSlider volume;
  ASSERT_TRUE(volume.Create(L"", WS_CHILD | WS_VISIBLE, CRect(10, 190, 290, 230), &panel, 1601));
  ASSERT_TRUE(volume.SetBitmapChannel(kTrack, kLevel));
  volume.SetRange(0, 27);
  volume.SetPos(18);
  volume.SetDrawFocusRect(FALSE);

  CMonthCalCtrlEx calendar;
  ASSERT_TRUE(calendar.Create(L"MFCMonthCalCtrlEx", L"", WS_CHILD | WS_VISIBLE, CRect(310, 100, 500, 295), &panel, 1000));
  calendar.SetCurrentDate(COleDateTime(2017, 3, 15, 0, 0, 0));
  for (int day : {3, 4, 9, 20, 21, 28}) calendar.AddMarkedDate(COleDateTime(2017, 3, day, 0, 0, 0));
  calendar.Invalidate(FALSE);
  plat::test::Pump();

  const QImage sheet = plat::test::Grab(&panel);
  plat::test::SavePng(sheet, "DisplayControlsSheet");
  EXPECT_GT(Count(sheet, QRect(260, 10, 250, 80), qRgb(0, 255, 0)), 300);   // the lit clock digits
  EXPECT_GT(Count(sheet, QRect(10, 10, 240, 80), qRgb(0, 255, 0)), 300);    // the speed read-out
  EXPECT_GT(Count(sheet, QRect(10, 100, 240, 25), qRgb(255, 255, 255)), 20);  // the title's text
  EXPECT_GT(Count(sheet, QRect(310, 100, 190, 195), qRgb(255, 255, 0)), 400);  // the chosen day
  EXPECT_GT(Count(sheet, QRect(310, 100, 190, 195), qRgb(255, 0, 0)), 150);    // marked frames
  // The slider's level: lit bars up to two thirds, unlit ones after.
  EXPECT_EQ(sheet.pixel(10 + 5, 229), qRgb(40, 220, 40));
  EXPECT_EQ(sheet.pixel(10 + 175, 229), qRgb(40 + 7 * 17, 220 - 3 * 17, 40));
  EXPECT_EQ(sheet.pixel(10 + 205, 229), qRgb(70, 70, 80));
}
