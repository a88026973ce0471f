#include "engine/export/RecordText.h"

#include <ctime>

#include "platform/String.h"
#include "platform/Time.h"

const std::string_view kCsvHeader =
    "\"Date\",\"Time\",\"Speed(Km/h)\",\"RPM\",\"Engine Loading(%)\",\"Battery Voltage(V)\","
    "\"Engine Temperature(C)\",\"Throttle Position(%s)\",\"Status\",\"DTC\",\"Cruise\",\"Clutch\",\"Brake\","
    "\"MAF\",\"Distance(Km)\",\"Average Fuel Economy(Km/L)\"\r\n";

namespace {

const wchar_t* Emergency(int status, const wchar_t* otherwise) {
  return (status & kCarStatusEmergencyBraking) ? L"Emergency Braking" : otherwise;
}

// The text of a switch that the record may not report: empty when its presence bit is clear.
const wchar_t* SwitchText(int status, int presentBit, int onBit, const wchar_t* on, const wchar_t* off) {
  if (!(status & presentBit)) return L"";
  return (status & onBit) ? on : off;
}

void AppendTime(CString& text, std::int64_t ms) {
  text.AppendFormat(L"%02d:%02d:%02d,%03d", static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                    static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
}

}  // namespace

std::string SrtCue(int number, std::int64_t startMs, std::int64_t endMs, const CarDataRecord& r,
                   const CarTextUnits& units) {
  const SpeedUnit& speed = SpeedUnitOf(units.speedUnit);
  const int temperature = DisplayTemperature(r.engineTemperature, units.fahrenheit);
  CString text;
  text.Format(L"%d\r\n", number);
  AppendTime(text, startMs);
  text += L" --> ";
  AppendTime(text, endMs);
  text.AppendFormat(
      L"\r\nSpeed: %3.1f %s       RPM: %d\r\nEngine Loading: %2d%%    Battery Voltage: %2.1f V\r\n"
      L"Engine Temperature: %2d %c\r\nThrottle Position: %2d%%\t%s\r\n\r\n",
      r.speed * speed.factor, speed.text, r.rpm, r.engineLoad, r.batteryVoltage, temperature,
      units.fahrenheit ? L'F' : L'C', r.throttlePosition, Emergency(r.status, L""));
  return text.ToUtf8();
}

std::string CsvLine(const CarDataRecord& r, std::int64_t timeZoneOffset) {
  std::tm parts{};
  char date[40] = "";
  // The date and time the windows show for that moment in the chosen zone.
  const auto zone = plat::DisplayZone::ForOffset(static_cast<std::int32_t>(timeZoneOffset));
  if (plat::EpochToZoneTime(r.time, zone, &parts)) std::strftime(date, sizeof date, "\"%Y-%m-%d\",\"%H:%M:%S\",", &parts);
  const int s = r.status;
  CString text;
  text.Format(L"\"%d\",\"%d\",\"%d\",\"%2.1f\",\"%d\",\"%d\",\"%s\",\"%s\",\"%s\",\"%s\",\"%s\",\"%d\",\"%d\",\"%.1f\"\r\n",
              r.speed, r.rpm, r.engineLoad, r.batteryVoltage, r.engineTemperature, r.throttlePosition,
              Emergency(s, L"Normal"), (s & kCarStatusDtc) ? L"DTC ON" : L"Normal",
              SwitchText(s, kCarStatusCruisePresent, kCarStatusCruiseOn, L"Cruise Control ON", L"Cruise Control OFF"),
              SwitchText(s, kCarStatusClutchPresent, kCarStatusClutchOn, L"Clutch ON", L"Clutch OFF"),
              SwitchText(s, kCarStatusBrakePresent, kCarStatusBrakeOn, L"Brake ON", L"Brake OFF"), r.maf, r.distance,
              r.fuelEconomy);
  return date + text.ToUtf8();
}
