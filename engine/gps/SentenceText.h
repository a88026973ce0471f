// Small helpers shared by the parsers of the recorder's comma-separated texts.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace sentence_text {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

inline bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), IsDigit);
}

// The value of a run of decimal digits (checked by the caller).
inline int DigitsValue(std::string_view digits) {
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

// A C text ends at its first zero byte, whatever room the field around it has.
inline std::string_view UpToFirstZero(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// Splits text at commas. fields[0] is the text before the first comma (the sentence name);
// fields 1, 2, ... follow, each ended by a comma. With lastMayEndAtEnd the last slot of the array
// also takes the text after the final comma. Returns the number of fields after the name.
template <std::size_t N>
int SplitFields(std::string_view text, std::array<std::string_view, N>& fields,
                bool lastMayEndAtEnd) {
  std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return 0;
  fields[0] = text.substr(0, comma);
  int count = 0;
  while (static_cast<std::size_t>(count) + 1 < N) {
    const std::size_t next = text.find(',', comma + 1);
    if (next == std::string_view::npos) {
      if (lastMayEndAtEnd && static_cast<std::size_t>(count) + 2 == N) {
        fields[++count] = text.substr(comma + 1);
      }
      break;
    }
    fields[++count] = text.substr(comma + 1, next - comma - 1);
    comma = next;
  }
  return count;
}

}  // namespace sentence_text
