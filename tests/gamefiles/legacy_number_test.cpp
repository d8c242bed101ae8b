// The old number format of plane files and settings boxes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <span>
#include <utility>

#include "gamefiles/legacy_number.h"

namespace kvo {
namespace {

TEST(LegacyNumber, ParsesAsTheOldBoxesDid) {
  using Case = std::pair<const char*, double>;
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
    for (const auto& [text, value] : table)
      EXPECT_DOUBLE_EQ(parseLegacyNumber(text), value) << '"' << text << '"';
  }
  // Plane files take a number too large for a double as the error it was, not as 0; one too
  // small is 0 as before.
  for (const char* overflow : {"1e999", "1e308 0", "-1e400", "99999e99999", "&H100000000"}) {
    EXPECT_EQ(readLegacyNumber(overflow), std::nullopt) << overflow;
  }
  for (const auto& [text, value] : std::initializer_list<Case>{
           {"1e-400", 0}, {"0.0001e-400", 0}, {"1e308", 1e308}, {"12", 12}, {"0e999", 0}}) {
    EXPECT_EQ(readLegacyNumber(text), value) << text;
  }
  EXPECT_DOUBLE_EQ(parseLegacyNumber("123456789012345678"), 123456789012345678.0);
}

// Shown as plain decimals with 15 digits, exponents only for extremes; bytes round halves to
// even, and anything outside 0..255 is refused.
TEST(LegacyNumber, FormatsAndRoundsToBytesAsTheOldBoxesDid) {
  const std::pair<double, const char*> shown[] = {
      {1024, "1024"},     {12.5, "12.5"},
      {-0.25, "-0.25"},   {-0.0, "0"},
      {0.1 + 0.2, "0.3"}, {1.0 / 3, "0.333333333333333"},
      {0.0001, "0.0001"}, {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},    {1.5e20, "1.5E+20"},
      {0.00002, "2E-05"}, {-1.25e-100, "-1.25E-100"},
      {-1e300, "-1E+300"}};
  for (const auto& [value, text] : shown) EXPECT_EQ(formatLegacyNumber(value), text) << text;
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  // The byte each value rounds to, or -1 for a value outside the byte range.
  const std::pair<double, int> bytes[] = {
      {0, 0},    {2.5, 2},   {3.5, 4},  {254.5, 254}, {255, 255},   {255.4, 255}, {0.5, 0},
      {1.5, 2},  {-0.4, 0},  {-0.5, 0}, {1.49, 1},    {1.51, 2},    {127.5, 128}, {255.5, -1},
      {256, -1}, {-0.6, -1}, {-1, -1},  {1e300, -1},  {-1e300, -1}, {nan, -1},    {inf, -1}};
  for (const auto& [value, rounded] : bytes) {
    std::uint8_t out = 7;
    EXPECT_EQ(toByteRoundEven(value, out), rounded >= 0) << value;
    EXPECT_EQ(out, rounded >= 0 ? rounded : 7) << value;
  }
}

}  // namespace
}  // namespace kvo
