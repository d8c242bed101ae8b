// A `kvo install` killed outright at any moment: after the next start the new folder is
// there whole or not at all, and nothing of the unpacking is left.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "demo_archives.h"
#include "demo_game.h"
#include "support/child_process.h"
#include "support/cli_runner.h"
#include "support/test_support.h"
#include "transaction/transaction_fixture.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Tree = std::map<std::string, std::string>;

constexpr int kFiles = 3000;

std::string fileName(int i) {
  return "tex" + std::to_string(10000 + i) + ".bmp";
}

// When the kill comes: `amount` ms after the start, once the unpacking wrote file `amount`,
// when the journal of the renames appears, or when it commits.
enum Moment { Delay, Unpacked, JournalAppears, Committed };

// The tree without the history, whose entry carries the time of the install.
Tree treeOf(const fs::path& game) {
  auto tree = test::exactTree(game);
  tree.erase("KVO128/History.txt");
  return tree;
}

fs::path stagingIn(const fs::path& selector) {
  std::error_code ec;
  for (fs::directory_iterator it(selector, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().starts_with("~kvo-unpacking-")) return it->path();
  }
  return {};
}

bool reached(Moment moment, int amount, const fs::path& selector, Clock::time_point start) {
  const auto journal = selector / "Unfinished change.kvo";
  switch (moment) {
    case Delay:
      return Clock::now() - start >= std::chrono::milliseconds(amount);
    case Unpacked: {
      const auto staging = stagingIn(selector);
      return !staging.empty() && fs::exists(staging / "0" / fileName(amount));
    }
    case JournalAppears:
      return fs::exists(journal);
    case Committed: {
      std::ifstream in(journal, std::ios::binary);
      const std::string text((std::istreambuf_iterator<char>(in)), {});
      return text.find("committed\t") != std::string::npos;
    }
  }
  return true;
}

// Kills an install of `archive` into a copy of `from` at the moment, starts again, and
// checks that the start left the tree `before` or `after`; true for `after`.
bool killAndRestart(const fs::path& from, const fs::path& game, const fs::path& archive,
                    const Tree& before, const Tree& after, Moment moment, int amount) {
  fs::remove_all(game);
  fs::copy(from, game, fs::copy_options::recursive);
  const auto program = test::programPath("KVO_BINARY", KVO_BINARY);
  bool killedRunning = false;
  {
    // What the install prints is of no interest here.
    test::Child install("/bin/sh", {"sh", "-c", "exec \"$0\" \"$@\" >/dev/null", program,
                                    "--game-dir", game.string(), "install", archive.string()});
    const auto start = Clock::now();
    while (install.running() && !reached(moment, amount, game / "KVO128", start) &&
           Clock::now() - start < std::chrono::seconds(60)) {
    }
    killedRunning = install.running();
  }
  test::CliRunner restart(game);
  EXPECT_EQ(restart.run({"status"}), 0) << restart.err();
  const auto tree = treeOf(game);
  const bool isAfter = tree == after;
  SCOPED_TRACE("killed at " + std::to_string(amount) + " of moment " + std::to_string(moment));
  EXPECT_TRUE(isAfter || tree == before) << "neither before nor after, " << tree.size();
  // The history's entry is a step of the install's change: there exactly when the folder is.
  EXPECT_EQ(fs::exists(game / "KVO128" / "History.txt"), isAfter);
  // Half way through the unpacking nothing has appeared yet.
  if (moment == Unpacked && killedRunning && amount < kFiles - 1) {
    EXPECT_FALSE(isAfter);
  }
  return isAfter;
}

TEST(InstallKillTest, AKilledInstallLeavesTheFolderWholeOrNotThereAfterTheNextStart) {
  const test::TempDir scratch{::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                              : fs::temp_directory_path()};
  const auto before = scratch / "before";
  const auto after = scratch / "after";
  ASSERT_FALSE(demo::writeDemoGameFolder(before));
  ASSERT_EQ(test::CliRunner(before).run({"status"}), 0);
  std::vector<demo::ArchiveItem> items;
  const std::string filler(1500, 'm');
  for (int i = 0; i < kFiles; ++i) items.push_back({"T-Big/" + fileName(i), filler + fileName(i)});
  const auto archive = scratch / "T-Big.zip";
  ASSERT_FALSE(demo::writeArchive(archive, demo::ArchiveFormat::Zip, items));
  fs::copy(before, after, fs::copy_options::recursive);
  test::CliRunner installed(after);
  ASSERT_EQ(installed.run({"install", archive.string()}), 0) << installed.err();
  const auto beforeTree = treeOf(before);
  const auto afterTree = treeOf(after);

  bool sawBefore = false;
  bool sawAfter = false;
  for (int round = 0; round < 6 && !HasFailure(); ++round) {
    const std::pair<Moment, int> kills[] = {{Delay, 2 + round * 15},
                                            {Unpacked, 1 + round * (kFiles - 2) / 5},
                                            {JournalAppears, 0},
                                            {Committed, 0}};
    for (const auto& [moment, amount] : kills) {
      const bool isAfter =
          killAndRestart(before, scratch / "game", archive, beforeTree, afterTree, moment, amount);
      (isAfter ? sawAfter : sawBefore) = true;
    }
  }
  EXPECT_TRUE(sawBefore);
  EXPECT_TRUE(sawAfter);
}

}  // namespace
}  // namespace kvo
#endif
