// Files, raw drives and volumes. A seek past the end of a file succeeds and the following read
// fails; reads and writes succeed only when every byte moved.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plat {

enum Access : unsigned { kRead = 1, kWrite = 2 };

class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  // Opens an existing regular file; with createIfMissing a missing file is created. Never
  // truncates. Anything else (a FIFO, a socket, a device, a folder) is refused at once, without
  // waiting for a writer, with LastError() EINVAL.
  bool Open(const std::string& path, unsigned access, bool createIfMissing = false);
  // Opens what a store is read from, a regular file or a block device, as Open does.
  bool OpenSeekable(const std::string& path, unsigned access, bool createIfMissing = false);
  // Creates the file, or empties an existing one. A link at the name is refused (ELOOP), never
  // followed: outputs reopen their temporary files by name, and a link put there meanwhile must
  // not send the bytes elsewhere.
  bool Create(const std::string& path);
  // Opens the raw drive of the given number (see DrivePath) as OpenSeekable does.
  bool OpenDrive(unsigned driveNo, unsigned access);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  bool Seek(std::uint64_t pos);
  bool Skip(std::int64_t delta, std::uint64_t* newPos = nullptr);
  std::uint64_t Tell() const;
  bool ReadAll(void* buf, std::size_t n);
  bool WriteAll(const void* buf, std::size_t n);
  bool ReadAt(std::uint64_t pos, void* buf, std::size_t n) const;
  bool WriteAt(std::uint64_t pos, const void* buf, std::size_t n);
  // Copies n bytes from a position of another file to a position of this one inside the kernel,
  // without passing them through the program's memory (as cp does); moves this file's position.
  // False when not every byte moved.
  bool CopyFrom(const File& from, std::uint64_t fromPos, std::uint64_t toPos, std::uint64_t n);
  // Tells the system that n bytes from pos on will be read soon, so that it reads them ahead.
  void WillRead(std::uint64_t pos, std::uint64_t n) const;
  bool Truncate(std::uint64_t size);
  bool Flush();
  // Size of a regular file, or of a block device.
  std::uint64_t Size() const;
  int LastError() const { return lastError_; }
  const std::string& Path() const { return path_; }

 private:
  bool OpenKind(const std::string& path, unsigned access, bool createIfMissing, bool blockDevice);

  int fd_ = -1;
  int lastError_ = 0;
  std::string path_;
};

// The path of physical drive N. The environment variable PLAYER_DRIVE_<N>=path maps drive N to
// any file (card images in tests and tools); otherwise drives are the machine's whole disks in
// the order of their kernel names.
std::optional<std::string> DrivePath(unsigned driveNo);

// A Windows-style device path: "\\.\PhysicalDriveN" (any number of digits) or "\\.\X:" becomes
// the Linux device path; any other path is returned unchanged with '\' turned into '/'.
std::optional<std::string> TranslateDevicePath(const std::string& path);

// Where the kernel's tables are read: the sysfs and procfs mounts and the device folder. Tests
// point them at a tree of their own.
struct SystemRoots {
  std::string sys = "/sys";
  std::string proc = "/proc";
  std::string dev = "/dev";
};

struct DriveInfo {
  unsigned number = 0;        // physical drive number
  std::string device;         // /dev/sdb, or the mapped image file
  bool removable = false;
  bool system = false;        // holds the root file system
  std::uint64_t sizeBytes = 0;
  bool medium = true;         // false for a drive without its medium (a card reader without a card)
};
// The whole disks in the order of their kernel names, then the drives mapped to files.
std::vector<DriveInfo> EnumerateDrives(const SystemRoots& roots = {});

struct VolumeInfo {
  char letter = 0;            // C for the root file system; D to Z, each kept while mounted
  std::string mountPoint;     // with a trailing '/'
  std::string device;
  std::optional<unsigned> driveNumber;
  bool removable = false;
};
// The mounted volumes whose block device is still there (a medium pulled out without unmounting
// stays in the mount table after its device has gone).
std::vector<VolumeInfo> EnumerateVolumes(const SystemRoots& roots = {});

// Says on the standard error that a file the program would read is not used, and why:
// "<program>: <path> is not read: <why>". For files whose absence the program gets by without
// (settings, translations, tables), so that a user can find out why they have no effect.
void ReportUnusedFile(const std::string& path, const std::string& why);

// Creates a folder and its parents; true when the folder exists afterwards. Otherwise `error`,
// when given, receives the system's error number of the failure.
bool MakeDirs(const std::string& dir, int* error = nullptr);
bool IsDirectory(const std::string& path);
bool FileExists(const std::string& path);
// Whether something other than a regular file (a FIFO, a socket, a device, a folder) is there.
bool IsOtherThanFile(const std::string& path);
// File names (not paths) in a folder whose names end with the suffix, compared case-insensitively.
std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix);
// The folder of the running executable, with a trailing '/'.
std::string ExecutableDir();

// The data folder of an index file, with a trailing '/': the folder named "dcim" in any case in
// the index file's own folder, else in the nearest of its ancestors up to the file system's mount
// point. Nothing when there is none.
std::optional<std::string> CardDataFolderOf(const std::string& idxPath);

// Page-aligned zeroed memory for large queue areas.
void* AllocArea(std::size_t bytes);
void FreeArea(void* p, std::size_t bytes);

}  // namespace plat
