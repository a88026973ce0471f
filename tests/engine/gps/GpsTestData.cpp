#include "tests/engine/gps/GpsTestData.h"

#include <unistd.h>

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace gpstest {

namespace {

std::string Hex(unsigned value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    text[static_cast<std::size_t>(i)] = kDigits[value & 15];
  return text;
}

// "mm.mmmm" of the fractional degrees, printed without the C library so that no locale applies.
std::string Minutes(double degrees) {
  const double minutes = (degrees - std::floor(degrees)) * 60.0;
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, minutes, std::chars_format::fixed, 4);
  std::string text(buf, r.ptr);
  return std::string(7 - text.size(), '0') + text;
}

// "ddmm.mmmm" (width 2) or "dddmm.mmmm" (width 3) of positive degrees.
std::string Degrees(double degrees, int width) {
  std::string text = std::to_string(static_cast<int>(std::floor(degrees)));
  return std::string(static_cast<std::size_t>(width) - text.size(), '0') + text + Minutes(degrees);
}

}  // namespace

std::string MakeRmc(const RmcFields& f) {
  std::string body = f.talker + "RMC," + f.time + "," + f.status + "," + f.latitude + "," +
                     f.northSouth + "," + f.longitude + "," + f.eastWest + "," + f.speedKnots +
                     "," + f.course + "," + f.date + "," + f.variation;
  if (!f.mode.empty()) body += "," + f.mode;
  unsigned checksum = 0;
  for (char c : body) checksum ^= static_cast<unsigned char>(c);
  if (f.wrongChecksum) checksum ^= 0xFF;
  return "$" + body + "*" + Hex(checksum, 2);
}

std::string RmcAt(double latitude, double longitude, const std::string& time,
                  const std::string& date) {
  RmcFields f;
  f.latitude = Degrees(std::fabs(latitude), 2);
  f.northSouth = latitude < 0 ? "S" : "N";
  f.longitude = Degrees(std::fabs(longitude), 3);
  f.eastWest = longitude < 0 ? "W" : "E";
  f.time = time;
  f.date = date;
  return MakeRmc(f);
}

ExactText::ExactText(std::string_view text) : data_(new char[text.size()]), size_(text.size()) {
  std::memcpy(data_.get(), text.data(), text.size());
}

std::string CarDataFrame(const CarDataValues& v, bool full) {
  std::string frame("\0\0\0\x04", 4);
  frame += Hex(static_cast<unsigned>(v.speed), 2) + Hex(static_cast<unsigned>(v.rpm), 4) +
           Hex(static_cast<unsigned>(v.load), 2) + Hex(static_cast<unsigned>(v.voltageRaw), 2) +
           Hex(static_cast<unsigned>(v.temperatureRaw), 2) +
           Hex(static_cast<unsigned>(v.throttle), 2) + Hex(static_cast<unsigned>(v.status), 2);
  if (full) {
    frame += Hex(static_cast<unsigned>(v.mafRaw), 2) + Hex(static_cast<unsigned>(v.distance), 4) +
             Hex(static_cast<unsigned>(v.economyRaw), 2);
  }
  return frame;
}

void PutU64(std::string& bytes, std::size_t offset, std::uint64_t value) {
  for (int i = 0; i < 8; ++i)
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

void PutF64(std::string& bytes, std::size_t offset, double value) {
  PutU64(bytes, offset, std::bit_cast<std::uint64_t>(value));
}

// Bytes the reader must not look at are filled with a pattern rather than zeros.
std::string OffsetTableBytes(double step, const std::vector<OffsetRow>& rows) {
  std::size_t recordCount = 0;
  for (const OffsetRow& row : rows) recordCount += row.records.size();
  std::string bytes(
      kOffsetHeaderSize + rows.size() * kOffsetRowSize + recordCount * kOffsetRecordSize, '\xA5');
  std::memcpy(bytes.data(), "$GPSOFF\0", 8);
  PutF64(bytes, 8, step);
  PutU64(bytes, 16, rows.size());
  PutU64(bytes, 24, recordCount);
  std::size_t rowAt = kOffsetHeaderSize;
  std::size_t recordAt = kOffsetHeaderSize + rows.size() * kOffsetRowSize;
  std::uint32_t first = 0;
  for (const OffsetRow& row : rows) {
    PutF64(bytes, rowAt, row.longitudeKey);
    PutU32(bytes, rowAt + 24, static_cast<std::uint32_t>(row.records.size()));
    PutU32(bytes, rowAt + 28, first);
    rowAt += kOffsetRowSize;
    for (const OffsetRecord& record : row.records) {
      PutF64(bytes, recordAt + 8, record.latitudeKey);
      PutF64(bytes, recordAt + 32, record.longitudeOffset);
      PutF64(bytes, recordAt + 40, record.latitudeOffset);
      recordAt += kOffsetRecordSize;
      ++first;
    }
  }
  return bytes;
}

TempFile::TempFile(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string folder = std::string("gps-") + test->test_suite_name() + "-" + test->name() + "-" +
                       std::to_string(getpid());
  for (char& c : folder) {
    if (c == '/') c = '_';
  }
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / folder;
  std::filesystem::create_directories(dir);
  dir_ = dir.string() + "/";
  path_ = (dir / name).string();
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void TempFile::Write(const std::string& bytes) const {
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void LocaleTest::SetUp() {
  ASSERT_NE(std::setlocale(LC_ALL, GetParam()), nullptr)
      << "locale " << GetParam() << " is missing; tools/install-deps.sh generates it";
  if (std::string(GetParam()) != "C") {
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  }
}

void LocaleTest::TearDown() { std::setlocale(LC_ALL, "C"); }

void PinTimeZone(const char* tz) {
  setenv("TZ", tz, 1);
  tzset();
}

}  // namespace gpstest
