#include <gtest/gtest.h>

#include "engine/gps/DecimalNumber.h"
#include "tests/engine/gps/GpsTestData.h"

using namespace gpstest;

namespace {

class DecimalNumber : public LocaleTest {};
INSTANTIATE_TEST_SUITE_P(Locales, DecimalNumber, Locales());

}  // namespace

TEST_P(DecimalNumber, ReadsTheLeadingNumberAsTheCLocaleDoes) {
  EXPECT_EQ(ParseDecimalPrefix("4807.038"), 4807.038);
  EXPECT_EQ(ParseDecimalPrefix(" \t-12.5e2x"), -1250.0);
  EXPECT_EQ(ParseDecimalPrefix("+.5"), 0.5);
  EXPECT_EQ(ParseDecimalPrefix("7."), 7.0);
  EXPECT_EQ(ParseDecimalPrefix("12,5"), 12.0);
  EXPECT_EQ(ParseDecimalPrefix("3e"), 3.0);
  EXPECT_EQ(ParseDecimalPrefix("3e+"), 3.0);
  EXPECT_EQ(ParseDecimalPrefix("2E-1*"), 0.2);
  EXPECT_EQ(ParseDecimalPrefix("0x10"), 0.0);

  // No number, or a form that is not decimal, reads as 0.
  for (const char* text : {"", ".", "-", "e5", "inf", "nan", "1e400", ",5"}) {
    EXPECT_EQ(ParseDecimalPrefix(text), 0.0) << text;
  }
  // Only the given length is read.
  EXPECT_EQ(ParseDecimalPrefix(std::string_view("123456", 3)), 123.0);
}
