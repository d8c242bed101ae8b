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
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/transaction_fixture.h"
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
  const fs::path shm = "/dev/shm";
  if (fs::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0) return shm;
  return fs::temp_directory_path();
}

std::string kvoBinary() {
  const char* fromEnvironment = std::getenv("KVO_BINARY");
  return fromEnvironment ? fromEnvironment : KVO_BINARY;
}

// A started kvo whose output goes to files beside the game folder.
class Child final {
 public:
  Child(const fs::path& game, const std::string& command, const fs::path& outputs)
      : out_(outputs / "stdout.txt"), err_(outputs / "stderr.txt") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words{kvoBinary(), "--game-dir", game.string(), command};
    if (command == "click") words.push_back(kMod);
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) pid_ = -1;
  }
  ~Child() {
    if (running()) kill();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool started() const { return pid_ > 0; }
  bool running() {
    if (status_ >= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
    status_ = status;
    return false;
  }
  // True when the kill came before the program ended by itself.
  bool kill() {
    if (!running()) return false;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    status_ = status;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  }
  int exitCode() {
    while (running()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  std::string out() {
    exitCode();
    return readFile(out_);
  }
  std::string err() {
    exitCode();
    return readFile(err_);
  }

 private:
  fs::path out_;
  fs::path err_;
  pid_t pid_ = -1;
  int status_ = -1;
};

// When the kill comes: after a delay, or once the change is seen on the disk so far.
struct Moment {
  enum Kind { Delay, JournalAppears, EntriesChanged, Committed } kind;
  int amount = 0;  // milliseconds, or changed entries
};

std::string describe(const Moment& moment) {
  switch (moment.kind) {
    case Moment::Delay:
      return "after " + std::to_string(moment.amount) + " ms";
    case Moment::JournalAppears:
      return "when the journal appears";
    case Moment::EntriesChanged:
      return "when " + std::to_string(moment.amount) + " game folder entries are new";
    case Moment::Committed:
      return "when the journal is marked committed";
  }
  return "";
}

std::set<std::string> namesIn(const fs::path& dir) {
  std::set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    names.insert(it->path().filename().string());
  }
  return names;
}

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
      int fresh = 0;
      for (const auto& name : namesIn(game)) fresh += before.contains(name) ? 0 : 1;
      return fresh >= moment.amount;
    }
    case Moment::Committed:
      return journalCommitted(journal);
  }
  return true;
}

// What the start after the kill found and did.
enum class Outcome { NoJournalBefore, CutJournal, PutBack, Finished, NoJournalAfter, NotKilled };

const char* nameOf(Outcome outcome) {
  switch (outcome) {
    case Outcome::NoJournalBefore:
      return "before the change, nothing to do";
    case Outcome::CutJournal:
      return "while the journal was written, nothing to undo";
    case Outcome::PutBack:
      return "mid-way, put back";
    case Outcome::Finished:
      return "after the commit, finished";
    case Outcome::NoJournalAfter:
      return "after the end, nothing to do";
    case Outcome::NotKilled:
      return "not killed, the click had ended";
  }
  return "";
}

