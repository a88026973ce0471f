#include "engine/gps/DecimalNumber.h"

#include <charconv>
#include <cstddef>

#include "engine/gps/SentenceText.h"

namespace {

using sentence_text::IsDigit;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// The end of an exponent that starts at pos, or pos itself when no complete exponent is there.
std::size_t ExponentEnd(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || (text[pos] != 'e' && text[pos] != 'E')) return pos;
  std::size_t digits = pos + 1;
  if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) ++digits;
  const std::size_t end = SkipDigits(text, digits);
  return end > digits ? end : pos;
}

}  // namespace

double ParseDecimalPrefix(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  const std::size_t start = pos;
  std::size_t end = SkipDigits(text, start);
  std::size_t digitCount = end - start;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fractionEnd = SkipDigits(text, end + 1);
    digitCount += fractionEnd - (end + 1);
    end = fractionEnd;
  }
  if (digitCount == 0) return 0.0;
  end = ExponentEnd(text, end);

  double value = 0.0;
  const auto result =
      std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
  if (result.ec != std::errc()) return 0.0;
  return negative ? -value : value;
}
