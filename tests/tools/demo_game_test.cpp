#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "demo_game.h"
#include "support/test_support.h"

namespace kvo::demo {
namespace {
using test::snapshot;
using test::TempDir;

// The lines of a text that must end each in CR LF, as the game's files do.
std::vector<std::string> crlfSplit(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << lines.back();
  }
  EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
  return lines;
}

// The tests and the window take for granted that every folder the demo names is there, that
// saved scripts name only those, and that same-named files have bytes that tell them apart.
TEST(DemoGame, HoldsEveryFolderItNamesAndOverlappingFilesWithBytesOfTheirOwn) {
  TempDir dir;
  ASSERT_FALSE(writeDemoGameFolder(dir.path()));
  const auto tree = snapshot(dir.path());
  std::set<std::string> known;
  std::vector<std::string> folders{"Big Band/", "Savedata/", "KVO128/Autoscripts/",
                                   "KVO128/UNUSED/"};
  const auto add = [&](const std::string& parent, const std::string& name) {
    known.insert(name);
    folders.push_back(parent + name + "/");
  };
  for (const auto& name : demoModFolderNames()) add("KVO128/", name);
  for (const auto& name : demoSkinFolderNames()) add("KVO128/Skinfolder/", name);
  for (const auto& plane : demoAlternativePlanes())
    add("KVO128/F-Alternative Planes/", plane.folder);
  for (const auto& folder : folders) EXPECT_TRUE(tree.contains(folder)) << folder;
  for (const char* text : {"eaw.ini", "Music.ini", "KVO128/kvo.ini", "KVO128/CleanUp.ini"}) {
    crlfSplit(tree.at(text));
  }
  for (const auto& [path, bytes] : tree) {
    if (!path.starts_with("KVO128/Autoscripts/") || path.ends_with("/")) continue;
    auto lines = crlfSplit(bytes);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "") << path << " does not end with an empty line";
    lines.pop_back();
    const auto mark = std::find(lines.begin(), lines.end(), "*****");
    for (auto it = mark == lines.end() ? lines.begin() : mark + 1; it != lines.end(); ++it) {
      EXPECT_TRUE(known.contains(*it)) << path << ": " << *it;
    }
  }
  const std::pair<const char*, const char*> overlaps[] = {
      {"KVO128/T-Normandy/shared.pal", "KVO128/G-Water/shared.pal"},
      {"KVO128/X-German Speech/Chatline.txt", "Chatline.txt"},
      {"KVO128/E-Patched Exe/eaw.exe", "eaw.exe"},
      {"KVO128/Skinfolder/Bf109G Winter/PLANES.DAT", "planes.dat"},
      {"KVO128/Skinfolder/Bf109G Winter/p109g.3dz", "KVO128/Skinfolder/Bf109G Tropical/p109g.3dz"}};
  for (const auto& [one, other] : overlaps) {
    ASSERT_TRUE(tree.contains(one) && tree.contains(other)) << one;
    EXPECT_NE(tree.at(one), tree.at(other)) << one;
  }
  // A load of the alternative flight model shows: other fuel in every slot.
  const auto& game = tree.at("planes.dat");
  const auto& alternative = tree.at("KVO128/F-Alternative Planes/planes.dat");
  ASSERT_EQ(alternative.size(), game.size());
  for (std::size_t at = 40; at < game.size(); at += kPlaneRecordSize) {
    EXPECT_NE(game.substr(at, 2), alternative.substr(at, 2)) << at;
  }
}

// The program writes the very tree the tests build from, bulk included, and never writes into
// a folder in use.
TEST(DemoGame, TheProgramWritesTheLibrarysTreeEveryTimeAndNeverIntoAFolderInUse) {
  TempDir plain;
  TempDir viaLibrary;
  TempDir viaProgram;
  ASSERT_FALSE(writeDemoGameFolder(plain.path()));
  ASSERT_FALSE(writeDemoGameFolder(
      viaLibrary.path(),
      {.bulkModFolders = 30, .filesPerBulkFolder = 3, .bulkSkinFolders = 4, .bulkGameFiles = 5}));
  const auto program = "\"" + test::programPath("KVO_DEMO_BINARY", KVO_DEMO_BINARY) + "\" ";
  ASSERT_EQ(test::runShellCommand(program + "--bulk-mods 30 --files-per-mod 3 --bulk-skins 4 " +
                                  "--bulk-game-files 5 \"" + viaProgram.path().string() + "\""),
            0);
  auto bulk = snapshot(viaProgram.path());
  EXPECT_EQ(bulk, snapshot(viaLibrary.path()));
  // 30 mod folders of 3 files over every category code, 4 skins of 2 files, 5 game files.
  std::erase_if(bulk,
                [&](const auto& entry) { return snapshot(plain.path()).contains(entry.first); });
  EXPECT_EQ(bulk.size(), 30U * 4 + 4 * 3 + 5);
  std::set<char> codes;
  for (const auto& [name, bytes] : bulk) {
    if (name.find("-Bulk ") == 8) codes.insert(name[7]);
  }
  EXPECT_EQ(codes.size(), 27U);

  TempDir occupied;
  test::writeFile(occupied / "keep.txt", "mine");
  EXPECT_NE(test::runShellCommand(program + "\"" + occupied.path().string() + "\""), 0);
  EXPECT_EQ(snapshot(occupied.path()), (test::Tree{{"keep.txt", "mine"}}));
}

}  // namespace
}  // namespace kvo::demo
