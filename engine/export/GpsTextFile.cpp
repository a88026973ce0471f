#include "engine/export/GpsTextFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "engine/gps/GpsTrack.h"
#include "engine/gps/SentenceText.h"
#include "platform/Time.h"

namespace {

constexpr std::int64_t kSecondsAhead = std::int64_t{kGpsTextHoursAhead} * 3600;
constexpr std::string_view kCarInfoMark = "$,";
// Whole parts are bounded so that any parsed value converts to int.
constexpr double kLargestWhole = 999999.0;

// The number of `count` decimal digits at `text`; -1 when one is not a digit.
int Digits(const char* text, std::size_t count) {
  const std::string_view digits(text, count);
  return sentence_text::AllDigits(digits) ? sentence_text::DigitsValue(digits) : -1;
}

int WholePart(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(std::clamp(v, -kLargestWhole, kLargestWhole));
}

std::string Formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out(static_cast<std::size_t>(std::max(length, 0)), '\0');
  if (length > 0) std::vsnprintf(out.data(), out.size() + 1, format, again);
  va_end(again);
  return out;
}

// The fix's date ("20yy/mm/dd") and time ("hh:mm:ss") moved kGpsTextHoursAhead on, in calendar
// arithmetic with 64-bit seconds.
bool MovedTime(const GpsFix& fix, std::tm* out) {
  const int year = Digits(fix.date, 4);
  const int month = Digits(fix.date + 5, 2);
  const int day = Digits(fix.date + 8, 2);
  const int hour = Digits(fix.time, 2);
  const int minute = Digits(fix.time + 3, 2);
  const int second = Digits(fix.time + 6, 2);
  if (year < 0 || month < 1 || day < 1 || hour < 0 || minute < 0 || second < 0) return false;
  const std::int64_t t = plat::UtcToEpoch(year, month, day, hour, minute, second);
  return t != -1 && plat::EpochToUtc(t + kSecondsAhead, out);
}

}  // namespace

std::string_view TrailerGpsText(const IndexBlockA5& trailer) {
  const auto* bytes = reinterpret_cast<const char*>(trailer.bytes.data());
  const std::string_view first(bytes + kTrailerGpsTextAt, strnlen(bytes + kTrailerGpsTextAt, kTrailerGpsTextSize));
  // A recorder with a car link puts its car-info line first and the RMC sentence second.
  const bool carInfo = first.find(kCarInfoMark) != std::string_view::npos;
  if (!first.empty() && !carInfo) return {bytes + kTrailerGpsTextAt, kTrailerGpsTextsEnd - kTrailerGpsTextAt};
  if (bytes[kTrailerSecondGpsTextAt] != 0) {
    return {bytes + kTrailerSecondGpsTextAt, kTrailerGpsTextsEnd - kTrailerSecondGpsTextAt};
  }
  return {};
}

bool GpsTextFixOf(std::string_view text, GpsTextFix* out) {
  GpsFix fix;
  if (text.empty() || !GpsTrack::ParseRmc(text, fix) || !MovedTime(fix, &out->time)) return false;
  out->latitude = fix.latitude;
  out->longitude = fix.longitude;
  out->speed = fix.speed;
  out->course = fix.course;
  return true;
}

std::string GpsTextLabel(const CString& name) {
  std::string label = name.ToAnsi().substr(0, kGpsTextLabelLength);
  label.resize(kGpsTextLabelLength, ' ');
  return label;
}

