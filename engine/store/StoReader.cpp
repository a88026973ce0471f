#include "engine/store/StoReader.h"

unsigned CStoReader::ToAccess(DWORD access) {
  unsigned a = 0;
  if (access & GENERIC_READ) a |= plat::kRead;
  if (access & GENERIC_WRITE) a |= plat::kWrite;
  return a ? a : plat::kRead;
}

bool CStoReader::OpenPhysicalDrive(unsigned driveNo, DWORD access) { return file_.OpenDrive(driveNo, ToAccess(access)); }

bool CStoReader::OpenFile(const std::string& path, DWORD access) {
  return file_.OpenSeekable(path, ToAccess(access), (access & GENERIC_WRITE) != 0);
}

bool CStoReader::Seek(std::int64_t distance, DWORD method, std::uint64_t* newPosition) {
  if (method == FILE_BEGIN) {
    if (distance < 0 || !file_.Seek(static_cast<std::uint64_t>(distance))) return false;
    if (newPosition) *newPosition = static_cast<std::uint64_t>(distance);
    return true;
  }
  return method == FILE_CURRENT && file_.Skip(distance, newPosition);
}

bool CStoReader::Read(void* buffer, std::size_t count) { return file_.IsOpen() && file_.ReadAll(buffer, count); }

bool CStoReader::Write(const void* buffer, std::size_t count) { return file_.IsOpen() && file_.WriteAll(buffer, count); }

bool CStoReader::ReadAt(std::uint64_t position, void* buffer, std::size_t count) const {
  return file_.IsOpen() && file_.ReadAt(position, buffer, count);
}
