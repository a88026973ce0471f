#include "engine/gps/GpsOffsetTable.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/ByteOrder.h"
#include "platform/File.h"

namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kRowSize = 32;
constexpr std::size_t kRecordSize = 48;
constexpr char kMagic[8] = {'$', 'G', 'P', 'S', 'O', 'F', 'F', '\0'};

// Cell indices stay far inside 64 bits so that their differences cannot overflow.
constexpr double kCellLimit = 1e18;

using plat::LoadLe32;
using plat::LoadLe64;

double LoadF64(const unsigned char* p) { return std::bit_cast<double>(LoadLe64(p)); }

// Keys and positions are compared as whole grid cells, not as floating-point multiples of the
// step: a stored key one unit in the last place off its multiple still names its own cell.
std::optional<std::int64_t> KeyCell(double key, double step) {
  const double q = key / step;
  if (!(std::fabs(q) < kCellLimit)) return std::nullopt;
  return std::llround(q);
}

std::optional<std::int64_t> PositionCell(double value, double step) {
  const double q = value / step;
  if (!(std::fabs(q) < kCellLimit)) return std::nullopt;
  return static_cast<std::int64_t>(std::trunc(q));
}

// Walks the keys of items [begin, end) in order and takes the first whose cell is at least the
// given cell; none when there is no such key or it lies more than one step above.
template <class KeyAt>
std::optional<std::uint64_t> FirstCellFrom(std::uint64_t begin, std::uint64_t end,
                                           std::int64_t cell, double step, KeyAt keyAt) {
  for (std::uint64_t i = begin; i < end; ++i) {
    const std::optional<std::int64_t> key = KeyCell(keyAt(i), step);
    if (!key || *key < cell) continue;
    if (*key - cell > 1) return std::nullopt;
    return i;
  }
  return std::nullopt;
}

}  // namespace

void GpsOffsetTable::Reset() {
  step_ = 0.0;
  rowCount_ = 0;
  recordCount_ = 0;
  buffer_.reset();
}

bool GpsOffsetTable::Load(const std::string& path) {
  Reset();
  plat::File file;
  if (!file.Open(path, plat::kRead)) return false;
  const std::uint64_t size = file.Size();
  unsigned char header[kHeaderSize];
  if (size < kHeaderSize || !file.ReadAll(header, kHeaderSize)) return false;
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0) return false;

  const double step = LoadF64(header + 8);
  const std::uint64_t rows = LoadLe64(header + 16);
  const std::uint64_t records = LoadLe64(header + 24);
  const std::uint64_t rest = size - kHeaderSize;
  // Counts are bounded before they are multiplied, so a crafted header cannot wrap the sum.
  if (!std::isfinite(step) || step <= 0.0) return false;
  if (rows > rest / kRowSize || records > rest / kRecordSize) return false;
  if (rows * kRowSize + records * kRecordSize != rest) return false;

  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[rest]);
  if (!buffer || !file.ReadAll(buffer.get(), rest)) return false;

  step_ = step;
  rowCount_ = rows;
  recordCount_ = records;
  buffer_ = std::move(buffer);
  if (!RowsInsideRecords()) {
    Reset();
    return false;
  }
  return true;
}

bool GpsOffsetTable::RowsInsideRecords() const {
  for (std::uint64_t i = 0; i < rowCount_; ++i) {
    const unsigned char* row = Row(i);
    const std::uint64_t count = LoadLe32(row + 24);
    const std::uint64_t first = LoadLe32(row + 28);
    if (first + count > recordCount_) return false;
  }
  return true;
}

const unsigned char* GpsOffsetTable::Row(std::uint64_t i) const {
  return buffer_.get() + i * kRowSize;
}

const unsigned char* GpsOffsetTable::Record(std::uint64_t i) const {
  return buffer_.get() + rowCount_ * kRowSize + i * kRecordSize;
}

std::optional<GpsOffset> GpsOffsetTable::Find(double longitude, double latitude) const {
  if (rowCount_ == 0) return std::nullopt;
  const std::optional<std::int64_t> column = PositionCell(longitude, step_);
  const std::optional<std::int64_t> line = PositionCell(latitude, step_);
  if (!column || !line) return std::nullopt;
  const std::optional<std::uint64_t> row = FirstCellFrom(
      0, rowCount_, *column, step_, [this](std::uint64_t i) { return LoadF64(Row(i)); });
  if (!row) return std::nullopt;
  const std::uint64_t first = LoadLe32(Row(*row) + 28);
  const std::uint64_t end = first + LoadLe32(Row(*row) + 24);
  const std::optional<std::uint64_t> record = FirstCellFrom(
      first, end, *line, step_, [this](std::uint64_t i) { return LoadF64(Record(i) + 8); });
  if (!record) return std::nullopt;
  const unsigned char* r = Record(*record);
  return GpsOffset{LoadF64(r + 32), LoadF64(r + 40)};
}

GpsOffsetTable& GlobalGpsOffsetTable() {
  static GpsOffsetTable table;
  return table;
}

bool LoadGpsOffsetTableAtStart(const std::string& appDir, int gpsOffsetAuto) {
  if (gpsOffsetAuto != 1) return false;
  const std::string path = appDir + "offset_min.bin";
  if (GlobalGpsOffsetTable().Load(path)) return true;
  if (plat::IsOtherThanFile(path)) plat::ReportUnusedFile(path, "it is not a regular file; GPS positions are not corrected");
  return false;
}
