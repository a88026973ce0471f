#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/gps/GpsOffsetTable.h"
#include "engine/gps/GpsTrack.h"
#include "platform/Time.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace gpstest;

namespace {

std::string DateText(const GpsFix& fix) { return std::string(fix.date, sizeof fix.date); }
std::string TimeText(const GpsFix& fix) { return std::string(fix.time, sizeof fix.time); }

// The 11- and 13-byte layouts of the texts, zeros included.
std::string DateBytes(const char* date) { return std::string(date, 10) + std::string(1, '\0'); }
std::string TimeBytes(const char* hms, const char* fraction) {
  return std::string(hms, 8) + std::string(1, '\0') + std::string(fraction, 3) +
         std::string(1, '\0');
}

class GpsParsing : public LocaleTest {
 protected:
  void SetUp() override {
    LocaleTest::SetUp();
    GlobalGpsOffsetTable().Load("");  // no table: positions stay as parsed
  }
};

INSTANTIATE_TEST_SUITE_P(Locales, GpsParsing, Locales());

}  // namespace

TEST_P(GpsParsing, ExampleSentenceGivesPositionSpeedCourseDateAndTime) {
  // The recorder's documented example; its checksum does not match its text, and checksums are
  // not verified. The builder makes the same sentence with a true checksum.
  const std::string line =
      "$GPRMC,123519.000,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
  const std::string built = MakeRmc({});
  ASSERT_EQ(built.substr(0, built.size() - 2), line.substr(0, line.size() - 2));
  ASSERT_NE(built, line);

  GpsFix fix;
  ASSERT_TRUE(GpsTrack::ParseRmc(line, fix));
  EXPECT_NEAR(fix.latitude, 48.1173, 1e-9);
  EXPECT_NEAR(fix.longitude, 11.5166666666, 1e-9);
  EXPECT_NEAR(fix.speed, 41.4848, 1e-9);
  EXPECT_NEAR(fix.course, 84.4, 1e-9);
  EXPECT_EQ(DateText(fix), DateBytes("2094/03/23"));
  EXPECT_EQ(TimeText(fix), TimeBytes("12:35:19", "000"));

  GpsTrack track;
  const GpsPoint point = track.ParseSentence(line);
  EXPECT_EQ(point.invalid, 0);
  EXPECT_EQ(point.latitude, fix.latitude);
  EXPECT_EQ(std::memcmp(point.time, fix.time, sizeof fix.time), 0);

  double lat = 0, lon = 0, speed = 0, course = 0;
  ASSERT_TRUE(ParseRmcPosition(line, lat, lon, speed, course));
  EXPECT_EQ(lat, fix.latitude);
  EXPECT_EQ(lon, fix.longitude);
  EXPECT_EQ(speed, fix.speed);
  EXPECT_EQ(course, fix.course);
}

