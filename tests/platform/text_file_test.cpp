#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "platform/binary_io.h"
#include "platform/legacy_number.h"
#include "platform/path_guard.h"
#include "platform/transaction_fixture.h"
#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(TextLines, SplitOnEveryEndingAndComeBackThroughCrLf) {
  struct Case {
    std::string bytes;
    Lines lines;
  };
  // LF CR is two endings, CR LF one; every other byte, a zero byte too, stays in its line.
  const Case cases[] = {
      {"", {}},
      {"a\r", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("\xE9t\xE9\t \0z\r\n", 9), {std::string("\xE9t\xE9\t \0z", 7)}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(splitLines(c.bytes), c.lines);
    EXPECT_EQ(splitLines(joinLinesCrLf(c.lines)), c.lines);
  }
  EXPECT_EQ(joinLinesCrLf(Lines{"[Settings]", "", "  spaced  "}),
            "[Settings]\r\n\r\n  spaced  \r\n");
}

// Readers see the old file or the new one, never half; a link is refused and what it names
// stays as it was; an unwritable folder leaves the old file whole.
TEST(ReplaceFileAtomically, CreatesReplacesAndRefusesWithoutLeftovers) {
  test::TempDir dir;
  EXPECT_FALSE(replaceFileAtomically(dir / "FoldersLoaded.txt", "T-Normandy\r\n"));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "T-Normandy\r\n");
  fs::permissions(dir / "FoldersLoaded.txt", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(replaceFileAtomically(dir / "FoldersLoaded.txt", ""));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "");
  EXPECT_TRUE(test::ownerWritable(dir / "FoldersLoaded.txt"));
  EXPECT_NE(fs::status(dir / "FoldersLoaded.txt").permissions() & fs::perms::group_read,
            fs::perms::none);
  EXPECT_FALSE(writeTextLinesAtomically(dir / "FoldersLoaded.txt", Lines{"a", "b"}));
  EXPECT_EQ(test::snapshot(dir.path()), (test::Tree{{"FoldersLoaded.txt", "a\r\nb\r\n"}}));
  EXPECT_TRUE(replaceFileAtomically(dir / "missing" / "f.txt", "x"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
  std::error_code ec;
  EXPECT_EQ(readTextLines(dir / "missing.txt", ec), std::nullopt);
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  EXPECT_EQ(readFileBytes(dir.path(), ec), std::nullopt);
  EXPECT_TRUE(ec);
#ifndef _WIN32
  test::TempDir outside;
  test::writeFile(outside / "sentinel.ini", "old");
  fs::permissions(outside / "sentinel.ini", fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink(outside / "sentinel.ini", dir / "eaw.ini");
  fs::create_symlink(outside / "missing.ini", dir / "kvo.ini");
  const auto before = test::exactTree(dir.path());
  const auto outsideBefore = test::exactTree(outside.path());
  EXPECT_EQ(replaceFileAtomically(dir / "eaw.ini", "new"), Refusal::TargetIsLink);
  EXPECT_EQ(writeTextLinesAtomically(dir / "kvo.ini", Lines{"a"}), Refusal::TargetIsLink);
  EXPECT_EQ(test::exactTree(dir.path()), before);
  EXPECT_EQ(test::exactTree(outside.path()), outsideBefore);
#endif
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  const auto open = test::exactTree(dir.path());
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  const auto closedEc = replaceFileAtomically(dir / "FoldersLoaded.txt", "new contents\r\n");
  fs::permissions(dir.path(), fs::perms::owner_all);
  EXPECT_TRUE(closedEc);
  EXPECT_EQ(test::exactTree(dir.path()), open);
}

// The byte order is the game readers' and writers' to show; here only the bounds.
TEST(BinaryIo, ReadsOnlyWithinTheBytes) {
  const std::string bytes("\x01\x02\x03\x04\xFF", 5);
  std::uint8_t u8 = 0;
  std::uint16_t u16 = 0;
  std::uint32_t u32 = 0;
  EXPECT_TRUE(readU8(bytes, 4, u8) && readU16LE(bytes, 3, u16) && readU32LE(bytes, 1, u32));
  // A refused read leaves the value alone; an offset near SIZE_MAX must not wrap around.
  const std::size_t huge = static_cast<std::size_t>(-1);
  EXPECT_FALSE(readU8(bytes, 5, u8) || readU16LE(bytes, 4, u16) || readU32LE(bytes, 2, u32));
  EXPECT_FALSE(readU16LE(bytes, huge, u16) || readU32LE(bytes, huge, u32) || readU8("", 0, u8));
  EXPECT_EQ(u8, 0xFF);
  EXPECT_EQ(u16, 0xFF04);
  EXPECT_EQ(u32, 0xFF040302u);
}

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
  for (const auto& [value, byte] : bytes) {
    std::uint8_t out = 7;
    EXPECT_EQ(toByteRoundEven(value, out), byte >= 0) << value;
    EXPECT_EQ(out, byte >= 0 ? byte : 7) << value;
  }
}

}  // namespace
}  // namespace kvo
