#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/test_support.h"

namespace kvo {
namespace {

using test::readFile;
using test::writeFile;

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun runKvo(const test::TempDir& game, std::vector<std::string> words) {
  words.insert(words.begin(), {"--game-dir", game.path().string()});
  std::ostringstream out;
  std::ostringstream err;
  const int code = runCliCommand(parseCliArguments(words, "."), out, err);
  return {code, out.str(), err.str()};
}

TEST(SettingsCliTest, SettingsPrintsTheSixBoxesAndSetWritesEveryValueOrNone) {
  test::TempDir game;
  writeFile(game / "eaw.ini", "PlaneSetNumber=2\r\nDay=4\r\nWidth=800\r\nMonth=9\r\n");
  const auto run = runKvo(game, {"settings"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "Width=800\nHeight=\nExtraSquads=\nDay=4\nMonth=9\nPlaneSetNumber=2\n");

  const std::string before = readFile(game / "eaw.ini");
  EXPECT_EQ(runKvo(game, {"set", "Width=1024", "Bogus=1"}).code, 2);
  EXPECT_EQ(runKvo(game, {"set", "width=1024"}).code, 2);
  EXPECT_EQ(runKvo(game, {"set", "Width"}).code, 2);
  const auto broken = runKvo(game, {"set", "Width=1024", "Day=7\r\nWidth=1"});
  EXPECT_EQ(broken.code, 1);
  EXPECT_NE(broken.err.find("Day"), std::string::npos);
  EXPECT_EQ(readFile(game / "eaw.ini"), before);

  EXPECT_EQ(runKvo(game, {"set", "Width=1024", "Day=12abc"}).code, 0);
  EXPECT_EQ(readFile(game / "eaw.ini"),
            "PlaneSetNumber=2\r\nDay=12abc\r\nWidth=1024\r\nMonth=9\r\n");

  // Like Enter in a box, a missing eaw.ini is left missing without a word.
  test::TempDir bare;
  const auto missing = runKvo(bare, {"set", "Width=1024"});
  EXPECT_EQ(missing.code, 0);
  EXPECT_EQ(missing.err, "");
  EXPECT_FALSE(std::filesystem::exists(bare / "eaw.ini"));
}

TEST(LaunchCliTest, UnknownProgramIsAUsageError) {
  test::TempDir game;
  writeFile(game / "eaw.exe", "MZ");
  const auto run = runKvo(game, {"launch", "other.exe"});
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.err.find("other.exe"), std::string::npos);
}

}  // namespace
}  // namespace kvo
