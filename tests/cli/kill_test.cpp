// A `kvo click` killed outright at any moment: the next start leaves the game folder either
// as the whole change made it or as it was before, and says which.
#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/transaction_fixture.h"
#include "support/cli_runner.h"
#include "support/test_support.h"

extern char** environ;

namespace kvo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::exactTree;
using test::readFile;
using test::TempDir;
using test::writeFile;
using Tree = std::map<std::string, std::string>;

constexpr int kModFiles = 3000;
constexpr int kOverwritten = 1000;  // of the mod's files, already in the game folder
const std::string kMod = "T-Big";
const std::string kPutBack = "the files it had changed were put back as they were";
const std::string kFinished = "after all its files were in place; it was finished";
const std::string kNothingChanged = "before it changed any file; the game folder is as it was";

// Kills test the files the program leaves, not the disk: a memory-backed folder keeps each
// of the many runs from waiting for a shared disk to flush.
fs::path scratchBase() {
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return fs::temp_directory_path();
}

std::string kvoBinary() {
  const char* fromEnvironment = std::getenv("KVO_BINARY");
  return fromEnvironment ? fromEnvironment : KVO_BINARY;
}

// Starts the click of the mod on `game` without waiting for it; -1 when it did not start.
pid_t startClick(const fs::path& game) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> words{kvoBinary(), "--game-dir", game.string(), "click", kMod};
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? pid : -1;
}

// When the kill comes: after a delay, or once the change is seen on the disk so far.
struct Moment {
  enum Kind { Delay, JournalAppears, EntriesChanged, Committed } kind;
  int amount = 0;  // milliseconds, or new entries
};
const char* const kMomentWords[] = {"ms after the start", "when the journal appears",
                                    "new game folder entries", "when the journal commits"};

// What the start after the kill found and did.
enum Outcome { NoJournalBefore, CutJournal, PutBack, Finished, NoJournalAfter };
const char* const kOutcomeNames[] = {"before the change, nothing to do",
                                     "while the journal was written, nothing to undo",
                                     "mid-way, put back", "after the commit, finished",
                                     "after the end or not at all, nothing to do"};

std::set<std::string> namesIn(const fs::path& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.insert(it->path().filename().string());
  }
  return names;
}

