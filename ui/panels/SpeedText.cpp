#include "ui/panels/SpeedText.h"

#include <algorithm>
#include <array>

#include "ui/TransportCtrl.h"

namespace panels {
namespace {

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

int SpeedLevelOf(double speed) { return TransportCtrl::LevelOfSpeed(speed); }

}  // namespace panels