TEST_P(GpsParsing, InvalidStatusPositionOrDateGivesNoFix) {
  auto failsWithNoPosition = [](const RmcFields& f) {
    GpsFix fix;
    fix.latitude = 1.0;
    fix.longitude = 2.0;
    const bool parsed = GpsTrack::ParseRmc(MakeRmc(f), fix);
    return !parsed && fix.latitude == kNoPosition && fix.longitude == kNoPosition;
  };
  struct Damage {
    std::string RmcFields::*field;
    const char* text;
  };
  const Damage damages[] = {{&RmcFields::status, "V"},           {&RmcFields::status, "X"},
                            {&RmcFields::status, ""},            {&RmcFields::latitude, "807.038"},
                            {&RmcFields::longitude, "1131.000"}, {&RmcFields::longitude, "01131"},
                            {&RmcFields::northSouth, "X"},       {&RmcFields::eastWest, ""},
                            {&RmcFields::date, "320394"},        {&RmcFields::date, "000394"},
                            {&RmcFields::date, "231394"},        {&RmcFields::date, "230094"},
                            {&RmcFields::date, "2303"},          {&RmcFields::date, "23039X"},
                            {&RmcFields::time, "1235"}};
  for (const Damage& d : damages) {
    RmcFields f;
    f.*d.field = d.text;
    EXPECT_TRUE(failsWithNoPosition(f)) << d.text;
    // The map page's parser reads no time or date, but rejects the same positions.
    double lat = 0, lon = 0, speed = 0, course = 0;
    const bool positionDamaged = d.field != &RmcFields::date && d.field != &RmcFields::time;
    EXPECT_EQ(ParseRmcPosition(MakeRmc(f), lat, lon, speed, course), !positionDamaged) << d.text;
  }

  GpsTrack track;
  RmcFields f;
  f.status = "V";
  const GpsPoint empty = track.ParseSentence(MakeRmc(f));
  EXPECT_EQ(empty.invalid, 1);
  EXPECT_EQ(empty.latitude, kNoPosition);
  EXPECT_EQ(empty.speed, -1.0);
  EXPECT_EQ(empty.course, -1.0);
  EXPECT_FALSE(track.AddSentence(MakeRmc(f)));
  ASSERT_EQ(track.Segments().size(), 1u);
  EXPECT_TRUE(track.Segments()[0].points.empty());

  // The position parser leaves its outputs alone when it rejects a line.
  double lat = 7, lon = 8, speed = 9, course = 10;
  EXPECT_FALSE(ParseRmcPosition(MakeRmc(f), lat, lon, speed, course));
  EXPECT_EQ(lat, 7);
  EXPECT_EQ(lon, 8);
  EXPECT_EQ(speed, 9);
  EXPECT_EQ(course, 10);
}

TEST_P(GpsParsing, RecorderPrefixGivesTheDateAndTimeTexts) {
  RmcFields f;
  f.wrongChecksum = true;
  GpsFix fix;
  ASSERT_TRUE(GpsTrack::ParseRmc("2017/03/01 08:12:30 " + MakeRmc(f), fix));
  EXPECT_EQ(DateText(fix), DateBytes("2017/03/01"));
  EXPECT_EQ(TimeText(fix), TimeBytes("08:12:30", "\0\0\0"));
  EXPECT_NEAR(fix.latitude, 48.1173, 1e-9);

  // The prefix replaces the sentence's time and date, so a bad date in the sentence is not read.
  f.date = "320394";
  EXPECT_TRUE(GpsTrack::ParseRmc("2017/03/01 08:12:30 " + MakeRmc(f), fix));

  f = {};
  f.talker = "GN";
  f.time = "081230.250";
  f.date = "010317";
  ASSERT_TRUE(GpsTrack::ParseRmc(MakeRmc(f), fix));
  EXPECT_EQ(DateText(fix), DateBytes("2017/03/01"));
  EXPECT_EQ(TimeText(fix), TimeBytes("08:12:30", "250"));
}

TEST_P(GpsParsing, PositionParserIsStricterThanTheTrackParser) {
  double lat = 0, lon = 0, speed = 0, course = 0;
  GpsFix fix;
  RmcFields f;
  f.mode = "N";
  EXPECT_FALSE(ParseRmcPosition(MakeRmc(f), lat, lon, speed, course));
  EXPECT_TRUE(GpsTrack::ParseRmc(MakeRmc(f), fix));
  f.mode = "A";
  EXPECT_TRUE(ParseRmcPosition(MakeRmc(f), lat, lon, speed, course));

  EXPECT_FALSE(ParseRmcPosition("no sentence here", lat, lon, speed, course));

  // A sentence that ends before its longitude's hemisphere has no position.
  const std::string shortSentence = "$GPRMC,123519.000,A,4807.038,N,01131.000,E*00";
  EXPECT_FALSE(ParseRmcPosition(shortSentence, lat, lon, speed, course));
  EXPECT_FALSE(GpsTrack::ParseRmc(shortSentence, fix));
}

