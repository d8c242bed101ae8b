#include "platform/file_ops.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;

bool ownerWritable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

void makeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

TEST(CopyFileOver, CreatesAndReplaces) {
  test::TempDir dir;
  test::writeFile(dir / "from", "new bytes");
  EXPECT_FALSE(copyFileOver(dir / "from", dir / "to"));
  EXPECT_EQ(test::readFile(dir / "to"), "new bytes");
  test::writeFile(dir / "from", "newer");
  EXPECT_FALSE(copyFileOver(dir / "from", dir / "to"));
  EXPECT_EQ(test::readFile(dir / "to"), "newer");
}

TEST(CopyFileOver, ReplacesReadOnlyTargetAndLeavesItNormal) {
  test::TempDir dir;
  test::writeFile(dir / "from", "mod version");
  test::writeFile(dir / "to", "game version, longer than the mod's");
  makeReadOnly(dir / "to");
  EXPECT_FALSE(copyFileOver(dir / "from", dir / "to"));
  EXPECT_EQ(test::readFile(dir / "to"), "mod version");
  EXPECT_TRUE(ownerWritable(dir / "to"));
}

TEST(CopyFileOver, ReadOnlySourceGivesNormalCopy) {
  test::TempDir dir;
  test::writeFile(dir / "from", "bytes");
  makeReadOnly(dir / "from");
  EXPECT_FALSE(copyFileOver(dir / "from", dir / "to"));
  EXPECT_TRUE(ownerWritable(dir / "to"));
  EXPECT_FALSE(ownerWritable(dir / "from"));
}

TEST(CopyFileOver, MissingSourceFailsAndKeepsTarget) {
  test::TempDir dir;
  test::writeFile(dir / "to", "keep");
  EXPECT_TRUE(copyFileOver(dir / "missing", dir / "to"));
  EXPECT_EQ(test::readFile(dir / "to"), "keep");
}

TEST(DeleteFile, MissingFileIsSuccess) {
  test::TempDir dir;
  test::writeFile(dir / "f", "x");
  EXPECT_FALSE(deleteFile(dir / "f"));
  EXPECT_FALSE(fs::exists(dir / "f"));
  EXPECT_FALSE(deleteFile(dir / "f"));
  EXPECT_FALSE(deleteFile(dir / "nofolder" / "f"));
}

TEST(DeleteFile, RefusesFolders) {
  test::TempDir dir;
  fs::create_directory(dir / "d");
  EXPECT_TRUE(deleteFile(dir / "d"));
  EXPECT_TRUE(fs::is_directory(dir / "d"));
}

#ifndef _WIN32
// Folder modes mean nothing on Windows, where a folder cannot be made unwritable this way.
TEST(DeleteFile, FailsInUnwritableFolder) {
  if (test::runningAsRoot()) GTEST_SKIP() << "root ignores folder permissions";
  test::TempDir dir;
  test::writeFile(dir / "d" / "f", "x");
  fs::permissions(dir / "d", fs::perms::owner_read | fs::perms::owner_exec);
  const auto ec = deleteFile(dir / "d" / "f");
  fs::permissions(dir / "d", fs::perms::owner_all);
  EXPECT_TRUE(ec);
  EXPECT_TRUE(fs::exists(dir / "d" / "f"));
}
#endif

TEST(RenamePath, RenamesFilesAndFolders) {
  test::TempDir dir;
  test::writeFile(dir / "a", "x");
  EXPECT_FALSE(renamePath(dir / "a", dir / "b"));
  EXPECT_EQ(test::readFile(dir / "b"), "x");
  test::writeFile(dir / "folder" / "inside", "y");
  EXPECT_FALSE(renamePath(dir / "folder", dir / "moved"));
  EXPECT_EQ(test::readFile(dir / "moved" / "inside"), "y");
}

TEST(RenamePath, FailsWhenTargetExists) {
  test::TempDir dir;
  test::writeFile(dir / "a", "a");
  test::writeFile(dir / "b", "b");
  const auto ec = renamePath(dir / "a", dir / "b");
  EXPECT_EQ(ec, std::errc::file_exists);
  EXPECT_EQ(test::readFile(dir / "a"), "a");
  EXPECT_EQ(test::readFile(dir / "b"), "b");
  fs::create_directory(dir / "d1");
  fs::create_directory(dir / "d2");
  EXPECT_TRUE(renamePath(dir / "d1", dir / "d2"));
  EXPECT_TRUE(fs::is_directory(dir / "d1"));
}

TEST(RenamePath, MissingSourceFails) {
  test::TempDir dir;
  EXPECT_TRUE(renamePath(dir / "missing", dir / "b"));
  EXPECT_FALSE(fs::exists(dir / "b"));
}

TEST(MakeNormal, AddsOwnerWrite) {
  test::TempDir dir;
  test::writeFile(dir / "f", "x");
  makeReadOnly(dir / "f");
  EXPECT_FALSE(makeNormal(dir / "f"));
  EXPECT_TRUE(ownerWritable(dir / "f"));
  EXPECT_TRUE(makeNormal(dir / "missing"));
}

TEST(CreateFolder, CreatesAndAcceptsExisting) {
  test::TempDir dir;
  EXPECT_FALSE(createFolder(dir / "KVO128"));
  EXPECT_TRUE(fs::is_directory(dir / "KVO128"));
  EXPECT_FALSE(createFolder(dir / "KVO128"));
  test::writeFile(dir / "file", "x");
  EXPECT_TRUE(createFolder(dir / "file"));
}

TEST(DescribeFailure, ActionFileAndTheReasonInPlainWords) {
#ifdef _WIN32
  const std::string shown = "\\x\\y";  // the player reads Windows' own separators
#else
  const std::string shown = "/x/y";
#endif
  auto text = [](std::errc value) {
    return describeFailure("write", fs::path("/x/y"), std::make_error_code(value));
  };
  EXPECT_EQ(text(std::errc::no_space_on_device),
            "Could not write " + shown + ": the disk is full.");
  EXPECT_EQ(text(std::errc::permission_denied), "Could not write " + shown + ": access is denied.");
  EXPECT_EQ(text(std::errc::operation_not_permitted),
            "Could not write " + shown + ": access is denied.");
  EXPECT_EQ(text(std::errc::read_only_file_system),
            "Could not write " + shown + ": the disk is read-only.");
  EXPECT_EQ(text(std::errc::no_such_file_or_directory),
            "Could not write " + shown + ": the file is not there.");
  EXPECT_EQ(text(std::errc::is_a_directory), "Could not write " + shown + ": it is a folder.");
  EXPECT_EQ(text(std::errc::filename_too_long),
            "Could not write " + shown + ": the name is too long.");
#ifdef EDQUOT
  EXPECT_EQ(
      describeFailure("write", fs::path("/x/y"), std::error_code(EDQUOT, std::system_category())),
      "Could not write " + shown + ": the disk quota is used up.");
#endif
  // A rare failure keeps the system's own words.
  const auto rare = std::make_error_code(std::errc::protocol_error);
  EXPECT_EQ(describeFailure("copy", fs::path("/x/y"), rare),
            "Could not copy " + shown + ": " + rare.message() + ".");
  EXPECT_EQ(describeFailure("copy", fs::path("/x/y"), std::error_code()),
            "Could not copy " + shown + ": unknown error.");
}

TEST(DisplayPath, Utf8OnLinux) {
#ifndef _WIN32
  EXPECT_EQ(displayPath(fs::path("/games/EAW/KVO128/T-Normandy")), "/games/EAW/KVO128/T-Normandy");
#endif
}

}  // namespace
}  // namespace kvo
