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

TEST(WildcardMatch, StarAndQuestionMarkIgnoringCase) {
  EXPECT_TRUE(wildcardMatch("*.jpg", "SKY.JPG"));
  EXPECT_TRUE(wildcardMatch("*.JPG", "sky.jpg"));
  EXPECT_TRUE(wildcardMatch("p?51*.3dz", "P-51D.3DZ"));
  EXPECT_FALSE(wildcardMatch("p?51*.3dz", "P--51D.3DZ"));
  EXPECT_TRUE(wildcardMatch("*", ""));
  EXPECT_TRUE(wildcardMatch("a*b*c", "aXXbYYbZZc"));
  EXPECT_FALSE(wildcardMatch("a*b*c", "aXXbYYbZZ"));
  EXPECT_FALSE(wildcardMatch("?", ""));
  EXPECT_TRUE(wildcardMatch("mypic", "MYPIC"));
  EXPECT_FALSE(wildcardMatch("mypic", "mypic.jpg"));
  EXPECT_FALSE(wildcardMatch("*.jpg", "sky.jpeg"));
}

TEST(WildcardMatch, StarDotStarMatchesNamesWithoutDot) {
  EXPECT_TRUE(wildcardMatch("*.*", "README"));
  EXPECT_TRUE(wildcardMatch("*.*", "eaw.ini"));
  EXPECT_TRUE(wildcardMatch("*.*", ".hidden"));
  EXPECT_TRUE(wildcardMatch("readme.*", "README"));
  EXPECT_FALSE(wildcardMatch("*.ini", "README"));
}

TEST(WildcardMatch, PatternListSplitsOnSemicolons) {
  EXPECT_TRUE(matchesAnyPattern("mypic;skinpic;*.jpg", "SkinPic"));
  EXPECT_TRUE(matchesAnyPattern("mypic;skinpic;*.jpg", "a.JPG"));
  EXPECT_FALSE(matchesAnyPattern("mypic;skinpic;*.jpg", "a.bmp"));
  EXPECT_TRUE(matchesAnyPattern("*.bmp; *.gif", "x.gif"));
  EXPECT_FALSE(matchesAnyPattern("", "x"));
  EXPECT_FALSE(matchesAnyPattern(";;", "x"));
  const PatternList list("*.set");
  EXPECT_TRUE(list.matches("Mine.SET"));
  EXPECT_FALSE(list.matches("Mine.SET.bak"));
}

TEST(LessNoCase, FoldsCaseThenOrdersBytes) {
  EXPECT_TRUE(lessNoCase("apple", "Banana"));
  EXPECT_TRUE(lessNoCase("B", "c"));
  EXPECT_FALSE(lessNoCase("c", "B"));
  EXPECT_TRUE(lessNoCase("ab", "ABC"));
  // Equal without case: still a fixed order, upper case first (byte order).
  EXPECT_TRUE(lessNoCase("ABC", "abc"));
  EXPECT_FALSE(lessNoCase("abc", "ABC"));
  EXPECT_FALSE(lessNoCase("abc", "abc"));
  EXPECT_TRUE(equalsNoCase("Eaw.Ini", "EAW.INI"));
  EXPECT_FALSE(equalsNoCase("eaw.ini", "eaw.in"));
  EXPECT_EQ(toUpperAscii("p-51d.3dz"), "P-51D.3DZ");
}

TEST(Listing, FilesSortedWithoutRegardToCaseAndFiltered) {
  test::TempDir dir;
  for (const char* name : {"b.txt", "A.TXT", "c.Txt", "d.ini", "noext", "_under.txt"}) {
    test::writeFile(dir / name, "x");
  }
  fs::create_directory(dir / "folder.txt");
  std::error_code ec;
  // '_' sorts after the letters once they are folded to upper case.
  EXPECT_EQ(listFiles(dir.path(), "*.txt", ec), (Names{"A.TXT", "b.txt", "c.Txt", "_under.txt"}));
  EXPECT_FALSE(ec);
  EXPECT_EQ(listFiles(dir.path(), "*.*"),
            (Names{"A.TXT", "b.txt", "c.Txt", "d.ini", "noext", "_under.txt"}));
  EXPECT_EQ(listFiles(dir.path(), "d.ini;NOEXT"), (Names{"d.ini", "noext"}));
  EXPECT_EQ(listFiles(dir.path(), "*.bmp"), Names{});
}

TEST(Listing, FoldersSortedWithoutRegardToCase) {
  test::TempDir dir;
  for (const char* name : {"T-Normandy", "f-Stock", "Autoscripts", "t-burma"}) {
    fs::create_directory(dir / name);
  }
  test::writeFile(dir / "file", "x");
  std::error_code ec;
  EXPECT_EQ(listFolders(dir.path(), ec),
            (Names{"Autoscripts", "f-Stock", "t-burma", "T-Normandy"}));
  EXPECT_FALSE(ec);
}

