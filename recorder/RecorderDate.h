// The 6-byte date of the card blocks: {year - 1800, month 1-12, day, hour, minute, second}, one
// byte each, read and written as local time.
#pragma once

#include <array>
#include <cstdint>

using RecorderDate = std::array<std::uint8_t, 6>;

// Seconds since 1970 of the date taken as local time. A date whose fields are out of range
// (month 0 or 13, day 0 or 32, hour 24, ...) is unknown: the result is 0, never a normalised
// other date.
std::int64_t RecorderDateToLocalTime(const std::uint8_t* date);
inline std::int64_t RecorderDateToLocalTime(const RecorderDate& date) { return RecorderDateToLocalTime(date.data()); }
bool IsValidRecorderDate(const std::uint8_t* date);

// Fills the date from a time in seconds since 1970, converted to local time. Times before 1800 or
// after 2055 cannot be held and give all zeros.
void RecorderDateFromTime(std::int64_t time, std::uint8_t* date);
RecorderDate RecorderDateFromTime(std::int64_t time);