// Which of the two trees `tree` is, for a message when it is neither.
std::string differences(const Tree& tree, const Tree& expected) {
  std::string text;
  int shown = 0;
  for (const auto& [name, value] : expected) {
    auto found = tree.find(name);
    if (found == tree.end() || found->second != value) {
      if (shown++ < 5) text += " " + name + (found == tree.end() ? " (missing)" : " (differs)");
    }
  }
  for (const auto& [name, value] : tree) {
    if (!expected.contains(name) && shown++ < 10) text += " " + name + " (extra)";
  }
  return text;
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
    std::string filler(1500, 'm');
    for (int i = 0; i < kModFiles; ++i) {
      const auto name = "tex" + std::to_string(10000 + i) + ".bmp";
      writeFile(game / "KVO128" / kMod / name, "mod " + std::to_string(i) + filler);
      if (i >= kOverwritten) continue;
      writeFile(game / name, "game " + std::to_string(i));
      fs::permissions(game / name, fs::perms::owner_read | fs::perms::group_read);
    }
    // The first start makes what a start makes; from then on a start changes nothing.
    ASSERT_EQ(run(game, "status").exitCode(), 0);
    fs::copy(game, loaded.path(), fs::copy_options::recursive);
    ASSERT_EQ(run(loaded.path(), "click").exitCode(), 0);
    ASSERT_EQ(run(loaded.path(), "status").out(), kMod + "\n");
    fs::copy(loaded.path(), unloadedAgain.path(), fs::copy_options::recursive);
    ASSERT_EQ(run(unloadedAgain.path(), "click").exitCode(), 0);
    ASSERT_EQ(run(unloadedAgain.path(), "status").out(), "");
  }

  Child& run(const fs::path& game, const std::string& command) {
    child_.reset();
    child_ = std::make_unique<Child>(game, command, outputs.path());
    EXPECT_TRUE(child_->started());
    return *child_;
  }

  // Kills a click that takes `from` to `to` at `moment`, starts again, and checks that the
  // start left exactly one of the two trees and said which.
  Outcome killAndRestart(const fs::path& from, const Tree& before, const Tree& after, bool loads,
                         const Moment& moment) {
    std::error_code ec;
    fs::remove_all(work.path() / "game", ec);
    const auto game = work.path() / "game";
    fs::copy(from, game, fs::copy_options::recursive);
    const auto names = namesIn(game);

    const auto start = Clock::now();
    auto& click = run(game, "click");
    while (click.running() && !reached(moment, game, names, start) &&
           Clock::now() - start < std::chrono::seconds(60)) {
    }
    const bool killed = click.kill();

    auto& status = run(game, "status");
    const int code = status.exitCode();
    const auto out = status.out();
    const auto err = status.err();
    const auto tree = exactTree(game);
    SCOPED_TRACE("killed " + describe(moment) + "; the start said: " + err);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(fs::exists(game / "KVO128" / "Unfinished change.kvo"));
    const bool isBefore = tree == before;
    const bool isAfter = tree == after;
    EXPECT_TRUE(isBefore || isAfter) << "neither before nor after:" << differences(tree, before)
                                     << " / after:" << differences(tree, after);
    EXPECT_EQ(out, isAfter == loads ? kMod + "\n" : "");
    if (err.empty()) {
      if (!killed) return isAfter ? Outcome::NotKilled : Outcome::NoJournalBefore;
      return isAfter ? Outcome::NoJournalAfter : Outcome::NoJournalBefore;
    }
    // One message, on the one thing the start did.
    EXPECT_EQ(err.find('\n'), err.size() - 1);
    for (const auto& [words, outcome] :
         {std::pair{kPutBack, Outcome::PutBack}, std::pair{kNothingChanged, Outcome::CutJournal}}) {
      if (err.find(words) == std::string::npos) continue;
      EXPECT_TRUE(isBefore);
      return outcome;
    }
    EXPECT_NE(err.find(kFinished), std::string::npos);
    EXPECT_TRUE(isAfter);
    return Outcome::Finished;
  }

  // Kills at moments spread over the change until one kill has come before the change began,
  // one in the middle of it and one after its commit point.
  void killUntilEveryStageWasHit(const fs::path& from, const fs::path& to, bool loads) {
    const auto before = exactTree(from);
    const auto after = exactTree(to);
    std::set<Outcome> seen;
    const std::vector<Outcome> wanted{Outcome::NoJournalBefore, Outcome::PutBack,
                                      Outcome::Finished};
    // The first rounds spread the moments from the start to the end; later ones only try
    // again for a stage not hit yet.
    const int spread[] = {1, kModFiles / 2, kModFiles - 50};
    for (int round = 0; round < 12 && !HasFailure(); ++round) {
      const std::vector<Moment> moments{
          {Moment::Delay, 0},
          {Moment::Delay, 3 + round * 20},
          {Moment::JournalAppears},
          {Moment::EntriesChanged, round < 3 ? spread[round] : 1 + (round * 617) % kModFiles},
          {Moment::Committed},
      };
      for (const auto& moment : moments) {
        const auto outcome = killAndRestart(from, before, after, loads, moment);
        seen.insert(outcome);
        std::cout << "killed " << describe(moment) << ": " << nameOf(outcome) << "\n";
        if (HasFailure()) return;
      }
      if (round >= 2 &&
          std::all_of(wanted.begin(), wanted.end(), [&](Outcome o) { return seen.contains(o); }))
        return;
    }
    for (const auto outcome : wanted) {
      EXPECT_TRUE(seen.contains(outcome)) << "no kill came " << nameOf(outcome);
    }
  }

  TempDir unloaded{scratchBase()};
  TempDir loaded{scratchBase()};
  TempDir unloadedAgain{scratchBase()};
  TempDir work{scratchBase()};
  TempDir outputs{scratchBase()};

 private:
  std::unique_ptr<Child> child_;
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
