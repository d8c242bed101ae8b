#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/clean_up.h"
#include "planes/planes_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

// The sweep's patterns come from the first line of cleanup.ini when there is one; an empty
// first line sweeps nothing, and subfolders are never swept.
TEST(CleanUpTest, BuiltInOrIniPatternsSpareProtectedNamesAndSubfolders) {
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {nullptr, {"planes.dat", "readme.txt", "p51.bmp", "Normandy.TER"}},
      {"*.ter\r\n*.txt\r\n", {"Normandy.TER"}},
      {"\r\n*.dat\r\n", {}}};
  for (const auto& [ini, swept] : cases) {
    SCOPED_TRACE(ini ? ini : "built-in");
    TempDir game;
    for (auto name : {"hof.dat", "Chatline.txt", "dsg.ico", "extra.spt", "planes.dat", "readme.txt",
                      "p51.bmp", "sky.bmp", "Normandy.TER", "Savedata/keep.txt"}) {
      writeFile(game / name, name);
    }
    fs::create_directories(game / "KVO128");
    if (ini) writeFile(game / "KVO128/cleanup.INI", ini);
    auto expected = snapshot(game.path());
    for (const auto* name : swept) expected.erase(name);
    EXPECT_TRUE(CleanUp(game.path(), game / "KVO128").empty());
    EXPECT_EQ(snapshot(game.path()), expected);
  }
}

using ResetAllTest = PlanesTest;

// Which names the sweep spares is tested with the clean-up; here that loads of every kind go
// and nothing else changes.
TEST_F(ResetAllTest, UnmarksEverythingSweepsTheGameAndRestoresTheSpareExeThenDelMsn) {
  start();
  auto expected = treeBesidesDeployment();
  for (const char* swept :
       {"planes.dat", "loadout.dat", "pnames.str", "picplna.mnu", "picplnb.mnu", "picplng.mnu"}) {
    expected.erase(swept);
  }
  expected["groundtex.bmp"] = modFile("T-Normandy", "groundtex.bmp");  // no pattern takes it
  expected["eaw.exe"] = readFile(selectorDir() / "eaw.exe");
  expected["KVO128/FoldersLoaded.txt"] = "";
  for (const auto* name : {"T-Normandy", "G-Water", "F-Alternative Planes"}) click(name);
  applySkin("Spit Mk IX Desert");
  st().G1.row = 1;
  sel().planes.ApplyPlaneRow();
  writeFile(game() / "eaw.exe", "patched");
  sel().reset.Command1_Click();
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(treeBesidesDeployment(), expected);
  for (int r = 1; r < st().Unigrid.rows(); ++r) {
    EXPECT_EQ(st().Unigrid.text(r, 2), "");
    EXPECT_NE(st().Unigrid.back(r, 1), kLoadedGreen);
  }
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(st().G1.rows(), 1);
  EXPECT_FALSE(st().Frame6Visible);
  EXPECT_EQ(st().List1.index, 1);
  EXPECT_EQ(shell.captions.back(), st().caption);
  sel().reset.delmsn_Click();
  sel().reset.delmsn_Click();
  EXPECT_TRUE(shell.messages.empty());
  expected.erase("Savedata/DefaultA.msn");
  expected.erase("Savedata/default7.MSN");
  EXPECT_EQ(treeBesidesDeployment(), expected);
  fs::remove(selectorDir() / "eaw.exe");  // without a spare the game's own is left alone
  writeFile(game() / "eaw.exe", "the player's own");
  sel().reset.Command1_Click();
  EXPECT_EQ(readFile(game() / "eaw.exe"), "the player's own");
}

// Reset All and Del MSN change nothing beside the game folder, whatever links point there.
TEST_F(ResetAllTest, LinksInTheGameFolderGoAndWhatTheyPointAtStays) {
  if (const char* why = whyNoLinks()) GTEST_SKIP() << why;
  writeSentinel();
  writeFile(outside() / "Savedata/DefaultB.msn", "a mission elsewhere");
  linkToSentinel(game() / "planes.dat");  // swept
  linkToSentinel(game() / "eaw.exe");     // the spare goes over it
  linkToSentinel(game() / "psp09.tpc");   // a skin's file
  fs::remove_all(game() / "Savedata");
  fs::create_directory_symlink(outside() / "Savedata", game() / "Savedata");
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
  sel().reset.delmsn_Click();
  EXPECT_TRUE(exactTree(outside()) == before);
  expectOneMessageWith({"DefaultB.msn"});
}

TEST_F(ResetAllTest, AResetThatCannotStartKeepsEveryMarkAndFile) {
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

TEST_F(ResetAllTest, FilesThatCannotBeDeletedAreReportedAndTheResetOrDelMsnGoesOn) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  applySkin("Spit Mk IX Desert");
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::remove);
  sel().reset.Command1_Click();
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"Reset All could not do everything:", "psp09.tpc", "planes.dat"});
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(record(), "");
  shell.messages.clear();
  fs::permissions(game() / "Savedata", fs::perms::owner_write, fs::perm_options::remove);
  sel().reset.delmsn_Click();
  fs::permissions(game() / "Savedata", fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"DefaultA.msn", "default7.MSN"});
}

}  // namespace
}  // namespace kvo::test
