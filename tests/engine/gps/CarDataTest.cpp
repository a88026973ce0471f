#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/gps/CarDataFrame.h"
#include "engine/gps/CarInfoLine.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace gpstest;

namespace {

const CString kRejected(L"TestCarInfo");

// A car-data line with its fields in order after the sentence name.
std::string CarLine(const std::vector<std::string>& fields) {
  std::string line = "$CARINFO";
  for (const std::string& f : fields) line += "," + f;
  return line;
}

std::vector<std::string> GoodFields() {
  return {"Car 12 AB Fleet West",
          "DRV-7",
          "x",
          "A",
          "E1213456789",
          "N25012345",
          "123",
          "456",
          "7.5",
          "8.25",
          "10110001"};
}

std::vector<BYTE> Flags(const CarInfo& info) {
  return std::vector<BYTE>(info.flags, info.flags + kCarInfoFlagCount);
}

class CarInfoLine : public LocaleTest {};
INSTANTIATE_TEST_SUITE_P(Locales, CarInfoLine, Locales());

bool ParsesFrame(const std::string& bytes, std::int64_t time, CarDataRecord& record) {
  const ExactText frame(bytes);
  return ParseCarDataFrame(frame.bytes(), frame.size(), time, record);
}

}  // namespace

TEST_P(CarInfoLine, GivesNamePositionValuesAndFlags) {
  CarInfo info;
  ASSERT_TRUE(ParseCarInfoLine(CarLine(GoodFields()), info, kRejected));
  EXPECT_EQ(info.name.ToUtf8(), "Car12ABFleet");  // the first 15 characters, without spaces
  EXPECT_EQ(info.label, "DRV-7");
  EXPECT_NEAR(info.longitude, 121.3456789, 1e-12);
  EXPECT_NEAR(info.latitude, 25.012345, 1e-12);
  EXPECT_NEAR(info.valueB, 12.3, 1e-12);
  EXPECT_NEAR(info.valueA, 45.6, 1e-12);
  EXPECT_NEAR(info.valueD, 7.5, 1e-12);
  EXPECT_NEAR(info.valueC, 8.25, 1e-12);
  EXPECT_EQ(Flags(info), (std::vector<BYTE>{1, 0, 1, 1, 0, 0, 0, 1}));

  std::vector<std::string> f = GoodFields();
  f[4] = "W1213456789";
  f[5] = "S25012345";
  ASSERT_TRUE(ParseCarInfoLine(CarLine(f), info, kRejected));
  EXPECT_NEAR(info.longitude, -121.3456789, 1e-12);
  EXPECT_NEAR(info.latitude, -25.012345, 1e-12);

  // A line that ends without a comma before field 11 is read up to there; later values stay.
  f = GoodFields();
  f.resize(9);
  info.valueC = 99.0;
  ASSERT_TRUE(ParseCarInfoLine(CarLine(f), info, kRejected));
  EXPECT_NEAR(info.valueA, 45.6, 1e-12);
  EXPECT_EQ(info.valueD, 7.5);  // field 9 has no comma after it, so it is left as it was
  EXPECT_EQ(info.valueC, 99.0);
}

TEST_P(CarInfoLine, RejectedLinesClearPositionValuesAndFlags) {
  auto rejected = [](const std::vector<std::string>& fields, CarInfo& info) {
    info.valueB = 5.0;
    return !ParseCarInfoLine(CarLine(fields), info, kRejected) && info.latitude == 0.0 &&
           info.longitude == 0.0 && info.valueA == 0.0 && info.valueC == 0.0 &&
           Flags(info) == std::vector<BYTE>(kCarInfoFlagCount, 1);
  };
  struct Damage {
    std::size_t field;
    const char* text;
  };
  const Damage damages[] = {{3, "V"},      {3, ""},        {3, "X"},   {4, "X1213456789"},
                            {4, "E1234"},  {4, "E12a456"}, {5, "N25"}, {5, "Q25012345"},
                            {5, "N2x012"}, {10, "1011"},   {10, ""}};
  for (const Damage& d : damages) {
    CarInfo info;
    std::vector<std::string> f = GoodFields();
    f[d.field] = d.text;
    EXPECT_TRUE(rejected(f, info)) << d.field << " " << d.text;
    EXPECT_EQ(info.name.ToUtf8(), "TestCarInfo");
    // Fields are read in order: value B, after the position, is read only when the position is.
    EXPECT_EQ(info.valueB, d.field < 6 ? 5.0 : 12.3) << d.field << " " << d.text;
  }

  // An empty name stays empty.
  std::vector<std::string> unnamed = GoodFields();
  unnamed[0] = "";
  unnamed[3] = "V";
  CarInfo blank;
  EXPECT_TRUE(rejected(unnamed, blank));
  EXPECT_TRUE(blank.name.IsEmpty());
}

