#include "platform/legacy_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace kvo {
namespace {

struct ParseCase {
  const char* text;
  double value;
};

TEST(ParseLegacyNumber, TableOfCases) {
  const ParseCase cases[] = {
      {"", 0},
      {"abc", 0},
      {"12abc", 12},
      {" 800 px", 800},
      {"12.50", 12.5},
      {"1 0 2 4", 1024},
      {"\t1\n0\t2 4", 1024},
      {"-3", -3},
      {"+7", 7},
      {" - 7", -7},
      {"--7", 0},
      {"+-7", 0},
      {".5", 0.5},
      {"-.25", -0.25},
      {".", 0},
      {"-", 0},
      {"5.", 5},
      {"1.2.3", 1.2},
      {"1,5", 1},
      {"1e3", 1000},
      {"1E+3", 1000},
      {"2.5e-1", 0.25},
      {"1D2", 100},
      {"1d-2", 0.01},
      {"1 e 2", 100},
      {"1e", 1},
      {"1e+", 1},
      {"1ex", 1},
      {"3 E", 3},
      {"0", 0},
      {"007", 7},
      {"1\r2", 1},  // a carriage return is not skipped
      {"12 34.5 6", 1234.56},
      {"&H1F", 31},
      {"&h1f", 31},
      {"& H 1 F", 31},
      {"&HFFFF", -1},
      {"&H8000", -32768},
      {"&H7FFF", 32767},
      {"&H10000", 65536},
      {"&HFFFFFFFF", -1},
      {"&H80000000", -2147483648.0},
      {"&H100000000", 0},  // beyond 32 bits: Val() overflowed
      {"&H1G", 1},
      {"&HG", 0},
      {"&H", 0},
      {"&O17", 15},
      {"&o17", 15},
      {"&O177777", -1},
      {"&O8", 0},
      {"&O178", 15},
      {"&17", 0},
      {"-&H10", 0},
      {"1e400", 0},
      {"1e-400", 0},
      {"123456789012345678", 123456789012345678.0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(parseLegacyNumber(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(FormatLegacyNumber, PlainDecimals) {
  EXPECT_EQ(formatLegacyNumber(1024), "1024");
  EXPECT_EQ(formatLegacyNumber(12.5), "12.5");
  EXPECT_EQ(formatLegacyNumber(-3), "-3");
  EXPECT_EQ(formatLegacyNumber(0.25), "0.25");
  EXPECT_EQ(formatLegacyNumber(-0.25), "-0.25");
  EXPECT_EQ(formatLegacyNumber(0), "0");
  EXPECT_EQ(formatLegacyNumber(-0.0), "0");
  EXPECT_EQ(formatLegacyNumber(100), "100");
  EXPECT_EQ(formatLegacyNumber(800), "800");
  EXPECT_EQ(formatLegacyNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(formatLegacyNumber(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(formatLegacyNumber(0.0001), "0.0001");
  EXPECT_EQ(formatLegacyNumber(123456789012345.0), "123456789012345");
  EXPECT_EQ(formatLegacyNumber(-65536), "-65536");
}

TEST(FormatLegacyNumber, ExponentOnlyForExtremeMagnitudes) {
  EXPECT_EQ(formatLegacyNumber(1e15), "1E+15");
  EXPECT_EQ(formatLegacyNumber(1.5e20), "1.5E+20");
  EXPECT_EQ(formatLegacyNumber(0.00002), "2E-05");
  EXPECT_EQ(formatLegacyNumber(-1.25e-100), "-1.25E-100");
}

TEST(FormatLegacyNumber, ParsesBack) {
  for (const double value : {1024.0, 12.5, -3.0, 0.25, 1e15, 2e-5, 3.14159265358979, -1e300}) {
    const double back = parseLegacyNumber(formatLegacyNumber(value));
    EXPECT_NEAR(back, value, std::abs(value) * 1e-14) << formatLegacyNumber(value);
  }
}

TEST(ToByteRoundEven, HalvesGoToEven) {
  struct Case {
    double value;
    int byte;
  };
  const Case cases[] = {{0, 0},       {2.5, 2},  {3.5, 4},     {254.5, 254}, {255, 255},
                        {255.4, 255}, {0.5, 0},  {1.5, 2},     {-0.4, 0},    {-0.5, 0},
                        {1.49, 1},    {1.51, 2}, {127.5, 128}, {100, 100}};
  for (const auto& c : cases) {
    std::uint8_t out = 99;
    EXPECT_TRUE(toByteRoundEven(c.value, out)) << c.value;
    EXPECT_EQ(out, c.byte) << c.value;
  }
}

TEST(ToByteRoundEven, FailsOutsideByteRange) {
  for (const double value : {255.5, 256.0, -0.6, -1.0, 1e300, -1e300, std::nan(""),
                             std::numeric_limits<double>::infinity()}) {
    std::uint8_t out = 7;
    EXPECT_FALSE(toByteRoundEven(value, out)) << value;
    EXPECT_EQ(out, 7);
  }
}

}  // namespace
}  // namespace kvo
