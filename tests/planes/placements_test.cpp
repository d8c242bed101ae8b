#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/deployment_check.h"
#include "engine/keep_originals.h"
#include "planes/planes_fixture.h"
#include "platform/listing.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

class PlacementsTest : public PlanesTest {
 protected:
  void startWithPlanes() {
    start();
    click("F-Alternative Planes");
    ASSERT_TRUE(st().Frame6Visible);
  }
  void keepOriginals() { ASSERT_TRUE(told(setKeepOriginals(st(), sel().game, true)).ok()); }
  std::vector<DeploymentFault> faults() { return verifyDeployment(st(), FolderIndex(game())); }
  // The game folder without the selector's own files and the store of kept originals. Reset All
  // puts the spare eaw.exe back on purpose, so that file is left out too.
  Tree gameFiles() {
    auto all = tree();
    std::erase_if(all, [](const auto& entry) {
      return entry.first.starts_with("KVO128/") || entry.first.starts_with("KVO Originals/") ||
             entry.first == "eaw.exe";
    });
    return all;
  }
  fs::path planeFlt(std::string_view plane) {
    for (const auto& entry : fs::directory_iterator(fm() / plane)) {
      if (entry.path().extension() == ".flt") return entry.path();
    }
    return {};
  }
};

// An install and a fuel button are changes verify knows; a byte changed behind them is not.
TEST_F(PlacementsTest, VerifyKnowsInstallsAndFuelButTellsALaterChange) {
  startWithPlanes();
  applyPlane("P-Mustang III");
  EXPECT_TRUE(faults().empty()) << faults().front().file;
  told(sel().planes.SetFuelLoad(4, 2));
  ASSERT_TRUE(shell.messages.empty()) << shell.messages.front().text;
  EXPECT_TRUE(faults().empty()) << faults().front().file;
  auto names = readFile(game() / "pnames.str");
  names[0] = static_cast<char>(names[0] ^ 1);
  writeFile(game() / "pnames.str", names);
  const auto found = faults();
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(found[0].file, "pnames.str");
  EXPECT_EQ(found[0].fault, "changed");
}

// The plane's flight model goes with the flight-model folder that installed it; without the
// store the game's own files the install patched stay as patched.
TEST_F(PlacementsTest, AnUnloadTakesTheInstalledFlightModelAlong) {
  const auto flt = planeFlt("P-Mustang III").filename();
  ASSERT_FALSE(fs::exists(game() / flt));
  startWithPlanes();
  applyPlane("P-Mustang III");
  ASSERT_TRUE(fs::exists(game() / flt));
  const auto names = readFile(game() / "pnames.str");
  click("F-Alternative Planes");
  EXPECT_FALSE(fs::exists(game() / flt));
  EXPECT_EQ(readFile(game() / "pnames.str"), names);
  EXPECT_TRUE(faults().empty());
}

// Loads, a plane install, a fuel button and skins, one of them unloaded without its flight
// files: Reset All with the store gives back every byte and takes nothing more.
TEST_F(PlacementsTest, ResetAllWithTheStoreGivesBackTheGameFolderAsItWas) {
  writeFile(game() / "Savedata/career1.sve", "the player's own career");
  writeFile(game() / "gunsight.bmp", "the player's own gunsight");
  start();
  keepOriginals();
  const auto before = gameFiles();
  click("F-Alternative Planes");
  applyPlane("P-Mustang III");
  told(sel().planes.SetFuelLoad(4, 1));
  click("O-Red Gunsight");
  click("C-Career42");
  click("T-Normandy");
  applySkin("Mustang Invasion");
  st().Check5 = false;
  applySkin("Bf109G Winter");
  applySkin("Bf109G Winter");  // leaves its PLANES.DAT and flight model behind
  ASSERT_TRUE(inGame("PLANES.DAT") || inGame("planes.dat"));
  ASSERT_TRUE(shell.messages.empty()) << shell.messages.front().text;
  ASSERT_TRUE(faults().empty()) << faults().front().file;
  ASSERT_NE(gameFiles(), before);
  EXPECT_TRUE(told(sel().reset.Command1_Click()).ok());
  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
  EXPECT_EQ(gameFiles(), before);
}

