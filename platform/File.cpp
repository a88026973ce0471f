#include "platform/File.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/DriveLetters.h"

extern char** environ;

namespace fs = std::filesystem;

namespace plat {

namespace {

std::string ReadSysValue(const std::string& path) {
  std::ifstream in(path);
  std::string v;
  std::getline(in, v);
  return v;
}

bool IsWholeDiskName(const std::string& name) {
  static const char* const kSkipped[] = {"loop", "ram", "zram", "dm-", "sr", "md", "fd", "nbd"};
  for (const char* p : kSkipped)
    if (name.rfind(p, 0) == 0) return false;
  return true;
}

std::vector<std::string> WholeDiskNames(const SystemRoots& roots) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(roots.sys + "/block", ec)) {
    const std::string n = e.path().filename().string();
    if (IsWholeDiskName(n)) names.push_back(n);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The kernel's name of a block device ("sdb1" for "/dev/sdb1" or for a link to it such as
// "/dev/disk/by-label/CARD"); the path's last part when it leads nowhere.
std::string BlockNameOf(const std::string& device, const SystemRoots& roots) {
  const bool inDev = device.rfind("/dev/", 0) == 0;
  std::error_code ec;
  const fs::path real = fs::canonical(inDev ? roots.dev + device.substr(4) : device, ec);
  return (ec ? fs::path(device) : real).filename().string();
}

// The whole disk ("sda") that a block device ("/dev/sda1") belongs to; empty when the kernel
// knows no such device.
std::string DiskOfDevice(const std::string& device, const SystemRoots& roots) {
  const std::string name = BlockNameOf(device, roots);
  std::error_code ec;
  if (name.empty()) return {};
  if (fs::exists(roots.sys + "/block/" + name, ec)) return name;
  const fs::path cls = fs::canonical(roots.sys + "/class/block/" + name, ec);
  if (ec) return {};
  return cls.parent_path().filename().string();
}

struct Mount {
  std::string device;
  std::string point;
};

std::vector<Mount> ReadMounts(const SystemRoots& roots) {
  std::vector<Mount> mounts;
  std::ifstream in(roots.proc + "/mounts");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    Mount m;
    ls >> m.device >> m.point;
    // /proc/mounts writes spaces in mount points as \040.
    for (size_t p = m.point.find("\\040"); p != std::string::npos; p = m.point.find("\\040"))
      m.point.replace(p, 4, " ");
    if (m.device.rfind("/dev/", 0) == 0) mounts.push_back(m);
  }
  return mounts;
}

std::optional<std::string> OverriddenDrive(unsigned driveNo) {
  const std::string var = "PLAYER_DRIVE_" + std::to_string(driveNo);
  const char* v = std::getenv(var.c_str());
  if (v && *v) return std::string(v);
  return std::nullopt;
}

// The number of a drive named in text: one to nine decimal digits.
std::optional<unsigned> DriveNumber(const std::string& digits) {
  if (digits.empty() || digits.size() > 9 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return std::nullopt;
  return static_cast<unsigned>(std::stoul(digits));
}

// Runs `step(done, left)` (one read or write of up to `left` bytes after the first `done`) until
// all `n` bytes have moved, again after an interruption. 0, else the error of the step that failed;
// EIO for a step that moved nothing (a read at the end of the file).
template <class Step>
int MoveAll(std::size_t n, Step step) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t r = step(done, n - done);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return r < 0 ? errno : EIO;
    done += static_cast<std::size_t>(r);
  }
  return 0;
}

std::map<unsigned, std::string> AllOverrides() {
  std::map<unsigned, std::string> out;
  for (char** e = environ; e && *e; ++e) {
    const std::string kv(*e);
    constexpr std::string_view kPrefix = "PLAYER_DRIVE_";
    if (kv.rfind(kPrefix, 0) != 0) continue;
    const size_t eq = kv.find('=');
    const auto number = DriveNumber(kv.substr(kPrefix.size(), eq - kPrefix.size()));
    if (number && eq + 1 < kv.size()) out[*number] = kv.substr(eq + 1);
  }
  return out;
}

