#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "demo_game.h"
#include "platform/listing.h"
#include "support/test_support.h"

namespace kvo::demo {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

unsigned byteAt(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes.at(at));
}
unsigned u16At(const std::string& bytes, std::size_t at) {
  return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8U;
}
unsigned u32At(const std::string& bytes, std::size_t at) {
  return u16At(bytes, at) | u16At(bytes, at + 2) << 16U;
}

// Lines of a text that must use CR LF only; a bare CR or LF fails the calling test.
std::vector<std::string> crlfSplit(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text does not end with CR LF";
  for (const auto& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  return lines;
}

std::vector<std::string> modFolders(const fs::path& game) {
  auto names = listFolders(game / "KVO128");
  std::erase_if(names, [](const std::string& name) {
    const auto key = toUpperAscii(name);
    return key == "AUTOSCRIPTS" || key == "SKINFOLDER" || key == "UNUSED";
  });
  return names;
}

std::size_t fileCount(const fs::path& dir) {
  return listFiles(dir, "*").size();
}

class DemoFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(writeDemoGameFolder(dir.path())); }
  fs::path selector() const { return dir.path() / "KVO128"; }
  TempDir dir;
};

// The engine, script and plane tests run on this folder and so check most of what is in it;
// here only what they take for granted.
TEST_F(DemoFolderTest, HoldsTheGameAndSelectorFilesWithCrLfText) {
  for (const char* name : {"eaw.exe", "eawconfig.exe", "pnames.str", "picplnb.mnu", "background",
                           "newpic", "KVO128/FoldersLoaded.txt", "KVO128/eaw.exe"}) {
    EXPECT_TRUE(fs::is_regular_file(dir / name)) << name;
  }
  EXPECT_EQ(readFile(selector() / "FoldersLoaded.txt"), "\r\n");
  EXPECT_EQ(crlfSplit(readFile(selector() / "CleanUp.ini")).size(), 2U);
  const auto categories = crlfSplit(readFile(selector() / "kvo.ini"));
  ASSERT_EQ(categories.size(), 27U);
  EXPECT_EQ(categories.front(), "Versions of the EAW.exe: E");
  EXPECT_EQ(categories.back(), "Convoy Files: c");

  const auto ini = crlfSplit(readFile(dir / "eaw.ini"));
  for (std::string key :
       {"Width=", "Height=", "ExtraSquads=", "Day=", "Month=", "PlaneSetNumber="}) {
    EXPECT_EQ(
        std::count_if(ini.begin(), ini.end(), [&](auto& line) { return line.starts_with(key); }), 1)
        << key;
  }
  // Music.ini names one set that is not there, for the selector's warning.
  const auto sets = crlfSplit(readFile(dir / "Music.ini"));
  ASSERT_EQ(sets.size(), 3U);
  EXPECT_EQ(std::count_if(sets.begin(), sets.end(),
                          [&](auto& set) { return !fs::is_directory(dir / set); }),
            1);
  EXPECT_GT(fileCount(dir / "Music"), 0U);

  // A load of the alternative flight model shows: other fuel in every slot.
  const auto game = readFile(dir / "planes.dat");
  const auto alternative = readFile(selector() / "F-Alternative Planes" / "planes.dat");
  ASSERT_EQ(alternative.size(), game.size());
  for (std::size_t slot = 0; slot < 30; ++slot) {
    EXPECT_NE(u16At(alternative, slot * 216 + 40), u16At(game, slot * 216 + 40)) << slot;
  }
}

TEST_F(DemoFolderTest, SavedScriptsLoadOnlyNamesThatExist) {
  std::set<std::string> known;
  for (const auto& folder :
       {selector(), selector() / "Skinfolder", selector() / "F-Alternative Planes"}) {
    for (const auto& name : listFolders(folder)) known.insert(name);
  }
  EXPECT_EQ(fileCount(selector() / "Autoscripts"), 3U);
  for (const auto& entry : fs::directory_iterator(selector() / "Autoscripts")) {
    EXPECT_EQ(entry.path().extension(), ".set");
    auto lines = crlfSplit(readFile(entry.path()));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "") << "a saved script ends with an empty line";
    lines.pop_back();
    const auto mark = std::find(lines.begin(), lines.end(), "*****");
    for (auto it = mark == lines.end() ? lines.begin() : mark + 1; it != lines.end(); ++it) {
      EXPECT_TRUE(known.count(*it)) << *it;
    }
  }
}