TEST(GpsPoint, ValuesAreClampedAndMissingPositionsMarkThePointInvalid) {
  const char date[kGpsDateTextSize] = "2024/03/01";
  const char time[kGpsTimeTextSize] = {'1', '2',  ':', '0', '0', ':', '0',
                                       '0', '\0', '1', '2', '5', '\0'};
  const GpsPoint p(95.0, 200.0, -3.0, 400.0, date, time, 1800);
  EXPECT_EQ(p.invalid, 0);
  EXPECT_EQ(p.latitude, 90.0);
  EXPECT_EQ(p.longitude, 180.0);
  EXPECT_EQ(p.speed, 0.0);
  EXPECT_EQ(p.course, 360.0);
  EXPECT_EQ(p.timeDifference, 1800);
  EXPECT_EQ(p.timeValue, 0);
  EXPECT_EQ(std::memcmp(p.time, time, sizeof time), 0);
  EXPECT_EQ(std::memcmp(p.date, date, sizeof date), 0);

  const GpsPoint q(-95.0, -200.0, 1e7, -1.0, date, time, 0);
  EXPECT_EQ(q.latitude, -90.0);
  EXPECT_EQ(q.longitude, -180.0);
  EXPECT_EQ(q.speed, 999999.0);
  EXPECT_EQ(q.course, 0.0);
  EXPECT_EQ(GpsPoint(kNoPosition, 10.0, 0, 0, date, time, 0).invalid, 1);
  EXPECT_EQ(GpsPoint(10.0, kNoPosition, 0, 0, date, time, 0).invalid, 1);

  const GpsPoint empty;
  EXPECT_EQ(empty.invalid, 1);
  EXPECT_EQ(empty.longitude, kNoPosition);
  EXPECT_EQ(empty.date[0], '\0');
  EXPECT_EQ(empty.timeDifference, 0);
}

TEST_P(GpsParsing, TrackKeepsValidPointsWithTheirLocalTimes) {
  PinTimeZone("UTC");
  GpsTrack track;
  ASSERT_TRUE(track.AddSentence(RmcAt(25.05, 121.5, "080000.000", "010324")));
  RmcFields noFix;
  noFix.status = "V";
  EXPECT_FALSE(track.AddSentence(MakeRmc(noFix)));
  ASSERT_TRUE(track.AddSentence(RmcAt(-25.06, -121.51, "080010.000", "010324")));

  ASSERT_EQ(track.Segments().size(), 1u);
  const GpsTrackSegment& segment = track.Segments()[0];
  ASSERT_EQ(segment.points.size(), 2u);
  const std::int64_t first = plat::LocalToEpoch(2024, 3, 1, 8, 0, 0);
  EXPECT_EQ(segment.points[0].timeValue, first);
  EXPECT_EQ(segment.points[1].timeValue, first + 10);
  EXPECT_EQ(segment.firstTime, first);
  EXPECT_EQ(segment.lastTime, first + 10);
  EXPECT_NEAR(segment.points[1].latitude, -25.06, 1e-6);
  EXPECT_NEAR(segment.points[1].longitude, -121.51, 1e-6);

  // Without a recorder time the difference stays unknown and points carry none.
  EXPECT_EQ(track.TimeDifference(), -1);
  EXPECT_EQ(segment.points[0].timeDifference, 0);

  EXPECT_TRUE(track.Clear());
  EXPECT_TRUE(track.Segments().empty());
  ASSERT_TRUE(track.AddSentence(RmcAt(25.05, 121.5, "080020.000", "010324")));
  EXPECT_EQ(track.Segments()[0].firstTime, first + 20);
}

