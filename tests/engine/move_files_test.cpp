#include <algorithm>
#include <filesystem>

#include "engine/folder_engine.h"
#include "engine_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using MoveFilesTest = EngineTest;

bool writable(const fs::path& file) {
  return (fs::status(file).permissions() & fs::perms::owner_write) != fs::perms::none;
}

TEST_F(MoveFilesTest, LoadSortsFilesIntoTheirFoldersAndKeepsPreviewsAndToolsBack) {
  const auto folder = mod("Q-Mixed");  // a missing save folder is made, not a reason to fail
  for (auto name : {"briefing.msn", "career1.sve", "theme.bgm", "contents.txt", "mypic", "shot.jpg",
                    "ecaconfig.ini", "planes.ldr", "tex.bmp", "Readme.Msn", "mypic.bmp"}) {
    writeFile(folder / name, name);
  }
  start();
  fs::remove_all(game() / "Savedata");
  auto expected = treeBesidesDeployment();
  ASSERT_TRUE(sel().engine.MoveIn(folder));
  for (auto name : {"Savedata/", "Savedata/briefing.msn", "Savedata/career1.sve",
                    "Savedata/Readme.Msn", "Music/theme.bgm", "tex.bmp", "mypic.bmp"}) {
    const std::string key = name;
    expected[key] = key.ends_with("/") ? "" : key.substr(key.find('/') + 1);
  }
  EXPECT_EQ(treeBesidesDeployment(), expected);
}

TEST_F(MoveFilesTest, LoadOverwritesReadOnlyCopiesAndLeavesEveryFileNormal) {
  writeFile(mod("O-Red Gunsight") / "sight2.bmp", "second");
  fs::permissions(mod("O-Red Gunsight") / "sight2.bmp", fs::perms::owner_write,
                  fs::perm_options::remove);
  writeFile(game() / "GUNSIGHT.BMP", "older");
  fs::permissions(game() / "GUNSIGHT.BMP", fs::perms::owner_write, fs::perm_options::remove);
  start();
  ASSERT_TRUE(sel().engine.MoveIn(mod("O-Red Gunsight")));
  // The copy keeps the name the game folder already had.
  EXPECT_FALSE(holdsEntrySpelled(game(), "gunsight.bmp"));
  EXPECT_EQ(readFile(game() / "GUNSIGHT.BMP"), modFile("O-Red Gunsight", "gunsight.bmp"));
  EXPECT_TRUE(writable(game() / "GUNSIGHT.BMP"));
  EXPECT_TRUE(writable(game() / "sight2.bmp"));
  EXPECT_TRUE(writable(mod("O-Red Gunsight") / "sight2.bmp"));
}

// Only one file answering to the name is taken for the copy; with two, neither is deleted.
TEST_F(MoveFilesTest, UnloadFindsTheOneCopyInAnyLetterCaseAndNoWhereElse) {
  writeFile(mod("L-Height") / "Terrain.TER", "x");
  writeFile(mod("L-Height") / "contents.txt", "about");
  writeFile(mod("L-Height") / "mission.msn", "m");
  writeFile(mod("L-Height") / "keep.sve", "s");
  writeFile(mod("L-Height") / "Objects", "x");
  start();
  writeFile(game() / "terrain.ter", "copy");
  writeFile(game() / "CONTENTS.TXT", "a file of the game");
  writeFile(game() / "mission.msn", "not in Savedata, so not the copy");
  writeFile(game() / "Savedata" / "MISSION.MSN", "the copy");
  writeFile(game() / "Savedata" / "keep.sve", "saves are looked for in the game folder");
  fs::create_directories(game() / "objects");
  auto expected = treeBesidesDeployment();
  ASSERT_TRUE(sel().engine.MoveOut(mod("L-Height")));
  for (auto name : {"terrain.ter", "CONTENTS.TXT", "Savedata/MISSION.MSN"}) expected.erase(name);
  EXPECT_EQ(treeBesidesDeployment(), expected);
#ifndef _WIN32  // Windows cannot hold two names that differ only in letter case
  writeFile(game() / "terrain.ter", "one");
  writeFile(game() / "TERRAIN.TER", "two");
  expected = treeBesidesDeployment();
  ASSERT_TRUE(sel().engine.MoveOut(mod("L-Height")));
  EXPECT_EQ(treeBesidesDeployment(), expected);
#endif
  EXPECT_TRUE(shell.messages.empty());
}

// Previews are not copied, so no caption names them.
TEST_F(MoveFilesTest, LongFileWorkShowsProgressAndPutsTheCaptionBack) {
  start();
  st().caption = "KVO 1.0";
  ASSERT_TRUE(sel().engine.MoveIn(mod("T-Burma")));
  ASSERT_TRUE(sel().engine.MoveOut(mod("T-Burma")));
  const auto& shown = shell.captions;
  for (const auto* caption : {"Please wait- copying: :burma.ter", "Deleting burma.tpc"}) {
    EXPECT_NE(std::find(shown.begin(), shown.end(), caption), shown.end()) << caption;
  }
  EXPECT_EQ(std::find(shown.begin(), shown.end(), "Please wait- copying: :preview.gif"),
            shown.end());
  EXPECT_EQ(shown.back(), "KVO 1.0");
  EXPECT_GT(shell.progressCalls, 4);
}

}  // namespace
}  // namespace kvo::test