std::string GpsTextLine(const std::string& label, const GpsTextFix& fix) {
  const std::tm& t = fix.time;
  const std::string date = Formatted("%04d%02d%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  const std::string time = Formatted("%02d%02d%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return label + Formatted(",%8s,%6s,%c%010.6lf,%c%09.6lf,%03d,%03d,%02d,0,1,0,0,0000,00000000000000000000\n",
                           date.c_str(), time.c_str(), fix.longitude > 0 ? 'E' : 'W', fix.longitude,
                           fix.latitude > 0 ? 'N' : 'S', fix.latitude, WholePart(fix.speed), WholePart(fix.course), 0);
}

std::string GpsTextFileStamp(int fileMode, const GpsTextFix& fix, std::time_t now) {
  if (fileMode == kGpsTextFileOfFix) {
    const std::tm& t = fix.time;
    return Formatted("%04d-%02d-%02d_%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min);
  }
  std::tm local{};
  if (!localtime_r(&now, &local)) return {};
  char text[64];
  const std::size_t n =
      std::strftime(text, sizeof text, fileMode == kGpsTextFileOfDay ? "%Y-%m-%d_All" : "%Y-%m-%d_%H-%M-%S", &local);
  return std::string(text, n);
}

CGpsTextFile::~CGpsTextFile() { End(false); }

bool IsGpsTextName(const CString& name) {
  const std::string text = name.ToUtf8();
  return text.find_first_of("/\\") == std::string::npos && text.find("..") == std::string::npos;
}

bool CGpsTextFile::Start(int fileMode, const CString& name) {
  std::lock_guard guard(lock_);
  on_ = fileMode >= kGpsTextFileOfFix && fileMode <= kGpsTextFileOfDay && IsGpsTextName(name);
  fileMode_ = fileMode;
  name_ = name;
  label_ = GpsTextLabel(name);
  return on_;
}

bool CGpsTextFile::IsOn() const {
  std::lock_guard guard(lock_);
  return on_;
}

void CGpsTextFile::BeginJob(const std::string& folder, const std::vector<std::string>& inputs) {
  std::lock_guard guard(lock_);
  folder_ = folder;
  inputs_ = inputs;
  wrote_ = false;
  failed_ = false;
  failure_ = JobFailureInfo();
  files_.clear();
}

bool CGpsTextFile::Write(const IndexBlockA5& trailer) {
  std::lock_guard guard(lock_);
  GpsTextFix fix;
  if (!on_ || !GpsTextFixOf(TrailerGpsText(trailer), &fix)) return true;
  if (!file_ && !Open(fix)) {
    failed_ = true;
    return false;
  }
  const std::string line = GpsTextLine(label_, fix);
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size()) WriteFailed();
  wrote_ = wrote_ || !failed_;
  return !failed_;
}

bool CGpsTextFile::Open(const GpsTextFix& fix) {
  const std::string path = folder_ + name_.ToUtf8() + GpsTextFileStamp(fileMode_, fix, std::time(nullptr)) + ".txt";
  const bool ofDay = fileMode_ == kGpsTextFileOfDay;
  if (!output_.Create(path, inputs_, ofDay)) {
    failure_ = OutputFailure(output_);
    return false;
  }
  // Through the temporary file's own descriptor, never its name, which someone could have swapped.
  const int fd = ::dup(output_.Descriptor());
  file_ = fd < 0 ? nullptr : ::fdopen(fd, ofDay ? "a" : "w");
  if (!file_ && fd >= 0) ::close(fd);
  if (!file_) {
    failure_ = {JobFailure::kOutputNotCreated, path, {}, errno};
    output_.Discard();
  }
  return file_ != nullptr;
}

void CGpsTextFile::WriteFailed() {
  if (!failed_) failure_ = {JobFailure::kOutputNotWritten, output_.Name(), {}, errno};
  failed_ = true;
}

bool CGpsTextFile::WroteLines() const {
  std::lock_guard guard(lock_);
  return wrote_;
}

bool CGpsTextFile::End(bool keep) {
  std::lock_guard guard(lock_);
  on_ = false;
  if (file_ && std::fclose(file_) != 0) WriteFailed();
  file_ = nullptr;
  if (!output_.IsOpen()) return !failed_;
  if (!keep || failed_) {
    output_.Discard();
  } else if (output_.Commit()) {
    files_.push_back(output_.Name());
  } else {
    failure_ = {JobFailure::kOutputNotWritten, output_.Name(), {}, output_.LastError()};
    failed_ = true;
  }
  return !failed_;
}

JobFailureInfo CGpsTextFile::Failure() const {
  std::lock_guard guard(lock_);
  return failure_;
}

std::vector<std::string> CGpsTextFile::Files() const {
  std::lock_guard guard(lock_);
  return files_;
}
