#include "platform/legacy_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <string>

namespace kvo {
namespace {

TEST(LegacyNumber, ParsesAsTheOldBoxesDid) {
  struct Case {
    const char* text;
    double value;
  };
  // Blanks, tabs and line feeds are skipped anywhere, a carriage return is not.
  const Case decimals[] = {
      {"", 0},      {"12abc", 12},  {" 800 px", 800},       {"12.50", 12.5}, {"\t1\n0\t2 4", 1024},
      {" - 7", -7}, {"--7", 0},     {"-.25", -0.25},        {".", 0},        {"1.2.3", 1.2},
      {"1,5", 1},   {"1E+3", 1000}, {"1D2", 100},           {"1d-2", 0.01},  {"1 e 2", 100},
      {"1e+", 1},   {"1\r2", 1},    {"12 34.5 6", 1234.56}, {"1e400", 0},    {"1e-400", 0}};
  // &H and &O wrap around at 16 and 32 bits, and beyond 32 bits Val() overflowed to 0.
  const Case radix[] = {{"&h1f", 31},       {"& H 1 F", 31},    {"&HFFFF", -1},
                        {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&H80000000", -2147483648.0},
                        {"&H100000000", 0}, {"&H1G", 1},        {"&HG", 0},
                        {"&o17", 15},       {"&O177777", -1},   {"&O8", 0},
                        {"&17", 0},         {"-&H10", 0}};
  for (const auto& table : {std::span<const Case>(decimals), std::span<const Case>(radix)}) {
    for (const auto& c : table) {
      EXPECT_DOUBLE_EQ(parseLegacyNumber(c.text), c.value) << '"' << c.text << '"';
    }
  }
  EXPECT_DOUBLE_EQ(parseLegacyNumber("123456789012345678"), 123456789012345678.0);
}

TEST(LegacyNumber, FormatsPlainDecimalsAndExponentsOnlyForExtremes) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{1024, "1024"},     {12.5, "12.5"},
                        {-0.25, "-0.25"},   {-0.0, "0"},
                        {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
                        {0.0001, "0.0001"}, {123456789012345.0, "123456789012345"},
                        {1e15, "1E+15"},    {1.5e20, "1.5E+20"},
                        {0.00002, "2E-05"}, {-1.25e-100, "-1.25E-100"},
                        {-1e300, "-1E+300"}};
  for (const auto& c : cases) EXPECT_EQ(formatLegacyNumber(c.value), c.text) << c.text;
}

TEST(LegacyNumber, RoundsToBytesHalvesToEvenAndRefusesTheRest) {
  struct Case {
    double value;
    int byte;  // -1: outside the byte range
  };
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {0, 0},    {2.5, 2},   {3.5, 4},  {254.5, 254}, {255, 255},   {255.4, 255}, {0.5, 0},
      {1.5, 2},  {-0.4, 0},  {-0.5, 0}, {1.49, 1},    {1.51, 2},    {127.5, 128}, {255.5, -1},
      {256, -1}, {-0.6, -1}, {-1, -1},  {1e300, -1},  {-1e300, -1}, {nan, -1},    {inf, -1}};
  for (const auto& c : cases) {
    std::uint8_t out = 7;
    EXPECT_EQ(toByteRoundEven(c.value, out), c.byte >= 0) << c.value;
    EXPECT_EQ(out, c.byte >= 0 ? c.byte : 7) << c.value;
  }
}

}  // namespace
}  // namespace kvo
