#include "platform/listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(Patterns, MatchAsWindowsDoesIgnoringCase) {
  struct Case {
    const char* patterns;
    const char* name;
    bool matches;
  };
  const Case cases[] = {
      {"*.jpg", "SKY.JPG", true},
      {"*.JPG", "sky.jpg", true},
      {"p?51*.3dz", "P-51D.3DZ", true},
      {"p?51*.3dz", "P--51D.3DZ", false},
      {"*", "", true},
      {"?", "", false},
      {"a*b*c", "aXXbYYbZZc", true},
      {"a*b*c", "aXXbYYbZZ", false},
      {"mypic", "MYPIC", true},
      {"mypic", "mypic.jpg", false},
      {"*.jpg", "sky.jpeg", false},
      {"*.set", "Mine.SET.bak", false},
      // "*.*" also takes a name without a dot, as on Windows.
      {"*.*", "README", true},
      {"*.*", ".hidden", true},
      {"readme.*", "README", true},
      {"*.ini", "README", false},
      // Lists split on ";", and blanks after a ";" are no part of the next pattern.
      {"mypic;skinpic;*.jpg", "SkinPic", true},
      {"mypic;skinpic;*.jpg", "a.JPG", true},
      {"mypic;skinpic;*.jpg", "a.bmp", false},
      {"*.bmp; *.gif", "x.gif", true},
      {"", "x", false},
      {";;", "x", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.patterns) + " against " + c.name);
    EXPECT_EQ(matchesAnyPattern(c.patterns, c.name), c.matches);
  }
}

TEST(Patterns, NamesCompareByFoldedCaseThenByBytes) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  };
  // Names equal but for case still get a fixed order: upper case first, as in byte order.
  const Case cases[] = {{"apple", "Banana", true}, {"B", "c", true},     {"c", "B", false},
                        {"ab", "ABC", true},       {"ABC", "abc", true}, {"abc", "ABC", false},
                        {"abc", "abc", false}};
  for (const auto& c : cases) EXPECT_EQ(lessNoCase(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(Listing, FilesAndFoldersApartSortedWithoutRegardToCase) {
  test::TempDir dir;
  for (const char* name : {"b.txt", "A.TXT", "c.Txt", "d.ini", "noext", "_under.txt"}) {
    test::writeFile(dir / name, "x");
  }
  for (const char* name : {"T-Normandy", "f-Stock", "folder.txt", "t-burma"}) {
    fs::create_directory(dir / name);
  }
  std::error_code ec;
  // '_' sorts after the letters once they are folded to upper case; the folder folder.txt is
  // no file.
  EXPECT_EQ(listFiles(dir.path(), "*.txt", ec), (Names{"A.TXT", "b.txt", "c.Txt", "_under.txt"}));
  EXPECT_FALSE(ec);
  EXPECT_EQ(listFolders(dir.path(), ec), (Names{"f-Stock", "folder.txt", "t-burma", "T-Normandy"}));
  EXPECT_FALSE(ec);

  // A folder that is missing, or a file, lists as nothing and says so.
  for (const auto& notAFolder : {dir / "missing", dir / "noext"}) {
    ec.clear();
    EXPECT_TRUE(listFiles(notAFolder, "*", ec).empty());
    EXPECT_TRUE(ec) << notAFolder;
    ec.clear();
    EXPECT_TRUE(listFolders(notAFolder, ec).empty());
    EXPECT_TRUE(ec) << notAFolder;
  }
#ifndef _WIN32
  // Links count as what they name; a broken one is no file.
  fs::create_directory(dir / "list");
  fs::create_symlink(dir / "A.TXT", dir / "list" / "linked.txt");
  fs::create_directory_symlink(dir / "f-Stock", dir / "list" / "linkedfolder");
  fs::create_symlink(dir / "nowhere", dir / "list" / "broken.txt");
  EXPECT_EQ(listFiles(dir / "list", "*.*"), Names{"linked.txt"});
  EXPECT_EQ(listFolders(dir / "list"), Names{"linkedfolder"});
#endif
}

TEST(FindNoCase, FindsAnyCaseInOneListingAndNamesNewFilesAsAsked) {
  test::TempDir dir;
  test::writeFile(dir / "EAW.INI", "upper");
  test::writeFile(dir / "land.3dz", "x");
  fs::create_directory(dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(findNoCase(dir.path(), "EAW.INI"), dir / "EAW.INI");
  EXPECT_EQ(findNoCase(dir.path(), "savedata"), dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "planes.dat"), std::nullopt);
  EXPECT_EQ(findNoCase(dir / "missing", "eaw.ini"), std::nullopt);
  EXPECT_EQ(resolveNoCase(dir.path(), "Eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(resolveNoCase(dir.path(), "New.txt"), dir / "New.txt");

  const FolderIndex index(dir.path());
  // Entries made after the index was built are not seen: it lists only once.
  test::writeFile(dir / "later.txt", "x");
  EXPECT_EQ(index.find("LAND.3DZ"), "land.3dz");
  EXPECT_EQ(index.find("savedata"), "SaveData");
  EXPECT_EQ(index.find("later.txt"), std::nullopt);
  EXPECT_EQ(index.find("land.3d"), std::nullopt);
  EXPECT_EQ(index.find(""), std::nullopt);
  EXPECT_EQ(FolderIndex(dir / "missing").find("x"), std::nullopt);
}

TEST(FolderIndex, EveryNameOfABigFolderIsFoundInAnyCaseAndNoOther) {
  test::TempDir dir;
  constexpr int kFiles = 3000;
  for (int n = 0; n < kFiles; ++n) test::writeFile(dir / ("Tex" + std::to_string(n) + ".bmp"), "");
  fs::create_directory(dir / "Sub");
  const FolderIndex index(dir.path());
  for (int n = 0; n < kFiles; ++n) {
    const std::string name = "Tex" + std::to_string(n) + ".bmp";
    ASSERT_EQ(index.find(toUpperAscii(name)), name);
    ASSERT_EQ(index.onlyFile("tex" + std::to_string(n) + ".BMP"), name);
  }
  EXPECT_EQ(index.find("Tex" + std::to_string(kFiles) + ".bmp"), std::nullopt);
  EXPECT_EQ(index.onlyFile("sub"), std::nullopt);
  EXPECT_EQ(index.files("*.bmp").size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(index.folders(), std::vector<std::string>{"Sub"});
}

#ifndef _WIN32
TEST(FindNoCase, ExactSpellingWinsOverOtherCases) {
  test::TempDir dir;
  for (const char* name : {"EAW.INI", "eaw.ini", "Eaw.Ini"}) test::writeFile(dir / name, name);
  const FolderIndex index(dir.path());
  for (const char* name : {"eaw.ini", "Eaw.Ini"}) {
    EXPECT_EQ(findNoCase(dir.path(), name), dir / name);
    EXPECT_EQ(index.find(name), name);
  }
  // No exact match: the first in listing order.
  EXPECT_EQ(findNoCase(dir.path(), "EAW.ini"), dir / "EAW.INI");
  EXPECT_EQ(index.find("eaw.INI"), "EAW.INI");
}
#endif

}  // namespace
}  // namespace kvo
