#include "engine/gps/CarDataFrame.h"

#include <iterator>
#include <optional>

namespace {

constexpr std::size_t kShortFrame = 20;
constexpr std::size_t kFullFrame = 28;

constexpr SpeedUnit kSpeedUnits[] = {{1.0, L"Km/h"}, {0.6214, L"Mile/h"}, {0.5399, L"Knot"}};

std::optional<int> HexDigit(BYTE c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// The value of the digits [first, first + count) of the frame, or none when one is not a digit.
std::optional<int> HexField(const BYTE* frame, std::size_t first, std::size_t count) {
  int value = 0;
  for (std::size_t i = first; i < first + count; ++i) {
    const std::optional<int> digit = HexDigit(frame[i]);
    if (!digit) return std::nullopt;
    value = value * 16 + *digit;
  }
  return value;
}

int IntField(const BYTE* frame, std::size_t first, std::size_t count, int scale = 1,
             int offset = 0) {
  const std::optional<int> value = HexField(frame, first, count);
  return value ? *value * scale + offset : 0;
}

double TenthsField(const BYTE* frame, std::size_t first, int offset) {
  const std::optional<int> value = HexField(frame, first, 2);
  return value ? (*value + offset) / 10.0 : 0.0;
}

}  // namespace

bool ParseCarDataFrame(const BYTE* frame, std::size_t length, std::int64_t time,
                       CarDataRecord& record) {
  if (frame == nullptr || length < kShortFrame) return false;
  CarDataRecord r;
  r.time = time;
  r.speed = IntField(frame, 4, 2);
  r.rpm = IntField(frame, 6, 4);
  r.engineLoad = IntField(frame, 10, 2);
  r.batteryVoltage = TenthsField(frame, 12, 100);
  r.engineTemperature = IntField(frame, 14, 2, 1, -40);
  r.throttlePosition = IntField(frame, 16, 2);
  r.status = IntField(frame, 18, 2);
  if (length >= kFullFrame) {
    r.maf = IntField(frame, 20, 2, 3);
    r.distance = IntField(frame, 22, 4);
    r.fuelEconomy = TenthsField(frame, 26, 0);
  }
  record = r;
  return true;
}

const SpeedUnit& SpeedUnitOf(int unit) {
  const bool known = unit >= 0 && unit < static_cast<int>(std::size(kSpeedUnits));
  return kSpeedUnits[known ? unit : 0];
}

int DisplayTemperature(int celsius, bool fahrenheit) {
  return fahrenheit ? celsius * 9 / 5 + 32 : celsius;
}
