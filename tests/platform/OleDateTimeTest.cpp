#include <gtest/gtest.h>

#include "platform/OleDateTime.h"
#include "tests/support/ScopedEnvironment.h"

TEST(OleDateTimeTest, DatesCountDaysFromTheEndOf1899AndSplitBackIntoTheirFields) {
  EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
  EXPECT_EQ(COleDateTime(1900, 1, 1, 0, 0, 0).m_dt, 2.0);
  EXPECT_EQ(COleDateTime(1970, 1, 1, 0, 0, 0).m_dt, 25569.0);
  EXPECT_DOUBLE_EQ(COleDateTime(2017, 3, 15, 18, 0, 0).m_dt, 42809.75);
  // Before the start day the time of day still counts forward.
  EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).m_dt, -1.25);

  const COleDateTime t(2016, 2, 29, 23, 59, 59);
  EXPECT_EQ(t.GetStatus(), COleDateTime::valid);
  EXPECT_EQ(t.GetYear(), 2016);
  EXPECT_EQ(t.GetMonth(), 2);
  EXPECT_EQ(t.GetDay(), 29);
  EXPECT_EQ(t.GetHour(), 23);
  EXPECT_EQ(t.GetMinute(), 59);
  EXPECT_EQ(t.GetSecond(), 59);
  COleDateTime before;
  before.m_dt = -1.25;
  EXPECT_EQ(before.GetDay(), 29);
  EXPECT_EQ(before.GetHour(), 6);

  // Weekdays: 1 is Sunday.
  EXPECT_EQ(COleDateTime(2017, 10, 1, 0, 0, 0).GetDayOfWeek(), 1);
  EXPECT_EQ(COleDateTime(2017, 3, 1, 0, 0, 0).GetDayOfWeek(), 4);
  EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).GetDayOfWeek(), 7);
  EXPECT_EQ(COleDateTime(1800, 1, 1, 0, 0, 0).GetDayOfWeek(), 4);
}

TEST(OleDateTimeTest, ImpossibleDatesAreInvalidAndGiveNoFields) {
  COleDateTime d(2017, 2, 29, 0, 0, 0);
  EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(d.GetYear(), -1);
  EXPECT_EQ(d.GetDayOfWeek(), -1);
  EXPECT_EQ(d.SetDate(0, 1, 1), 1);
  EXPECT_EQ(d.SetDate(2017, 13, 1), 1);
  EXPECT_EQ(d.SetDateTime(2017, 1, 1, 24, 0, 0), 1);
  EXPECT_EQ(d.SetDateTime(2017, 1, 1, 0, 60, 0), 1);
  EXPECT_EQ(d.SetDate(2000, 2, 29), 0);
  EXPECT_EQ(d.GetStatus(), COleDateTime::valid);
  EXPECT_EQ(d, COleDateTime(2000, 2, 29, 0, 0, 0));
  EXPECT_NE(d, COleDateTime(2000, 2, 28, 0, 0, 0));
  EXPECT_EQ(plat::DaysInMonth(1900, 2), 28);
  EXPECT_EQ(plat::DaysInMonth(2000, 2), 29);
  EXPECT_EQ(plat::DaysInMonth(2017, 4), 30);
  EXPECT_EQ(plat::DaysInMonth(2017, 0), 0);
}

TEST(OleDateTimeTest, SecondsSince1970AreShownInLocalTime) {
  ScopedEnvironment tz("TZ", "UTC");
  const COleDateTime utc(std::int64_t{1489600800});  // 2017-03-15 18:00:00 UTC
  EXPECT_EQ(utc, COleDateTime(2017, 3, 15, 18, 0, 0));
  tz.Set("TZ", "Asia/Tokyo");
  EXPECT_EQ(COleDateTime(std::int64_t{1489600800}), COleDateTime(2017, 3, 16, 3, 0, 0));
}
