#include <filesystem>

#include "engine/folder_engine.h"
#include "engine_fixture.h"
#include "platform/listing.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using FolderGridTest = EngineTest;

// "T-Bad\nT-Burma" would be recorded as two lines and mark T-Burma at the next start.
TEST_F(FolderGridTest, AFolderWhoseNameHoldsALineBreakIsNotOffered) {
  std::error_code ec;
  fs::create_directories(mod("T-Bad\nT-Burma"), ec);
  if (ec) GTEST_SKIP() << "this file system refuses such a name: " << ec.message();
  start();
  EXPECT_EQ(st().Unigrid.findRow(1, "T-Bad\nT-Burma"), -1);
  EXPECT_GT(row("T-Burma"), 0);
  sel().engine.PopulateFolderGrid();
  EXPECT_EQ(st().Unigrid.findRow(1, "T-Bad\nT-Burma"), -1);
  expectOneMessageWith({"T-Bad?T-Burma"});
}

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

TEST_F(FolderGridTest, RefreshListsNewFoldersKeepsMarksAndTakesMissingFilesAsEmpty) {
  start();
  click("T-Burma");
  fs::create_directories(mod("H-New Sky"));
  fs::create_directories(mod("unused"));
  sel().engine.PopulateFolderGrid();
  EXPECT_GT(row("H-New Sky"), 0);
  EXPECT_EQ(row("unused"), -1);
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

}  // namespace
}  // namespace kvo::test
