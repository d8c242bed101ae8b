#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kvo {
namespace {
namespace fs = std::filesystem;

TEST(InstanceLock, SecondAcquireFailsUntilReleased) {
  test::TempDir dir;
  auto first = InstanceLock::acquire(dir.path());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(InstanceLock::acquire(dir.path()), nullptr);
  // The same folder spelled differently is the same game folder.
  EXPECT_EQ(InstanceLock::acquire(dir.path() / "."), nullptr);
  first.reset();
  auto again = InstanceLock::acquire(dir.path());
  EXPECT_NE(again, nullptr);
}

TEST(InstanceLock, OtherFoldersAreIndependent) {
  test::TempDir one;
  test::TempDir two;
  auto first = InstanceLock::acquire(one.path());
  auto second = InstanceLock::acquire(two.path());
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
}

TEST(InstanceLock, LeavesNothingInTheGameFolder) {
  test::TempDir dir;
  auto lock = InstanceLock::acquire(dir.path());
  ASSERT_NE(lock, nullptr);
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

#ifndef _WIN32
TEST(InstanceLock, LockOfAKilledProcessIsFreeAgain) {
  test::TempDir dir;
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    auto lock = InstanceLock::acquire(dir.path());
    const char report = lock ? 'y' : 'n';
    if (::write(pipeFds[1], &report, 1) != 1) ::_exit(2);
    // Hold the lock until the parent kills this process.
    while (true) ::pause();
  }
  ::close(pipeFds[1]);
  char report = 0;
  ASSERT_EQ(::read(pipeFds[0], &report, 1), 1);
  ::close(pipeFds[0]);
  EXPECT_EQ(report, 'y');
  EXPECT_EQ(InstanceLock::acquire(dir.path()), nullptr);
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_NE(InstanceLock::acquire(dir.path()), nullptr);
}

TEST(InstanceLock, ProgramsStartedByTheHolderDoNotInheritIt) {
  test::TempDir dir;
  auto lock = InstanceLock::acquire(dir.path());
  ASSERT_NE(lock, nullptr);
  // The pipe closes on exec, so the parent's read returns once the child runs the new program.
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Like the game started from the selector: a new program image that keeps running.
    ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  char ignored = 0;
  EXPECT_EQ(::read(pipeFds[0], &ignored, 1), 0);
  ::close(pipeFds[0]);
  lock.reset();
  auto next = InstanceLock::acquire(dir.path());
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_NE(next, nullptr);
}
#endif

}  // namespace
}  // namespace kvo
