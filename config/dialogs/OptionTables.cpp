#include "config/dialogs/OptionTables.h"

#include <cstddef>

#include "settings/AppConfig.h"

namespace {

constexpr const wchar_t* k720pD1[] = {L"720P", L"D1", nullptr};
constexpr const wchar_t* kD1Cif[] = {L"D1", L"CIF", nullptr};
constexpr const wchar_t* k720pVga[] = {L"720P", L"VGA", nullptr};

constexpr const wchar_t* k15and30[] = {L"15", L"30", nullptr};
constexpr const wchar_t* k5to30by5[] = {L"5", L"10", L"15", L"20", L"30", nullptr};
constexpr const wchar_t* k5to15[] = {L"5", L"10", L"15", nullptr};
constexpr const wchar_t* k10to25Pal[] = {L"10", L"15", L"25(PAL) / 30(NTSC)", nullptr};
constexpr const wchar_t* k5to25Pal[] = {L"5", L"10", L"15", L"20", L"25(PAL) / 30(NTSC)", nullptr};
constexpr const wchar_t* k5to30[] = {L"5", L"10", L"15", L"20", L"25", L"30", nullptr};

constexpr const wchar_t* kCarTruck[] = {L"Car", L"Truck", nullptr};
constexpr const wchar_t* kFourModes[] = {L"Car", L"Truck", L"Motorcycle", L"Alarm", nullptr};
constexpr const wchar_t* kNoCar[] = {L"Truck", L"Motorcycle", L"Special", nullptr};

template <std::size_t N>
constexpr OptionList List(const wchar_t* const (&items)[N]) {
  return {items, static_cast<int>(N * 4)};
}

OptionList VideoFormats(int value) {
  switch (value) {
    case 1: return List(k720pD1);
    case 3: return List(k720pVga);
    default: return List(kD1Cif);
  }
}

OptionList FrontRates(int value) {
  switch (value) {
    case 2: return List(k5to30by5);
    case 3: return List(k5to15);
    case 4: return List(k10to25Pal);
    case 5: return List(k5to25Pal);
    case 6: return List(k5to30);
    default: return List(k15and30);
  }
}

OptionList RearRates(int value) {
  switch (value) {
    case 1: return List(k5to15);
    case 3: return List(k5to25Pal);
    default: return List(k5to30);
  }
}

OptionList CarModes(int value) {
  switch (value) {
    case 1: return List(kCarTruck);
    case 3: return List(kNoCar);
    default: return List(kFourModes);
  }
}

}  // namespace

OptionList g_videoFormatOptions;
OptionList g_frameRateFrontOptions;
OptionList g_frameRateRearOptions;
OptionList g_carModeOptions;

int SelectDefaultOptionTables() {
  g_videoFormatOptions = VideoFormats(g_appConfig.ReadDefaultInt(L"VideoFormat_DfSet", -1));
  g_frameRateFrontOptions = FrontRates(g_appConfig.ReadDefaultInt(L"VideoFrameRateFront_DfSet", -1));
  g_frameRateRearOptions = RearRates(g_appConfig.ReadDefaultInt(L"VideoFrameRateRear_DfSet", -1));
  const int carMode = g_appConfig.ReadDefaultInt(L"CarMode_DfSet", 2);
  g_carModeOptions = CarModes(carMode);
  return carMode;
}
