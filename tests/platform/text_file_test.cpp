#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(SplitLines, AllEndings) {
  EXPECT_EQ(splitLines(""), Lines{});
  EXPECT_EQ(splitLines("a"), Lines{"a"});
  EXPECT_EQ(splitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(splitLines("a\n"), Lines{"a"});
  EXPECT_EQ(splitLines("a\r"), Lines{"a"});
  EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(splitLines("\r\n"), Lines{""});
  EXPECT_EQ(splitLines("\r\n\r\n"), (Lines{"", ""}));
  // LF CR is two endings, CR LF one.
  EXPECT_EQ(splitLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(splitLines("a\r\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(splitLines("x\r\ny\r\n"), (Lines{"x", "y"}));
}

TEST(SplitLines, KeepsOtherBytes) {
  const std::string bytes("\xE9t\xE9\t \0z\r\n", 9);
  EXPECT_EQ(splitLines(bytes), Lines{std::string("\xE9t\xE9\t \0z", 7)});
}

TEST(SplitLines, RoundTripsThroughCrLf) {
  const Lines lines{"[Settings]", "", "Width=800", "  spaced  ", "last"};
  const std::string text = joinLinesCrLf(lines);
  EXPECT_EQ(text, "[Settings]\r\n\r\nWidth=800\r\n  spaced  \r\nlast\r\n");
  EXPECT_EQ(splitLines(text), lines);
  for (const char* input : {"a\nb\rc\r\nd", "a\r\n\r\n", "\n\n\n", "x"}) {
    const auto once = splitLines(input);
    EXPECT_EQ(splitLines(joinLinesCrLf(once)), once) << input;
  }
  EXPECT_EQ(joinLinesCrLf(Lines{}), "");
}

TEST(ReadTextLines, ReadsAndReportsMissing) {
  test::TempDir dir;
  test::writeFile(dir / "t.txt", "one\r\ntwo\nthree");
  std::error_code ec;
  EXPECT_EQ(readTextLines(dir / "t.txt", ec), (Lines{"one", "two", "three"}));
  EXPECT_FALSE(ec);
  EXPECT_EQ(readTextLines(dir / "missing.txt", ec), std::nullopt);
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  EXPECT_EQ(readFileBytes(dir / "t.txt", ec), "one\r\ntwo\nthree");
  EXPECT_FALSE(ec);
  EXPECT_EQ(readFileBytes(dir.path(), ec), std::nullopt);
  EXPECT_TRUE(ec);
}

std::vector<std::string> namesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReplaceFileAtomically, CreatesAndReplacesWithoutLeftovers) {
  test::TempDir dir;
  EXPECT_FALSE(replaceFileAtomically(dir / "FoldersLoaded.txt", "T-Normandy\r\n"));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "T-Normandy\r\n");
  EXPECT_FALSE(replaceFileAtomically(dir / "FoldersLoaded.txt", ""));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "");
  EXPECT_FALSE(writeTextLinesAtomically(dir / "FoldersLoaded.txt", Lines{"a", "b"}));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "a\r\nb\r\n");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"FoldersLoaded.txt"});
}

TEST(ReplaceFileAtomically, ReplacesReadOnlyTargetAndLeavesItWritable) {
  test::TempDir dir;
  test::writeFile(dir / "eaw.ini", "old");
  fs::permissions(dir / "eaw.ini", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(replaceFileAtomically(dir / "eaw.ini", "new"));
  EXPECT_EQ(test::readFile(dir / "eaw.ini"), "new");
  const auto perms = fs::status(dir / "eaw.ini").permissions();
  EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(perms & fs::perms::group_read, fs::perms::none);
}

#ifndef _WIN32
// Folder modes mean nothing on Windows, where a folder cannot be made unwritable this way.
TEST(ReplaceFileAtomically, UnwritableFolderLeavesOldFileWhole) {
  if (test::runningAsRoot()) GTEST_SKIP() << "root ignores folder permissions";
  test::TempDir dir;
  const fs::path folder = dir / "game";
  test::writeFile(folder / "eaw.ini", "old contents\r\n");
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  const auto ec = replaceFileAtomically(folder / "eaw.ini", "new contents\r\n");
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_TRUE(ec);
  EXPECT_EQ(test::readFile(folder / "eaw.ini"), "old contents\r\n");
  EXPECT_EQ(namesIn(folder), std::vector<std::string>{"eaw.ini"});
}
#endif

TEST(ReplaceFileAtomically, MissingFolderFails) {
  test::TempDir dir;
  EXPECT_TRUE(replaceFileAtomically(dir / "missing" / "f.txt", "x"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

#ifndef _WIN32
TEST(ReplaceFileAtomically, ThroughSymlinkReplacesTheFileItPointsTo) {
  test::TempDir dir;
  test::writeFile(dir / "real.ini", "old");
  fs::create_symlink(dir / "real.ini", dir / "link.ini");
  EXPECT_FALSE(replaceFileAtomically(dir / "link.ini", "new"));
  EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
  EXPECT_EQ(test::readFile(dir / "real.ini"), "new");
}
#endif

}  // namespace
}  // namespace kvo
