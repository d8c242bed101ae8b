#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "support/child_process.h"
#include "support/test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
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
// Starts a process that takes the lock of `game`, after `prepare` has run in it, and holds
// it until killed; its id, and in `held` whether it got the lock.
pid_t holdElsewhere(const fs::path& game, bool& held, const std::function<void()>& prepare = {}) {
  held = false;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    if (prepare) prepare();
    auto lock = InstanceLock::acquire(game);
    const char report = lock ? 'y' : 'n';
    if (::write(pipeFds[1], &report, 1) != 1) ::_exit(2);
    while (true) ::pause();
  }
  ::close(pipeFds[1]);
  char report = 0;
  held = child > 0 && ::read(pipeFds[0], &report, 1) == 1 && report == 'y';
  ::close(pipeFds[0]);
  return child;
}

TEST(InstanceLock, ProgramsStartedByTheHolderDoNotInheritIt) {
  test::TempDir dir;
  auto lock = InstanceLock::acquire(dir.path());
  test::Child game(test::kSleep, {"sleep", "30"});
  lock.reset();
  EXPECT_NE(InstanceLock::acquire(dir.path()), nullptr);
}

TEST(InstanceLock, OneLockWhateverTheEnvironmentSaysFreedByTheHoldersDeath) {
  test::TempDir dir;
  test::TempDir runtime;
  bool held = false;
  const pid_t other = holdElsewhere(dir.path(), held, [&] {
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ::setenv("TMPDIR", runtime.path().c_str(), 1);
  });
  ASSERT_GT(other, 0);
  EXPECT_TRUE(held);
  EXPECT_EQ(InstanceLock::acquire(dir.path()), nullptr);
  ::kill(other, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(other, &status, 0), other);
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