TEST(Listing, MissingFolderGivesEmptyListAndError) {
  test::TempDir dir;
  std::error_code ec;
  EXPECT_TRUE(listFiles(dir / "missing", "*.*", ec).empty());
  EXPECT_TRUE(ec);
  ec.clear();
  EXPECT_TRUE(listFolders(dir / "missing", ec).empty());
  EXPECT_TRUE(ec);
  test::writeFile(dir / "plain", "x");
  ec.clear();
  EXPECT_TRUE(listFiles(dir / "plain", "*", ec).empty());
  EXPECT_TRUE(ec);
}

#ifndef _WIN32
TEST(Listing, FollowsSymbolicLinks) {
  test::TempDir dir;
  test::writeFile(dir / "real" / "data.txt", "x");
  fs::create_directory(dir / "list");
  fs::create_symlink(dir / "real" / "data.txt", dir / "list" / "linked.txt");
  fs::create_directory_symlink(dir / "real", dir / "list" / "linkedfolder");
  fs::create_symlink(dir / "nowhere", dir / "list" / "broken.txt");
  EXPECT_EQ(listFiles(dir / "list", "*.*"), Names{"linked.txt"});
  EXPECT_EQ(listFolders(dir / "list"), Names{"linkedfolder"});
}
#endif

TEST(FindNoCase, FindsAnyCaseAndPrefersExact) {
  test::TempDir dir;
  test::writeFile(dir / "EAW.INI", "upper");
  EXPECT_EQ(findNoCase(dir.path(), "eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(findNoCase(dir.path(), "EAW.INI"), dir / "EAW.INI");
  EXPECT_EQ(findNoCase(dir.path(), "planes.dat"), std::nullopt);
  EXPECT_EQ(findNoCase(dir / "missing", "eaw.ini"), std::nullopt);
  EXPECT_EQ(resolveNoCase(dir.path(), "Eaw.ini"), dir / "EAW.INI");
  EXPECT_EQ(resolveNoCase(dir.path(), "New.txt"), dir / "New.txt");
  fs::create_directory(dir / "SaveData");
  EXPECT_EQ(findNoCase(dir.path(), "savedata"), dir / "SaveData");
}

#ifndef _WIN32
TEST(FindNoCase, ExactMatchWinsOverOtherCase) {
  test::TempDir dir;
  test::writeFile(dir / "EAW.INI", "upper");
  test::writeFile(dir / "eaw.ini", "lower");
  test::writeFile(dir / "Eaw.Ini", "mixed");
  EXPECT_EQ(findNoCase(dir.path(), "eaw.ini"), dir / "eaw.ini");
  EXPECT_EQ(findNoCase(dir.path(), "Eaw.Ini"), dir / "Eaw.Ini");
  // No exact match: the first in listing order.
  EXPECT_EQ(findNoCase(dir.path(), "EAW.ini"), dir / "EAW.INI");
  const FolderIndex index(dir.path());
  EXPECT_EQ(index.find("eaw.ini"), "eaw.ini");
  EXPECT_EQ(index.find("Eaw.Ini"), "Eaw.Ini");
  EXPECT_EQ(index.find("eaw.INI"), "EAW.INI");
}
#endif

TEST(FolderIndex, ListsOnceAndAnswersManyLookups) {
  test::TempDir dir;
  test::writeFile(dir / "Sky.JPG", "x");
  test::writeFile(dir / "land.3dz", "x");
  fs::create_directory(dir / "Music");
  const FolderIndex index(dir.path());
  EXPECT_EQ(index.dir(), dir.path());
  // Entries made after the index was built are not seen: it lists only once.
  test::writeFile(dir / "later.txt", "x");
  EXPECT_EQ(index.find("sky.jpg"), "Sky.JPG");
  EXPECT_EQ(index.find("LAND.3DZ"), "land.3dz");
  EXPECT_EQ(index.find("music"), "Music");
  EXPECT_EQ(index.find("later.txt"), std::nullopt);
  EXPECT_EQ(index.find("sky.jp"), std::nullopt);
  EXPECT_EQ(index.find(""), std::nullopt);
  const FolderIndex missing(dir / "missing");
  EXPECT_EQ(missing.find("x"), std::nullopt);
}

TEST(Exists, FilesAndFoldersApart) {
  test::TempDir dir;
  test::writeFile(dir / "f", "x");
  fs::create_directory(dir / "d");
  EXPECT_TRUE(fileExists(dir / "f"));
  EXPECT_FALSE(fileExists(dir / "d"));
  EXPECT_FALSE(fileExists(dir / "none"));
  EXPECT_TRUE(folderExists(dir / "d"));
  EXPECT_FALSE(folderExists(dir / "f"));
}

}  // namespace
}  // namespace kvo
