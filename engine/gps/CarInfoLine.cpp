#include "engine/gps/CarInfoLine.h"

#include <array>
#include <optional>

#include "engine/gps/DecimalNumber.h"
#include "engine/gps/SentenceText.h"

namespace {

using sentence_text::AllDigits;

constexpr int kFieldCount = 11;
constexpr std::size_t kMaxNameLength = 15;

using CarInfoFields = std::array<std::string_view, kFieldCount + 1>;

// A hemisphere letter, then at least minDigits digits; the value is the digits read with a point
// inserted after the first pointAfter of them.
std::optional<double> ReadCoordinate(std::string_view field, char positive, char negative,
                                     std::size_t pointAfter, std::size_t minDigits) {
  if (field.size() < 1 + minDigits || (field[0] != positive && field[0] != negative)) {
    return std::nullopt;
  }
  const std::string_view digits = field.substr(1);
  if (!AllDigits(digits.substr(0, minDigits))) return std::nullopt;
  std::string number(digits.substr(0, pointAfter));
  number += '.';
  number += digits.substr(pointAfter);
  const double value = ParseDecimalPrefix(number);
  return field[0] == negative ? -value : value;
}

CString NameText(std::string_view field) {
  CString name(AnsiToWide(field.substr(0, kMaxNameLength)));
  name.Remove(L' ');
  return name;
}

bool ReadFlags(std::string_view field, CarInfo& info) {
  if (field.size() < kCarInfoFlagCount) return false;
  for (int i = 0; i < kCarInfoFlagCount; ++i) info.flags[i] = field[i] == '1' ? 1 : 0;
  return true;
}

bool ReadFields(const CarInfoFields& field, int count, CarInfo& info) {
  if (count >= 1) info.name = NameText(field[1]);
  if (count >= 2) info.label = std::string(field[2]);
  if (count < 6 || field[4].empty() || field[4][0] != 'A') return false;
  const std::optional<double> longitude = ReadCoordinate(field[5], 'E', 'W', 4, 5);
  if (!longitude) return false;
  info.longitude = *longitude / 10.0;
  const std::optional<double> latitude = ReadCoordinate(field[6], 'N', 'S', 2, 3);
  if (!latitude) return false;
  info.latitude = *latitude;
  if (count >= 7) info.valueB = ParseDecimalPrefix(field[7]) / 10.0;
  if (count >= 8) info.valueA = ParseDecimalPrefix(field[8]) / 10.0;
  if (count >= 9) info.valueD = ParseDecimalPrefix(field[9]);
  if (count >= 10) info.valueC = ParseDecimalPrefix(field[10]);
  return count < 11 || ReadFlags(field[11], info);
}

void Reject(CarInfo& info, const CString& rejectedName) {
  info.latitude = 0.0;
  info.longitude = 0.0;
  info.valueA = 0.0;
  info.valueC = 0.0;
  for (BYTE& flag : info.flags) flag = 1;
  if (!info.name.IsEmpty()) info.name = rejectedName;
}

}  // namespace

bool ParseCarInfoLine(std::string_view line, CarInfo& info, const CString& rejectedName) {
  CarInfoFields field{};
  const int count = sentence_text::SplitFields(sentence_text::UpToFirstZero(line), field, true);
  if (ReadFields(field, count, info)) return true;
  Reject(info, rejectedName);
  return false;
}
