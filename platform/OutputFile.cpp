#include "platform/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace plat {
namespace {

constexpr int kTempAttempts = 64;
constexpr std::size_t kRandomChars = 6;
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kCopyBytes = 64 * 1024;

constexpr std::uint64_t kSequenceStep = 0x9E3779B97F4A7C15ull;

// The sequence the random parts come from, one number per name tried; no two calls share one.
std::atomic<std::uint64_t>& Sequence() {
  static std::atomic<std::uint64_t> next{std::random_device{}() ^ (std::uint64_t{std::random_device{}()} << 32)};
  return next;
}

// Characters that make a temporary name new, mixed from one number of the sequence.
std::string RandomPart(std::uint64_t v) {
  v = (v ^ (v >> 30)) * 0xBF58476D1CE4E5B9ull;
  v = (v ^ (v >> 27)) * 0x94D049BB133111EBull;
  v ^= v >> 31;
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string out;
  for (std::size_t i = 0; i < kRandomChars; ++i, v /= 62) out += kChars[v % 62];
  return out;
}

// "<folder>/<name>.<random>.part", the name shortened when the whole would be too long a name.
std::string TempNameFor(const std::string& name, std::uint64_t v) {
  const std::size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  const std::size_t added = 1 + kRandomChars + std::char_traits<char>::length(OutputFile::kTempSuffix);
  if (base.size() + added > kMaxNameBytes) base.resize(kMaxNameBytes - added);
  return folder + base + "." + RandomPart(v) + OutputFile::kTempSuffix;
}

int WriteWhole(int fd, const char* data, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, data, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return w < 0 ? errno : EIO;
    data += w;
    n -= static_cast<std::size_t>(w);
  }
  return 0;
}

}  // namespace

OutputRefusal CheckOutputName(const std::string& name, const std::vector<std::string>& inputs, std::string* input) {
  struct stat target {};
  if (::stat(name.c_str(), &target) != 0) return OutputRefusal::kNone;
  if (!S_ISREG(target.st_mode)) return OutputRefusal::kNotAFile;
  for (const std::string& path : inputs) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && st.st_dev == target.st_dev && st.st_ino == target.st_ino) {
      if (input) *input = path;
      return OutputRefusal::kIsInput;
    }
  }
  return OutputRefusal::kNone;
}

OutputFile::OutputFile(OutputFile&& other) noexcept { *this = std::move(other); }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Discard();
    fd_ = other.fd_;
    name_ = std::move(other.name_);
    temp_ = std::move(other.temp_);
    refusal_ = other.refusal_;
    refusedInput_ = std::move(other.refusedInput_);
    lastError_ = other.lastError_;
    other.fd_ = -1;
    other.temp_.clear();
  }
  return *this;
}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const std::string& name, const std::vector<std::string>& inputs, bool append,
                        OutputReaders readers) {
  Discard();
  name_ = name;
  refusedInput_.clear();
  lastError_ = 0;
  refusal_ = CheckOutputName(name, inputs, &refusedInput_);
  if (refusal_ != OutputRefusal::kNone) return false;
  if (!MakeTemp(readers) || (append && !CopyOld())) {
    Discard();
    refusal_ = OutputRefusal::kNotCreated;
    return false;
  }
  return true;
}

// O_EXCL makes the name new: an open of a name that holds anything, a link included, fails.
bool OutputFile::MakeTemp(OutputReaders readers) {
  const mode_t mode = readers == OutputReaders::kOwner ? 0600 : 0644;
  for (int i = 0; i < kTempAttempts; ++i) {
    const std::string temp = TempNameFor(name_, Sequence().fetch_add(kSequenceStep));
    fd_ = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd_ >= 0) {
      temp_ = temp;
      return true;
    }
    lastError_ = errno;
    if (lastError_ != EEXIST) return false;
  }
  return false;
}

// The old file's bytes, when the name holds a regular file; nothing when it holds none.
bool OutputFile::CopyOld() {
  const int from = ::open(name_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (from < 0) {
    lastError_ = errno == ENOENT ? 0 : errno;
    return lastError_ == 0;
  }
  struct stat st {};
  bool ok = ::fstat(from, &st) == 0 && S_ISREG(st.st_mode);
  std::vector<char> buffer(kCopyBytes);
  while (ok) {
    const ssize_t n = ::read(from, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    lastError_ = WriteWhole(fd_, buffer.data(), static_cast<std::size_t>(n));
    ok = lastError_ == 0;
  }
  ::close(from);
  return ok;
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
  if (fd_ < 0) return false;
  lastError_ = WriteWhole(fd_, static_cast<const char*>(data), bytes);
  return lastError_ == 0;
}

bool OutputFile::Commit() {
  if (fd_ < 0) return false;
  int error = ::fsync(fd_) == 0 ? 0 : errno;
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  if (error == 0 && ::rename(temp_.c_str(), name_.c_str()) != 0) error = errno;
  if (error != 0) {
    lastError_ = error;
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void OutputFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

std::vector<std::string> UpcomingTempNames(const std::string& name, std::size_t count) {
  std::vector<std::string> names;
  const std::uint64_t next = Sequence().load();
  for (std::size_t i = 0; i < count; ++i) {
    names.push_back(TempNameFor(name, next + i * kSequenceStep));
  }
  return names;
}

void ReportNotWritten(const OutputFile& output) {
  const std::string why = output.Refusal() == OutputRefusal::kNotAFile ? "it is not a regular file"
                          : output.LastError() == EEXIST ? "every new name tried beside it was taken"
                                                         : std::strerror(output.LastError());
  std::fprintf(stderr, "%s: %s is not written, it stays as it was: %s\n", program_invocation_short_name,
               output.Name().c_str(), why.c_str());
}

bool ReplaceFile(const std::string& name, const std::string& bytes, OutputReaders readers) {
  OutputFile out;
  if (out.Create(name, {}, false, readers) && out.Write(bytes.data(), bytes.size()) && out.Commit()) return true;
  ReportNotWritten(out);
  return false;
}

}  // namespace plat
