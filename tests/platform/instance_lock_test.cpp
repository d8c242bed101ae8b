#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kvo {
namespace {
namespace fs = std::filesystem;
// One holder per game folder, however the folder or its selector folder is spelled; the
// lock file is the only thing made. Without a game folder the lock guards nothing.
TEST(InstanceLock, OneHolderPerGameFolderWithItsFileInTheSelectorFolder) {
  test::TempDir dir;
  test::TempDir other;
  auto first = InstanceLock::acquire(dir.path());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(InstanceLock::acquire(dir.path() / "."), nullptr);
  EXPECT_EQ(test::snapshot(dir.path()), (test::Tree{{"KVO128/", ""}, {"KVO128/kvo.lock", ""}}));
#ifndef _WIN32
  EXPECT_EQ(fs::status(dir / "KVO128" / "kvo.lock").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
#endif
  first.reset();
  EXPECT_NE(InstanceLock::acquire(dir.path()), nullptr);
  fs::create_directory(other / "kvo128");
  auto lock = InstanceLock::acquire(other.path());
  EXPECT_EQ(InstanceLock::acquire(other.path()), nullptr);
  EXPECT_EQ(test::snapshot(other.path()), (test::Tree{{"kvo128/", ""}, {"kvo128/kvo.lock", ""}}));
  EXPECT_NE(InstanceLock::acquire(dir / "Games" / "EAW"), nullptr);
  EXPECT_FALSE(fs::exists(dir / "Games"));
}

#ifndef _WIN32
TEST(InstanceLock, ProgramsStartedByTheHolderDoNotInheritIt) {
  test::TempDir dir;
  auto lock = InstanceLock::acquire(dir.path());
  test::Child game(test::kSleep, {"sleep", "30"});
  lock.reset();
  EXPECT_NE(InstanceLock::acquire(dir.path()), nullptr);
}

// A holder that dies without letting go, as a kill leaves it, frees the lock; where the
// environment points temporary files has no say in where the lock is.
TEST(InstanceLock, OneLockWhateverTheEnvironmentSaysFreedByTheHoldersDeath) {
  test::TempDir dir;
  test::TempDir runtime;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ::setenv("TMPDIR", runtime.path().c_str(), 1);
    ::_exit(InstanceLock::acquire(dir.path()).release() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(InstanceLock::acquire(dir.path()), nullptr);
  EXPECT_TRUE(fs::is_empty(runtime.path()));
}

TEST(InstanceLock, NoOneElseCanHoldItAndNoLinkIsFollowed) {
  test::TempDir dir;
  test::TempDir elsewhere;
  fs::create_directory_symlink(elsewhere.path(), dir / "KVO128");
  EXPECT_NE(InstanceLock::acquire(dir.path()), nullptr);
  EXPECT_TRUE(fs::is_empty(elsewhere.path()));
  if (!test::runningAsRoot()) GTEST_SKIP() << "handing a file to another user needs root";
  test::TempDir shared;
  test::writeFile(shared / "KVO128" / "kvo.lock", "");
  ASSERT_EQ(::chown((shared / "KVO128" / "kvo.lock").c_str(), 65534, 65534), 0);
  const int held = ::open((shared / "KVO128" / "kvo.lock").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);  // as the other user's process would
  EXPECT_NE(InstanceLock::acquire(shared.path()), nullptr);
  ::close(held);
}
#endif
}  // namespace
}  // namespace kvo
