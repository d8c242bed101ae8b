#include <gtest/gtest.h>

#include "planes_fixture.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {

class PlaneCommandsTest : public PlanesTest {
 protected:
  CliRunner kvo{game()};
};

TEST_F(PlaneCommandsTest, PlanesAreListedAsReplayedFromTheLoadRecord) {
  writeFile(selectorDir() / "FoldersLoaded.txt", "F-Alternative Planes\r\nP-Mustang III\r\n\r\n");
  ASSERT_EQ(kvo.run({"list", "planes"}), 0) << kvo.err();
  EXPECT_EQ(kvo.out(),
            "-\t17\t109G\tP-Bf 109G-10\tBf 109G-10\n"
            "S\t4\tP51B\tP-Mustang III\tMustang Mk III\n"
            "-\t11\tSP09\tP-Spitfire LF Mk IX\tSpitfire LF Mk IXe\n");
}

// What each command changes is tested through the window; here each reaches the core once.
TEST_F(PlaneCommandsTest, SkinPlaneFuelResetAndDelMsnExitByOutcome) {
  EXPECT_EQ(kvo.run({"--include-flt", "skin", "Bf109G Winter"}), 0) << kvo.err();
  EXPECT_TRUE(inGame("p109g.flt"));
  EXPECT_EQ(kvo.run({"skin", "No Such Skin"}), 2);
  EXPECT_NE(kvo.err().find("No Such Skin"), std::string::npos);
  EXPECT_EQ(kvo.run({"rename-skin", "Bf109G Winter", "Bf109G Tropical"}), 1);
  EXPECT_NE(kvo.err().find("This name is already in use"), std::string::npos);
  EXPECT_EQ(kvo.run({"rename-skin", "Bf109G Winter", "Gustav Snow"}), 0) << kvo.err();
  EXPECT_TRUE(std::filesystem::is_directory(skinDir("Gustav Snow")));
  EXPECT_EQ(kvo.run({"--include-flt", "clear-skins"}), 0) << kvo.err();
  EXPECT_FALSE(inGame("p109g.flt"));
  ASSERT_EQ(kvo.run({"click", "F-Alternative Planes"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"plane", "P-Mustang III"}), 0) << kvo.err();
  EXPECT_EQ(record(), "F-Alternative Planes\r\nP-Mustang III\r\n\r\n");
  ASSERT_EQ(kvo.run({"list", "menu", "A"}), 0) << kvo.err();
  EXPECT_NE(kvo.out().find("2\t15\tMustang Mk III\n"), std::string::npos) << kvo.out();
  EXPECT_EQ(kvo.run({"plane", "P-Nothing"}), 2);
  EXPECT_EQ(kvo.run({"list", "menu", "X"}), 2);
  ASSERT_EQ(kvo.run({"fuel", "p51b", "50"}), 0) << kvo.err();
  const auto planes = readFile(game() / "planes.dat");
  EXPECT_EQ(static_cast<unsigned char>(planes[216 * 4 + 40]) +
                256 * static_cast<unsigned char>(planes[216 * 4 + 41]),
            1800 / 2);  // the installed plane's fuel, also after a restart
  EXPECT_EQ(kvo.run({"fuel", "P51B", "33"}), 2);
  std::filesystem::remove(game() / "pnames.str");
  EXPECT_EQ(kvo.run({"list", "names"}), 1);
  EXPECT_NE(kvo.err().find("pnames.str"), std::string::npos);
  EXPECT_EQ(kvo.run({"reset"}), 0) << kvo.err();
  EXPECT_FALSE(inGame("fighters.flt"));
  EXPECT_EQ(kvo.run({"del-msn"}), 0) << kvo.err();
  EXPECT_FALSE(inGame("Savedata/DefaultA.msn"));
}

}  // namespace
}  // namespace kvo::test