TEST(DemoBytes, PlanesDatAndPicturesCarryTheirFieldsAtTheirOffsets) {
  FuelTable fuel{};
  for (std::size_t slot = 0; slot < 30; ++slot)
    fuel[slot] = static_cast<std::uint16_t>(slot * 1000 + 7);
  const auto bytes = makePlanesDat(fuel);
  ASSERT_EQ(bytes.size(), 6480U);
  for (std::size_t slot = 0; slot < 30; ++slot) {
    const std::size_t base = slot * 216;
    EXPECT_EQ(byteAt(bytes, base + 4), slot);
    EXPECT_EQ(u16At(bytes, base + 40), slot * 1000 + 7);
    EXPECT_EQ(bytes.substr(base + 168, 4), kPlaneCodes[slot]);
  }
  // Untouched bytes differ between records, so a patch in the wrong record is visible.
  EXPECT_NE(bytes.substr(0, 4), bytes.substr(216, 4));
  EXPECT_NE(bytes.substr(172, 44), bytes.substr(216 + 172, 44));

  const auto bmp = makeBmp(5, 3, 0x102030);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(u32At(bmp, 2), bmp.size());
  EXPECT_EQ(u32At(bmp, 10), 54U);
  EXPECT_EQ(u32At(bmp, 18), 5U);
  EXPECT_EQ(u32At(bmp, 22), 3U);
  EXPECT_EQ(u16At(bmp, 28), 24U);
  EXPECT_EQ(bmp.size(), 54U + 3U * 16U);           // rows of 15 bytes padded to 16
  EXPECT_EQ(byteAt(bmp, 54 + 16 + 2 * 3), 0x30U);  // blue first, past the stripe
  const auto gif = makeGif(0xAABBCC);
  EXPECT_EQ(gif.substr(0, 6), "GIF89a");
  EXPECT_EQ(gif.substr(13, 3), "\xAA\xBB\xCC");
  EXPECT_EQ(gif.back(), ';');
}

TEST(DemoProgram, WritesTheLibraryFolderWithBulkAddedAndRefusesANonEmptyFolder) {
  TempDir viaLibrary;
  TempDir viaProgram;
  TempDir bulk;
  ASSERT_FALSE(writeDemoGameFolder(viaLibrary.path()));
  const std::string program = std::string("\"") + KVO_DEMO_BINARY + "\" \"";
  ASSERT_EQ(test::runShellCommand(program + viaProgram.path().string() + "\""), 0);
  EXPECT_EQ(test::snapshot(viaProgram.path()), test::snapshot(viaLibrary.path()));

  ASSERT_FALSE(writeDemoGameFolder(
      bulk.path(),
      {.bulkModFolders = 30, .filesPerBulkFolder = 3, .bulkSkinFolders = 4, .bulkGameFiles = 5}));
  const auto plainMods = modFolders(viaLibrary.path());
  const auto bulkMods = modFolders(bulk.path());
  EXPECT_EQ(bulkMods.size(), plainMods.size() + 30);
  std::set<char> codes;
  for (const auto& name : bulkMods) {
    if (std::count(plainMods.begin(), plainMods.end(), name)) continue;
    codes.insert(name.front());
    EXPECT_EQ(fileCount(bulk / "KVO128" / name), 3U) << name;
  }
  EXPECT_EQ(codes.size(), 27U);  // spread over every category of kvo.ini
  EXPECT_EQ(listFolders(bulk / "KVO128/Skinfolder").size(),
            listFolders(viaLibrary / "KVO128/Skinfolder").size() + 4);
  EXPECT_EQ(fileCount(bulk.path()), fileCount(viaLibrary.path()) + 5U);

  TempDir occupied;
  test::writeFile(occupied / "keep.txt", "mine");
  EXPECT_NE(test::runShellCommand(program + occupied.path().string() + "\""), 0);
  EXPECT_EQ(test::snapshot(occupied.path()).size(), 1U);
}

}  // namespace
}  // namespace kvo::demo
