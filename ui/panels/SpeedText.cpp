#include "ui/panels/SpeedText.h"

#include <algorithm>
#include <array>

namespace panels {
namespace {

constexpr std::array<double, 9> kLevelSpeeds{0.0625, 0.125, 0.25, 0.5, 1.0, 2.0, 4.0, 8.0, 16.0};

struct Fraction {
  double speed;
  const wchar_t* text;
};
constexpr std::array<Fraction, 5> kFractions{{
    {0.5, L"1/2 "}, {0.25, L"1/4 "}, {0.125, L"1/8 "}, {0.0625, L"1/16"}, {0.03125, L"1/32"},
}};

}  // namespace

CString SpeedText(double speed) {
  CString text;
  if (speed >= 1.0) {
    text.Format(L"%3d ", static_cast<int>(std::min(speed, 1e6)));
    return text;
  }
  for (const Fraction& f : kFractions) {
    if (speed == f.speed) return f.text;
  }
  return text;
}

int SpeedLevelOf(double speed) {
  for (size_t level = 0; level < kLevelSpeeds.size(); ++level) {
    if (speed == kLevelSpeeds[level]) return static_cast<int>(level);
  }
  return -1;
}

}  // namespace panels
