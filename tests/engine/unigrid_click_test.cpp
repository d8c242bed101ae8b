#include <filesystem>

#include "engine/folder_engine.h"
#include "engine_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using FolderClickTest = EngineTest;

TEST_F(FolderClickTest, SwapOfTerrainSetsReplacesOneFolderByTheOtherOnDisk) {
  writeFile(mod("T-Normandy") / "invasion.MSN", "briefing");
  writeFile(mod("T-Normandy") / "Theme.bgm", "tune");
  start();
  click("T-Burma");
  auto expected = treeBesidesDeployment();
  click("T-Normandy");

  for (auto name : {"burma.ter", "burma.tpc"}) expected.erase(name);
  for (auto name : {"normandy.ter", "normandy.tpc", "groundtex.bmp"}) {
    expected[name] = modFile("T-Normandy", name);
  }
  expected["Savedata/invasion.MSN"] = "briefing";
  expected["Music/Theme.bgm"] = "tune";
  expected["KVO128/FoldersLoaded.txt"] = "T-Normandy\r\n\r\n";
  expected["shared.pal"] = modFile("T-Normandy", "shared.pal");
  EXPECT_EQ(treeBesidesDeployment(), expected);
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_FALSE(marked("T-Burma"));
  EXPECT_EQ(st().Unigrid.back(row("T-Normandy"), 1), kLoadedGreen);
  EXPECT_EQ(st().Label8, "T-Normandy\r\n");
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(FolderClickTest, MultipleSelectionCodesKeepTheirOtherRows) {
  start();
  click("G-Water");
  click("G-Trees");
  click("N-Gun Sounds");
  EXPECT_EQ(record(), "N-Gun Sounds\r\nG-Trees\r\nG-Water\r\n\r\n");
  click("G-Water");
  EXPECT_EQ(record(), "N-Gun Sounds\r\nG-Trees\r\n\r\n");
  EXPECT_FALSE(fs::exists(game() / "water01.tpc"));
  EXPECT_TRUE(fs::exists(game() / "trees01.3dz"));
}

TEST_F(FolderClickTest, CareerSwapTakesEverySaveBackIntoTheOldCareer) {
  start();
  click("C-Career42");
  writeFile(game() / "Savedata" / "mine.sve", "a save from elsewhere");
  const auto career1 = modFile("C-Career42", "career1.sve");
  click("C Career43");

  EXPECT_EQ(modFile("C-Career42", "mine.sve"), "a save from elsewhere");
  EXPECT_EQ(modFile("C-Career42", "career1.sve"), career1);
  EXPECT_FALSE(fs::exists(game() / "Savedata" / "career1.sve"));
  EXPECT_FALSE(fs::exists(game() / "career42.spt"));
  EXPECT_EQ(readFile(game() / "Savedata" / "career43.sve"), modFile("C Career43", "career43.sve"));
  EXPECT_EQ(record(), "C Career43\r\n\r\n");
  click("C Career43");
  EXPECT_FALSE(fs::exists(game() / "Savedata" / "career43.sve"));
  EXPECT_EQ(record(), "\r\n");
}

TEST_F(FolderClickTest, CareerSavesFollowTheFolderNameNotTheGamePath) {
  const auto careerGame = temp_.path() / "C-Games";
  fs::rename(game(), careerGame);
  selector_ = std::make_unique<Selector>(shell);
  ASSERT_EQ(selector_->startUp(careerGame), StartupOutcome::Ready);
  writeFile(careerGame / "Savedata" / "mine.sve", "save");
  click("T-Normandy");
  click("T-Normandy");
  EXPECT_EQ(readFile(careerGame / "Savedata" / "mine.sve"), "save");
  EXPECT_FALSE(fs::exists(careerGame / "KVO128" / "T-Normandy" / "mine.sve"));
}

TEST_F(FolderClickTest, FlightModelsShowThePlaneFrameOnlyWithPlaneFolders) {
  start();
  click("F-Alternative Planes");
  EXPECT_TRUE(st().Frame6Visible);
  EXPECT_EQ(st().G1.rows(), 4);
  click("F-Stock Flight Model");
  EXPECT_FALSE(st().Frame6Visible);
  EXPECT_FALSE(marked("F-Alternative Planes"));
  click("F-Stock Flight Model");
  EXPECT_EQ(st().G1.rows(), 1);
  EXPECT_FALSE(fs::exists(game() / "fighters.flt"));
}

// A start only marks: a record naming two folders of one category keeps the first named and
// deletes nothing, also when kvo.ini lists the category twice.
TEST_F(FolderClickTest, ReplayOfTwoFoldersOfOneCategoryMarksTheFirstAndDeletesNothing) {
  writeFile(game() / "KVO128" / "FoldersLoaded.txt", "T-Normandy\r\nT-Burma\r\nT-Gone\r\n\r\n");
  writeFile(game() / "normandy.ter", "left from an earlier load");
  const auto ini = readFile(game() / "KVO128" / "kvo.ini");
  writeFile(game() / "KVO128" / "kvo.ini", ini + "Terrain again:T\r\n");
  const auto before = tree();
  start();
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_FALSE(marked("T-Burma"));
  auto after = tree();
  after.erase("KVO128/kvo.lock");
  EXPECT_EQ(after, before);
  EXPECT_EQ(sel().engine.replayRefused(), std::vector<std::string>{"T-Burma"});
}

TEST_F(FolderClickTest, ClickOnAVanishedFolderChangesNothing) {
  start();
  click("T-Burma");
  fs::remove_all(mod("T-Normandy"));
  const auto before = tree();
  click("T-Normandy");
  EXPECT_EQ(tree(), before);
  EXPECT_TRUE(marked("T-Burma"));
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("T-Normandy"), std::string::npos);
}

