#include "engine/video/OsdLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <ctime>

#include "platform/Time.h"

namespace {

constexpr int kEdrLineStep = 20;
constexpr int kTimeLineStep = 24;
constexpr int kTimeDrop = 40;
constexpr COLORREF kSpeedLabelColor = 0x0000FF;  // red

CString Text(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  CString text;
  text.FormatV(format, args);
  va_end(args);
  return text;
}

// Positions come from the settings file; anything farther out than this is off every picture
// anyway, and the line steps cannot overflow from there.
constexpr int kFarthestOffset = 1 << 20;

// A position value below 0 counts from the far edge.
int Place(int value, int extent) {
  const int offset = std::clamp(value, -kFarthestOffset, kFarthestOffset);
  return offset < 0 ? extent + offset : offset;
}

// Lines drawn one under the other, or one above the other when the block hangs from the bottom.
class LineWriter {
 public:
  LineWriter(std::vector<OsdText>& out, const LOGFONTW& font, COLORREF color, int x, int y,
             int step)
      : out_(out), font_(font), color_(color), x_(x), y_(y), step_(step) {}

  void Add(CString text) {
    out_.push_back(OsdText{std::move(text), font_, color_, x_, y_});
    y_ += step_;
  }

 private:
  std::vector<OsdText>& out_;
  LOGFONTW font_;
  COLORREF color_;
  int x_;
  int y_;
  int step_;
};

void AddCarData(std::vector<OsdText>& out, const OsdSettings& settings, const OsdFrame& frame) {
  const CarDataRecord& car = frame.carData;
  if (car.time == 0 || !settings.edrFont) return;
  LineWriter lines(out, *settings.edrFont, settings.edrColor, Place(settings.edrLeft, frame.width),
                   Place(settings.edrTop, frame.height),
                   settings.edrTop < 0 ? -kEdrLineStep : kEdrLineStep);
  const SpeedUnit& unit = SpeedUnitOf(settings.speedUnit);
  const bool celsius = settings.temperatureUnit == 0;
  const int temperature = DisplayTemperature(car.engineTemperature, !celsius);
  lines.Add(Text(L"Speed: %3.1f %s", car.speed * unit.factor, unit.text));
  lines.Add(Text(L"RPM: %4d", car.rpm));
  lines.Add(Text(L"Engine Loading: %2d%%", car.engineLoad));
  lines.Add(Text(L"Battery Voltage: %2.1f V", car.batteryVoltage));
  lines.Add(Text(L"Engine Temperature: %2d %c", temperature, celsius ? L'C' : L'F'));
  lines.Add(Text(L"Throttle Position: %2d%%", car.throttlePosition));
  if ((car.status & kCarStatusEmergencyBraking) != 0) lines.Add(CString(L"Emergency Braking"));
}

// The frame time in local time; none for a time the C library cannot convert.
std::optional<CString> LocalDateTime(std::int64_t time) {
  std::tm tm{};
  char text[64];
  if (!plat::EpochToLocal(time, &tm) ||
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm) == 0) {
    return std::nullopt;
  }
  return CString(text);
}

void AddDiagnostics(LineWriter& lines, const OsdFigures& f) {
  lines.Add(Text(L" pts = %lld Apts =%lld", static_cast<long long>(f.videoTime),
                 static_cast<long long>(f.audioTime)));
  lines.Add(Text(L"fps: %2d, bps: %4lld kbps, P/I: %2d", f.picturesLastSecond,
                 static_cast<long long>(f.bytesLastSecond * 8 / 1024), f.gopLength));
  lines.Add(Text(L"video: q = %2d, c = %4lld KB", f.videoQueueItems,
                 static_cast<long long>(f.videoQueueBytes / 1024)));
  lines.Add(Text(L"audio: q = %2d, c = %4lld KB", f.audioQueueItems,
                 static_cast<long long>(f.audioQueueBytes / 1024)));
}

void AddTimeBlock(std::vector<OsdText>& out, const OsdSettings& settings, const OsdFrame& frame) {
  LineWriter lines(out, settings.osdFont, settings.timeColor, Place(settings.timeLeft, frame.width),
                   Place(settings.timeTop, frame.height) + kTimeDrop,
                   settings.timeTop < 0 ? -kTimeLineStep : kTimeLineStep);
  if (settings.timeMode == 1) {
    if (const auto dateTime = LocalDateTime(frame.frameTime)) lines.Add(*dateTime);
  } else if (settings.timeMode == 2) {
    AddDiagnostics(lines, frame.figures);
  }
  if (settings.music) {
    lines.Add(Text(L"music Synchronous: %d ms ", frame.figures.drift));
    lines.Add(Text(L"m_musicWait : %d ", frame.figures.previousDelay));
  }
}

void AddSpeedLabel(std::vector<OsdText>& out, const OsdSettings& settings, const OsdFrame& frame) {
  const std::optional<CString> label = SpeedLabel(frame.speed);
  if (!label) return;
  const bool small = frame.width < 640 || frame.height < 480;
  const int a = small ? 20 : 32;
  const int b = small ? 2 : 8;
  // Laid out on the whole picture: the window shows the text at the same place when zoomed.
  out.push_back(OsdText{*label, settings.osdFont, kSpeedLabelColor, 10 + a, frame.height - 40 + b});
}

}  // namespace

std::optional<CString> SpeedLabel(double speed) {
  if (speed == 1.0 || speed == 1.1 || speed == -1.1) return std::nullopt;
  if (speed > 0.0 && speed < 1.0) {
    const double inverse = std::min(1.0 / speed, static_cast<double>(INT_MAX));
    return Text(L"1/%dx", static_cast<int>(std::lround(inverse)));
  }
  return Text(L"%0.0fx", speed);
}

std::vector<OsdText> OsdLayout(const OsdSettings& settings, const OsdFrame& frame) {
  std::vector<OsdText> texts;
  AddCarData(texts, settings, frame);
  AddTimeBlock(texts, settings, frame);
  AddSpeedLabel(texts, settings, frame);
  return texts;
}
