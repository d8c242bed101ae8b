#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "planes/skin_files.h"
#include "planes_fixture.h"
#include "platform/listing.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using SkinTest = PlanesTest;

// Pictures and descriptions stay in the skin folder; a .bmp is a game file. The header row
// does nothing.
TEST_F(SkinTest, TwoSkinsOfOneArtCodeReplaceEachOtherAndClearAllUnloadsEvery) {
  start();
  const auto fresh = treeBesidesDeployment();
  applySkin("Bf109G Winter");
  applySkin("Bf109G Tropical");
  EXPECT_EQ(st().SK1.back(skinRow("Bf109G Tropical"), 0), kLoadedSkin);
  EXPECT_EQ(st().SK1.back(skinRow("Bf109G Winter"), 0), st().DefaultCellColour);
  EXPECT_FALSE(inGame("p109gw.tpc"));
  EXPECT_EQ(readFile(game() / "p109g.3dz"), readFile(skinDir("Bf109G Tropical") / "p109g.3dz"));
  applySkin("Mustang Invasion");
  EXPECT_TRUE(inGame("invasion.bmp"));
  EXPECT_EQ(record(), "Bf109G Tropical\r\nMustang Invasion\r\n\r\n");
  told(sel().skins.ApplySkinRow(0));
  told(sel().skins.Skinkill());
  auto expected = fresh;  // Winter's flight data stays: the box to take it along is off
  expected["planes.dat"] = readFile(skinDir("Bf109G Winter") / "PLANES.DAT");
  expected["p109g.flt"] = readFile(skinDir("Bf109G Winter") / "p109g.flt");
  expected["KVO128/FoldersLoaded.txt"] = "\r\n";
  EXPECT_EQ(treeBesidesDeployment(), expected);
  EXPECT_TRUE(shell.messages.empty());
}

// Written anew rather than renamed: Wine keeps the old spelling on a change of case only.
TEST_F(SkinTest, FlightDataLeavesWithTheSkinWhenAskedAndGameFilesKeepTheirCase) {
  const auto planes = readFile(game() / "planes.dat");
  fs::remove(game() / "planes.dat");
  writeFile(game() / "PLANES.DAT", planes);
  writeFile(game() / "P109GW.TPC", "old");
  start();
  st().Check5 = true;
  applySkin("Bf109G Winter");
  EXPECT_EQ(readFile(game() / "P109GW.TPC"), readFile(skinDir("Bf109G Winter") / "p109gw.tpc"));
  EXPECT_FALSE(inGame("p109gw.tpc"));
  EXPECT_FALSE(inGame("planes.dat"));
  applySkin("Bf109G Winter");
  for (const auto* gone : {"P109GW.TPC", "PLANES.DAT", "p109g.flt"}) EXPECT_FALSE(inGame(gone));
  EXPECT_EQ(record(), "\r\n");
}

TEST_F(SkinTest, RenameRefusesUnusableOrTakenNamesAndRenamesOtherwise) {
  start();
  applySkin("Mustang Invasion");
  const auto before = snapshot(selectorDir());
  for (const char* bad : {"", "a/b", "a\\b", ".", "..", "x:y", "what?", "Spit Mk IX Desert"}) {
    shell.messages.clear();
    renameSkin("Mustang Invasion", bad);
    ASSERT_EQ(shell.messages.size(), 1U) << bad;
  }
  EXPECT_EQ(shell.messages[0].text, "This name is already in use");
  EXPECT_EQ(snapshot(selectorDir()), before);
  renameSkin("Mustang Invasion", "Mustang D-Day");
  EXPECT_TRUE(fs::is_directory(skinDir("Mustang D-Day")));
  EXPECT_FALSE(fs::exists(skinDir("Mustang Invasion")));
  EXPECT_GT(skinRow("Mustang D-Day"), 0);
  EXPECT_EQ(record(), "Mustang D-Day\r\n\r\n");
  // Where names differ by case, a case variant of another skin is a separate folder.
  if (!folderIgnoresCase(selectorDir() / "Skinfolder")) {
    renameSkin("Mustang D-Day", "SPIT MK IX DESERT");
    EXPECT_TRUE(fs::is_directory(skinDir("SPIT MK IX DESERT")));
  }
}

TEST_F(SkinTest, FilesThatCannotBeDeletedOrRenamedAreReportedByName) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  applySkin("Spit Mk IX Desert");
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::remove);
  applySkin("Spit Mk IX Desert");
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"psp09.tpc", "psp09.3dz"});
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  shell.messages.clear();
  fs::permissions(selectorDir() / "Skinfolder", fs::perms::owner_write, fs::perm_options::remove);
  renameSkin("Mustang Invasion", "Mustang D-Day");
  fs::permissions(selectorDir() / "Skinfolder", fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"Mustang Invasion"});
  EXPECT_GT(skinRow("Mustang Invasion"), 0);
  shell.messages.clear();
  fs::remove_all(skinDir("Mustang Invasion"));
  writeFile(skinDir("Mustang Invasion"), "no longer a folder");
  applySkin("Mustang Invasion");
  expectOneMessageWith({"Mustang Invasion"});
}

