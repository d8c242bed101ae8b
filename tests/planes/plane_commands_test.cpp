#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "planes_fixture.h"

namespace kvo::test {
namespace {

class PlaneCommandsTest : public PlanesTest {
 protected:
  int run(const std::vector<std::string>& words) {
    out.str("");
    err.str("");
    std::vector<std::string> args{"--game-dir", game().string()};
    args.insert(args.end(), words.begin(), words.end());
    return runCliCommand(parseCliArguments(args, game()), out, err);
  }
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(PlaneCommandsTest, PlanesAreListedAsReplayedFromTheLoadRecord) {
  writeFile(selectorDir() / "FoldersLoaded.txt", "F-Alternative Planes\r\nP-Mustang III\r\n\r\n");
  ASSERT_EQ(run({"list", "planes"}), 0) << err.str();
  EXPECT_EQ(out.str(),
            "-\t17\t109G\tP-Bf 109G-10\tBf 109G-10\n"
            "S\t4\tP51B\tP-Mustang III\tMustang Mk III\n"
            "-\t11\tSP09\tP-Spitfire LF Mk IX\tSpitfire LF Mk IXe\n");
}

TEST_F(PlaneCommandsTest, SkinCommandsAndTheirExitCodes) {
  EXPECT_EQ(run({"--include-flt", "skin", "Bf109G Winter"}), 0) << err.str();
  EXPECT_TRUE(inGame("p109g.flt"));
  EXPECT_EQ(run({"--include-flt", "clear-skins"}), 0) << err.str();
  EXPECT_FALSE(inGame("p109g.flt"));
  EXPECT_EQ(run({"skin", "No Such Skin"}), 2);
  EXPECT_NE(err.str().find("No Such Skin"), std::string::npos);
  EXPECT_EQ(run({"rename-skin", "Bf109G Winter", "Bf109G Tropical"}), 1);
  EXPECT_NE(err.str().find("This name is already in use"), std::string::npos);
  EXPECT_EQ(run({"rename-skin", "Bf109G Winter", "Gustav Snow"}), 0) << err.str();
  EXPECT_TRUE(std::filesystem::is_directory(skinDir("Gustav Snow")));
}

TEST_F(PlaneCommandsTest, ResetAndDelMsn) {
  ASSERT_EQ(run({"click", "T-Normandy"}), 0) << err.str();
  EXPECT_EQ(run({"reset"}), 0) << err.str();
  EXPECT_FALSE(inGame("normandy.ter"));
  EXPECT_EQ(record(), "");
  EXPECT_EQ(run({"del-msn"}), 0) << err.str();
  EXPECT_FALSE(inGame("Savedata/DefaultA.msn"));
}

TEST_F(PlaneCommandsTest, PlaneAndFuelWriteTheGameFilesAndListingsShowThem) {
  ASSERT_EQ(run({"click", "F-Alternative Planes"}), 0) << err.str();
  ASSERT_EQ(run({"plane", "P-Mustang III"}), 0) << err.str();
  EXPECT_EQ(record(), "F-Alternative Planes\r\nP-Mustang III\r\n\r\n");
  ASSERT_EQ(run({"list", "names"}), 0) << err.str();
  EXPECT_NE(out.str().find("\n4\tMustang Mk III\n"), std::string::npos) << out.str();
  ASSERT_EQ(run({"list", "menu", "A"}), 0) << err.str();
  EXPECT_NE(out.str().find("2\t15\tMustang Mk III\n"), std::string::npos) << out.str();
  EXPECT_EQ(run({"plane", "P-Nothing"}), 2);
  EXPECT_EQ(run({"list", "menu", "X"}), 2);

  ASSERT_EQ(run({"fuel", "p51b", "50"}), 0) << err.str();
  const auto planes = readFile(game() / "planes.dat");
  EXPECT_EQ(static_cast<unsigned char>(planes[216 * 4 + 40]) +
                256 * static_cast<unsigned char>(planes[216 * 4 + 41]),
            1800 / 2);  // the installed plane's fuel, also after a restart
  EXPECT_EQ(run({"fuel", "P51B", "33"}), 2);
  std::filesystem::remove(game() / "pnames.str");
  EXPECT_EQ(run({"list", "names"}), 1);
  EXPECT_NE(err.str().find("pnames.str"), std::string::npos);
}

}  // namespace
}  // namespace kvo::test
