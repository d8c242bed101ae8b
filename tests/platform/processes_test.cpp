// The others who use a game folder: another selector (held off by the lock) and the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/file_ops.h"
#include "platform/instance_lock.h"
#include "platform/listing.h"
#include "platform/running_game.h"
#include "support/child_process.h"
#include "support/test_support.h"
#include "transaction/transaction_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kvo {
namespace {
namespace fs = std::filesystem;
bool taken(const InstanceLock::Attempt& attempt) {
  return attempt.lock != nullptr;
}

// One holder per game folder, however the folder or its selector folder is spelled; the
// lock file is the only thing made. Without a game folder there is no lock, and no folder is
// made for one.
TEST(InstanceLock, OneHolderPerGameFolderWithItsFileInTheSelectorFolder) {
  test::TempDir dir;
  test::TempDir other;
  auto first = InstanceLock::acquire(dir.path());
  ASSERT_TRUE(taken(first)) << first.problem;
  EXPECT_TRUE(InstanceLock::acquire(dir.path() / ".").heldElsewhere());
  EXPECT_EQ(test::snapshot(dir.path()), (test::Tree{{"KVO128/", ""}, {"KVO128/kvo.lock", ""}}));
  first.lock.reset();
  EXPECT_TRUE(taken(InstanceLock::acquire(dir.path())));
  fs::create_directory(other / "kvo128");
  auto lock = InstanceLock::acquire(other.path());
  EXPECT_TRUE(InstanceLock::acquire(other.path()).heldElsewhere());
  EXPECT_EQ(test::snapshot(other.path()), (test::Tree{{"kvo128/", ""}, {"kvo128/kvo.lock", ""}}));
  const auto nowhere = InstanceLock::acquire(dir / "Games" / "EAW");
  EXPECT_FALSE(taken(nowhere));
  EXPECT_NE(nowhere.problem.find("kvo.lock"), std::string::npos) << nowhere.problem;
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
  lock.lock.reset();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ::setenv("TMPDIR", runtime.path().c_str(), 1);
    ::_exit(InstanceLock::acquire(dir.path()).lock.release() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(taken(InstanceLock::acquire(dir.path())));
  EXPECT_TRUE(fs::is_empty(runtime.path()));
}

// A lock file that is a link, a FIFO, unreadable, or a selector folder that is a link: no
// lock, a message naming the lock file, nothing followed or changed, and no wait on the FIFO.
TEST(InstanceLock, ALockFileThatCannotBeTakenIsAProblemNeverAFreePass) {
  test::TempDir elsewhere;
  test::writeFile(elsewhere / "kvo.lock", "not a lock");
  const auto outsideBefore = test::exactTree(elsewhere.path());
  const auto attempt = [](const fs::path& game, std::string_view words) {
    const auto tried = InstanceLock::acquire(game);
    EXPECT_FALSE(taken(tried)) << words;
    EXPECT_NE(tried.problem.find(displayPath(game / "KVO128" / "kvo.lock")), std::string::npos)
        << tried.problem;
    EXPECT_NE(tried.problem.find(words), std::string::npos) << tried.problem;
  };
  test::TempDir linkedFolder;
  fs::create_directory_symlink(elsewhere.path(), linkedFolder / "KVO128");
  attempt(linkedFolder.path(), "is a link to another place");
  test::TempDir linkedFile;
  fs::create_directory(linkedFile / "KVO128");
  fs::create_symlink(elsewhere / "kvo.lock", linkedFile / "KVO128" / "kvo.lock");
  attempt(linkedFile.path(), "it is a link to another place");
  test::TempDir fifo;
  fs::create_directory(fifo / "KVO128");
  ASSERT_EQ(::mkfifo((fifo / "KVO128" / "kvo.lock").c_str(), 0600), 0);
  attempt(fifo.path(), "it is not a regular file");
  EXPECT_EQ(test::exactTree(elsewhere.path()), outsideBefore);
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  test::TempDir unreadable;
  test::writeFile(unreadable / "KVO128" / "kvo.lock", "");
  fs::permissions(unreadable / "KVO128" / "kvo.lock", fs::perms::none);
  attempt(unreadable.path(), "cannot be read");
}

// What one start with sudo leaves: a lock file of root that the player cannot open. Held by a
// live selector of root it keeps the player out; left behind it is replaced by a new one, the
// old one renamed over, never written through.
TEST(InstanceLock, ALockFileOfAnotherUserIsReplacedOnlyWhenNobodyHoldsIt) {
  if (!test::runningAsRoot()) GTEST_SKIP() << "handing a file to another user needs root";
  test::TempDir shared;
  fs::create_directory(shared / "KVO128");
  const auto file = shared / "KVO128" / "kvo.lock";
  ASSERT_EQ(::chown(shared.path().c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chown((shared / "KVO128").c_str(), 65534, 65534), 0);
  test::writeFile(file, "");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
  // The player's start, as the unprivileged user: 0 taken, 1 held elsewhere, 2 a problem.
  const auto playerStart = [&] {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(9);
      const auto attempt = InstanceLock::acquire(shared.path());
      ::_exit(attempt.lock ? 0 : attempt.heldElsewhere() ? 1 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  auto rootSelector = InstanceLock::acquire(shared.path());
  ASSERT_TRUE(taken(rootSelector));
  EXPECT_EQ(playerStart(), 1);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  rootSelector.lock.reset();
  EXPECT_EQ(playerStart(), 0);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u) << "the player's own lock file now";
  EXPECT_EQ(test::snapshot(shared.path()), (test::Tree{{"KVO128/", ""}, {"KVO128/kvo.lock", ""}}));
  // Root's next start meets the player's lock file and takes it as it is.
  EXPECT_TRUE(taken(InstanceLock::acquire(shared.path())));
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
