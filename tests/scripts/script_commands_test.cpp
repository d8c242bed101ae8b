#include <gtest/gtest.h>

#include "scripts_fixture.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {

class ScriptCommandsTest : public ScriptsTest {
 protected:
  CliRunner kvo{game()};
};

// Saving, replaying and loading are tested through the window; here what the commands add.
TEST_F(ScriptCommandsTest, SaveAsksForOverwriteRunReplaysAndLoadPackageResetsAndPosts) {
  ASSERT_EQ(kvo.run({"click", "T-Burma"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"save-script", "Burma"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"click", "G-Water"}), 0) << kvo.err();
  EXPECT_EQ(kvo.run({"save-script", "BURMA"}), 1);
  EXPECT_EQ(kvo.err(), "There is already an autoscript with this name\n");
  EXPECT_EQ(readFile(scripts() / "Burma.set"), "T-Burma\r\n\r\n");
  EXPECT_EQ(kvo.run({"save-script", "BURMA", "--overwrite"}), 0) << kvo.err();
  EXPECT_EQ(kvo.run({"save-script", "../Burma"}), 1);
  EXPECT_EQ(kvo.run({"save-script", "Burma", "--force"}), 2);
  ASSERT_EQ(kvo.run({"reset"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"run-script", "burma.set"}), 0) << kvo.err();
  EXPECT_EQ(record(), "T-Burma\r\nG-Water\r\n\r\n");
  EXPECT_EQ(kvo.run({"run-script", "Nothing.set"}), 2);
  ASSERT_EQ(kvo.run({"list", "scripts"}), 0);
  EXPECT_EQ(kvo.out(), "Burma.set\nDesert Campaign.set\nEurope 1942.set\nNormandy Invasion.set\n");
  // Reset All sweeps pnames.str by its patterns, so the package's plane cannot be installed:
  // that is said, and the rest of the package stays loaded.
  EXPECT_EQ(kvo.run({"load-package", "Desert Campaign.set", "--reset", "--post"}), 1);
  EXPECT_NE(kvo.err().find("pnames.str"), std::string::npos);
  EXPECT_EQ(kvo.out(), "Desert Campaign.set\n");
  EXPECT_EQ(record(), "F-Alternative Planes\r\nT Desert\r\nSpit Mk IX Desert\r\n\r\n");
  EXPECT_EQ(kvo.run({"load-package", "Normandy Invasion.set"}), 0) << kvo.err();
  EXPECT_EQ(kvo.out(), "");
  EXPECT_EQ(kvo.run({"load-package", "No Such.set"}), 2);
  EXPECT_EQ(kvo.run({"load-package", "Desert Campaign.set", "--later"}), 2);
}

}  // namespace
}  // namespace kvo::test