TEST_F(SkinTest, PreviewShowsDescriptionPictureAndOffersTheName) {
  start();
  sel().skins.PreviewSkinRow(skinRow("Bf109G Tropical"));
  EXPECT_EQ(st().Image2, st().BackgroundPicture);         // a click does not show .gif pictures
  sel().skins.SK1_MouseMove(skinRow("Bf109G Tropical"));  // hidden by "Selected"
  EXPECT_EQ(st().Image2, st().BackgroundPicture);
  sel().skins.FilterGrids(0);
  sel().skins.SK1_MouseMove(skinRow("Bf109G Tropical"));
  EXPECT_EQ(st().Image2, skinDir("Bf109G Tropical") / "tropical.gif");
  st().Text3 = "typed";
  sel().skins.SK1_MouseMove(skinRow("Bf109G Winter"));
  EXPECT_EQ(st().Image2, skinDir("Bf109G Winter") / "skinpic");
  EXPECT_EQ(st().Text3, "typed");
}

// No skin action may change the sentinel beside the game folder, whatever links point at it.
class SkinChangeTest : public PlanesTest {
 protected:
  void SetUp() override {
    PlanesTest::SetUp();
    writeSentinel();
    outsideBefore_ = exactTree(outside());
  }
  void expectOutsideIntact() { EXPECT_TRUE(exactTree(outside()) == outsideBefore_); }

 private:
  std::map<std::string, std::string> outsideBefore_;
};

// A link is no skin file: its copy is refused, as an unreadable file's would fail. The row
// stays unmarked, so the next try loads rather than unloads.
TEST_F(SkinChangeTest, ALoadThatCannotCopyEveryFileChangesNothingAndStaysUnmarked) {
  const auto file = skinDir("Bf109G Tropical") / "p109g.3dz";
  const auto gameTree = [&] {
    auto tree = exactTree(game());  // the file at fault, under its own name or its link's
    std::erase_if(tree, [](const auto& entry) {
      return entry.first == "KVO128/Skinfolder/Bf109G Tropical/p109g.3dz" ||
             entry.first.starts_with("..");
    });
    return tree;
  };
  const std::pair<const char*, std::function<void()>> faults[] = {
      {whyNoLinks(), [&] { linkToSentinel(file); }},
      {whyModesCannotFail(), [&] { fs::permissions(file, fs::perms::none); }}};
  start();
  applySkin("Bf109G Winter");
  for (const auto& [why, make] : faults) {
    if (why) continue;
    fs::remove(file);
    writeFile(file, "tropical 3dz");
    shell.messages.clear();
    const auto gameBefore = gameTree();
    make();
    applySkin("Bf109G Tropical");
    if (!fs::is_symlink(file)) fs::permissions(file, fs::perms::owner_all);
    EXPECT_TRUE(gameTree() == gameBefore);
    EXPECT_TRUE(skinLoaded("Bf109G Winter"));
    EXPECT_FALSE(skinLoaded("Bf109G Tropical"));
    expectOneMessageWith({"p109g.3dz"});
  }
  fs::remove(file);
  writeFile(file, "tropical 3dz");
  applySkin("Bf109G Tropical");
  EXPECT_TRUE(skinLoaded("Bf109G Tropical"));
  expectOutsideIntact();
}

// Links in the game folder, where a skin's file would be copied or deleted: the link itself
// goes, the file it points at stays as it was.
TEST_F(SkinChangeTest, LinksAreReplacedOrDeletedAsLinksAndNeverRenamedThrough) {
  if (const char* why = whyNoLinks()) GTEST_SKIP() << why;
  linkToSentinel(game() / "psp09.tpc");
  start();
  applySkin("Spit Mk IX Desert");
  EXPECT_FALSE(fs::is_symlink(game() / "psp09.tpc"));
  EXPECT_EQ(readFile(game() / "psp09.tpc"), readFile(skinDir("Spit Mk IX Desert") / "psp09.tpc"));
  linkToSentinel(game() / "psp09.tpc");
  applySkin("Spit Mk IX Desert");
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "psp09.tpc")));
  applySkin("Mustang Invasion");
  linkToSentinel(game() / "invasion.bmp");
  told(sel().skins.Skinkill());
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "invasion.bmp")));
  EXPECT_TRUE(shell.messages.empty());
  expectOutsideIntact();
  // A skin folder is renamed only where it really is.
  fs::rename(selectorDir() / "Skinfolder", outside() / "skins");
  fs::create_directory_symlink(outside() / "skins", selectorDir() / "Skinfolder");
  const auto before = exactTree(outside());
  renameSkin("Mustang Invasion", "Mustang D-Day");
  EXPECT_TRUE(exactTree(outside()) == before);
  EXPECT_GT(skinRow("Mustang Invasion"), 0);
  expectOneMessageWith({"Mustang"});
}

TEST_F(SkinChangeTest, AChangeThatCannotStartLeavesMarksAndFiles) {
  start();
  applySkin("Bf109G Winter");
  // A change cut short whose journal the next start has not finished yet.
  writeFile(selectorDir() / "Unfinished change.kvo", "pending");
  const auto tree = exactTree(game());
  applySkin("Bf109G Winter");
  told(sel().skins.Skinkill());
  renameSkin("Bf109G Winter", "Renamed");
  EXPECT_TRUE(exactTree(game()) == tree);
  EXPECT_TRUE(skinLoaded("Bf109G Winter"));
  EXPECT_EQ(shell.messages.size(), 3U);
}

}  // namespace
}  // namespace kvo::test
