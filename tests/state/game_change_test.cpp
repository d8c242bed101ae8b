// A change planned step by step: what later steps see of earlier ones, and how two steps on one
// file fold so that the transaction touches it once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/history.h"
#include "support/test_support.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

class GameChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.GameDir = game.path();
    state.SelectorDir = game / "KVO128";
    fs::create_directories(state.SelectorDir);
    writeFile(game / "old.pal", "the game's");
    writeFile(game / "KVO128" / "T-A" / "a.pal", "from T-A");
    writeFile(game / "KVO128" / "T-B" / "a.pal", "from T-B");
  }
  fs::path mod(const char* name) const { return game / "KVO128" / name / "a.pal"; }
  // The steps left, as a dry run prints them.
  std::vector<std::string> planned(GameChange& change) {
    const DryRun dry(folder);
    const auto outcome = folder.commit(change);
    EXPECT_TRUE(outcome.ok()) << outcome.failure;
    return outcome.changes.lines();
  }
  using Lines = std::vector<std::string>;

  TempDir game;
  FormState state;
  RecordingShell shell;
  LoadRecord record{state};
  GameFolder folder{state, record, shell};
};

// What a later step reads is what the earlier ones leave, whatever the letter case asked for.
TEST_F(GameChangeTest, LaterStepsSeeTheFilesAndBytesEarlierOnesLeave) {
  GameChange change(state, "test");
  const auto& listing = folder.listing();
  change.copyOver(mod("T-A"), game / "new.pal", {});
  change.replaceWith(game / "written.dat", "bytes");
  change.remove(game / "old.pal", {});
  std::error_code ec;
  EXPECT_EQ(change.find(listing, "NEW.PAL"), "new.pal");
  EXPECT_EQ(change.read(game / "NEW.PAL", ec, 100), "from T-A");
  EXPECT_EQ(change.read(game / "written.dat", ec, 100), "bytes");
  // Planned bytes are held to the reader's limit as a file on the disk is.
  EXPECT_EQ(change.read(game / "written.dat", ec, 4), std::nullopt);
  EXPECT_EQ(ec, Refusal::TooLarge);
  EXPECT_EQ(change.find(listing, "old.pal"), std::nullopt);
  EXPECT_FALSE(change.isFile(game / "OLD.PAL"));
  EXPECT_EQ(change.read(game / "old.pal", ec, 100), std::nullopt);
  EXPECT_EQ(ec, std::errc::no_such_file_or_directory);
  EXPECT_TRUE(fs::exists(game / "old.pal")) << "planning changes nothing";
}

// Hundreds of names keep apart, each found again in any letter case, also as the table of
// names grows.
TEST_F(GameChangeTest, ManyNamesAreEachTheirOwnInAnyCase) {
  GameChange change(state, "test");
  const auto& listing = folder.listing();
  for (int i = 0; i < 300; ++i)
    change.copyOver(mod("T-A"), game / ("m" + std::to_string(i) + ".pal"), {});
  for (int i = 0; i < 300; i += 2) change.remove(game / ("M" + std::to_string(i) + ".PAL"), {});
  for (int i = 0; i < 300; ++i) {
    const auto name = "m" + std::to_string(i) + ".pal";
    EXPECT_EQ(change.find(listing, "M" + std::to_string(i) + ".Pal"),
              i % 2 == 0 ? std::nullopt : std::optional<std::string>(name));
  }
  const auto lines = planned(change);
  EXPECT_EQ(lines.size(), 150u);
  EXPECT_EQ(lines.front(), "copy\tm1.pal\tKVO128\\T-A\\a.pal");
}

// Each pair leaves the file as the two steps one after the other would.
TEST_F(GameChangeTest, TwoStepsOnOneFileFoldIntoTheOneThatLeavesItSo) {
  GameChange change(state, "test");
  change.copyOver(mod("T-A"), game / "a.pal", "first");
  change.copyOver(mod("T-B"), game / "a.pal", "second");  // the later copy wins
  change.copyOver(mod("T-A"), game / "gone.pal", {});
  change.remove(game / "gone.pal", {});  // never there: nothing at all
  change.copyOver(mod("T-A"), game / "old.pal", {});
  change.remove(game / "old.pal", {}, StepPolicy::BestEffort);  // the game's file goes
  change.remove(game / "new.dat", {});
  change.replaceWith(game / "new.dat", "x");  // a write over a delete is a write
  change.rename(game / "KVO128" / "T-A", game / "KVO128" / "T-C");
  change.rename(game / "KVO128" / "T-C", game / "KVO128" / "T-A");  // back: nothing
  EXPECT_EQ(planned(change),
            (Lines{"copy\ta.pal\tKVO128\\T-B\\a.pal", "delete\told.pal", "write\tnew.dat"}));
  const auto outcome = folder.commit(change);
  ASSERT_TRUE(outcome.ok()) << outcome.failure;
  EXPECT_EQ(readFile(game / "a.pal"), "from T-B");
  EXPECT_FALSE(fs::exists(game / "old.pal"));
  EXPECT_TRUE(fs::is_directory(game / "KVO128" / "T-A"));
}

// The history keeps the newest 200 changes, each with what it changed; a change that changed
// nothing leaves no entry.
TEST_F(GameChangeTest, EveryCommittedChangeAddsOneEntryToTheHistoryKeepingTheLast200) {
  std::string older;
  for (int i = 0; i < 200; ++i) older += "2024-01-01 00:00:00\told " + std::to_string(i) + "\t\r\n";
  writeFile(historyPath(state), older);
  GameChange change(state, "write");
  change.replaceWith(game / "counter.txt", "1");
  ASSERT_TRUE(folder.commit(change).ok());
  GameChange nothing(state, "nothing");
  EXPECT_TRUE(folder.commit(nothing).ok());
  const auto entries = lastHistoryEntries(readFile(historyPath(state)), 1000);
  ASSERT_EQ(entries.size(), kHistoryKept);
  EXPECT_EQ(entries.front()[0], "2024-01-01 00:00:00\told 1\t");
  EXPECT_NE(entries.back()[0].find("\twrite\t1 written"), std::string::npos) << entries.back()[0];
  EXPECT_EQ(entries.back()[1], "\twrite\tcounter.txt");
  EXPECT_EQ(lastHistoryEntries(readFile(historyPath(state)), 2).front(), entries[198]);
}

// Every change writes the history whole: entries of huge changes push older ones out, but the
// newest always stays.
TEST(HistoryTest, TheHistoryStaysWithinItsSizeAndKeepsTheNewestEntry) {
  const std::string big =
      "t\tbig\t1 copied\r\n\t" + std::string(kHistoryMaxBytes / 3, 'x') + "\r\n";
  std::string history;
  for (int i = 0; i < 5; ++i) history = withHistoryEntry(history, big);
  EXPECT_LE(history.size(), kHistoryMaxBytes);
  EXPECT_EQ(lastHistoryEntries(history, 10).size(), 2U);
  const std::string huge = "t\thuge\t1 copied\r\n\t" + std::string(kHistoryMaxBytes, 'y') + "\r\n";
  EXPECT_EQ(withHistoryEntry(history, huge), huge);
}

}  // namespace
}  // namespace kvo::test
