// The others who use a game folder: another selector (held off by the lock) and the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/instance_lock.h"
#include "platform/listing.h"
#include "platform/running_game.h"
#include "support/child_process.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
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
// The game the holder starts does not inherit the lock; a holder that dies without letting
// go, as a kill leaves it, frees it; where the environment points temporary files has no say
// in where the lock is.
TEST(InstanceLock, FreedWhenItsHolderLetsGoOrDiesWhateverTheEnvironmentSays) {
  test::TempDir dir;
  test::TempDir runtime;
  auto lock = InstanceLock::acquire(dir.path());
  test::Child game(test::kSleep, {"sleep", "30"});
  lock.reset();
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

using test::Child;
using test::copyProgram;
using test::kSleep;
// `path` as Wine shows it on its Z: drive, the last folder name in capitals.
std::string onDriveZ(const fs::path& folder, const std::string& program) {
  std::string text = "Z:" + folder.parent_path().string() + "/" +
                     toUpperAscii(folder.filename().string()) + "/" + program;
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// Runs the stand-in under another name from `cwd`: told apart by the program the process
// runs, whatever it calls itself.
std::unique_ptr<Child> startGame(const fs::path& program, const fs::path& cwd) {
  return std::make_unique<Child>(program, std::vector<std::string>{"sleep", "30"}, cwd);
}

TEST(GameRunning, AGameUnderWineIsFoundByThePathItWasStartedWith) {
  test::TempDir root;
  const fs::path game = root / "drive" / "Games" / "EAW";
  const fs::path other = root / "drive" / "Games" / "EAW2";
  fs::create_directories(game);
  fs::create_directories(other);
  fs::create_directories(root / "prefix" / "dosdevices");
  fs::create_directory_symlink(root / "drive", root / "prefix" / "dosdevices" / "q:");
  using Case = std::tuple<fs::path, std::vector<std::string>, fs::path, fs::path, bool>;
  // Wine puts the Windows command line where the program's arguments were; R: is a drive the
  // prefix lacks; a launcher in front of Wine passes the program as a later argument.
  const Case cases[] = {
      {kSleep, {onDriveZ(game, "EAW.EXE"), "30"}, root.path(), root / "prefix", true},
      {kSleep, {"Q:\\games\\eaw\\eaw.exe", "30"}, root.path(), root / "prefix", true},
      {kSleep, {"eaw.exe", "30"}, game, {}, true},
      {kSleep, {"R:\\Games\\EAW\\eaw.exe", "30"}, game, root / "prefix", false},
      {"/bin/sh", {"wine", "-c", "sleep 30; exit", onDriveZ(game, "eaw.exe")}, {}, {}, true}};
  for (const auto& [program, args, cwd, prefix, found] : cases) {
    Child wine(program, args, cwd, prefix);
    EXPECT_EQ(gameRunningFrom(game), found) << args.front();
    EXPECT_FALSE(gameRunningFrom(other)) << args.front();
  }
}
#else
// Copies this test program to `target`, to stand in for the game.
void copyProgram(const fs::path& target) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  fs::copy_file(path, target);
}

void endProgram(void* process) {
  TerminateProcess(process, 1);
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
}

// The stand-in, started suspended so that it never runs, and ended when let go; a Windows
// process is known by its program alone.
std::unique_ptr<void, void (*)(void*)> startGame(const fs::path& program, const fs::path&) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  std::wstring commandLine = L"\"" + program.native() + L"\"";
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
    return {nullptr, endProgram};
  }
  CloseHandle(info.hThread);
  return {info.hProcess, endProgram};
}
#endif

TEST(GameRunning, TheGameCountsOnlyFromItsOwnFolder) {
  test::TempDir game;
  test::TempDir other;
  copyProgram(game / "EAW.EXE");
  copyProgram(other / "eaw.exe");
  auto ours = startGame(game / "EAW.EXE", other.path());
  ASSERT_NE(ours, nullptr);
  EXPECT_TRUE(gameRunningFrom(game.path()));
  EXPECT_TRUE(gameRunningFrom(game / "."));
  EXPECT_FALSE(gameRunningFrom(other.path()));
  ours.reset();
  EXPECT_FALSE(gameRunningFrom(game.path()));
}

}  // namespace
}  // namespace kvo
