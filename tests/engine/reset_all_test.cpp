#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "engine/clean_up.h"
#include "planes/planes_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

// A bare game folder holding the files of the classic clean-up example.
class CleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"hof.dat", "Chatline.txt", "dsg.ico", "extra.spt", "planes.dat",
                             "readme.txt", "p51.bmp", "sky.bmp", "Normandy.TER"}) {
      writeFile(game / name, name);
    }
    writeFile(game / "Savedata/keep.txt", "save");
    fs::create_directories(game / "KVO128");
  }
  std::set<std::string> gameFiles() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(game.path())) {
      if (entry.is_regular_file()) names.insert(entry.path().filename().string());
    }
    return names;
  }
  TempDir game;
};

TEST_F(CleanUpTest, BuiltInPatternsSpareProtectedNamesAndSubfolders) {
  EXPECT_TRUE(CleanUp(game.path(), game / "KVO128").empty());
  EXPECT_EQ(gameFiles(),
            (std::set<std::string>{"hof.dat", "Chatline.txt", "dsg.ico", "extra.spt", "sky.bmp"}));
  EXPECT_TRUE(fs::exists(game / "Savedata/keep.txt"));
}

TEST_F(CleanUpTest, CleanUpIniReplacesThePatternsByItsFirstLine) {
  writeFile(game / "KVO128/cleanup.INI", "*.ter\r\n*.txt\r\n");
  CleanUp(game.path(), game / "KVO128");
  EXPECT_FALSE(fs::exists(game / "Normandy.TER"));
  EXPECT_EQ(gameFiles().size(), 8U);

  writeFile(game / "KVO128/cleanup.INI", "\r\n*.dat\r\n");
  CleanUp(game.path(), game / "KVO128");
  EXPECT_EQ(gameFiles().size(), 8U);
}

TEST_F(CleanUpTest, EveryFileThatCannotBeDeletedIsReportedAndTheRestGoOn) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  fs::permissions(game.path(), fs::perms::owner_write, fs::perm_options::remove);
  const auto failures = CleanUp(game.path(), game / "KVO128");
  fs::permissions(game.path(), fs::perms::owner_write, fs::perm_options::add);
  ASSERT_EQ(failures.size(), 4U);
  EXPECT_NE(failures.sentences()[0].find("Normandy.TER"), std::string::npos);
}

using ResetAllTest = PlanesTest;

TEST_F(ResetAllTest, UnmarksEverythingSweepsTheGameAndRestoresTheSpareExe) {
  start();
  click("T-Normandy");
  click("G-Water");
  click("F-Alternative Planes");
  applySkin("Spit Mk IX Desert");
  st().G1.row = 1;
  sel().planes.ApplyPlaneRow();
  writeFile(game() / "eaw.exe", "patched");
  sel().reset.Command1_Click();
  EXPECT_TRUE(shell.messages.empty());
  for (int r = 1; r < st().Unigrid.rows(); ++r) {
    EXPECT_EQ(st().Unigrid.text(r, 2), "");
    EXPECT_NE(st().Unigrid.back(r, 1), kLoadedGreen);
  }
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(st().G1.rows(), 1);
  EXPECT_FALSE(st().Frame6Visible);
  EXPECT_EQ(st().List1.index, 1);
  EXPECT_EQ(record(), "");
  EXPECT_EQ(shell.captions.back(), st().caption);
  EXPECT_EQ(readFile(game() / "eaw.exe"), readFile(selectorDir() / "eaw.exe"));
  for (const char* gone :
       {"normandy.ter", "water01.tpc", "psp09.tpc", "planes.dat", "pnames.str"}) {
    EXPECT_FALSE(inGame(gone)) << gone;
  }
  for (const char* kept :
       {"hof.dat", "Chatline.txt", "extra.spt", "eaw.ini", "Savedata/DefaultA.msn"}) {
    EXPECT_TRUE(inGame(kept)) << kept;
  }
  selector_.reset();
  start();
  for (int r = 1; r < st().Unigrid.rows(); ++r) EXPECT_EQ(st().Unigrid.text(r, 2), "");
}

TEST_F(ResetAllTest, WithoutASpareTheGameExeIsLeftAlone) {
  fs::remove(selectorDir() / "eaw.exe");
  writeFile(game() / "eaw.exe", "the player's own");
  start();
  sel().reset.Command1_Click();
  EXPECT_EQ(readFile(game() / "eaw.exe"), "the player's own");
}

TEST_F(ResetAllTest, DelMsnRemovesOnlyDefaultMissions) {
  start();
  sel().reset.delmsn_Click();
  EXPECT_FALSE(inGame("Savedata/DefaultA.msn"));
  EXPECT_FALSE(inGame("Savedata/default7.MSN"));
  EXPECT_TRUE(inGame("Savedata/Mission1.msn"));
  sel().reset.delmsn_Click();
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ResetAllTest, DelMsnReportsEachMissionItCannotDelete) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  fs::permissions(game() / "Savedata", fs::perms::owner_write, fs::perm_options::remove);
  sel().reset.delmsn_Click();
  fs::permissions(game() / "Savedata", fs::perms::owner_write, fs::perm_options::add);
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("DefaultA.msn"), std::string::npos);
  EXPECT_NE(shell.messages[0].text.find("default7.MSN"), std::string::npos);
}

}  // namespace
}  // namespace kvo::test