// The letters of the run's volumes; enumerations may run on several threads.
std::vector<char> AssignDriveLetters(const std::vector<MountedVolume>& volumes) {
  static std::mutex mutex;
  static DriveLetterBook book;
  std::lock_guard lock(mutex);
  return book.Assign(volumes);
}

// The folder of `dir` named "dcim" in any case, as cameras write it and as a card copied from its
// own file system keeps it; when several differ only by case, the first by name.
std::optional<fs::path> DataFolderIn(const fs::path& dir) {
  std::optional<fs::path> found;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    std::string name = e.path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    if (name != "dcim" || !e.is_directory(ec)) continue;
    if (!found || e.path().filename() < found->filename()) found = e.path();
  }
  return found;
}

}  // namespace

File::File(File&& other) noexcept : fd_(other.fd_), lastError_(other.lastError_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    lastError_ = other.lastError_;
    path_ = std::move(other.path_);
    other.fd_ = -1;
  }
  return *this;
}

File::~File() { Close(); }

// Opening never waits: a FIFO or a device would otherwise block the open, or the first read, until
// a writer or the device answers. Only the kinds asked for are kept, and reads and writes then
// block again as on any file.
bool File::OpenKind(const std::string& path, unsigned access, bool createIfMissing, bool blockDevice) {
  Close();
  int flags = O_CLOEXEC | O_NONBLOCK;
  flags |= (access & kWrite) ? ((access & kRead) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (createIfMissing) flags |= O_CREAT;
  const int fd = ::open(path.c_str(), flags, 0644);
  struct stat st {};
  const bool kind = fd >= 0 && ::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || (blockDevice && S_ISBLK(st.st_mode)));
  if (!kind || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    lastError_ = fd < 0 ? errno : EINVAL;
    if (fd >= 0) ::close(fd);
    return false;
  }
  fd_ = fd;
  lastError_ = 0;
  path_ = path;
  return true;
}

bool File::Open(const std::string& path, unsigned access, bool createIfMissing) {
  return OpenKind(path, access, createIfMissing, false);
}

bool File::OpenSeekable(const std::string& path, unsigned access, bool createIfMissing) {
  return OpenKind(path, access, createIfMissing, true);
}

bool File::Create(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  lastError_ = fd_ < 0 ? errno : 0;
  if (fd_ >= 0) path_ = path;
  return fd_ >= 0;
}

bool File::OpenDrive(unsigned driveNo, unsigned access) {
  const auto path = DrivePath(driveNo);
  if (!path) {
    Close();
    lastError_ = ENOENT;
    return false;
  }
  return OpenSeekable(*path, access, false);
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  path_.clear();
}

bool File::Seek(std::uint64_t pos) {
  if (fd_ < 0 || pos > static_cast<std::uint64_t>(INT64_MAX)) return false;
  const off_t r = ::lseek(fd_, static_cast<off_t>(pos), SEEK_SET);
  lastError_ = r < 0 ? errno : 0;
  return r >= 0;
}

bool File::Skip(std::int64_t delta, std::uint64_t* newPos) {
  if (fd_ < 0) return false;
  const off_t r = ::lseek(fd_, static_cast<off_t>(delta), SEEK_CUR);
  lastError_ = r < 0 ? errno : 0;
  if (r >= 0 && newPos) *newPos = static_cast<std::uint64_t>(r);
  return r >= 0;
}

std::uint64_t File::Tell() const {
  if (fd_ < 0) return 0;
  const off_t r = ::lseek(fd_, 0, SEEK_CUR);
  return r < 0 ? 0 : static_cast<std::uint64_t>(r);
}

bool File::ReadAll(void* buf, std::size_t n) {
  auto* p = static_cast<char*>(buf);
  lastError_ = MoveAll(n, [&](std::size_t done, std::size_t left) { return ::read(fd_, p + done, left); });
  return lastError_ == 0;
}

bool File::WriteAll(const void* buf, std::size_t n) {
  const auto* p = static_cast<const char*>(buf);
  lastError_ = MoveAll(n, [&](std::size_t done, std::size_t left) { return ::write(fd_, p + done, left); });
  return lastError_ == 0;
}

