#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "controls/EventLogRow.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Surface.h"
#include "tests/support/TestEnvironment.h"
#include "ui/GsensorBar.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

struct Canvas {
  Canvas(int width, int height) : image(width, height, QImage::Format_RGB32) {
    image.fill(Qt::black);
  }
  COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
  QImage image;
  CDC dc{plat::DcSurface{&image, {}, {}}};
};

GsensorSegmentMark Flag(int byte) {
  GsensorSegmentMark mark;
  mark.flags[byte] = 1;
  return mark;
}

bool SameSample(const GsensorSample& s, int x, int y, int z, int index) {
  return s.x == x && s.y == y && s.z == z && s.index == index;
}

}  // namespace

TEST(GsensorBarTest, LayoutAndTimeRangeReachTheWholeChain) {
  GsensorBar head, next;
  head.SetNext(&next);
  head.SetLayout(10, 20, 484, 120, 3, 4, 7, 5);
  EXPECT_EQ(head.Columns(), 400);
  EXPECT_EQ(head.Middle(), 70);
  EXPECT_EQ(head.ColumnX(0), 10 + 32 + 3 + 5);
  EXPECT_EQ(head.Scale(), 7);
  EXPECT_EQ(next.Scale(), 10);  // a tenth of the height
  EXPECT_EQ(next.ColumnX(0), 42);

  head.SetTimeRange(1000, 0);
  EXPECT_EQ(next.Span(), 1);
  head.SetTimeRange(1000, -20);
  EXPECT_EQ(head.Span(), 1);
  head.SetTimeRange(1000, 5000);
  EXPECT_EQ(next.Span(), 3800);
  EXPECT_EQ(head.Window(), 9);
  EXPECT_EQ(head.SecondRecords().size(), 7600u);
  head.SetTimeRange(1000, 600);
  EXPECT_EQ(head.Window(), 4);
  EXPECT_FALSE(next.ClockFollows());
  head.SetTimeRange(1000, 300);
  EXPECT_TRUE(next.ClockFollows());
  head.SetClockTime(1000 + 150);
  EXPECT_EQ(next.ReachedColumn(), 200);
  head.SetClockTime(GsensorBar::kFarTime);  // beyond the last column, no overflow
  EXPECT_EQ(next.ReachedColumn(), 400);
  head.ResetProgress();
  EXPECT_EQ(next.ReachedColumn(), 0);
}

TEST(GsensorBarTest, SamplesValuesAndMarksFollowTheChainUnlessFrozen) {
  GsensorBar head, next;
  head.SetNext(&next);
  head.SetLayout(0, 0, 474, 100, 0, 0, -1, 0);
  head.SetTimeRange(1000, 600);
  head.AddSample(2000, 10, 10, 1301);  // beyond the limit: kept as zero, moves progress only
  EXPECT_TRUE(SameSample(next.SecondRecords()[600], 0, 0, 0, 600));
  EXPECT_EQ(next.ReachedColumn(), 200);
  head.AddSample(100, 0, 0, 1011);
  head.AddSample(-300, 0, 0, 1011);  // the minimum dominates the spread
  head.ReloadSamples();
  EXPECT_TRUE(SameSample(next.ColumnRecords()[6], -400 * 10 * 2 / 1024, 0, 0, 6));
  EXPECT_EQ(next.Marks()[8].flags[0], 1);  // the change from 100 to -300

  head.SetValueAt(50, 0.0, 1011);
  head.SetValueAt(0, 72.9, 1012);
  EXPECT_EQ(next.SecondValues()[10], 50);
  EXPECT_EQ(next.SecondValues()[11], 72);
  EXPECT_EQ(next.ColumnValues()[6], 50);
  head.MarkSegments(Flag(2), 1030);
  EXPECT_EQ(next.Marks()[21].flags[2], 1);
  EXPECT_EQ(next.Marks()[21].marked, 1);
  EXPECT_EQ(head.Marks()[22].marked, 0);

  // A play that runs on past the recording: only the newest of its samples are kept.
  for (int i = 0; i < 3 * static_cast<int>(GsensorBar::kMostLateSamples); ++i) head.AddSample(i % 100, 0, 0, 1700 + i);
  EXPECT_LE(next.LateSamples().size(), GsensorBar::kMostLateSamples);
  EXPECT_GE(next.LateSamples().size(), GsensorBar::kMostLateSamples / 2);
  EXPECT_EQ(next.LateSamples().back().index, 1700 + 3 * static_cast<int>(GsensorBar::kMostLateSamples) - 1);

  head.SetFrozen(true);
  next.SetFrozen(false);  // a frozen head passes nothing on
  head.AddSample(7, 7, 7, 1100);
  EXPECT_EQ(next.SecondRecords()[2 * 99].index, -1);
}

