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
  // A regular file or block device; with write access a missing file is created (never
  // truncated), else it must exist. Anything else is refused at once.
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
  // Copies n bytes of another store file into this one inside the kernel; false when not every
  // byte moved.
  bool CopyFrom(const CStoReader& from, std::uint64_t fromPos, std::uint64_t toPos, std::uint64_t n) {
    return file_.CopyFrom(from.file_, fromPos, toPos, n);
  }
  // Asks the system to read n bytes from pos on ahead of the reads that follow.
  void WillRead(std::uint64_t pos, std::uint64_t n) const { file_.WillRead(pos, n); }
  void Close() { file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }
  std::uint64_t Size() const { return file_.Size(); }
  // The error of the last open, read or write that failed (errno).
  int LastError() const { return file_.LastError(); }

 private:
  static unsigned ToAccess(DWORD access);
  plat::File file_;
};
