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
// "*.*" also takes a name without a dot, as on Windows. Lists split on ";", and blanks after a
// ";" are no part of the next pattern.
TEST(Patterns, MatchAsWindowsDoesIgnoringCaseAndNamesSortSo) {
  using Case = std::pair<const char*, const char*>;
  const Case matching[] = {{"*.jpg", "SKY.JPG"},
                           {"*.JPG", "sky.jpg"},
                           {"p?51*.3dz", "P-51D.3DZ"},
                           {"*", ""},
                           {"a*b*c", "aXXbYYbZZc"},
                           {"mypic", "MYPIC"},
                           {"*.*", "README"},
                           {"*.*", ".hidden"},
                           {"readme.*", "README"},
                           {"mypic;skinpic;*.jpg", "SkinPic"},
                           {"mypic;skinpic;*.jpg", "a.JPG"},
                           {"*.bmp; *.gif", "x.gif"}};
  const Case failing[] = {{"p?51*.3dz", "P--51D.3DZ"},
                          {"?", ""},
                          {"a*b*c", "aXXbYYbZZ"},
                          {"mypic", "mypic.jpg"},
                          {"*.jpg", "sky.jpeg"},
                          {"*.set", "Mine.SET.bak"},
                          {"*.ini", "README"},
                          {"mypic;skinpic;*.jpg", "a.bmp"},
                          {"", "x"},
                          {";;", "x"}};
  for (const auto& [patterns, name] : matching)
    EXPECT_TRUE(matchesAnyPattern(patterns, name)) << patterns << " ~ " << name;
  for (const auto& [patterns, name] : failing)
    EXPECT_FALSE(matchesAnyPattern(patterns, name)) << patterns << " ~ " << name;
  // Names equal but for case still get a fixed order: upper case first, as in byte order.
  const Case less[] = {{"apple", "Banana"}, {"B", "c"}, {"ab", "ABC"}, {"ABC", "abc"}};
  for (const auto& [a, b] : less) {
    EXPECT_TRUE(lessNoCase(a, b)) << a << " < " << b;
    EXPECT_FALSE(lessNoCase(b, a)) << b << " < " << a;
  }
  EXPECT_FALSE(lessNoCase("abc", "abc"));
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
    std::error_code filesEc, foldersEc;
    EXPECT_TRUE(listFiles(notAFolder, "*", filesEc).empty() && filesEc) << notAFolder;
    EXPECT_TRUE(listFolders(notAFolder, foldersEc).empty() && foldersEc) << notAFolder;
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
  constexpr int kFiles = 3000;
  for (int n = 0; n < kFiles; ++n) test::writeFile(dir / ("Tex" + std::to_string(n) + ".bmp"), "");
  test::writeFile(dir / "EAW.INI", "upper");
  fs::create_directory(dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(findNoCase(dir.path(), "savedata"), dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "planes.dat"), std::nullopt);
  EXPECT_EQ(findNoCase(dir / "missing", "eaw.ini"), std::nullopt);
  EXPECT_EQ(resolveNoCase(dir.path(), "Eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(resolveNoCase(dir.path(), "New.txt"), dir / "New.txt");
  const FolderIndex index(dir.path());
  // Entries made after the index was built are not seen: it lists only once.
  test::writeFile(dir / "later.txt", "x");
  for (int n = 0; n < kFiles; ++n) {
    const std::string name = "Tex" + std::to_string(n) + ".bmp";
    ASSERT_EQ(index.find(toUpperAscii(name)), name);
    ASSERT_EQ(index.onlyFile("tex" + std::to_string(n) + ".BMP"), name);
  }
  EXPECT_EQ(index.find("savedata"), "SaveData");
  EXPECT_EQ(index.onlyFile("savedata"), std::nullopt);
  for (const char* absent : {"later.txt", "Tex3000.bmp", "Tex1.bm", ""}) {
    EXPECT_EQ(index.find(absent), std::nullopt) << absent;
  }
  EXPECT_EQ(index.files("*.bmp").size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(index.folders(), std::vector<std::string>{"SaveData"});
  EXPECT_EQ(FolderIndex(dir / "missing").find("x"), std::nullopt);
#ifndef _WIN32
  // The exact spelling wins over other cases; without one, the first in listing order.
  for (const char* name : {"eaw.ini", "Eaw.Ini"}) test::writeFile(dir / name, name);
  const FolderIndex cased(dir.path());
  for (const char* name : {"eaw.ini", "Eaw.Ini", "EAW.INI"}) {
    EXPECT_EQ(findNoCase(dir.path(), name), dir / name);
    EXPECT_EQ(cased.find(name), name);
  }
  EXPECT_EQ(findNoCase(dir.path(), "EAW.ini"), dir / "EAW.INI");
  EXPECT_EQ(cased.find("eaw.INI"), "EAW.INI");
#endif
}

}  // namespace
}  // namespace kvo
