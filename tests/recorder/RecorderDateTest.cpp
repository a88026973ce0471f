#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "config/TimeZone.h"
#include "recorder/RecorderDate.h"

namespace {

class ZoneScope {
 public:
  explicit ZoneScope(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneScope() {
    if (had_) setenv("TZ", old_.c_str(), 1); else unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

}  // namespace

TEST(RecorderDateTest, ConvertsLocalTimesAndRefusesImpossibleFields) {
  ZoneScope utc("UTC");
  const RecorderDate d = {224, 3, 1, 8, 12, 30};  // 2024-03-01 08:12:30
  EXPECT_EQ(RecorderDateToLocalTime(d), 1709280750);
  EXPECT_EQ(RecorderDateFromTime(1709280750), d);

  // Fields out of range are an unknown time, never a normalised neighbour date.
  for (const RecorderDate& bad : {RecorderDate{224, 13, 1, 0, 0, 0}, RecorderDate{224, 0, 1, 0, 0, 0},
                                  RecorderDate{224, 3, 0, 0, 0, 0}, RecorderDate{224, 3, 32, 0, 0, 0},
                                  RecorderDate{224, 3, 1, 24, 0, 0}, RecorderDate{224, 3, 1, 0, 60, 0},
                                  RecorderDate{224, 3, 1, 0, 0, 60}, RecorderDate{0, 0, 0, 0, 0, 0}}) {
    EXPECT_EQ(RecorderDateToLocalTime(bad), 0) << int(bad[1]) << "/" << int(bad[2]);
  }
  // Before 1970 is not a time the engine can hold either.
  EXPECT_EQ(RecorderDateToLocalTime(RecorderDate{100, 1, 1, 0, 0, 0}), 0);

  // The last second the year byte holds falls on a 31st; a second later, 2056 cannot be written.
  const RecorderDate last = {255, 12, 31, 23, 59, 59};
  EXPECT_EQ(RecorderDateToLocalTime(last), 2713910399);
  EXPECT_EQ(RecorderDateFromTime(2713910399), last);
  EXPECT_EQ(RecorderDateFromTime(2713910400), RecorderDate{});

  ZoneScope east("CST-8");
  EXPECT_EQ(RecorderDateToLocalTime(RecorderDate{224, 3, 1, 16, 12, 30}), 1709280750);
  EXPECT_EQ(RecorderDateFromTime(1709280750), (RecorderDate{224, 3, 1, 16, 12, 30}));
}

TEST(TimeZoneTest, RowZeroIsThePcZoneAndLookupsSearchFromRowOne) {
  ZoneScope india("IST-5:30");
  EXPECT_EQ(InitTimeZoneTable(), 19800);
  const auto& rows = TimeZoneTable();
  ASSERT_GT(rows.size(), 2u);
  EXPECT_EQ(rows[0].seconds, 19800);
  EXPECT_EQ(rows[0].name, L"(UTC+05:30)");
  EXPECT_TRUE(rows.back().name.IsEmpty());

  const int local = GetLocalTimeZoneRow();
  ASSERT_GT(local, 0);
  EXPECT_EQ(rows[static_cast<size_t>(local)].seconds, 19800);
  EXPECT_EQ(rows[static_cast<size_t>(local)].hours, 5);
  EXPECT_EQ(rows[static_cast<size_t>(local)].quarterHours, 2);
  EXPECT_EQ(TimeZoneIndexFromOffset(19800 + 43200), local);

  const int west = TimeZoneIndexFromOffset(-12600 + 43200);  // UTC-03:30
  ASSERT_GT(west, 0);
  EXPECT_EQ(rows[static_cast<size_t>(west)].name, L"(UTC-03:30)");
  EXPECT_EQ(rows[static_cast<size_t>(west)].hours, -3);
  EXPECT_EQ(rows[static_cast<size_t>(west)].quarterHours, -2);
  EXPECT_EQ(TimeZoneIndexFromOffset(43200 + 17), -1);  // no zone that odd

  ZoneScope odd("XYZ-0:17");
  InitTimeZoneTable();
  EXPECT_EQ(GetLocalTimeZoneRow(), -1);
}
