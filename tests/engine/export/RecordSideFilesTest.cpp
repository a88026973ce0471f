#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "engine/export/RecordCtx.h"
#include "testdata/FileBytes.h"
#include "testdata/ScratchDir.h"
#include "testdata/StoreDescription.h"
#include "testdata/TestSignals.h"
#include "testdata/TestVideo.h"
#include "tests/engine/export/RecordFeed.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace recordtest;

namespace {

struct CarRecord {
  std::int64_t time;
  fixtures::CarData data;
};

std::vector<CarRecord> CarRecords(const std::vector<FeedItem>& items, double speedKmh) {
  std::vector<CarRecord> out;
  for (const FeedItem& f : items) {
    if (f.role == fixtures::FrameRole::kCarData) out.push_back({f.item.chunkTime, fixtures::TestCarData(f.second, speedKmh)});
  }
  return out;
}

std::string Clock(std::int64_t ms) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d,%03d", static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
  return buf;
}

// The subtitles of the records in miles per hour and degrees Fahrenheit: the records of one
// second share the time up to the next record's second (at most five seconds), from the first
// picture of the file on.
std::string ExpectedSrt(const std::vector<CarRecord>& records, std::int64_t firstTime) {
  std::string text;
  int number = 0;
  for (std::size_t i = 0; i < records.size();) {
    std::size_t end = i;
    while (end < records.size() && records[end].time == records[i].time) ++end;
    const std::int64_t seconds = end < records.size() ? records[end].time - records[i].time : 1;
    const std::int64_t each = (std::clamp<std::int64_t>(seconds, 1, 5) * 1000 - 1) / static_cast<std::int64_t>(end - i);
    std::int64_t start = std::max<std::int64_t>(0, (records[i].time - firstTime) * 1000);
    for (; i < end; ++i, start += each) {
      const fixtures::CarData& d = records[i].data;
      char body[400];
      std::snprintf(body, sizeof body,
                    "Speed: %3.1f Mile/h       RPM: %d\r\nEngine Loading: %2d%%    Battery Voltage: %2.1f V\r\n"
                    "Engine Temperature: %2d F\r\nThrottle Position: %2d%%\t%s\r\n\r\n",
                    d.speedKmh * 0.6214, d.rpm, d.loadPercent, (d.batteryCode + 100) / 10.0,
                    (d.temperatureCode - 40) * 9 / 5 + 32, d.throttlePercent, (d.status & 0x80) ? "Emergency Braking" : "");
      text += std::to_string(++number) + "\r\n" + Clock(start) + " --> " + Clock(start + each) + "\r\n" + body;
    }
  }
  return text;
}

// The CSV lines, dated with the recorder's own local date of each record.
std::string ExpectedCsv(const std::vector<CarRecord>& records) {
  std::string text(kCsvHeader);
  for (const CarRecord& r : records) {
    const std::time_t t = static_cast<std::time_t>(r.time);
    std::tm local{};
    localtime_r(&t, &local);
    char date[64];
    std::strftime(date, sizeof date, "\"%Y-%m-%d\",\"%H:%M:%S\",", &local);
    const fixtures::CarData& d = r.data;
    const auto sw = [&d](int present, int on, const char* onText, const char* offText) {
      return (d.status & present) ? ((d.status & on) ? onText : offText) : "";
    };
    char values[400];
    std::snprintf(values, sizeof values, "\"%d\",\"%d\",\"%d\",\"%2.1f\",\"%d\",\"%d\",\"%s\",\"%s\",\"%s\",\"%s\",\"%s\",\"%d\",\"%d\",\"%.1f\"\r\n",
                  d.speedKmh, d.rpm, d.loadPercent, (d.batteryCode + 100) / 10.0, d.temperatureCode - 40, d.throttlePercent,
                  (d.status & 0x80) ? "Emergency Braking" : "Normal", (d.status & 0x01) ? "DTC ON" : "Normal",
                  sw(0x02, 0x10, "Cruise Control ON", "Cruise Control OFF"), sw(0x04, 0x20, "Clutch ON", "Clutch OFF"),
                  sw(0x08, 0x40, "Brake ON", "Brake OFF"), d.maf * 3, d.distanceKm, d.fuelCode / 10.0);
    text += date;
    text += values;
  }
  return text;
}

// A car-data frame of the default values.
std::string CarFrame() { return gpstest::CarDataFrame(gpstest::CarDataValues{}, true); }

void WriteCar(CRecordCtx& recorder, const std::string& frame, std::int64_t time) {
  RecordFrame f;
  f.data = reinterpret_cast<const std::uint8_t*>(frame.data());
  f.length = static_cast<std::uint32_t>(frame.size());
  f.time = static_cast<std::int32_t>(time);
  recorder.WriteSideData(f);
}

