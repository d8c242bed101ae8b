#include "platform/file_ops.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

bool ownerWritable(const fs::path& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

void makeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// A read-only file gives way to a copy over it, to makeNormal and to a delete, and a copy
// leaves its source as it was; nothing is renamed over another entry or made from nothing.
TEST(FileOps, ReadOnlyFilesGiveWayAndNothingGoesOverAnotherEntry) {
  test::TempDir dir;
  writeFile(dir / "from", "mod version");
  makeReadOnly(dir / "from");
  writeFile(dir / "old", "game version, longer than the mod's");
  makeReadOnly(dir / "old");
  EXPECT_FALSE(copyFileOver(dir / "from", dir / "old"));
  EXPECT_EQ(readFile(dir / "old"), "mod version");
  EXPECT_TRUE(ownerWritable(dir / "old"));
  EXPECT_FALSE(ownerWritable(dir / "from"));
  EXPECT_FALSE(makeNormal(dir / "from"));
  EXPECT_TRUE(ownerWritable(dir / "from"));
  EXPECT_TRUE(makeNormal(dir / "missing"));
  makeReadOnly(dir / "from");
  EXPECT_FALSE(deleteFile(dir / "from"));
  EXPECT_FALSE(fs::exists(dir / "from"));
  EXPECT_FALSE(deleteFile(dir / "nofolder" / "f"));

  writeFile(dir / "b", "x");
  EXPECT_EQ(renamePath(dir / "old", dir / "b"), std::errc::file_exists);
  EXPECT_EQ(readFile(dir / "old"), "mod version");
  EXPECT_EQ(readFile(dir / "b"), "x");
  writeFile(dir / "moved" / "inside", "y");
  fs::create_directory(dir / "d2");
  EXPECT_TRUE(renamePath(dir / "moved", dir / "d2"));
  EXPECT_TRUE(fs::is_directory(dir / "moved"));
  EXPECT_TRUE(renamePath(dir / "missing", dir / "c"));
  EXPECT_FALSE(fs::exists(dir / "c"));
  EXPECT_FALSE(createFolder(dir / "moved"));
  EXPECT_TRUE(createFolder(dir / "b"));
}

TEST(FileOps, DeleteInAClosedFolderFails) {
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  test::TempDir dir;
  writeFile(dir / "d" / "f", "x");
  fs::permissions(dir / "d", fs::perms::owner_read | fs::perms::owner_exec);
  const auto ec = deleteFile(dir / "d" / "f");
  fs::permissions(dir / "d", fs::perms::owner_all);
  EXPECT_TRUE(ec);
  EXPECT_TRUE(fs::exists(dir / "d" / "f"));
}

TEST(DescribeFailure, ActionFileAndTheReasonInPlainWords) {
#ifdef _WIN32
  const std::string shown = "\\x\\y";  // the player reads Windows' own separators
#else
  const std::string shown = "/x/y";
#endif
  struct Case {
    std::error_code ec;
    std::string reason;
  };
  const auto rare = std::make_error_code(std::errc::protocol_error);
  const Case cases[] = {
      {std::make_error_code(std::errc::no_space_on_device), "the disk is full"},
      {std::make_error_code(std::errc::permission_denied), "access is denied"},
      {std::make_error_code(std::errc::operation_not_permitted), "access is denied"},
      {std::make_error_code(std::errc::read_only_file_system), "the disk is read-only"},
      {std::make_error_code(std::errc::no_such_file_or_directory), "the file is not there"},
      {std::make_error_code(std::errc::is_a_directory), "it is a folder"},
      {std::make_error_code(std::errc::filename_too_long), "the name is too long"},
#ifdef EDQUOT
      {std::error_code(EDQUOT, std::system_category()), "the disk quota is used up"},
#endif
      // A rare failure keeps the system's own words.
      {rare, rare.message()},
      {std::error_code(), "unknown error"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(describeFailure("write", fs::path("/x/y"), c.ec),
              "Could not write " + shown + ": " + c.reason + ".");
  }
}

}  // namespace
}  // namespace kvo