TEST(GpsTrackTime, DifferenceIsRoundedToTheNearestHalfHourForEitherSign) {
  PinTimeZone("UTC");
  const std::int64_t fixTime = plat::LocalToEpoch(2024, 3, 1, 12, 0, 0);
  const std::string line = RmcAt(25.0, 121.0, "120000.000", "010324");
  struct Case {
    std::int64_t recorderMinusFix;
    std::int32_t expected;
  };
  const Case cases[] = {{-18000, -18000}, {-3600, -3600}, {-1800, -1800}, {-901, -1800},
                        {-900, 0},        {-1, 0},        {0, 0},         {899, 0},
                        {900, 1800},      {4499, 3600},   {28800, 28800}, {-27001, -27000}};
  for (const Case& c : cases) {
    GpsTrack track;
    track.SetRecorderTime(fixTime + c.recorderMinusFix);
    ASSERT_TRUE(track.AddSentence(line));
    EXPECT_EQ(track.TimeDifference(), c.expected) << c.recorderMinusFix;
    const GpsPoint& p = track.Segments()[0].points[0];
    EXPECT_EQ(p.timeDifference, c.expected) << c.recorderMinusFix;
    EXPECT_EQ(p.timeValue, fixTime + c.expected) << c.recorderMinusFix;
  }

  // Once settled the difference is kept for the rest of the track.
  GpsTrack track;
  track.SetRecorderTime(fixTime - 18000);
  ASSERT_TRUE(track.AddSentence(line));
  track.SetRecorderTime(fixTime + 3600);
  ASSERT_TRUE(track.AddSentence(line));
  EXPECT_EQ(track.Segments()[0].points[1].timeDifference, -18000);

  // A difference of decades is no zone offset: it stays unknown and points carry none.
  GpsTrack farOff;
  farOff.SetRecorderTime(plat::LocalToEpoch(2017, 3, 1, 12, 0, 0));
  ASSERT_TRUE(farOff.AddSentence(RmcAt(25.0, 121.0, "120000.000", "010394")));
  EXPECT_EQ(farOff.TimeDifference(), -1);
  EXPECT_EQ(farOff.Segments()[0].points[0].timeDifference, 0);
}

TEST_P(GpsParsing, ShortAndUnterminatedTextsAreReadWithinTheirLength) {
  // Every cut of a line, in a block of exactly its length: a line is complete once its '*' is in.
  const std::string line = "2017/03/01 08:12:30 " + MakeRmc({});
  for (std::size_t n = 0; n <= line.size(); ++n) {
    const ExactText cut(std::string_view(line).substr(0, n));
    const bool complete = n > line.find('*');
    GpsFix fix;
    double lat = 0, lon = 0, speed = 0, course = 0;
    EXPECT_EQ(GpsTrack::ParseRmc(cut.view(), fix), complete) << n;
    EXPECT_EQ(ParseRmcPosition(cut.view(), lat, lon, speed, course), complete) << n;
    GpsTrack track;
    EXPECT_EQ(track.AddSentence(cut.view()), complete) << n;
  }

  // An 80-byte field with no zero, followed in memory by text that would complete it: only the
  // field itself is read.
  const std::string sentence = MakeRmc({});
  const std::size_t star = sentence.find('*');
  std::string block = sentence.substr(0, star);
  block.resize(80, ',');
  block += sentence.substr(star);
  block.resize(160, '\0');
  GpsFix fix;
  EXPECT_FALSE(GpsTrack::ParseRmc(ExactText(block.substr(0, 80)).view(), fix));
  EXPECT_TRUE(GpsTrack::ParseRmc(block, fix));

  // Text after a zero byte is not part of the line.
  const std::string zeroInside =
      sentence.substr(0, star) + std::string(1, '\0') + sentence.substr(star);
  EXPECT_FALSE(GpsTrack::ParseRmc(zeroInside, fix));

  // A time field with fewer than three fraction digits is padded, never read past its comma.
  RmcFields f;
  f.time = "123519.5";
  ASSERT_TRUE(GpsTrack::ParseRmc(ExactText(MakeRmc(f)).view(), fix));
  EXPECT_EQ(TimeText(fix), TimeBytes("12:35:19", "500"));
  f.time = "123519";
  ASSERT_TRUE(GpsTrack::ParseRmc(ExactText(MakeRmc(f)).view(), fix));
  EXPECT_EQ(TimeText(fix), TimeBytes("12:35:19", "000"));
}
