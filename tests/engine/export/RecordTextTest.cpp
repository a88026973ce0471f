#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/export/RecordText.h"
#include "engine/gps/CarDataFrame.h"
#include "platform/Time.h"
#include "testdata/TestSignals.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace gpstest;

namespace {

class RecordText : public LocaleTest {};
INSTANTIATE_TEST_SUITE_P(Locales, RecordText, Locales());

CarDataRecord Sample() {
  CarDataRecord r;
  r.time = 1709280750;  // 2024-03-01 08:12:30 UTC
  r.speed = 100;
  r.rpm = 2500;
  r.engineLoad = 5;
  r.batteryVoltage = 12.6;
  r.engineTemperature = 90;
  r.throttlePosition = 7;
  r.status = 0x80;
  r.maf = 36;
  r.distance = 1234;
  r.fuelEconomy = 12.5;
  return r;
}

// The five status texts of a CSV line: the 9th to 13th quoted fields.
std::vector<std::string> StatusTexts(const std::string& line) {
  std::vector<std::string> fields;
  for (std::size_t at = line.find('"'); at != std::string::npos; at = line.find('"', line.find('"', at + 1) + 1)) {
    const std::size_t end = line.find('"', at + 1);
    fields.push_back(line.substr(at + 1, end - at - 1));
  }
  return std::vector<std::string>(fields.begin() + 8, fields.begin() + 13);
}

CarDataRecord Parsed(const std::string& frame) {
  CarDataRecord r;
  EXPECT_TRUE(ParseCarDataFrame(reinterpret_cast<const BYTE*>(frame.data()), frame.size(), 1709280750, r));
  return r;
}

}  // namespace

TEST_P(RecordText, CuesShowTheRecordInTheChosenUnits) {
  CarDataRecord r = Sample();
  EXPECT_EQ(SrtCue(7, 3723004, 3724003, r, {0, false}),
            "7\r\n01:02:03,004 --> 01:02:04,003\r\n"
            "Speed: 100.0 Km/h       RPM: 2500\r\n"
            "Engine Loading:  5%    Battery Voltage: 12.6 V\r\n"
            "Engine Temperature: 90 C\r\n"
            "Throttle Position:  7%\tEmergency Braking\r\n\r\n");
  r.status = 0x7F;
  r.engineTemperature = -3;
  EXPECT_EQ(SrtCue(1, 0, 999, r, {1, true}),
            "1\r\n00:00:00,000 --> 00:00:00,999\r\n"
            "Speed: 62.1 Mile/h       RPM: 2500\r\n"
            "Engine Loading:  5%    Battery Voltage: 12.6 V\r\n"
            "Engine Temperature: 27 F\r\n"
            "Throttle Position:  7%\t\r\n\r\n");
  const std::string knots = SrtCue(2, 59999, 60000, r, {2, false});
  EXPECT_NE(knots.find("00:00:59,999 --> 00:01:00,000\r\nSpeed: 54.0 Knot       RPM"), std::string::npos) << knots;
  EXPECT_NE(knots.find("Engine Temperature: -3 C\r\n"), std::string::npos) << knots;
  EXPECT_NE(SrtCue(2, 0, 1, r, {9, false}).find("Speed: 100.0 Km/h "), std::string::npos);
}