// A const read leaves the last error as it was.
bool File::ReadAt(std::uint64_t pos, void* buf, std::size_t n) const {
  auto* p = static_cast<char*>(buf);
  return MoveAll(n, [&](std::size_t done, std::size_t left) {
           return ::pread(fd_, p + done, left, static_cast<off_t>(pos + done));
         }) == 0;
}

// A positioned write that succeeds leaves the last error as it was.
bool File::WriteAt(std::uint64_t pos, const void* buf, std::size_t n) {
  const auto* p = static_cast<const char*>(buf);
  const int error = MoveAll(n, [&](std::size_t done, std::size_t left) {
    return ::pwrite(fd_, p + done, left, static_cast<off_t>(pos + done));
  });
  if (error != 0) lastError_ = error;
  return error == 0;
}

bool File::CopyFrom(const File& from, std::uint64_t fromPos, std::uint64_t toPos, std::uint64_t n) {
  constexpr std::uint64_t kLargestStep = 0x40000000;
  if (fd_ < 0 || from.fd_ < 0 || !Seek(toPos)) return false;
  auto in = static_cast<off_t>(fromPos);
  while (n > 0) {
    const ssize_t r = ::sendfile(fd_, from.fd_, &in, static_cast<std::size_t>(std::min(n, kLargestStep)));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      lastError_ = r < 0 ? errno : EIO;
      return false;
    }
    n -= static_cast<std::uint64_t>(r);
  }
  return true;
}

void File::WillRead(std::uint64_t pos, std::uint64_t n) const {
  if (fd_ >= 0) ::posix_fadvise(fd_, static_cast<off_t>(pos), static_cast<off_t>(n), POSIX_FADV_WILLNEED);
}

bool File::Truncate(std::uint64_t size) { return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0; }

bool File::Flush() { return fd_ >= 0 && ::fsync(fd_) == 0; }

