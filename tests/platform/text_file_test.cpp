#include "platform/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_guard.h"
#include "platform/transaction_fixture.h"
#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(TextLines, SplitOnEveryEndingAndComeBackThroughCrLf) {
  struct Case {
    std::string bytes;
    Lines lines;
  };
  // LF CR is two endings, CR LF one; every other byte, a zero byte too, stays in its line.
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\r\n\r\n", {"", ""}},
      {"\n\n\n", {"", "", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("\xE9t\xE9\t \0z\r\n", 9), {std::string("\xE9t\xE9\t \0z", 7)}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(splitLines(c.bytes), c.lines);
    EXPECT_EQ(splitLines(joinLinesCrLf(c.lines)), c.lines);
  }
  EXPECT_EQ(joinLinesCrLf(Lines{"[Settings]", "", "  spaced  "}),
            "[Settings]\r\n\r\n  spaced  \r\n");
  EXPECT_EQ(joinLinesCrLf(Lines{}), "");
}

TEST(TextLines, ReadsFilesAndSaysWhyNot) {
  test::TempDir dir;
  std::error_code ec;
  EXPECT_EQ(readTextLines(dir / "missing.txt", ec), std::nullopt);
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  ec.clear();
  EXPECT_EQ(readFileBytes(dir.path(), ec), std::nullopt);
  EXPECT_TRUE(ec);
}

// Creates, empties and replaces a read-only file, which is left writable, with no leftovers.
TEST(ReplaceFileAtomically, CreatesAndReplacesWithoutLeftovers) {
  test::TempDir dir;
  EXPECT_FALSE(replaceFileAtomically(dir / "FoldersLoaded.txt", "T-Normandy\r\n"));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "T-Normandy\r\n");
  fs::permissions(dir / "FoldersLoaded.txt", fs::perms::owner_read | fs::perms::group_read);
  EXPECT_FALSE(replaceFileAtomically(dir / "FoldersLoaded.txt", ""));
  EXPECT_EQ(test::readFile(dir / "FoldersLoaded.txt"), "");
  const auto perms = fs::status(dir / "FoldersLoaded.txt").permissions();
  EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(perms & fs::perms::group_read, fs::perms::none);
  EXPECT_FALSE(writeTextLinesAtomically(dir / "FoldersLoaded.txt", Lines{"a", "b"}));
  EXPECT_EQ(test::snapshot(dir.path()), (test::Tree{{"FoldersLoaded.txt", "a\r\nb\r\n"}}));

  EXPECT_TRUE(replaceFileAtomically(dir / "missing" / "f.txt", "x"));
  EXPECT_FALSE(fs::exists(dir / "missing"));
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
  EXPECT_EQ(test::snapshot(folder), (test::Tree{{"eaw.ini", "old contents\r\n"}}));
}

// A link is never written through, whether the file it names is there or not.
TEST(ReplaceFileAtomically, LinkIsRefusedAndWhatItNamesStaysAsItWas) {
  test::TempDir dir;
  test::TempDir outside;
  test::writeFile(outside / "sentinel.ini", "old");
  fs::permissions(outside / "sentinel.ini", fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink(outside / "sentinel.ini", dir / "eaw.ini");
  fs::create_symlink(outside / "missing.ini", dir / "kvo.ini");
  const auto before = test::exactTree(dir.path());
  const auto outsideBefore = test::exactTree(outside.path());
  EXPECT_EQ(replaceFileAtomically(dir / "eaw.ini", "new"), Refusal::TargetIsLink);
  EXPECT_EQ(writeTextLinesAtomically(dir / "kvo.ini", Lines{"a"}), Refusal::TargetIsLink);
  EXPECT_EQ(test::exactTree(dir.path()), before);
  EXPECT_EQ(test::exactTree(outside.path()), outsideBefore);
}
#endif

}  // namespace
}  // namespace kvo
