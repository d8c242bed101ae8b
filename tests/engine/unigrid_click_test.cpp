#include <filesystem>

#include "engine/folder_engine.h"
#include "engine_fixture.h"
#include "platform/listing.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using FolderGridTest = EngineTest;

// Only a code followed by its separator counts, and a rebuilt grid shows every row again, so
// the filter must not go on claiming a category.
TEST_F(FolderGridTest, CategoryFilterShowsTheCodeWithItsSeparatorAndTheMatchingHint) {
  fs::create_directories(mod("TX-Special"));
  start();
  auto& grid = st().Unigrid;
  sel().engine.List3_Click(itemIndex(st().List3, "Terrain Sets"));
  EXPECT_EQ(grid.text(0, 1), "Only one selection can be made!");
  for (const auto* name : {"T-Normandy", "T Desert", "TX-Special", "G-Water"}) {
    EXPECT_EQ(grid.rowVisible(row(name)), name[1] != 'X' && name[0] == 'T') << name;
  }
  sel().engine.List3_Click(itemIndex(st().List3, "Graphics1 (multiselection)"));
  EXPECT_EQ(grid.text(0, 1), "Multiple selections are allowed!");
  click("G-Water");
  sel().engine.List3_Click(1);  // the loaded folders
  EXPECT_TRUE(grid.rowVisible(row("G-Water")));
  EXPECT_FALSE(grid.rowVisible(row("G-Trees")));
  sel().engine.PopulateFolderGrid();
  EXPECT_EQ(grid.text(0, 1), "All folders are available");
  EXPECT_TRUE(grid.rowVisible(row("G-Trees")));
  EXPECT_TRUE(grid.rowVisible(row("C Career43")));
}

// A folder whose name holds a line break is not offered, at start-up or later: "T-Bad\nT-Burma"
// would be recorded as two lines and mark T-Burma at the next start.
TEST_F(FolderGridTest, RefreshListsNewFoldersKeepsMarksAndTakesMissingFilesAsEmpty) {
  std::error_code refused;  // by file systems that cannot hold such a name
  fs::create_directories(mod("T-Bad\nT-Burma"), refused);
  start();
  EXPECT_EQ(st().Unigrid.findRow(1, "T-Bad\nT-Burma"), -1);
  click("T-Burma");
  fs::create_directories(mod("H-New Sky"));
  fs::create_directories(mod("unused"));
  told(sel().engine.PopulateFolderGrid());
  EXPECT_GT(row("H-New Sky"), 0);
  EXPECT_EQ(row("unused"), -1);
  EXPECT_EQ(st().Unigrid.findRow(1, "T-Bad\nT-Burma"), -1);
  if (!refused) expectOneMessageWith({"T-Bad?T-Burma"});
  fs::remove(mod("T-Bad\nT-Burma"), refused);
  shell.messages.clear();
  EXPECT_TRUE(marked("T-Burma"));
  EXPECT_TRUE(fs::exists(game() / "burma.ter"));
  fs::remove(game() / "KVO128" / "FoldersLoaded.txt");
  sel().engine.PopulateFolderGrid();
  EXPECT_FALSE(marked("T-Burma"));
  fs::remove(game() / "KVO128" / "kvo.ini");
  sel().engine.PopulateFolderGrid();
  EXPECT_EQ(st().Unigrid.rows(), 1);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_TRUE(st().GridReady);
}

// "T-Šibenik" in Windows-1252: the Š lies where that code page and Latin-1 differ.
TEST_F(FolderGridTest, HoverShowsTheFolderTextAndFirstPictureUntilThePointerLeaves) {
  writeFile(mod("T-Burma") / "contents.txt", "<b>Burma</b>\r\nsecond line");
  const std::string sibenik = "T-\x8Aibenik";
  const bool cp1252 = pathToText(nameToPath(sibenik)) == sibenik;
  if (cp1252) writeFile(selectorDir() / nameToPath(sibenik) / "contents.txt", "Dalmatian coast");
  start();
  auto& engine = sel().engine;
  engine.previewRow(row("T-Burma"));
  EXPECT_EQ(st().Text9, "<b>Burma</b>\r\nsecond line\r\n");
  EXPECT_EQ(st().MyImage, mod("T-Burma") / "groundtex.bmp");  // first in name order
  engine.previewRow(row("W-Europe1942"));
  EXPECT_EQ(st().MyImage, mod("W-Europe1942") / "mypic");
  EXPECT_NE(st().MyLabel.find("Europe 1942"), std::string::npos);
  engine.previewRow(row("T Desert"));
  EXPECT_EQ(st().MyLabel, "");
  engine.resetPreview();
  EXPECT_EQ(st().MyImage, game() / "background");
  if (cp1252) {
    engine.previewRow(row(sibenik));
    EXPECT_EQ(st().MyLabel, "Dalmatian coast\r\n");
  }
}

