// Locale-independent reading of decimal numbers in recorder texts (NMEA sentences, car-data
// lines). The C library's text-to-double conversion follows the process locale, so a desktop
// with a decimal comma would stop reading "4807.038" at the point; this reader never does.
#pragma once

#include <string_view>

// Reads the number at the start of text the way the C library's conversion does in the "C"
// locale: leading blanks, an optional sign, digits with an optional point and an optional
// exponent; reading stops at the first character that cannot continue the number. Only decimal
// forms are read (no "inf", "nan" or hexadecimal). Text without a number, and a number beyond the
// range of a double, give 0.0.
double ParseDecimalPrefix(std::string_view text);
