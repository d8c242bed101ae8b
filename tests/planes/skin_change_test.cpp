#include <gtest/gtest.h>

#include <filesystem>

#include "planes_fixture.h"
#include "platform/transaction_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

// The demo selector with a sentinel file beside the game folder, which no skin action may
// change, whatever links in the game folder point at it.
class SkinChangeTest : public PlanesTest {
 protected:
  void SetUp() override {
    PlanesTest::SetUp();
    writeFile(outside() / "sentinel", "not the game's");
    fs::permissions(outside() / "sentinel", fs::perms::owner_read | fs::perms::group_read);
    outsideBefore_ = exactTree(outside());
  }
  fs::path outside() const { return temp_.path() / "outside"; }
  void expectOutsideIntact() { EXPECT_TRUE(exactTree(outside()) == outsideBefore_); }
  void linkToSentinel(const fs::path& link) {
    fs::remove(link);
    fs::create_symlink(outside() / "sentinel", link);
  }

 private:
  std::map<std::string, std::string> outsideBefore_;
};

TEST_F(SkinChangeTest, ALoadThatCannotCopyEveryFileChangesNothingAndStaysUnmarked) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  start();
  applySkin("Bf109G Winter");
  // A link is no skin file: its copy is refused, as an unreadable file's would fail.
  linkToSentinel(skinDir("Bf109G Tropical") / "p109g.3dz");
  const auto gameBefore = exactTree(game());
  const auto recordBefore = record();
  applySkin("Bf109G Tropical");
  EXPECT_TRUE(exactTree(game()) == gameBefore);
  EXPECT_EQ(record(), recordBefore);
  EXPECT_TRUE(skinLoaded("Bf109G Winter"));
  EXPECT_FALSE(skinLoaded("Bf109G Tropical"));
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("p109g.3dz"), std::string::npos);
  EXPECT_EQ(shell.messages[0].title, "KVO");
  expectOutsideIntact();
}

TEST_F(SkinChangeTest, AnUnreadableSkinFileStopsTheLoadBeforeAnyCopy) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  const auto file = skinDir("Spit Mk IX Desert") / "psp09.tpc";
  const auto mode = fs::status(file).permissions();
  const auto gameBefore = exactTree(game());
  fs::permissions(file, fs::perms::none);
  applySkin("Spit Mk IX Desert");
  fs::permissions(file, mode);
  EXPECT_TRUE(exactTree(game()) == gameBefore);
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("psp09.tpc"), std::string::npos);
  // The row was left unmarked, so the next try loads rather than unloads.
  applySkin("Spit Mk IX Desert");
  EXPECT_TRUE(skinLoaded("Spit Mk IX Desert"));
}

// Links in the game folder, where a skin's file would be copied or deleted: the link itself
// goes, the file it points at stays as it was.
TEST_F(SkinChangeTest, GameFilesThatAreLinksAreReplacedOrDeletedAsLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  linkToSentinel(game() / "psp09.tpc");
  start();
  applySkin("Spit Mk IX Desert");
  EXPECT_TRUE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_FALSE(fs::is_symlink(game() / "psp09.tpc"));
  EXPECT_EQ(readFile(game() / "psp09.tpc"), readFile(skinDir("Spit Mk IX Desert") / "psp09.tpc"));
  expectOutsideIntact();

  linkToSentinel(game() / "psp09.tpc");
  applySkin("Spit Mk IX Desert");
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "psp09.tpc")));
  applySkin("Mustang Invasion");
  linkToSentinel(game() / "invasion.bmp");
  sel().skins.Skinkill();
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "invasion.bmp")));
  EXPECT_TRUE(shell.messages.empty());
  expectOutsideIntact();
}

TEST_F(SkinChangeTest, ARenameBehindALinkedSkinFolderIsRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  const auto outsideSkins = outside() / "skins";
  fs::rename(selectorDir() / "Skinfolder", outsideSkins);
  fs::create_directory_symlink(outsideSkins, selectorDir() / "Skinfolder");
  const auto before = exactTree(outside());
  start();
  st().SK1.row = skinRow("Mustang Invasion");
  st().Text3 = "Mustang D-Day";
  sel().skins.RenameSkin();
  EXPECT_TRUE(exactTree(outside()) == before);
  EXPECT_EQ(st().SK1.text(st().SK1.row, 0), "Mustang Invasion");
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("Mustang"), std::string::npos);
}

TEST_F(SkinChangeTest, AChangeThatCannotStartLeavesMarksAndFiles) {
  start();
  applySkin("Bf109G Winter");
  // A change cut short whose journal the next start has not finished yet.
  writeFile(selectorDir() / "Unfinished change.kvo", "pending");
  const auto tree = exactTree(game());
  applySkin("Bf109G Winter");
  sel().skins.Skinkill();
  st().Text3 = "Renamed";
  sel().skins.RenameSkin();
  EXPECT_TRUE(exactTree(game()) == tree);
  EXPECT_TRUE(skinLoaded("Bf109G Winter"));
  EXPECT_GT(skinRow("Bf109G Winter"), 0);
  EXPECT_EQ(shell.messages.size(), 3U);
}

}  // namespace
}  // namespace kvo::test