TEST_P(RecordText, CsvHeaderAndLinesAreExact) {
  EXPECT_EQ(std::string(kCsvHeader),
            "\"Date\",\"Time\",\"Speed(Km/h)\",\"RPM\",\"Engine Loading(%)\",\"Battery Voltage(V)\","
            "\"Engine Temperature(C)\",\"Throttle Position(%s)\",\"Status\",\"DTC\",\"Cruise\",\"Clutch\","
            "\"Brake\",\"MAF\",\"Distance(Km)\",\"Average Fuel Economy(Km/L)\"\r\n");
  EXPECT_EQ(CsvLine(Sample(), 28800),
            "\"2024-03-01\",\"16:12:30\",\"100\",\"2500\",\"5\",\"12.6\",\"90\",\"7\",\"Emergency Braking\","
            "\"Normal\",\"\",\"\",\"\",\"36\",\"1234\",\"12.5\"\r\n");

  struct Case {
    int status;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {0x00, {"Normal", "Normal", "", "", ""}},
      {0x01, {"Normal", "DTC ON", "", "", ""}},
      {0x02, {"Normal", "Normal", "Cruise Control OFF", "", ""}},
      {0x12, {"Normal", "Normal", "Cruise Control ON", "", ""}},
      {0x10, {"Normal", "Normal", "", "", ""}},
      {0x04, {"Normal", "Normal", "", "Clutch OFF", ""}},
      {0x24, {"Normal", "Normal", "", "Clutch ON", ""}},
      {0x20, {"Normal", "Normal", "", "", ""}},
      {0x08, {"Normal", "Normal", "", "", "Brake OFF"}},
      {0x48, {"Normal", "Normal", "", "", "Brake ON"}},
      {0x40, {"Normal", "Normal", "", "", ""}},
      {0x80, {"Emergency Braking", "Normal", "", "", ""}},
      {0x8E, {"Emergency Braking", "Normal", "Cruise Control OFF", "Clutch OFF", "Brake OFF"}},
      {0xFF, {"Emergency Braking", "DTC ON", "Cruise Control ON", "Clutch ON", "Brake ON"}},
  };
  for (const Case& c : cases) {
    CarDataRecord r = Sample();
    r.status = c.status;
    EXPECT_EQ(StatusTexts(CsvLine(r, 0)), c.texts) << "status " << c.status;
  }
}

TEST_P(RecordText, ShortPayloadsAndLowerCaseDigitsGiveZeros) {
  // 20 digits after the header: no MAF, distance or fuel economy.
  const fixtures::CarData data = fixtures::TestCarData(3, 60.0);
  const std::string shortFrame = std::string("\0\0\0\x04", 4) + fixtures::CarDataDigits(data, 20);
  const std::string line = CsvLine(Parsed(shortFrame), 0);
  EXPECT_EQ(line.substr(line.size() - 15), "\"0\",\"0\",\"0.0\"\r\n") << line;
  EXPECT_NE(line.find("\"13.8\",\"90\""), std::string::npos) << line;

  CarDataValues values;
  values.speed = 0x3C;
  std::string lower = CarDataFrame(values, true);
  EXPECT_EQ(lower.substr(4, 2), "3C");
  EXPECT_EQ(CsvLine(Parsed(lower), 0).substr(24, 6), "\"60\",\"");
  lower[5] = 'c';
  EXPECT_EQ(CsvLine(Parsed(lower), 0).substr(24, 5), "\"0\",\"");
}

TEST(RecordTextTime, CsvTimeIsTheRecordTimePlusTheOffsetWhateverTheLocalZone) {
  // A record time made from the recorder's local date, plus the zone's offset, shows that date.
  for (const char* tz : {"UTC-8", "EST5EDT", "UTC"}) {
    PinTimeZone(tz);
    EXPECT_EQ(CsvLine(Sample(), 28800).substr(0, 24), "\"2024-03-01\",\"16:12:30\",") << tz;
    EXPECT_EQ(CsvLine(Sample(), -18000).substr(0, 24), "\"2024-03-01\",\"03:12:30\",") << tz;
  }
  PinTimeZone("UTC");
}

TEST(RecordTextTime, CsvTimeIsTheWindowsTimeInSummerAndWinterInThePcsZoneAndInAChosenOne) {
  // Recordings made at 11:00 by the recorder's clock in a zone with summer time: the PC's own
  // zone (its standard offset chosen) shows 11:00 in both seasons; UTC+8 lies six hours ahead of
  // that zone's summer and seven ahead of its winter.
  PinTimeZone("Europe/Berlin");
  const struct {
    int month;
    const char* pcZone;
    const char* east;
  } seasons[] = {{7, "\"2024-07-15\",\"11:00:00\",", "\"2024-07-15\",\"17:00:00\","},
                 {1, "\"2024-01-15\",\"11:00:00\",", "\"2024-01-15\",\"18:00:00\","}};
  for (const auto& season : seasons) {
    CarDataRecord r = Sample();
    r.time = plat::LocalToEpoch(2024, season.month, 15, 11, 0, 0);
    EXPECT_EQ(CsvLine(r, 3600).substr(0, 24), season.pcZone);
    EXPECT_EQ(CsvLine(r, 8 * 3600).substr(0, 24), season.east);
  }
  PinTimeZone("UTC");
}
