#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/gps/GpsOffsetTable.h"
#include "engine/gps/GpsTrack.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace gpstest;

namespace {

constexpr double kStep = 0.01;

// Keys are made as the table's maker would: cell number times the step.
double Key(int cell) { return cell * kStep; }

// Rows around longitude 121.56 and latitude 25.01, each cell with offsets that name it.
std::vector<OffsetRow> GridAround() {
  std::vector<OffsetRow> rows;
  for (int column : {12155, 12156, 12157}) {
    OffsetRow row{Key(column), {}};
    for (int line : {2500, 2501, 2502}) {
      row.records.push_back({Key(line), column * 1e-6, line * 1e-6});
    }
    rows.push_back(row);
  }
  return rows;
}

bool FindsCell(const GpsOffsetTable& table, double lon, double lat, int column, int line) {
  const std::optional<GpsOffset> offset = table.Find(lon, lat);
  return offset && offset->longitude == column * 1e-6 && offset->latitude == line * 1e-6;
}

bool LoadsBytes(GpsOffsetTable& table, const TempFile& file, const std::string& bytes) {
  file.Write(bytes);
  return table.Load(file.path());
}

}  // namespace

TEST(GpsOffsetTable, DamagedFilesLeaveTheTableEmpty) {
  const TempFile file("offset_min.bin");
  const std::string good = OffsetTableBytes(kStep, GridAround());
  GpsOffsetTable table;
  ASSERT_TRUE(LoadsBytes(table, file, good));
  ASSERT_TRUE(FindsCell(table, 121.567, 25.015, 12156, 2501));

  std::vector<std::string> damaged;
  damaged.push_back(good.substr(0, 31));
  damaged.push_back(good.substr(0, good.size() - 1));
  damaged.push_back(good + std::string(1, '\0'));
  std::string magic = good;
  magic[7] = ' ';
  damaged.push_back(magic);
  for (double step : {0.0, -kStep, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()}) {
    std::string badStep = good;
    PutF64(badStep, 8, step);
    damaged.push_back(badStep);
  }
  for (const std::string& bytes : damaged) {
    ASSERT_TRUE(LoadsBytes(table, file, good));
    EXPECT_FALSE(LoadsBytes(table, file, bytes)) << bytes.size();
    EXPECT_FALSE(table.Find(121.567, 25.015)) << bytes.size();
  }
  EXPECT_FALSE(table.Load(file.dir() + "missing.bin"));

  // A header alone with no rows is a valid, empty table.
  EXPECT_TRUE(LoadsBytes(table, file, OffsetTableBytes(kStep, {})));
  EXPECT_FALSE(table.Find(121.567, 25.015));
}

TEST(GpsOffsetTable, PositionsAreLookedUpInTheirTruncatedCell) {
  const TempFile file("offset_min.bin");
  GpsOffsetTable table;
  ASSERT_TRUE(LoadsBytes(table, file, OffsetTableBytes(kStep, GridAround())));
  EXPECT_TRUE(FindsCell(table, 121.567, 25.015, 12156, 2501));
  EXPECT_TRUE(FindsCell(table, 121.56, 25.01, 12156, 2501));
  EXPECT_TRUE(FindsCell(table, 121.5699, 25.0001, 12156, 2500));
  EXPECT_TRUE(FindsCell(table, 121.55, 25.02, 12155, 2502));

  // Truncation is toward zero, so a negative position is looked up in the cell nearer zero.
  std::vector<OffsetRow> aroundZero;
  for (int column : {-2, -1, 0}) {
    aroundZero.push_back(
        {Key(column), {{Key(-1), column * 1e-6, -1e-6}, {Key(0), column * 1e-6, 0.0}}});
  }
  ASSERT_TRUE(LoadsBytes(table, file, OffsetTableBytes(kStep, aroundZero)));
  EXPECT_TRUE(FindsCell(table, -0.015, -0.015, -1, -1));
  EXPECT_TRUE(FindsCell(table, -0.005, 0.005, 0, 0));

  // Keys one unit in the last place off their multiple of the step still name their own cell.
  std::vector<OffsetRow> rounded = GridAround();
  for (OffsetRow& row : rounded) {
    row.longitudeKey = std::nextafter(row.longitudeKey, 0.0);
    for (OffsetRecord& record : row.records) {
      record.latitudeKey = std::nextafter(record.latitudeKey, 1e9);
    }
  }
  ASSERT_TRUE(LoadsBytes(table, file, OffsetTableBytes(kStep, rounded)));
  for (int column : {12155, 12156, 12157}) {
    for (int line : {2500, 2501, 2502}) {
      EXPECT_TRUE(FindsCell(table, (column + 0.5) * kStep, (line + 0.5) * kStep, column, line))
          << column << " " << line;
    }
  }
}

TEST(GpsOffsetTable, CellsMoreThanOneStepAwayFindNothing) {
  const TempFile file("offset_min.bin");
  std::vector<OffsetRow> sparse = {{Key(12150), {{Key(2500), 1.0, 1.0}, {Key(2510), 2.0, 2.0}}},
                                   {Key(12160), {{Key(2500), 3.0, 3.0}}}};
  GpsOffsetTable table;
  ASSERT_TRUE(LoadsBytes(table, file, OffsetTableBytes(kStep, sparse)));
  EXPECT_TRUE(table.Find(121.505, 25.005));
  EXPECT_FALSE(table.Find(121.585, 25.005));               // the next row is two steps above
  EXPECT_EQ(table.Find(121.595, 25.005)->longitude, 3.0);  // one step above is accepted
  EXPECT_FALSE(table.Find(121.615, 25.005));               // beyond the last row
  EXPECT_FALSE(table.Find(121.505, 25.075));               // the next record is three steps above
  EXPECT_EQ(table.Find(121.505, 25.095)->latitude, 2.0);
  EXPECT_FALSE(table.Find(121.505, 25.2));
  EXPECT_FALSE(table.Find(std::numeric_limits<double>::quiet_NaN(), 25.005));
  EXPECT_FALSE(table.Find(1e300, 25.005));

  // A second load replaces the first table.
  ASSERT_TRUE(LoadsBytes(table, file, OffsetTableBytes(kStep, GridAround())));
  EXPECT_FALSE(table.Find(121.505, 25.005));
  EXPECT_TRUE(FindsCell(table, 121.567, 25.015, 12156, 2501));
}