TEST(GsensorBarTest, DrawsTheReachedCurvesAndTheStartsOfMarkedSegments) {
  Canvas canvas(84, 40);
  GsensorBar bar;
  EXPECT_FALSE(bar.SetCursorX(5));  // no target context yet
  bar.SetLayout(0, 0, 84, 40, 0, 0, 512, 0);  // 10 columns, one pixel per unit
  bar.SetTimeRange(0, 5);
  bar.AddSample(0, 0, 0, 1);
  bar.AddSample(10, -6, 0, 1);
  bar.AddSample(5, 0, 0, 2);
  bar.AddSample(-8, 0, 0, 5);
  bar.AddSample(0, 0, 0, 5);
  bar.MarkSegments(Flag(2), 3);
  bar.ReloadSamples();
  bar.Draw(&canvas.dc);
  EXPECT_EQ(canvas.image, Canvas(84, 40).image);  // nothing reached yet
  bar.SetClockTime(1);
  bar.Draw(&canvas.dc);
  EXPECT_EQ(canvas.At(32, 10), RGB(255, 0, 0));    // X spread +10 in column 0
  EXPECT_EQ(canvas.At(32, 26), RGB(0, 255, 0));    // Y spread -6
  EXPECT_EQ(canvas.At(32, 20), RGB(0, 0x40, 0xFF));
  EXPECT_EQ(canvas.At(33, 10), kBlack);            // the end point of the reached line is out

  Canvas all(84, 40);
  bar.SetFrozen(true);
  bar.ResetProgress();
  bar.Draw(&all.dc);
  EXPECT_EQ(bar.ReachedColumn(), 10);
  EXPECT_EQ(all.At(33, 10), RGB(255, 0, 0));
  EXPECT_EQ(all.At(35, 20), kBlack);               // seconds without samples leave a gap
  EXPECT_EQ(all.At(39, 20 + 8), RGB(255, 0, 0));  // the last second: -8
  EXPECT_EQ(all.At(37, 2), kBlack);                // a change of samples is no event
  EXPECT_EQ(all.At(39, 2), GetEventColor(2));      // the mark given, dotted
  EXPECT_EQ(all.At(39, 3), kBlack);
  bar.SetTracking(true);
  bar.UpdateCursor(50, false);  // remembered while pointed at, kept on release while held
  bar.SetTracking(false);
  bar.UpdateCursor(70, false);
  EXPECT_EQ(bar.CursorX(), 50);
}

