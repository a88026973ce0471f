#include <gtest/gtest.h>

#include "platform/Time.h"
#include "settings/DisplayTime.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

using app::DisplayTimeText;
using app::DisplayZone;

struct Recording {
  const char* shown;  // the recorder's wall clock, as its on-screen text draws it
  std::int64_t time;  // that date taken as local time
};

Recording RecordedAt(int year, int month, int day, int hour, int minute, int second, const char* shown) {
  return {shown, plat::LocalToEpoch(year, month, day, hour, minute, second)};
}

// Shown and read back through the text, the display fields and a picker alike.
void ExpectShownAs(const Recording& r, const DisplayZone& zone, const char* expected) {
  SCOPED_TRACE(r.shown);
  EXPECT_EQ(DisplayTimeText(r.time, zone), CString(expected));
  const auto fields = app::ToDisplayTime(r.time, zone);
  ASSERT_TRUE(fields);
  EXPECT_EQ(app::FromDisplayTime(*fields, zone), r.time);
  const auto picker = app::ToPickerTime(r.time, zone);
  ASSERT_TRUE(picker);
  EXPECT_EQ(DisplayTimeText(*picker, DisplayZone::PcZone()), CString(expected));
  EXPECT_EQ(app::FromPickerTime(*picker, zone), r.time);
}

}  // namespace

TEST(DisplayTimeTest, BerlinShowsTheRecordersClockInSummerAndWinterAndMovesOtherZonesByTheirDifference) {
  ScopedEnvironment tz("TZ", "Europe/Berlin");
  const Recording summer = RecordedAt(2024, 7, 15, 14, 30, 5, "2024-07-15 14:30:05");
  const Recording winter = RecordedAt(2024, 1, 15, 14, 30, 5, "2024-01-15 14:30:05");

  const DisplayZone pc = DisplayZone::ForOffset(3600);
  EXPECT_TRUE(pc.pcZone);
  ExpectShownAs(summer, pc, "2024-07-15 14:30:05");
  ExpectShownAs(winter, pc, "2024-01-15 14:30:05");
  EXPECT_EQ(app::ToPickerTime(summer.time, pc), summer.time);

  // UTC+8 lies six hours ahead of Berlin's summer time and seven ahead of its winter time.
  const DisplayZone east = DisplayZone::ForOffset(8 * 3600);
  EXPECT_FALSE(east.pcZone);
  ExpectShownAs(summer, east, "2024-07-15 20:30:05");
  ExpectShownAs(winter, east, "2024-01-15 21:30:05");
  ExpectShownAs(summer, DisplayZone::ForOffset(0), "2024-07-15 12:30:05");
  ExpectShownAs(winter, DisplayZone::ForOffset(0), "2024-01-15 13:30:05");
}

TEST(DisplayTimeTest, KolkataAndUtcShowTheirOwnClockAndShiftOtherZones) {
  {
    ScopedEnvironment tz("TZ", "Asia/Kolkata");
    const Recording r = RecordedAt(2024, 7, 15, 14, 30, 5, "2024-07-15 14:30:05");
    ExpectShownAs(r, DisplayZone::ForOffset(19800), "2024-07-15 14:30:05");
    ExpectShownAs(r, DisplayZone::ForOffset(3600), "2024-07-15 10:00:05");
    ExpectShownAs(r, DisplayZone::ForOffset(-5 * 3600), "2024-07-15 04:00:05");
  }
  ScopedEnvironment tz("TZ", "UTC");
  const Recording r = RecordedAt(2024, 12, 31, 22, 0, 0, "2024-12-31 22:00:00");
  ExpectShownAs(r, DisplayZone::ForOffset(0), "2024-12-31 22:00:00");
  ExpectShownAs(r, DisplayZone::ForOffset(19800), "2025-01-01 03:30:00");
}