TEST_P(CarInfoLine, ShortAndUnterminatedLinesAreReadWithinTheirLength) {
  // Every cut of a line, in a block of exactly its length. A line is read once the comma after
  // its latitude is in, except while its flags are cut short.
  const std::string line = CarLine(GoodFields());
  const std::size_t positionRead = line.find(",123,") + 1;
  const std::size_t flagsStart = line.rfind(',') + 1;
  for (std::size_t n = 0; n <= line.size(); ++n) {
    const ExactText cut(std::string_view(line).substr(0, n));
    CarInfo info;
    const bool expected =
        n >= positionRead && (n < flagsStart || n >= flagsStart + kCarInfoFlagCount);
    EXPECT_EQ(ParseCarInfoLine(cut.view(), info, kRejected), expected) << n;
  }
  // Text after a zero byte is not part of the line.
  std::string zero = line;
  zero[line.find(",A,")] = '\0';
  CarInfo info;
  EXPECT_FALSE(ParseCarInfoLine(zero, info, kRejected));
}

TEST(CarDataFrame, FieldsAreDecodedFromUpperCaseHexDigits) {
  const CarDataValues values;
  CarDataRecord record;
  ASSERT_TRUE(ParsesFrame(CarDataFrame(values, true), 1700000000, record));
  EXPECT_EQ(record.time, 1700000000);
  EXPECT_EQ(record.speed, 60);
  EXPECT_EQ(record.rpm, 3000);
  EXPECT_EQ(record.engineLoad, 50);
  EXPECT_DOUBLE_EQ(record.batteryVoltage, 13.8);
  EXPECT_EQ(record.engineTemperature, 90);
  EXPECT_EQ(record.throttlePosition, 20);
  EXPECT_EQ(record.status, 0);
  EXPECT_EQ(record.maf, 30);
  EXPECT_EQ(record.distance, 1234);
  EXPECT_DOUBLE_EQ(record.fuelEconomy, 12.5);

  CarDataValues braking;
  braking.status = kCarStatusEmergencyBraking | kCarStatusDtc;
  braking.temperatureRaw = 0;
  ASSERT_TRUE(ParsesFrame(CarDataFrame(braking, false), 5, record));
  EXPECT_EQ(record.status, 0x81);
  EXPECT_EQ(record.engineTemperature, -40);
  EXPECT_EQ(record.maf, 0);
  EXPECT_EQ(record.distance, 0);
  EXPECT_EQ(record.fuelEconomy, 0.0);

  // Lower-case or other characters are no digits: that field is 0.
  std::string lower = CarDataFrame(values, true);
  lower[4] = 'c';
  lower[13] = ' ';
  ASSERT_TRUE(ParsesFrame(lower, 6, record));
  EXPECT_EQ(record.speed, 0);
  EXPECT_EQ(record.batteryVoltage, 0.0);
  EXPECT_EQ(record.rpm, 3000);
}

TEST(CarDataFrame, ShortFramesAreReadWithinTheirLength) {
  const std::string full = CarDataFrame(CarDataValues{}, true);
  for (std::size_t n = 0; n <= full.size(); ++n) {
    CarDataRecord record;
    record.speed = -1;
    const bool parsed = ParsesFrame(full.substr(0, n), 9, record);
    EXPECT_EQ(parsed, n >= 20) << n;
    if (!parsed) {
      EXPECT_EQ(record.speed, -1) << n;  // a refused frame leaves the record as it was
      continue;
    }
    EXPECT_EQ(record.speed, 60) << n;
    EXPECT_EQ(record.distance, n == full.size() ? 1234 : 0) << n;
  }
  CarDataRecord record;
  EXPECT_FALSE(ParseCarDataFrame(nullptr, 28, 1, record));
}