std::uint64_t File::Size() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  if (S_ISBLK(st.st_mode)) {
    std::uint64_t bytes = 0;
    return ::ioctl(fd_, BLKGETSIZE64, &bytes) == 0 ? bytes : 0;
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> DrivePath(unsigned driveNo) {
  if (auto o = OverriddenDrive(driveNo)) return o;
  const auto names = WholeDiskNames(SystemRoots{});
  if (driveNo >= names.size()) return std::nullopt;
  return "/dev/" + names[driveNo];
}

std::optional<std::string> TranslateDevicePath(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  constexpr std::string_view kDevice = "//./";
  if (p.rfind(kDevice, 0) != 0) return p;
  const std::string rest = p.substr(kDevice.size());
  constexpr std::string_view kDrive = "physicaldrive";
  std::string lower = rest;
  std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
  if (lower.rfind(kDrive, 0) == 0) {
    const auto number = DriveNumber(rest.substr(kDrive.size()));
    return number ? DrivePath(*number) : std::nullopt;
  }
  if (rest.size() == 2 && rest[1] == ':') {
    const char letter = static_cast<char>(::toupper(rest[0]));
    for (const auto& v : EnumerateVolumes())
      if (v.letter == letter) return v.device;
  }
  return std::nullopt;
}

std::vector<DriveInfo> EnumerateDrives(const SystemRoots& roots) {
  std::string systemDisk;
  for (const auto& m : ReadMounts(roots))
    if (m.point == "/") systemDisk = DiskOfDevice(m.device, roots);
  std::map<unsigned, DriveInfo> drives;
  const auto names = WholeDiskNames(roots);
  for (unsigned i = 0; i < names.size(); ++i) {
    DriveInfo d;
    d.number = i;
    d.device = "/dev/" + names[i];
    const std::string sys = roots.sys + "/block/" + names[i];
    d.removable = ReadSysValue(sys + "/removable") == "1" || names[i].rfind("mmcblk", 0) == 0;
    d.sizeBytes = std::strtoull(ReadSysValue(sys + "/size").c_str(), nullptr, 10) * 512;
    d.medium = d.sizeBytes > 0;
    d.system = names[i] == systemDisk;
    drives[i] = d;
  }
  for (const auto& [number, path] : AllOverrides()) {
    DriveInfo d;
    d.number = number;
    d.device = path;
    d.removable = true;
    std::error_code ec;
    d.sizeBytes = fs::is_regular_file(path, ec) ? static_cast<std::uint64_t>(fs::file_size(path, ec)) : 0;
    drives[number] = d;
  }
  std::vector<DriveInfo> out;
  for (auto& [n, d] : drives) out.push_back(d);
  return out;
}

std::vector<VolumeInfo> EnumerateVolumes(const SystemRoots& roots) {
  const auto names = WholeDiskNames(roots);
  const auto drives = EnumerateDrives(roots);
  std::vector<VolumeInfo> out;
  std::vector<MountedVolume> others;
  for (const auto& m : ReadMounts(roots)) {
    const auto sameDevice = [&](const MountedVolume& o) { return o.device == m.device; };
    if (std::any_of(others.begin(), others.end(), sameDevice) || DiskOfDevice(m.device, roots).empty()) continue;
    if (m.point == "/") {
      VolumeInfo v;
      v.letter = 'C';
      v.mountPoint = "/";
      v.device = m.device;
      out.insert(out.begin(), v);
      continue;
    }
    others.push_back({m.device, m.point + (m.point.back() == '/' ? "" : "/")});
  }
  // Volumes seen for the first time take their letters in the order of their mount points.
  std::sort(others.begin(), others.end(),
            [](const MountedVolume& a, const MountedVolume& b) { return a.mountPoint < b.mountPoint; });
  const std::vector<char> letters = AssignDriveLetters(others);
  for (size_t i = 0; i < others.size(); ++i) {
    if (letters[i] == 0) continue;
    VolumeInfo v;
    v.letter = letters[i];
    v.mountPoint = others[i].mountPoint;
    v.device = others[i].device;
    const std::string disk = DiskOfDevice(v.device, roots);
    for (unsigned n = 0; n < names.size(); ++n)
      if (names[n] == disk) v.driveNumber = n;
    for (const auto& d : drives)
      if (v.driveNumber && d.number == *v.driveNumber) v.removable = d.removable;
    out.push_back(v);
  }
  std::sort(out.begin(), out.end(), [](const VolumeInfo& a, const VolumeInfo& b) { return a.letter < b.letter; });
  return out;
}

void ReportUnusedFile(const std::string& path, const std::string& why) {
  std::fprintf(stderr, "%s: %s is not read: %s\n", program_invocation_short_name, path.c_str(), why.c_str());
}

bool MakeDirs(const std::string& dir, int* error) {
  std::error_code made;
  fs::create_directories(dir, made);
  std::error_code ec;
  if (fs::is_directory(dir, ec)) return true;
  if (error != nullptr) *error = made ? made.value() : ENOTDIR;
  return false;
}

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool IsOtherThanFile(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  return !ec && fs::exists(status) && !fs::is_regular_file(status);
}

std::vector<std::string> ListFiles(const std::string& dir, const std::string& suffix) {
  auto lower = [](std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return s;
  };
  const std::string want = lower(suffix);
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    if (!e.is_regular_file(ec)) continue;
    const std::string name = e.path().filename().string();
    if (name.size() >= want.size() && lower(name.substr(name.size() - want.size())) == want) out.push_back(name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string ExecutableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "./";
  std::string dir = exe.parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::optional<std::string> CardDataFolderOf(const std::string& idxPath) {
  std::error_code ec;
  fs::path dir = fs::absolute(idxPath, ec).parent_path();
  if (ec) return std::nullopt;
  struct stat start {};
  if (::stat(dir.c_str(), &start) != 0) return std::nullopt;
  for (;;) {
    if (const std::optional<fs::path> data = DataFolderIn(dir)) return data->string() + "/";
    const fs::path parent = dir.parent_path();
    struct stat up {};
    // Stop at the mount point: the parent lies on another file system, or this is the root.
    if (parent == dir || ::stat(parent.c_str(), &up) != 0 || up.st_dev != start.st_dev) return std::nullopt;
    dir = parent;
  }
}

void* AllocArea(std::size_t bytes) {
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void FreeArea(void* p, std::size_t bytes) {
  if (p) ::munmap(p, bytes);
}

}  // namespace plat
