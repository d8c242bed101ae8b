#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "demo_game.h"
#include "gamefiles/pnameform.h"
#include "gamefiles/pnames.h"

namespace kvo {
namespace {

std::uint32_t u32At(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + i))) << (8 * i);
  }
  return value;
}

// `bytes` with the 32-bit field at `at` set to `value`.
std::string patched(std::string bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// The demo folder's writer is checked against the same bytes: the tests' game folders are
// only as good as it is. The window's load, edit and save are checked through the plane install.
TEST(Pnames, BothWritersGiveTheTableByteForByte) {
  const std::string three{18, 0, 0, 0,  3, 0, 0, 0,   12,  0, 0,   0, 15,
                          0,  0, 0, 17, 0, 0, 0, 'a', 'b', 0, 'c', 0, 0};
  const std::vector<std::string> names{"ab", "c", ""};
  EXPECT_EQ(writePnames(names), three);
  EXPECT_EQ(demo::makePnamesStr(names), three);
}

TEST(Pnames, ReadsBodiesPastTheSixteenBitLimitsAndTheLastNameToTheBodysEnd) {
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) names.push_back(std::string(3000, static_cast<char>('A' + i % 26)));
  const std::string big = writePnames(names);
  EXPECT_EQ(u32At(big, 8 + 4 * 29), 4 * 30 + 29 * 3001);
  const auto read = readPnames(big);
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(read.names, names);

  // The last name has no next entry to end it: it takes in every byte up to the body size.
  const std::string table = demo::makePnamesStr(demo::defaultPlaneNames());
  const std::string file = patched(table + "XYZ", 0, u32At(table, 0) + 3);
  const auto longLast = readPnames(file);
  ASSERT_TRUE(longLast.ok()) << longLast.error;
  EXPECT_EQ(longLast.names.back(), std::string("Training Flight\0XY", 18));
}

TEST(Pnames, RefusesTablesThatAreShortOrDamagedAndSaysWhere) {
  const std::string good = demo::makePnamesStr(demo::defaultPlaneNames());
  struct Case {
    std::string bytes;
    std::string says;
  };
  const std::string size = std::to_string(good.size());
  // The last case: a far-off entry after a plausible one must not be read through.
  const std::vector<Case> cases{
      {good.substr(0, 5), "ends at offset 5, inside its 8-byte header"},
      {writePnames(std::vector<std::string>{"ab", "c", ""}),
       "holds 3 names (the count at offset 4)"},
      {good.substr(0, good.size() - 1), "runs to offset " + size + ", but the file ends at offset"},
      {patched(good, 4, 0xFFFFFFFFU), "would end at offset 17179869188"},
      {patched(good, 8 + 4 * 5, u32At(good, 8 + 4 * 4)), "entry at offset 24 puts string 4"},
      {patched(good, 8 + 4 * 1, 0x40000000U),
       "entry at offset 12 points to offset 1073741832, past the end of the strings"},
  };
  for (const auto& c : cases) {
    Pnameform form;
    const auto error = form.LoadPnames(c.bytes, "C:\\EAW\\PNAMES.STR");
    EXPECT_NE(error.find("C:\\EAW\\PNAMES.STR"), std::string::npos) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(form.Grid.rows(), 0);
    // A table that failed to load is never written back as an empty one.
    EXPECT_FALSE(form.SavePnames().ok());
  }
}

}  // namespace
}  // namespace kvo
