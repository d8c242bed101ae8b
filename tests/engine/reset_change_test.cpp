#include <gtest/gtest.h>

#include <filesystem>

#include "planes/planes_fixture.h"
#include "platform/transaction_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

// The demo selector with a folder beside the game folder that neither Reset All nor Del MSN
// may change, whatever links in the game folder point into it.
class ResetChangeTest : public PlanesTest {
 protected:
  void SetUp() override {
    PlanesTest::SetUp();
    writeFile(outside() / "sentinel", "not the game's");
    writeFile(outside() / "Savedata/DefaultB.msn", "a mission elsewhere");
    fs::permissions(outside() / "sentinel", fs::perms::owner_read | fs::perms::group_read);
  }
  fs::path outside() const { return temp_.path() / "outside"; }
  void linkToSentinel(const fs::path& link) {
    fs::remove(link);
    fs::create_symlink(outside() / "sentinel", link);
  }
};

TEST_F(ResetChangeTest, LinksInTheGameFolderGoAndWhatTheyPointAtStays) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  linkToSentinel(game() / "planes.dat");  // swept
  linkToSentinel(game() / "eaw.exe");     // the spare goes over it
  linkToSentinel(game() / "psp09.tpc");   // a skin's file
  const auto before = exactTree(outside());
  start();
  applySkin("Spit Mk IX Desert");
  linkToSentinel(game() / "psp09.tpc");
  sel().reset.Command1_Click();
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "planes.dat")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "psp09.tpc")));
  EXPECT_FALSE(fs::is_symlink(game() / "eaw.exe"));
  EXPECT_EQ(readFile(game() / "eaw.exe"), readFile(selectorDir() / "eaw.exe"));
  EXPECT_TRUE(exactTree(outside()) == before);
}

TEST_F(ResetChangeTest, DelMsnRefusesASaveFolderThatIsALink) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  fs::remove_all(game() / "Savedata");
  fs::create_directory_symlink(outside() / "Savedata", game() / "Savedata");
  const auto before = exactTree(outside());
  start();
  sel().reset.delmsn_Click();
  EXPECT_TRUE(exactTree(outside()) == before);
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("DefaultB.msn"), std::string::npos);
}

TEST_F(ResetChangeTest, AResetThatCannotStartKeepsEveryMarkAndFile) {
  start();
  click("T-Normandy");
  applySkin("Spit Mk IX Desert");
  const auto recordBefore = record();
  writeFile(selectorDir() / "Unfinished change.kvo", "pending");
  const auto before = exactTree(game());
  sel().reset.Command1_Click();
  sel().reset.delmsn_Click();
  EXPECT_TRUE(exactTree(game()) == before);
  EXPECT_EQ(st().Unigrid.text(row("T-Normandy"), 2), "S");
  EXPECT_TRUE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(record(), recordBefore);
  EXPECT_EQ(st().Label8, recordBefore.substr(0, recordBefore.size() - 2));
  ASSERT_EQ(shell.messages.size(), 2U);
  EXPECT_EQ(shell.messages[0].title, "KVO");
  EXPECT_EQ(shell.captions.back(), st().caption);
}

TEST_F(ResetChangeTest, FilesThatCannotBeDeletedAreReportedAndTheResetGoesOn) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  applySkin("Spit Mk IX Desert");
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::remove);
  sel().reset.Command1_Click();
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::add);
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("Reset All could not do everything:"), std::string::npos);
  EXPECT_NE(shell.messages[0].text.find("psp09.tpc"), std::string::npos);
  EXPECT_NE(shell.messages[0].text.find("planes.dat"), std::string::npos);
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(record(), "");
}

}  // namespace
}  // namespace kvo::test