// A folder in the way of one copy makes the copy fail, also for root: the load and the swap
// it was part of are undone together, so the old folder stays loaded and its files stay.
TEST_F(FolderClickTest, FailedLoadOrSwapLeavesEveryFileAndTheRecordAsTheyWere) {
  fs::create_directory(game() / "normandy.tpc");
  start();
  auto expected = tree();
  click("T-Normandy");
  EXPECT_EQ(tree(), expected);
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("normandy.tpc"), std::string::npos);
  EXPECT_NE(shell.messages[0].text.find("T-Normandy was not loaded"), std::string::npos);

  shell.messages.clear();
  click("T-Burma");
  expected = tree();
  click("T-Normandy");
  EXPECT_EQ(tree(), expected);
  EXPECT_TRUE(marked("T-Burma"));
  EXPECT_FALSE(marked("T-Normandy"));
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("T-Burma stays loaded"), std::string::npos);
}

TEST_F(FolderClickTest, FailedDeletesAreListedOnceAndTheRecordStaysConsistent) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  click("N-Engine Sounds");
  fs::permissions(game() / "Music", fs::perms::owner_write, fs::perm_options::remove);
  click("N-Engine Sounds");
  fs::permissions(game() / "Music", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_FALSE(fs::exists(game() / "engine1.snd"));
  EXPECT_TRUE(fs::exists(game() / "Music" / "theme.bgm"));
  EXPECT_FALSE(marked("N-Engine Sounds"));
  EXPECT_EQ(record(), "\r\n");
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("theme.bgm"), std::string::npos);
}

// The record and the folder agree: when the selector folder takes no writes, the swap does
// not happen at all, and the one message names that folder.
TEST_F(FolderClickTest, UnwritableSelectorFolderLeavesTheSwapUndoneAndTheRecordAsItWas) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  click("T-Burma");
  const auto before = tree();
  const auto selectorDir = game() / "KVO128";
  fs::permissions(selectorDir, fs::perms::owner_write, fs::perm_options::remove);
  click("T-Normandy");
  fs::permissions(selectorDir, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(marked("T-Burma"));
  EXPECT_FALSE(marked("T-Normandy"));
  EXPECT_EQ(tree(), before);
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("KVO128"), std::string::npos);
  EXPECT_NE(shell.messages[0].text.find("T-Burma stays loaded"), std::string::npos);
}

TEST_F(FolderClickTest, UnreadableSourceStopsTheLoadBeforeTheFirstCopy) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  const auto before = tree();
  fs::permissions(mod("T-Normandy") / "normandy.tpc", fs::perms::none);
  click("T-Normandy");
  fs::permissions(mod("T-Normandy") / "normandy.tpc", fs::perms::owner_all);
  EXPECT_EQ(tree(), before);
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_NE(shell.messages[0].text.find("normandy.tpc"), std::string::npos);
}

}  // namespace
}  // namespace kvo::test
