#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "scripts_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

class ScriptCommandsTest : public ScriptsTest {
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

TEST_F(ScriptCommandsTest, SaveAsksForOverwriteAndRunReplays) {
  ASSERT_EQ(run({"click", "T-Burma"}), 0) << err.str();
  ASSERT_EQ(run({"save-script", "Burma"}), 0) << err.str();
  EXPECT_EQ(readFile(scripts() / "Burma.set"), "T-Burma\r\n\r\n");
  ASSERT_EQ(run({"click", "G-Water"}), 0) << err.str();
  EXPECT_EQ(run({"save-script", "BURMA"}), 1);
  EXPECT_EQ(err.str(), "There is already an autoscript with this name\n");
  EXPECT_EQ(readFile(scripts() / "Burma.set"), "T-Burma\r\n\r\n");
  EXPECT_EQ(run({"save-script", "BURMA", "--overwrite"}), 0) << err.str();
  EXPECT_EQ(readFile(scripts() / "Burma.set"), "T-Burma\r\nG-Water\r\n\r\n");
  EXPECT_EQ(run({"save-script", "../Burma"}), 1);
  EXPECT_EQ(run({"save-script", "Burma", "--force"}), 2);

  ASSERT_EQ(run({"reset"}), 0) << err.str();
  ASSERT_EQ(run({"run-script", "burma.set"}), 0) << err.str();
  EXPECT_EQ(record(), "T-Burma\r\nG-Water\r\n\r\n");
  EXPECT_EQ(run({"run-script", "Nothing.set"}), 2);
  ASSERT_EQ(run({"list", "scripts"}), 0);
  EXPECT_EQ(out.str(), "Burma.set\nDesert Campaign.set\nEurope 1942.set\nNormandy Invasion.set\n");
}

TEST_F(ScriptCommandsTest, LoadPackageResetsAndPostsOnRequest) {
  ASSERT_EQ(run({"click", "T-Normandy"}), 0) << err.str();
  // Reset All sweeps pnames.str by its patterns, so the package's plane cannot be installed:
  // that is said, and the rest of the package stays loaded.
  EXPECT_EQ(run({"load-package", "Desert Campaign.set", "--reset", "--post"}), 1);
  EXPECT_NE(err.str().find("pnames.str"), std::string::npos);
  EXPECT_EQ(out.str(), "Desert Campaign.set\n");
  EXPECT_EQ(record(), "F-Alternative Planes\r\nT Desert\r\nSpit Mk IX Desert\r\n\r\n");
  EXPECT_FALSE(fs::exists(game() / "normandy.ter"));
  EXPECT_EQ(run({"load-package", "Normandy Invasion.set"}), 0) << err.str();
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(run({"load-package", "No Such.set"}), 2);
  EXPECT_EQ(run({"load-package", "Desert Campaign.set", "--later"}), 2);
}

// Music.ini names A, B and C; A and C wait in their folders, the Music folder holds B.
TEST_F(ScriptCommandsTest, MusicSwitchesAndListsTheSets) {
  for (const char* set : {"Music", "Big Band", "Quiet Skies"}) fs::remove_all(game() / set);
  writeFile(game() / "Music.ini", "A\r\nB\r\nC\r\n");
  writeFile(game() / "A" / "a.bgm", "a");
  writeFile(game() / "Music" / "b.bgm", "b");
  writeFile(game() / "C" / "c.bgm", "c");
  ASSERT_EQ(run({"list", "music"}), 0);
  EXPECT_EQ(out.str(), "-\tA\nS\tB\n-\tC\n");
  ASSERT_EQ(run({"music", "C"}), 0) << err.str();
  EXPECT_EQ(readFile(game() / "Music" / "c.bgm"), "c");
  EXPECT_EQ(readFile(game() / "B" / "b.bgm"), "b");
  EXPECT_FALSE(fs::exists(game() / "C"));
  ASSERT_EQ(run({"list", "music"}), 0);
  EXPECT_EQ(out.str(), "-\tA\n-\tB\nS\tC\n");
  EXPECT_EQ(run({"music", "C"}), 2);
  EXPECT_NE(err.str().find("the set in use is \"C\""), std::string::npos);
  // Without a set in use there is no name to put the Music folder back under.
  fs::create_directory(game() / "C");
  EXPECT_EQ(run({"music", "A"}), 1);
  EXPECT_NE(err.str().find("no set is in use"), std::string::npos);
  EXPECT_NE(err.str().find("Nothing was changed"), std::string::npos);
  EXPECT_EQ(readFile(game() / "A" / "a.bgm"), "a");
  EXPECT_EQ(readFile(game() / "Music" / "c.bgm"), "c");
}

}  // namespace
}  // namespace kvo::test
