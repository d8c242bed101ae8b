#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "demo_game.h"
#include "platform/text_file.h"
#include "support/test_support.h"

namespace kvo::demo {
namespace {

// Every folder the demo names is there, saved scripts name only those, same-named files differ,
// and the program writes the library's tree, bulk included, but never into a folder in use.
TEST(DemoGame, HoldsEveryFolderItNamesAndFilesThatOverlapAndIsOneTreeFromProgramAndLibrary) {
  test::TempDir dir;
  ASSERT_FALSE(writeDemoGameFolder(dir.path()));
  const auto tree = test::snapshot(dir.path());
  std::set<std::string> known;
  const auto expectFolder = [&](const std::string& parent, const std::string& name) {
    known.insert(name);
    EXPECT_TRUE(tree.contains(parent + name + "/")) << parent << name;
  };
  for (const auto& name : demoModFolderNames()) expectFolder("KVO128/", name);
  for (const auto& name : demoSkinFolderNames()) expectFolder("KVO128/Skinfolder/", name);
  for (const auto& plane : demoAlternativePlanes()) {
    expectFolder("KVO128/F-Alternative Planes/", plane.folder);
  }
  // Text the game reads ends every line, the last one too, in CR LF.
  const std::regex notCrLf("(^|[^\r])\n|\r([^\n]|$)|[^\n]$");
  for (const auto& [path, bytes] : tree) {
    if (!path.ends_with(".set") && path != "eaw.ini" && path != "KVO128/kvo.ini") continue;
    EXPECT_FALSE(std::regex_search(bytes, notCrLf)) << path;
    if (!path.ends_with(".set")) continue;
    const auto lines = splitLines(bytes);
    ASSERT_TRUE(!lines.empty() && lines.back().empty()) << path << " ends in no empty line";
    const auto mark = std::find(lines.begin(), lines.end(), "*****");
    for (auto it = mark == lines.end() ? lines.begin() : mark + 1; it + 1 < lines.end(); ++it) {
      EXPECT_TRUE(known.contains(*it)) << path << ": " << *it;
    }
  }
  const std::pair<const char*, const char*> overlaps[] = {
      {"KVO128/T-Normandy/shared.pal", "KVO128/G-Water/shared.pal"},
      {"KVO128/E-Patched Exe/eaw.exe", "eaw.exe"},
      {"KVO128/Skinfolder/Bf109G Winter/PLANES.DAT", "planes.dat"}};
  for (const auto& [one, other] : overlaps) {
    ASSERT_TRUE(tree.contains(one) && tree.contains(other)) << one;
    EXPECT_NE(tree.at(one), tree.at(other)) << one;
  }
  // A load of the alternative flight model shows: other fuel in every slot.
  const auto& game = tree.at("planes.dat");
  const auto& alternative = tree.at("KVO128/F-Alternative Planes/planes.dat");
  for (std::size_t at = 40; at < game.size(); at += kPlaneRecordSize) {
    EXPECT_NE(game.substr(at, 2), alternative.substr(at, 2)) << at;
  }

  test::TempDir viaLibrary;
  test::TempDir viaProgram;
  ASSERT_FALSE(writeDemoGameFolder(
      viaLibrary.path(),
      {.bulkModFolders = 30, .filesPerBulkFolder = 3, .bulkSkinFolders = 4, .bulkGameFiles = 5}));
  const auto program = "\"" + test::programPath("KVO_DEMO_BINARY", KVO_DEMO_BINARY) + "\" ";
  ASSERT_EQ(test::runShellCommand(program + "--bulk-mods 30 --files-per-mod 3 --bulk-skins 4 " +
                                  "--bulk-game-files 5 \"" + viaProgram.path().string() + "\""),
            0);
  const auto bulk = test::snapshot(viaProgram.path());
  EXPECT_EQ(bulk, test::snapshot(viaLibrary.path()));
  // 30 mod folders of 3 files, 4 skins of 2 files and 5 game files, all under new names.
  EXPECT_EQ(bulk.size(), tree.size() + 30 * 4 + 4 * 3 + 5);
  test::writeFile(dir / "eaw.ini", "the player's own");
  EXPECT_NE(test::runShellCommand(program + "\"" + dir.path().string() + "\""), 0);
  EXPECT_EQ(test::readFile(dir / "eaw.ini"), "the player's own");
}

}  // namespace
}  // namespace kvo::demo