TEST(GpsOffsetTable, CraftedCountsAndRowRangesAreRefused) {
  const TempFile file("offset_min.bin");
  const std::string good = OffsetTableBytes(kStep, GridAround());
  GpsOffsetTable table;

  // A row count whose byte size wraps to zero in 64 bits, with the records filling the file.
  std::string wrapping = good;
  const std::uint64_t records = (good.size() - kOffsetHeaderSize) / kOffsetRecordSize;
  wrapping.resize(kOffsetHeaderSize + records * kOffsetRecordSize);
  PutU64(wrapping, 16, std::uint64_t{1} << 59);
  PutU64(wrapping, 24, records);
  EXPECT_FALSE(LoadsBytes(table, file, wrapping));
  EXPECT_FALSE(table.Find(121.567, 25.015));

  std::string hugeRecords = good;
  PutU64(hugeRecords, 24, ~std::uint64_t{0} / kOffsetRecordSize + 1);
  EXPECT_FALSE(LoadsBytes(table, file, hugeRecords));

  // Rows whose records run past the end, including a range that wraps in 32 bits.
  const std::size_t secondRow = kOffsetHeaderSize + kOffsetRowSize;
  std::string pastEnd = good;
  PutU32(pastEnd, secondRow + 24, 7);
  EXPECT_FALSE(LoadsBytes(table, file, pastEnd));
  std::string wrappingRange = good;
  PutU32(wrappingRange, secondRow + 24, 2);
  PutU32(wrappingRange, secondRow + 28, 0xFFFFFFFFu);
  EXPECT_FALSE(LoadsBytes(table, file, wrappingRange));
  EXPECT_FALSE(table.Find(121.567, 25.015));

  // A row that ends exactly at the last record is fine.
  std::string lastRecords = good;
  PutU32(lastRecords, secondRow + 28, 6);
  ASSERT_TRUE(LoadsBytes(table, file, lastRecords));
  EXPECT_TRUE(FindsCell(table, 121.567, 25.015, 12157, 2501));
}

TEST(GpsOffsetTable, StartUpLoadsTheTableOnlyWhenTheSettingIsOne) {
  const TempFile file("offset_min.bin");
  file.Write(OffsetTableBytes(kStep, GridAround()));
  for (int setting : {0, 2, -1}) {
    GlobalGpsOffsetTable().Load("");
    EXPECT_FALSE(LoadGpsOffsetTableAtStart(file.dir(), setting));
    EXPECT_FALSE(GlobalGpsOffsetTable().Find(121.567, 25.015));
  }
  EXPECT_TRUE(LoadGpsOffsetTableAtStart(file.dir(), 1));
  EXPECT_TRUE(FindsCell(GlobalGpsOffsetTable(), 121.567, 25.015, 12156, 2501));
  EXPECT_FALSE(LoadGpsOffsetTableAtStart(file.dir() + "elsewhere/", 1));
  EXPECT_FALSE(GlobalGpsOffsetTable().Find(121.567, 25.015));
}

namespace {

class GpsOffsetCorrection : public LocaleTest {
 protected:
  void TearDown() override {
    GlobalGpsOffsetTable().Load("");
    LocaleTest::TearDown();
  }
};

INSTANTIATE_TEST_SUITE_P(Locales, GpsOffsetCorrection, Locales());

}  // namespace

TEST_P(GpsOffsetCorrection, TrackParserAddsTheOffsetsOfTheFixCell) {
  const TempFile file("offset_min.bin");
  file.Write(OffsetTableBytes(kStep, {{Key(12156), {{Key(2501), 0.004, -0.003}}}}));
  ASSERT_TRUE(GlobalGpsOffsetTable().Load(file.path()));
  const double lat = 25.0155;
  const double lon = 121.5655;
  const std::string line = RmcAt(lat, lon);

  GpsFix fix;
  ASSERT_TRUE(GpsTrack::ParseRmc(line, fix));
  EXPECT_NEAR(fix.longitude, lon + 0.004, 1e-6);
  EXPECT_NEAR(fix.latitude, lat - 0.003, 1e-6);
  GpsTrack track;
  ASSERT_TRUE(track.AddSentence(line));
  EXPECT_NEAR(track.Segments()[0].points[0].longitude, lon + 0.004, 1e-6);

  // The map page's parser leaves the correction to the page.
  double plainLat = 0, plainLon = 0, speed = 0, course = 0;
  ASSERT_TRUE(ParseRmcPosition(line, plainLat, plainLon, speed, course));
  EXPECT_NEAR(plainLon, lon, 1e-6);

  // Outside the table's cells the position stays as parsed.
  ASSERT_TRUE(GpsTrack::ParseRmc(RmcAt(-lat, -lon), fix));
  EXPECT_NEAR(fix.longitude, -lon, 1e-6);
}
