#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_game.h"
#include "planes/loadout_patch.h"
#include "planes/plane_record.h"
#include "platform/text_file.h"

namespace kvo {
namespace {

std::string withLine(const std::string& record, std::size_t lineNumber, const std::string& text) {
  auto lines = splitLines(record);
  lines[lineNumber - 1] = text;
  return joinLinesCrLf(lines);
}

// Install refuses faulty records by the plane tests; here what of one the grid can still show.
TEST(PlaneRecordFile, ReadsTheFieldsAsWrittenAndWhatItCanOfAFaultyRecord) {
  const auto whole = readPlaneRecord(demo::makeKvoRecord("  Bf 109G-10 ", 3, "109g", 1500));
  ASSERT_TRUE(whole.usable()) << whole.problem;
  EXPECT_EQ(whole.name, "  Bf 109G-10 ");
  EXPECT_EQ(whole.fuel(), 1500);
  const auto good = demo::makeKvoRecord("Mustang", 4, "p51b", 1800);
  const auto outOfRange = readPlaneRecord(withLine(good, 50, "300"));
  EXPECT_FALSE(outOfRange.usable());
  EXPECT_EQ(outOfRange.artCode, "p51b");
  EXPECT_TRUE(planeRecordPatches(outOfRange).empty());
  const auto badSlot = readPlaneRecord(withLine(good, 2, "30"));
  EXPECT_FALSE(badSlot.usable());
  EXPECT_EQ(badSlot.slotText, "30");
  EXPECT_EQ(readPlaneRecord("Only a name").artCode, "");
  EXPECT_FALSE(readPlaneRecord("").usable());
}

// Runs of .lo1 patches and a lone start line are installed byte-exact by the plane tests.
TEST(LoadoutPatch, ReadsPairsAtOneBasedPositionsAndRoundsHalvesToEven) {
  const auto lox = readLoxPatch("100\r\n7\r\n1500\r\n2.5\r\n\r\n");
  ASSERT_TRUE(lox.usable()) << lox.problem;
  ASSERT_EQ(lox.bytes.size(), 2U);
  EXPECT_EQ(lox.bytes[0].offset, 99U);
  EXPECT_EQ(lox.bytes[0].value, 7);
  EXPECT_EQ(lox.bytes[1].value, 2);
}

TEST(LoadoutPatch, RefusesAPatchItCannotApplyWhole) {
  struct Case {
    const char* text;
    bool sequential;
    const char* problem;
  };
  const Case cases[] = {
      {"100\r\n7\r\n200\r\n", false, "line 3"},  // a position without its value
      {"0\r\n7\r\n", false, "line 1"},          {"100\r\n256\r\n", false, "line 2"},
      {"-4\r\n1\r\n", true, "line 1"},          {"10\r\n1\r\n-1\r\n", true, "line 3"},
  };
  for (const auto& c : cases) {
    const auto patch = c.sequential ? readSequentialPatch(c.text) : readLoxPatch(c.text);
    EXPECT_FALSE(patch.usable()) << c.text;
    EXPECT_NE(patch.problem.find(c.problem), std::string::npos) << patch.problem;
  }
}

}  // namespace
}  // namespace kvo
