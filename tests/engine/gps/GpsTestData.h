// Builders of GPS test data: RMC sentences, car-data lines and frames, offset table files, and a
// fixture that runs a test under the "C" locale and again under a decimal-comma locale.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace gpstest {

// The fields of an RMC sentence as text; MakeRmc adds the name, commas and checksum.
struct RmcFields {
  std::string talker = "GP";
  std::string time = "123519.000";
  std::string status = "A";
  std::string latitude = "4807.038";
  std::string northSouth = "N";
  std::string longitude = "01131.000";
  std::string eastWest = "E";
  std::string speedKnots = "022.4";
  std::string course = "084.4";
  std::string date = "230394";
  std::string variation = "003.1,W";
  std::string mode;  // empty: no mode field
  bool wrongChecksum = false;
};

std::string MakeRmc(const RmcFields& f);

// An RMC sentence at a position (hemispheres from the signs), with the time and date fields.
std::string RmcAt(double latitude, double longitude, const std::string& time = "123519.000",
                  const std::string& date = "230394");

// Text in a heap block of exactly its length, with no terminating zero, so that the address
// sanitizer reports any read beyond it.
class ExactText {
 public:
  explicit ExactText(std::string_view text);
  std::string_view view() const { return {data_.get(), size_}; }
  const BYTE* bytes() const { return reinterpret_cast<const BYTE*>(data_.get()); }
  std::size_t size() const { return size_; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t size_;
};

// A car-data frame: the 4-byte header 00 00 00 04, then the given raw field values as upper-case
// hexadecimal text (8 fields, or all 11 when full).
struct CarDataValues {
  int speed = 60;
  int rpm = 3000;
  int load = 50;
  int voltageRaw = 38;       // (38 + 100) / 10 = 13.8 V
  int temperatureRaw = 130;  // 130 - 40 = 90 degrees
  int throttle = 20;
  int status = 0;
  int mafRaw = 10;
  int distance = 1234;
  int economyRaw = 125;
};
std::string CarDataFrame(const CarDataValues& v, bool full);

// offset_min.bin contents.
struct OffsetRecord {
  double latitudeKey;
  double longitudeOffset;
  double latitudeOffset;
};
struct OffsetRow {
  double longitudeKey;
  std::vector<OffsetRecord> records;
};
std::string OffsetTableBytes(double step, const std::vector<OffsetRow>& rows);
void PutU64(std::string& bytes, std::size_t offset, std::uint64_t value);
void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value);
void PutF64(std::string& bytes, std::size_t offset, double value);
constexpr std::size_t kOffsetHeaderSize = 32;
constexpr std::size_t kOffsetRowSize = 32;
constexpr std::size_t kOffsetRecordSize = 48;

// A file in a folder of its own under the system's temporary folder, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& name);
  ~TempFile();
  const std::string& path() const { return path_; }
  const std::string& dir() const { return dir_; }
  void Write(const std::string& bytes) const;

 private:
  std::string dir_;
  std::string path_;
};

// Runs a test once in the "C" locale and once in a locale with a decimal comma.
class LocaleTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override;
  void TearDown() override;
};
inline auto Locales() { return ::testing::Values("C", "de_DE.UTF-8"); }

// Sets the time zone for local-time conversions.
void PinTimeZone(const char* tz);

}  // namespace gpstest