// Reads only the journal's end: it grows with every step, and the poll must keep up.
bool journalCommitted(const fs::path& journal) {
  std::ifstream in(journal, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = static_cast<std::streamoff>(in.tellg());
  in.seekg(size > 64 ? size - 64 : 0);
  std::string tail(64, '\0');
  in.read(tail.data(), 64);
  tail.resize(static_cast<std::size_t>(in.gcount()));
  return tail.find("committed\t") != std::string::npos;
}

bool reached(const Moment& moment, const fs::path& game, const std::set<std::string>& before,
             Clock::time_point start) {
  const auto journal = game / "KVO128" / "Unfinished change.kvo";
  switch (moment.kind) {
    case Moment::Delay:
      return Clock::now() - start >= std::chrono::milliseconds(moment.amount);
    case Moment::JournalAppears:
      return fs::exists(journal);
    case Moment::EntriesChanged: {
      const auto now = namesIn(game);
      return std::count_if(now.begin(), now.end(), [&](auto& n) { return !before.contains(n); }) >=
             moment.amount;
    }
    case Moment::Committed:
      return journalCommitted(journal);
  }
  return true;
}

class KillTest : public ::testing::Test {
 protected:
  // The game folder before the load: a few game files, and the mod folder's files, of which
  // the first kOverwritten are in the game folder already with other bytes and modes.
  void SetUp() override {
    const auto game = unloaded.path();
    writeFile(game / "KVO128/kvo.ini", "Terrain Sets: T\r\nGraphics: G\r\n");
    writeFile(game / "KVO128/FoldersLoaded.txt", "\r\n");
    writeFile(game / "eaw.ini", "[Main]\r\nWidth=800\r\n");
    writeFile(game / "eaw.exe", "MZ");
    const std::string filler(1500, 'm');
    for (int i = 0; i < kModFiles; ++i) {
      const auto name = "tex" + std::to_string(10000 + i) + ".bmp";
      writeFile(game / "KVO128" / kMod / name, "mod " + std::to_string(i) + filler);
      if (i >= kOverwritten) continue;
      writeFile(game / name, "game " + std::to_string(i));
      fs::permissions(game / name, fs::perms::owner_read | fs::perms::group_read);
    }
    // The first start makes what a start makes; from then on a start changes nothing.
    ASSERT_EQ(test::CliRunner(game).run({"status"}), 0);
    fs::copy(game, loaded.path(), fs::copy_options::recursive);
    ASSERT_EQ(test::CliRunner(loaded.path()).run({"click", kMod}), 0);
    fs::copy(loaded.path(), unloadedAgain.path(), fs::copy_options::recursive);
    ASSERT_EQ(test::CliRunner(unloadedAgain.path()).run({"click", kMod}), 0);
  }

  // Kills a click that takes `from` to `to` at `moment`, starts again, and checks that the
  // start left exactly one of the two trees and said which.
  Outcome killAndRestart(const fs::path& from, const Tree& before, const Tree& after, bool loads,
                         const Moment& moment) {
    const auto game = work.path() / "game";
    std::error_code ec;
    fs::remove_all(game, ec);
    fs::copy(from, game, fs::copy_options::recursive);
    const auto names = namesIn(game);

    const auto start = Clock::now();
    const pid_t click = startClick(game);
    EXPECT_GT(click, 0);
    int status = 0;
    bool ended = false;
    while (!(ended = ::waitpid(click, &status, WNOHANG) == click) &&
           !reached(moment, game, names, start) &&
           Clock::now() - start < std::chrono::seconds(60)) {
    }
    if (!ended) {
      ::kill(click, SIGKILL);
      ::waitpid(click, &status, 0);
    }

    test::CliRunner restart(game);
    const int code = restart.run({"status"});
    const auto tree = exactTree(game);
    const auto err = restart.err();
    SCOPED_TRACE("killed at " + std::to_string(moment.amount) + " " + kMomentWords[moment.kind] +
                 "; the start said: " + err);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(fs::exists(game / "KVO128" / "Unfinished change.kvo"));
    const bool isBefore = tree == before;
    const bool isAfter = tree == after;
    EXPECT_TRUE(isBefore || isAfter) << "neither before nor after, " << tree.size() << " entries";
    EXPECT_EQ(restart.out(), isAfter == loads ? kMod + "\n" : "");
    if (err.empty()) return isAfter ? NoJournalAfter : NoJournalBefore;
    // One message, on the one thing the start did.
    EXPECT_EQ(err.find('\n'), err.size() - 1);
    for (const auto& [words, outcome] :
         {std::pair{kPutBack, PutBack}, std::pair{kNothingChanged, CutJournal}}) {
      if (err.find(words) == std::string::npos) continue;
      EXPECT_TRUE(isBefore);
      return outcome;
    }
    EXPECT_NE(err.find(kFinished), std::string::npos);
    EXPECT_TRUE(isAfter);
    return Finished;
  }

  // Kills at moments spread over the change until one kill has come before the change began,
  // one in the middle of it and one after its commit point.
  void killUntilEveryStageWasHit(const fs::path& from, const fs::path& to, bool loads) {
    const auto before = exactTree(from);
    const auto after = exactTree(to);
    std::set<Outcome> seen;
    const Outcome wanted[] = {NoJournalBefore, PutBack, Finished};
    // The first rounds spread the moments from the start to the end; later ones only try
    // again for a stage not hit yet.
    const int spread[] = {1, kModFiles / 2, kModFiles - 50};
    for (int round = 0; round < 12 && !HasFailure(); ++round) {
      const Moment moments[] = {
          {Moment::Delay, 0},
          {Moment::Delay, 3 + round * 20},
          {Moment::JournalAppears},
          {Moment::EntriesChanged, round < 3 ? spread[round] : 1 + (round * 617) % kModFiles},
          {Moment::Committed},
      };
      for (const auto& moment : moments) {
        const auto outcome = killAndRestart(from, before, after, loads, moment);
        seen.insert(outcome);
        if (HasFailure()) return;
      }
      if (round >= 2 && std::all_of(std::begin(wanted), std::end(wanted),
                                    [&](Outcome o) { return seen.contains(o); }))
        return;
    }
    for (const auto outcome : wanted) {
      EXPECT_TRUE(seen.contains(outcome)) << "no kill came " << kOutcomeNames[outcome];
    }
  }

  TempDir unloaded{scratchBase()};
  TempDir loaded{scratchBase()};
  TempDir unloadedAgain{scratchBase()};
  TempDir work{scratchBase()};
};

TEST_F(KillTest, KilledLoadOverGameFilesIsWholeOrUndoneAtTheNextStart) {
  killUntilEveryStageWasHit(unloaded.path(), loaded.path(), true);
}

TEST_F(KillTest, KilledUnloadIsWholeOrUndoneAtTheNextStart) {
  killUntilEveryStageWasHit(loaded.path(), unloadedAgain.path(), false);
}

}  // namespace
}  // namespace kvo
#endif
