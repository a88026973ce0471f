// One open file or raw drive of a store, with whole-or-nothing reads and writes and 64-bit seeks.
#pragma once

#include <cstdint>
#include <string>

#include "platform/File.h"
#include "platform/Types.h"

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;

class CStoReader {
 public:
  CStoReader() = default;
  CStoReader(const CStoReader&) = delete;
  CStoReader& operator=(const CStoReader&) = delete;
  virtual ~CStoReader() = default;

  // Physical drive n through the platform's drive map; any number the map knows.
  bool OpenPhysicalDrive(unsigned driveNo, DWORD access);
  // A file; with write access a missing file is created (never truncated), else it must exist.
  bool OpenFile(const std::string& path, DWORD access);
  // A file for reading and writing, created, or emptied when it exists.
  bool CreateFile(const std::string& path) { return file_.Create(path); }
  // Moves to `distance` from the start (FILE_BEGIN) or from the current position (FILE_CURRENT).
  // A position past the end is allowed; the next read then fails.
  bool Seek(std::int64_t distance, DWORD method, std::uint64_t* newPosition = nullptr);
  bool Read(void* buffer, std::size_t count);
  bool Write(const void* buffer, std::size_t count);
  // Reads or writes at an absolute position without moving the file position.
  bool ReadAt(std::uint64_t position, void* buffer, std::size_t count) const;
  bool WriteAt(std::uint64_t position, const void* buffer, std::size_t count) {
    return file_.IsOpen() && file_.WriteAt(position, buffer, count);
  }
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  std::uint64_t Size() const { return file_.Size(); }

 private:
  static unsigned ToAccess(DWORD access);
  plat::File file_;
};
