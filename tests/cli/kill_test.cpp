// A `kvo click` killed outright at any moment: the next start leaves the game folder either
// as the whole change made it or as it was before, and says which.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/cli_runner.h"
#include "support/test_support.h"
#include "transaction/transaction_fixture.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Tree = std::map<std::string, std::string>;

constexpr int kModFiles = 3000;
constexpr int kOverwritten = 1000;  // of the mod's files, already in the game folder
const std::string kMod = "T-Big";

// When the kill comes: `amount` ms after the start, when the journal appears, once it is
// written whole, once `amount` new entries are in the game folder, or right after the journal
// commits. The moment after the commit can be too short for a poll on a busy machine (an
// unload only deletes then), so the program is asked to end itself there as a kill would.
enum Moment { Delay, JournalAppears, JournalWritten, EntriesChanged, Committed };
const char* const kMomentWords[] = {"ms in", "at the journal", "at the whole journal",
                                    "new entries", "at the commit"};

// What the start after the kill found and did, told by the one line it said, if any: no
// journal before or after the change, a journal cut while written, put back, or finished.
enum Outcome { NoJournalBefore, CutJournal, PutBack, Finished, NoJournalAfter };
const std::pair<const char*, Outcome> kSaid[] = {
    {"the files it had changed were put back as they were", PutBack},
    {"before it changed any file; the game folder is as it was", CutJournal},
    {"after all its files were in place; it was finished", Finished}};

// The tree without the history, whose entries carry the time of the change.
Tree treeOf(const fs::path& game) {
  auto tree = test::exactTree(game);
  tree.erase("KVO128/History.txt");
  return tree;
}

bool reached(Moment moment, int amount, const fs::path& game, const Tree& before,
             Clock::time_point start) {
  const auto journal = game / "KVO128" / "Unfinished change.kvo";
  switch (moment) {
    case Delay:
      return Clock::now() - start >= std::chrono::milliseconds(amount);
    case JournalAppears:
      return fs::exists(journal);
    case EntriesChanged: {
      std::error_code ec;
      for (fs::directory_iterator it(game, ec), end; !ec && it != end; it.increment(ec)) {
        const auto name = it->path().filename().string();
        amount -= !before.contains(name) && !before.contains(name + "/");
      }
      return amount <= 0;
    }
    case JournalWritten: {
      // Reads only the journal's end: it grows with every step, and the poll must keep up.
      std::ifstream in(journal, std::ios::binary | std::ios::ate);
      std::string tail(64, '\0');
      in.seekg(std::max<std::streamoff>(0, static_cast<std::streamoff>(in.tellg()) - 64));
      in.read(tail.data(), 64);
      return tail.find("\nend\t") != std::string::npos;
    }
    case Committed:
      return false;  // the program ends itself there
  }
  return true;
}

// Kills a click on a copy of `from` at the moment, starts again, and checks that the start
// left exactly the tree `before` or `after` and said which.
Outcome killAndRestart(const fs::path& from, const fs::path& game, const Tree& before,
                       const Tree& after, bool loads, Moment moment, int amount) {
  fs::remove_all(game);
  fs::copy(from, game, fs::copy_options::recursive);
  const auto program = test::programPath("KVO_BINARY", KVO_BINARY);
  {
    std::vector<std::string> env;
    if (moment == Committed) env.emplace_back("KVO_KILL_AT=commit");
    test::Child click(program, {program, "--game-dir", game.string(), "click", kMod}, {}, {}, env);
    const auto start = Clock::now();
    while (click.running() && !reached(moment, amount, game, before, start) &&
           Clock::now() - start < std::chrono::seconds(60)) {
    }
  }
  test::CliRunner restart(game);
  const int code = restart.run({"status"});
  const auto tree = treeOf(game);
  const auto err = restart.err();
  SCOPED_TRACE("killed at " + std::to_string(amount) + " " + kMomentWords[moment] +
               "; the start said: " + err);
  EXPECT_EQ(code, 0);
  const bool isAfter = tree == after;
  EXPECT_TRUE(isAfter || tree == before) << "neither before nor after, " << tree.size();
  EXPECT_EQ(restart.out(), isAfter == loads ? kMod + "\n" : "");
  if (err.empty()) return isAfter ? NoJournalAfter : NoJournalBefore;
  EXPECT_EQ(err.find('\n'), err.size() - 1);  // one message, on the one thing the start did
  for (const auto& [words, outcome] : kSaid) {
    if (err.find(words) == std::string::npos) continue;
    EXPECT_EQ(isAfter, outcome == Finished);
    return outcome;
  }
  ADD_FAILURE() << "the start said neither of the three";
  return NoJournalBefore;
}

