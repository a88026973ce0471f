// Loads arbitrary bytes as an offset table file and looks up positions taken from the file.
// Inputs whose first byte is odd are the file itself; the others give a header step, small row
// and record counts and the bytes of the rows and records, from which a file of the consistent
// length is made, so that row ranges and lookups are reached as often as header checks.
#include <sys/mman.h>
#include <unistd.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/gps/GpsOffsetTable.h"

namespace {

constexpr std::uint64_t kKeysTried = 8;

// One in-memory file for every input, opened again by path as a user's file would be.
const std::string& MemoryFilePath(int* fd) {
  static int file = memfd_create("offset_min.bin", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(file);
  if (file < 0) std::abort();
  *fd = file;
  return path;
}

double DoubleAt(const std::string& bytes, std::size_t offset) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, bytes.data() + offset, sizeof bits);
  return std::bit_cast<double>(bits);
}

std::uint64_t CountAt(const std::string& bytes, std::size_t offset) {
  std::uint64_t count = 0;
  std::memcpy(&count, bytes.data() + offset, sizeof count);
  return count;
}

std::string FileOf(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  if (data[0] & 1 || size < 11)
    return std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::uint64_t rows = data[9] % 16;
  const std::uint64_t records = data[10] % 32;
  std::string file("$GPSOFF\0", 8);
  file.append(reinterpret_cast<const char*>(data) + 1, 8);
  file.append(reinterpret_cast<const char*>(&rows), 8);
  file.append(reinterpret_cast<const char*>(&records), 8);
  file.append(reinterpret_cast<const char*>(data) + 11, size - 11);
  file.resize(32 + 32 * rows + 48 * records, '\0');
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = FileOf(data, size);
  int fd = -1;
  const std::string& path = MemoryFilePath(&fd);
  if (ftruncate(fd, 0) != 0 ||
      pwrite(fd, file.data(), file.size(), 0) != static_cast<ssize_t>(file.size())) {
    std::abort();
  }
  GpsOffsetTable table;
  if (!table.Load(path)) return 0;
  // A loaded file's counts are consistent with its length; its own keys, and points half a step
  // beside them, are the positions most likely to meet its cells.
  const double step = DoubleAt(file, 8);
  const std::uint64_t rows = CountAt(file, 16);
  const std::uint64_t records = CountAt(file, 24);
  for (std::uint64_t r = 0; r < rows && r < kKeysTried; ++r) {
    const double lon = DoubleAt(file, 32 + 32 * r);
    for (std::uint64_t k = 0; k < records && k < kKeysTried; ++k) {
      const double lat = DoubleAt(file, 32 + 32 * rows + 48 * k + 8);
      table.Find(lon, lat);
      table.Find(lon - step / 2, lat + step / 2);
    }
  }
  table.Find(0.0, 0.0);
  return 0;
}
