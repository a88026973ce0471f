// The GPS offset table: for a grid of positions, offsets that are added to a GPS position before
// it is stored in a track or shown on the map. It is read from the user's own "offset_min.bin"
// (little-endian):
//   header, 32 bytes: "$GPSOFF" and a zero byte, grid step (f64, degrees), row count R (u64),
//                     record count N (u64);
//   R rows of 32 bytes, one per grid longitude, ascending: longitude key (f64) at 0,
//                     record count (u32) at 24, index of the row's first record (u32) at 28;
//   N records of 48 bytes, each row's records consecutive and ascending: latitude key (f64) at 8,
//                     longitude offset (f64) at 32, latitude offset (f64) at 40.
// The file holds nothing else. An empty table finds nothing, so positions stay as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The offsets of one grid cell, to be added to a position.
struct GpsOffset {
  double longitude = 0.0;
  double latitude = 0.0;
};

class GpsOffsetTable {
 public:
  GpsOffsetTable() = default;
  GpsOffsetTable(const GpsOffsetTable&) = delete;
  GpsOffsetTable& operator=(const GpsOffsetTable&) = delete;

  // Replaces the table with the file's. A file that cannot be read, or whose header, length or
  // rows do not describe a consistent table, leaves the table empty; result true when loaded.
  bool Load(const std::string& path);

  // The offsets of the grid cell of a position: the first row whose longitude key is at least the
  // position's cell (truncated toward zero), no more than one step above it, then within that row
  // the first record whose latitude key is at least the position's cell, likewise. None when the
  // table is empty or the position lies outside the grid.
  std::optional<GpsOffset> Find(double longitude, double latitude) const;

 private:
  void Reset();
  bool RowsInsideRecords() const;
  const unsigned char* Row(std::uint64_t i) const;
  const unsigned char* Record(std::uint64_t i) const;

  double step_ = 0.0;
  std::uint64_t rowCount_ = 0;
  std::uint64_t recordCount_ = 0;
  std::unique_ptr<unsigned char[]> buffer_;  // the rows, then the records
};

// The program's one table, empty until loaded at start-up, before the threads that look
// positions up in it are started; lookups from several threads at once are safe.
GpsOffsetTable& GlobalGpsOffsetTable();

// The start-up load: with the "GPS_Offset_Auto" setting exactly 1, the global table is loaded
// from "offset_min.bin" in the program's folder (given with its trailing '/'); any other value
// leaves it empty. Result true when a table was loaded. Only a regular file is read; anything
// else there (a FIFO, a device) is reported on the standard error and left alone.
bool LoadGpsOffsetTableAtStart(const std::string& appDir, int gpsOffsetAuto);