// Kills a load over game files, the same load keeping the game's own files in KVO Originals,
// the same load by links, and an unload, at moments spread over the change until each stage of it
// was hit.
TEST(KillTest, KilledLoadOverGameFilesOrUnloadIsWholeOrUndoneAtTheNextStart) {
  // Kills test the files the program leaves, not the disk: a memory-backed folder keeps each
  // of the many runs from waiting for a shared disk to flush.
  const test::TempDir scratch{::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                              : fs::temp_directory_path()};
  const auto unloaded = scratch / "unloaded";
  const auto loaded = scratch / "loaded";
  const auto unloadedAgain = scratch / "unloaded again";
  // The mod folder's files, of which the first kOverwritten are in the game folder already
  // with other bytes and modes.
  const std::string filler(1500, 'm');
  for (int i = 0; i < kModFiles; ++i) {
    const auto name = "tex" + std::to_string(10000 + i) + ".bmp";
    test::writeFile(unloaded / "KVO128" / kMod / name, "mod " + std::to_string(i) + filler);
    if (i >= kOverwritten) continue;
    test::writeFile(unloaded / name, "game " + std::to_string(i));
    fs::permissions(unloaded / name, fs::perms::owner_read | fs::perms::group_read);
  }
  // The first start makes what a start makes; from then on a start changes nothing.
  ASSERT_EQ(test::CliRunner(unloaded).run({"status"}), 0);
  fs::copy(unloaded, loaded, fs::copy_options::recursive);
  ASSERT_EQ(test::CliRunner(loaded).run({"click", kMod}), 0);
  fs::copy(loaded, unloadedAgain, fs::copy_options::recursive);
  ASSERT_EQ(test::CliRunner(unloadedAgain).run({"click", kMod}), 0);
  const auto keeping = scratch / "keeping";
  const auto kept = scratch / "kept";
  fs::copy(unloaded, keeping, fs::copy_options::recursive);
  ASSERT_EQ(test::CliRunner(keeping).run({"keep-originals", "on"}), 0);
  fs::copy(keeping, kept, fs::copy_options::recursive);
  ASSERT_EQ(test::CliRunner(kept).run({"click", kMod}), 0);
  ASSERT_TRUE(fs::exists(kept / "KVO Originals" / "tex10000.bmp"));
  const auto linking = scratch / "linking";
  const auto linked = scratch / "linked";
  fs::copy(unloaded, linking, fs::copy_options::recursive);
  ASSERT_EQ(test::CliRunner(linking).run({"deploy-by", "link"}), 0);
  fs::copy(linking, linked, fs::copy_options::recursive);
  ASSERT_EQ(test::CliRunner(linked).run({"click", kMod}), 0);
  ASSERT_EQ(fs::hard_link_count(linked / "tex10000.bmp"), 2u);
  struct Scenario {
    const char* name;
    fs::path from;
    fs::path to;
    bool loads;
  };
  const Scenario scenarios[] = {{"the load", unloaded, loaded, true},
                                {"the load keeping the game's files", keeping, kept, true},
                                {"the load by links", linking, linked, true},
                                {"the unload", loaded, unloadedAgain, false}};

  // One kill before the change began, one in the middle of it and one after its commit.
  const Outcome wanted[] = {NoJournalBefore, PutBack, Finished};
  for (const auto& [name, from, to, loads] : scenarios) {
    SCOPED_TRACE(name);
    const auto before = treeOf(from);
    const auto after = treeOf(to);
    std::set<Outcome> seen;
    const auto allSeen = [&] { return std::ranges::includes(seen, wanted); };
    // The first rounds spread the moments from the start to the end; later ones only try
    // again for a stage not hit yet.
    const int spread[] = {1, kModFiles / 2, kModFiles - 50};
    for (int round = 0; round < 12 && !HasFailure() && (round < 3 || !allSeen()); ++round) {
      const std::pair<Moment, int> kills[] = {
          {Delay, 0},
          {Delay, 3 + round * 20},
          {JournalAppears, 0},
          {JournalWritten, 0},
          {EntriesChanged, round < 3 ? spread[round] : 1 + (round * 617) % kModFiles},
          {Committed, 0}};
      for (const auto& [moment, amount] : kills) {
        if (HasFailure()) break;
        seen.insert(killAndRestart(from, scratch / "game", before, after, loads, moment, amount));
      }
    }
    for (const Outcome outcome : wanted) {
      EXPECT_TRUE(HasFailure() || seen.contains(outcome)) << "no kill came at stage " << outcome;
    }
  }
}

}  // namespace
}  // namespace kvo
#endif