TEST(GsensorBarTest, NarrowBarsDoNothingAndXToTimeStaysInRange) {
  for (const int width : {75, 73, 50, -10}) {
    Canvas canvas(90, 30);
    GsensorBar bar;
    bar.SetLayout(0, 0, width, 30, 0, 0, -1, 0);
    bar.SetTimeRange(0, 60);
    bar.AddSample(1, 2, 3, 4);
    bar.SetValueAt(9, 0.0, 4);
    bar.MarkSegments(Flag(0), 4);
    bar.ReloadSamples();
    bar.SetClockTime(GsensorBar::kFarTime);
    bar.SetFrozen(true);
    EXPECT_FALSE(bar.Draw(&canvas.dc));
    EXPECT_EQ(canvas.image, Canvas(90, 30).image) << width;
  }
  const RECT client{0, 0, 400, 100};
  EXPECT_EQ(GsensorBar::XToTime(4, client, 4, 4, 1000, 1600), 1000);
  EXPECT_EQ(GsensorBar::XToTime(203, client, 4, 4, 1000, 1600), 1303);
  EXPECT_EQ(GsensorBar::XToTime(397, client, 4, 4, 1000, 1600), 1598);
  EXPECT_EQ(GsensorBar::XToTime(900, client, 4, 4, 1000, 1600), 1600);
  EXPECT_EQ(GsensorBar::XToTime(-50, client, 4, 4, 1000, 1600), 1000);
  EXPECT_EQ(GsensorBar::XToTime(3, RECT{0, 0, 6, 10}, 4, 4, 1000, 1600), 1000);
}

// A braking event read from an event log: a sharp X dip, Y sway and Z around gravity.
TEST(GsensorBarTest, BrakingEventPicture) {
  Canvas canvas(490, 176);
  GsensorBar bar;
  bar.SetLayout(8, 8, 482, 168, 0, 0, -1, 0);
  bar.SetTimeRange(5000, 90);
  for (int i = 0; i < 900; ++i) {
    const double t = i / 10.0, jolt = std::exp(-std::pow((t - 41) / 1.5, 2));
    const int noise = (i * 37 % 23) - 11;
    bar.AddSample(static_cast<int>(-880 * jolt) + 2 * noise,
                  static_cast<int>(260 * std::sin(t / 2.5) * (0.3 + jolt)) + noise,
                  256 + static_cast<int>(180 * jolt) + noise, 5001 + i / 10);
  }
  bar.MarkSegments(Flag(4), 5020);  // overspeed
  bar.MarkSegments(Flag(2), 5040);  // braking
  bar.SetFrozen(true);
  bar.ReloadSamples();
  bar.SetClockTime(GsensorBar::kFarTime);
  bar.Draw(&canvas.dc);
  EXPECT_EQ(canvas.At(bar.ColumnX(400 * 40 / 90 + 1), 10), GetEventColor(2));
  canvas.image.save(QString::fromStdString(plat::test::TestOutputDir() + "/gsensor_bar.png"));
}

// Four columns to a second: the curve of a sawtooth of seconds rises from one second to the next
// in every column instead of standing flat across each second's columns.
TEST(GsensorBarTest, ACurveRisesBetweenSecondsInsteadOfSteppingAcrossTheirColumns) {
  Canvas canvas(490, 176);
  GsensorBar bar;
  bar.SetLayout(8, 8, 482, 168, 0, 0, 512, 0);
  bar.SetTimeRange(5000, 100);
  for (int s = 1; s <= 100; ++s) {
    bar.AddSample(0, 0, 0, 5000 + s);
    bar.AddSample(5 * (s % 16), 0, 0, 5000 + s);
  }
  bar.SetFrozen(true);
  bar.ReloadSamples();
  bar.SetClockTime(GsensorBar::kFarTime);
  bar.Draw(&canvas.dc);
  const auto red = [&](int column) {
    std::vector<int> rows;
    for (int y = 0; y < 176; ++y) {
      if (canvas.At(bar.ColumnX(column), y) == RGB(255, 0, 0)) rows.push_back(y);
    }
    return rows;
  };
  int flat = 0;
  for (int c = 9; c < 389; ++c) flat += red(c) == red(c - 1) ? 1 : 0;
  EXPECT_LT(flat, 380 / 8);
  canvas.image.save(QString::fromStdString(plat::test::TestOutputDir() + "/gsensor_bar_ramp.png"));
}