const char kDefaultBody[] =
    "Speed: 60.0 Km/h       RPM: 3000\r\nEngine Loading: 50%    Battery Voltage: 13.8 V\r\n"
    "Engine Temperature: 90 C\r\nThrottle Position: 20%\t\r\n\r\n";

std::string Cue(int number, const char* times) { return std::to_string(number) + "\r\n" + times + "\r\n" + kDefaultBody; }

}  // namespace

TEST(RecordSideFiles, HoldACueAndALinePerRecordWithTheRecorderTime) {
  // The recorder's local zone is the PC's: eight hours east, and the engine's offset says so.
  gpstest::PinTimeZone("UTC-8");
  fixtures::ScratchDir dir("record");
  const fixtures::StoreDescription desc = fixtures::Recordings(fixtures::StoreKind::kSd, 1, 6.0);
  auto feed = BuildFeed(desc, dir.File("card.sd"));
  ASSERT_TRUE(feed);
  const auto& items = feed->Items(0);
  const std::vector<CarRecord> records = CarRecords(items, desc.recordings[0].route.speedKmh);
  ASSERT_EQ(records.size(), 6u);

  CRecordCtx recorder;
  RecordSettings settings;
  settings.exportName = CString(dir.File("trip"));
  settings.units = {1, true};
  settings.timeZoneOffset = 28800;
  recorder.Begin(settings);
  for (const FeedItem& f : items) Feed(recorder, f);
  EXPECT_EQ(recorder.Stop().filesWritten, 1);

  EXPECT_EQ(fixtures::ReadFileText(dir.File("trip.srt")), ExpectedSrt(records, ExpectedExport(items).firstTime));
  EXPECT_EQ(fixtures::ReadFileText(dir.File("trip.csv")), ExpectedCsv(records));
  gpstest::PinTimeZone("UTC");
}

TEST(RecordSideFiles, RecordsOfASecondShareItAndCuesStartAtTheFirstPicture) {
  gpstest::PinTimeZone("UTC");
  fixtures::ScratchDir dir("record");
  const std::int64_t t = fixtures::kDefaultStart;
  const std::string car = CarFrame();
  auto video = fixtures::EncodeTestVideo({320, 240, 30, 0, 24}, 1);
  ASSERT_TRUE(video);

  // A key picture and pictures enough for the file to be kept with its side files, at second t.
  const auto writePictures = [&](CRecordCtx& recorder) {
    for (const auto& nal : (*video)[0].nals) {
      std::vector<std::uint8_t> part{0, 0, 0, 1};
      part.insert(part.end(), nal.begin(), nal.end());
      recorder.WriteVideo({part.data(), static_cast<std::uint32_t>(part.size()), kRecordGroupStart, 30, static_cast<std::int32_t>(t), 0});
    }
    const std::uint8_t picture[] = {0, 0, 0, 1, 0x41, 0x9A};
    for (std::uint32_t i = 1; i < CRecordCtx::kMinFrames; ++i) {
      recorder.WriteVideo({picture, sizeof picture, kRecordPredicted, 30, static_cast<std::int32_t>(t), 0});
    }
  };

  CRecordCtx recorder;
  RecordSettings settings;
  settings.exportName = CString(dir.File("cues"));
  recorder.Begin(settings);
  WriteCar(recorder, car, t - 2);  // before the first picture: starts at 0
  writePictures(recorder);
  for (int i = 0; i < 5; ++i) WriteCar(recorder, car, t + 1);
  WriteCar(recorder, car, t + 2);
  WriteCar(recorder, car, t + 10);  // the second before lasts five seconds at most
  const RecordResult result = recorder.Stop();
  EXPECT_EQ(result.filesWritten, 1);

  EXPECT_EQ(fixtures::ReadFileText(dir.File("cues.srt")),
            Cue(1, "00:00:00,000 --> 00:00:02,999") + Cue(2, "00:00:01,000 --> 00:00:01,199") +
                Cue(3, "00:00:01,199 --> 00:00:01,398") + Cue(4, "00:00:01,398 --> 00:00:01,597") +
                Cue(5, "00:00:01,597 --> 00:00:01,796") + Cue(6, "00:00:01,796 --> 00:00:01,995") +
                Cue(7, "00:00:02,000 --> 00:00:06,999") + Cue(8, "00:00:10,000 --> 00:00:10,999"));
  const std::string csv = fixtures::ReadFileText(dir.File("cues.csv"));
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 9);  // the header and a line per record

  // A frame too short to be car data gives neither a cue nor a line.
  recorder.Begin(settings);
  settings.exportName = CString(dir.File("short"));
  recorder.Begin(settings);
  writePictures(recorder);
  WriteCar(recorder, car.substr(0, 19), t);
  EXPECT_EQ(recorder.Stop().files, std::vector<std::string>{dir.File("short.avi")});
}