using FolderClickTest = EngineTest;

// Where each kind of file goes is tested with the file moves; here which folder's files stay.
TEST_F(FolderClickTest, ASwapReplacesOneTerrainSetByTheOtherAndMultipleCodesKeepTheirRows) {
  start();
  click("T-Burma");
  auto expected = treeBesidesDeployment();
  const int writes = sel().record.writes();
  const auto source = mod("T-Normandy") / "normandy.ter";
  fs::permissions(source, fs::perms::owner_write, fs::perm_options::remove);
  click("T-Normandy");
  EXPECT_EQ(sel().record.writes(), writes + 1) << "a swap writes the record once";
  EXPECT_TRUE(ownerWritable(source)) << "a loaded folder's own files lose their read-only mark";
  for (auto name : {"burma.ter", "burma.tpc"}) expected.erase(name);
  for (auto name : {"normandy.ter", "normandy.tpc", "groundtex.bmp", "shared.pal"}) {
    expected[name] = modFile("T-Normandy", name);
  }
  expected["KVO128/FoldersLoaded.txt"] = "T-Normandy\r\n\r\n";
  EXPECT_EQ(treeBesidesDeployment(), expected);
  EXPECT_FALSE(marked("T-Burma"));
  EXPECT_EQ(st().Unigrid.back(row("T-Normandy"), 1), kLoadedGreen);
  for (auto name : {"G-Water", "G-Trees", "N-Gun Sounds", "G-Water"}) click(name);
  EXPECT_EQ(record(), "T-Normandy\r\nN-Gun Sounds\r\nG-Trees\r\n\r\n");
  EXPECT_FALSE(fs::exists(game() / "water01.tpc"));
  EXPECT_TRUE(fs::exists(game() / "trees01.3dz"));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(FolderClickTest, CareerSwapTakesEverySaveBackIntoTheOldCareer) {
  start();
  click("C-Career42");
  writeFile(game() / "Savedata" / "mine.sve", "a save from elsewhere");
  click("C Career43");
  EXPECT_EQ(modFile("C-Career42", "mine.sve"), "a save from elsewhere");
  EXPECT_FALSE(fs::exists(game() / "Savedata" / "career1.sve"));
  EXPECT_EQ(readFile(game() / "Savedata" / "career43.sve"), modFile("C Career43", "career43.sve"));
  EXPECT_EQ(record(), "C Career43\r\n\r\n");
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

// Every way a swap can fail undoes the load and the unload together: T-Burma stays loaded
// with its files, and the one message names the cause.
TEST_F(FolderClickTest, FailedLoadSwapOrDeleteLeavesTheFilesAndTheRecordConsistent) {
  const auto inTheWay = game() / "normandy.tpc";
  fs::create_directory(inTheWay);  // in the way of a copy, also for root
  start();
  auto before = tree();
  click("T-Normandy");
  EXPECT_EQ(tree(), before);
  expectOneMessageWith({"normandy.tpc", "T-Normandy was not loaded"});
  fs::remove(inTheWay);
  click("T-Burma");
  before = tree();
  shell.messages.clear();
  const auto refused = [&](const std::vector<std::string_view>& said) {
    SCOPED_TRACE(said.front());
    EXPECT_EQ(tree(), before);
    EXPECT_TRUE(marked("T-Burma"));
    EXPECT_FALSE(marked("T-Normandy"));
    expectOneMessageWith(said);
    shell.messages.clear();
  };
  fs::create_directory(inTheWay);
  click("T-Normandy");
  fs::remove(inTheWay);
  refused({"normandy.tpc", "T-Burma stays loaded"});
  if (!whyModesCannotFail()) {
    fs::permissions(selectorDir(), fs::perms::owner_write, fs::perm_options::remove);
    click("T-Normandy");
    fs::permissions(selectorDir(), fs::perms::owner_write, fs::perm_options::add);
    refused({"KVO128", "T-Burma stays loaded"});
  }
  const auto away = temp_.path() / "away";
  fs::rename(mod("T-Normandy"), away);
  click("T-Normandy");
  fs::rename(away, mod("T-Normandy"));
  refused({"T-Normandy"});
  if (whyModesCannotFail()) return;
  // Deletes that fail are listed once, and the record still says what the grid shows.
  click("N-Engine Sounds");
  fs::permissions(game() / "Music", fs::perms::owner_write, fs::perm_options::remove);
  click("N-Engine Sounds");
  fs::permissions(game() / "Music", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_FALSE(fs::exists(game() / "engine1.snd"));
  EXPECT_TRUE(fs::exists(game() / "Music" / "theme.bgm"));
  EXPECT_FALSE(marked("N-Engine Sounds"));
  EXPECT_EQ(record(), "T-Burma\r\n\r\n");
  expectOneMessageWith({"theme.bgm"});
}

using MoveFilesTest = EngineTest;

// Read-only files, as Windows copies leave them, are overwritten and left writable, and a copy
// keeps the name the game folder already had.
TEST_F(MoveFilesTest, LoadSortsFilesIntoTheirFoldersAndKeepsPreviewsAndToolsBack) {
  const auto folder = mod("Q-Mixed");  // a missing save folder is made, not a reason to fail
  for (auto name : {"briefing.msn", "career1.sve", "theme.bgm", "contents.txt", "mypic", "shot.jpg",
                    "ecaconfig.ini", "planes.ldr", "tex.bmp", "Readme.Msn", "mypic.bmp"}) {
    writeFile(folder / name, name);
  }
  writeFile(game() / "TEX.BMP", "older");
  for (const auto& file : {folder / "mypic.bmp", game() / "TEX.BMP"}) {
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::remove);
  }
  start();
  fs::remove_all(game() / "Savedata");
  auto expected = treeBesidesDeployment();
  st().caption = "KVO 1.0";
  ASSERT_TRUE(click("Q-Mixed").ok());
  // Long file work shows its progress and puts the caption back; previews are not copied, so no
  // caption names them.
  EXPECT_TRUE(captionShown("Please wait- copying: :mypic.bmp"));
  EXPECT_FALSE(captionShown("Please wait- copying: :mypic"));
  EXPECT_EQ(shell.captions.back(), "KVO 1.0");
  EXPECT_GT(shell.progressCalls, 4);
  for (auto name : {"Savedata/", "Savedata/briefing.msn", "Savedata/career1.sve",
                    "Savedata/Readme.Msn", "Music/theme.bgm", "mypic.bmp"}) {
    const std::string key = name;
    expected[key] = key.ends_with("/") ? "" : key.substr(key.find('/') + 1);
  }
  expected["TEX.BMP"] = "tex.bmp";
  expected["KVO128/FoldersLoaded.txt"] = "Q-Mixed\r\n\r\n";
  EXPECT_EQ(treeBesidesDeployment(), expected);
  for (const auto& file : {folder / "mypic.bmp", game() / "mypic.bmp", game() / "TEX.BMP"}) {
    EXPECT_TRUE(ownerWritable(file)) << file;
  }
}

// What the load copied goes by the record; a name it never copied (contents.txt) is looked
// for in the game folder, in any letter case, and only where exactly one file answers to it.
TEST_F(MoveFilesTest, UnloadTakesTheCopiesAndFindsOtherNamesOnlyWhereOneFileAnswers) {
  for (auto name : {"Terrain.TER", "contents.txt", "mission.msn"}) {
    writeFile(mod("L-Height") / name, name);
  }
  start();
  const auto fresh = treeBesidesDeployment();
  ASSERT_TRUE(click("L-Height").ok());
  writeFile(game() / "CONTENTS.TXT", "a file of the game");
  writeFile(game() / "mission.msn", "not in Savedata, so not the copy");
  auto expected = fresh;
  expected["mission.msn"] = "not in Savedata, so not the copy";
  const auto outcome = click("L-Height");
  ASSERT_TRUE(outcome.ok()) << outcome.failure;
  EXPECT_TRUE(captionShown("Deleting Terrain.TER"));
  EXPECT_EQ(treeBesidesDeployment(), expected);
#ifndef _WIN32  // Windows cannot hold two names that differ only in letter case
  ASSERT_TRUE(click("L-Height").ok());
  writeFile(game() / "contents.txt", "one");
  writeFile(game() / "CONTENTS.TXT", "two");
  ASSERT_TRUE(click("L-Height").ok());
  EXPECT_EQ(readFile(game() / "contents.txt") + readFile(game() / "CONTENTS.TXT"), "onetwo");
#endif
  EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
}  // namespace kvo::test