// Without the store the sweep follows its patterns, and also takes what the record says a load
// put there, which no pattern names.
TEST_F(PlacementsTest, ResetAllWithoutTheStoreAlsoSweepsRecordedFiles) {
  start();
  click("O-Red Gunsight");
  ASSERT_TRUE(inGame("gunsight.bmp"));
  EXPECT_TRUE(told(sel().reset.Command1_Click()).ok());
  EXPECT_FALSE(inGame("gunsight.bmp"));
  EXPECT_TRUE(inGame("hof.dat"));
}

// The player's own save of the career's name is kept while the career is loaded.
TEST_F(PlacementsTest, ACareerGivesBackThePlayersOwnSaveOfTheSameName) {
  writeFile(game() / "Savedata/career1.sve", "the player's own career");
  start();
  keepOriginals();
  click("C-Career42");
  EXPECT_EQ(readFile(game() / "Savedata/career1.sve"), modFile("C-Career42", "career1.sve"));
  writeFile(game() / "Savedata/career1.sve", "played on");
  click("C-Career42");
  EXPECT_EQ(readFile(game() / "Savedata/career1.sve"), "the player's own career");
  EXPECT_EQ(modFile("C-Career42", "career1.sve"), "played on");
}

// A skin's PLANES.DAT undoes the installs: the grid and the record forget them, the report says
// so, and the skin's unload puts back the flight model's planes.dat instead of deleting it.
TEST_F(PlacementsTest, ASkinOverPlanesDatUndoesTheInstallsAndGivesBackWhatWasThere) {
  startWithPlanes();
  applyPlane("P-Mustang III");
  ASSERT_TRUE(installed("P-Mustang III"));
  const auto outcome = applySkin("Bf109G Winter");
  EXPECT_NE(outcome.done.find("PLANES.DAT"), std::string::npos) << outcome.done;
  EXPECT_FALSE(installed("P-Mustang III"));
  EXPECT_EQ(record().find("P-Mustang III"), std::string::npos) << record();
  EXPECT_TRUE(faults().empty()) << faults().front().file;
  st().Check5 = true;
  applySkin("Bf109G Winter");
  EXPECT_EQ(readFile(game() / "planes.dat"), modFile("F-Alternative Planes", "planes.dat"));
  EXPECT_TRUE(faults().empty()) << faults().front().file;
}

// A Reset All that cannot change the game folder keeps in the record what it left there, so
// that the next one still gives the game's own files back.
TEST_F(PlacementsTest, AResetAllThatCannotFinishLeavesTheRestToTheNextOne) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  keepOriginals();
  const auto before = gameFiles();
  click("F-Alternative Planes");
  applyPlane("P-Mustang III");
  click("O-Red Gunsight");
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::remove);
  told(sel().reset.Command1_Click());
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"Reset All could not do everything:", "gunsight.bmp"});
  const auto left = readFile(selectorDir() / "FilesLoaded.txt");
  for (const char* file : {"planes.dat", "pnames.str", "gunsight.bmp"}) {
    EXPECT_NE(left.find(file), std::string::npos) << file;
  }
  shell.messages.clear();
  told(sel().reset.Command1_Click());
  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
  EXPECT_EQ(gameFiles(), before);
}

// The question names what the dry run deletes; a "no" leaves every file and mark.
TEST_F(PlacementsTest, ResetAllAsksWithWhatItDeletesAndANoChangesNothing) {
  struct Refusing final : RecordingShell {
    bool ask(std::string_view text, std::string_view) override {
      asked = text;
      return false;
    }
    std::string asked;
  } refusing;
  start();
  click("O-Red Gunsight");
  const auto before = tree();
  EXPECT_TRUE(sel().reset.confirmedReset(refusing).ok());
  EXPECT_EQ(tree(), before);
  EXPECT_TRUE(marked("O-Red Gunsight"));
  // gunsight.bmp, planes.dat, loadout.dat, pnames.str and the three menus.
  EXPECT_NE(refusing.asked.find("deletes 7 files"), std::string::npos) << refusing.asked;
  EXPECT_NE(refusing.asked.find("6 that no load or install put there"), std::string::npos)
      << refusing.asked;
  EXPECT_NE(refusing.asked.find("planes.dat"), std::string::npos) << refusing.asked;
  EXPECT_EQ(refusing.asked.find("gunsight.bmp"), std::string::npos) << refusing.asked;
}

}  // namespace
}  // namespace kvo::test
