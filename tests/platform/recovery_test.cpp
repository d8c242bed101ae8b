#include "platform/recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/file_ops.h"
#include "platform/journal.h"
#include "platform/transaction.h"
#include "platform/transaction_fixture.h"
#include "support/test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kvo {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const std::string kPutBack =
    "The last change to the game folder was interrupted; the files it had changed were put "
    "back as they were.";
const std::string kFinished =
    "The last change to the game folder was interrupted after all its files were in place; it "
    "was finished.";

class RecoveryTest : public ::testing::Test, public test::TransactionFolders {
 protected:
  fs::path mod = selector / "T-Mod";
  fs::path record = selector / "FoldersLoaded.txt";

  // A load: two game files overwritten, one new file, one file deleted, the record last.
  void SetUp() override {
    writeFile(record, "A-Old\r\n");
    writeFile(game / "a.ter", "old a");
    writeFile(game / "b.ter", "old b");
    writeFile(game / "gone.txt", "to delete");
    for (auto name : {"a.ter", "b.ter", "new.ter"})
      writeFile(mod / name, std::string("mod ") + name);
  }
  void plan(FileTransaction& t) {
    for (auto name : {"a.ter", "b.ter", "new.ter"}) t.copyOver(mod / name, game / name);
    t.remove(game / "gone.txt");
    t.replaceWith(record, "A-Old\r\nT-Mod\r\n");
  }
  static constexpr std::size_t kSteps = 5;

  RecoveryResult recover() { return recoverInterruptedTransaction(game, journal); }
  void expectLoaded() {
    EXPECT_EQ(readFile(game / "a.ter"), "mod a.ter");
    EXPECT_EQ(readFile(game / "new.ter"), "mod new.ter");
    EXPECT_FALSE(fs::exists(game / "gone.txt"));
    EXPECT_EQ(readFile(record), "A-Old\r\nT-Mod\r\n");
  }

  // A journal as the transaction would write it, for crashes no test can time.
  Journal journalOf(std::vector<JournalStep> steps) {
    return {"00112233445566aa", std::move(steps)};
  }
  JournalStep copyStep(const char* name, bool existed) {
    return {StepKind::Copy, false, existed, name, mod / name, 0, 0};
  }
  static JournalStep removeStep(const char* name) {
    return {StepKind::Remove, false, true, name, {}, 0, 0};
  }
};

TEST_F(RecoveryTest, NoJournalMeansNothingToDo) {
  const auto before = test::exactTree(temp.path());
  const auto result = recover();
  EXPECT_FALSE(result.found);
  EXPECT_TRUE(result.message.empty());
  EXPECT_EQ(test::exactTree(temp.path()), before);
}

#ifndef _WIN32
// Runs the load in a child process that dies, as a kill would, once `crashAfter` steps are
// done, or after the commit point when `crashAfter` is past the last step.
void crashDuring(const fs::path& game, const fs::path& journal,
                 const std::function<void(FileTransaction&)>& plan, std::size_t crashAfter) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileTransaction t(game, journal);
    plan(t);
    t.commit([&](std::size_t done, std::size_t) {
      if (done == crashAfter) ::_exit(0);
    });
    ::_exit(0);  // committed but never finished
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
}

TEST_F(RecoveryTest, CrashBeforeTheCommitPointIsPutBackByteForByte) {
  const auto before = test::exactTree(temp.path());
  for (const std::size_t crashAfter : {std::size_t{1}, std::size_t{3}, kSteps}) {
    SCOPED_TRACE(crashAfter);
    crashDuring(
        game, journal, [this](FileTransaction& t) { plan(t); }, crashAfter);
    ASSERT_TRUE(fs::exists(journal));
    if (crashAfter == 1) {
      // Killed while copying the second file: its half-written copy lies beside it.
      writeFile(newFilePath(game / "b.ter", journalId(), 1), "mod b.t");
    }
    const auto result = recover();
    EXPECT_TRUE(result.found);
    EXPECT_EQ(result.message, kPutBack);
    EXPECT_EQ(test::exactTree(temp.path()), before);
  }
}

TEST_F(RecoveryTest, CrashAfterTheCommitPointIsFinished) {
  crashDuring(
      game, journal, [this](FileTransaction& t) { plan(t); }, kSteps + 1);
  const auto id = journalId();
  EXPECT_EQ(readFile(asidePath(game / "a.ter", id, 0)), "old a");
  // A crash in the middle of finish(): some set-aside files are gone already.
  fs::remove(asidePath(game / "a.ter", id, 0));
  const auto result = recover();
  EXPECT_EQ(result.message, kFinished);
  expectLoaded();
  EXPECT_EQ(readFile(mod / "a.ter"), "mod a.ter");
  for (const auto& entry : fs::recursive_directory_iterator(game)) {
    EXPECT_EQ(entry.path().string().find(".kvo-"), std::string::npos) << entry.path();
  }
  EXPECT_FALSE(fs::exists(journal));
}
#endif

// Going back, a new file goes only when its bytes prove it is the copy; anything else at
// that name is the player's and stays.
TEST_F(RecoveryTest, GoingBackRemovesOnlyProvenCopies) {
  writeFile(game / "new.ter", "mod new.ter");
  writeFile(mod / "other.ter", "mod other.ter");
  writeFile(game / "other.ter", "the player's own other.ter");
  auto replace =
      JournalStep{StepKind::Replace, false, false, "KVO128/kvo.ini", {}, 3, journalHash("new")};
  writeFile(game / "KVO128" / "kvo.ini", "not the bytes written");
  const auto text =
      formatJournal(journalOf({copyStep("new.ter", false), copyStep("other.ter", false), replace}));
  writeFile(journal, *text);
  const auto result = recover();
  EXPECT_EQ(result.message, kPutBack);
  EXPECT_FALSE(fs::exists(game / "new.ter"));
  EXPECT_EQ(readFile(game / "other.ter"), "the player's own other.ter");
  EXPECT_EQ(readFile(game / "KVO128" / "kvo.ini"), "not the bytes written");
}

// A journal cut short was never followed by a change; only names with its id are touched.
TEST_F(RecoveryTest, TruncatedJournalTouchesOnlyItsOwnNames) {
  const auto journalData =
      journalOf({copyStep("new.ter", false), removeStep("gone.txt"), copyStep("a.ter", true)});
  const auto text = *formatJournal(journalData);
  writeFile(game / "new.ter", "mod new.ter");  // equal to the source, but unproven here
  fs::rename(game / "gone.txt", asidePath(game / "gone.txt", journalData.id, 1));
  writeFile(asidePath(game / "a.ter", journalData.id, 2), "an older a");
  writeFile(newFilePath(game / "a.ter", journalData.id, 2), "half");
  writeFile(journal, text.substr(0, text.rfind("end\t")));

  const auto result = recover();
  EXPECT_EQ(readFile(game / "new.ter"), "mod new.ter");
  EXPECT_EQ(readFile(game / "gone.txt"), "to delete");
  EXPECT_FALSE(fs::exists(newFilePath(game / "a.ter", journalData.id, 2)));
  // a.ter is there, so the older one is not put over it; it is named for the player.
  EXPECT_EQ(readFile(game / "a.ter"), "old a");
  EXPECT_EQ(readFile(asidePath(game / "a.ter", journalData.id, 2)), "an older a");
  EXPECT_NE(result.message.find(displayPath(asidePath(game / "a.ter", journalData.id, 2))),
            std::string::npos);
  EXPECT_TRUE(fs::exists(journal)) << "kept for another try at the next start";
}

// A writer killed between creating the journal and writing its id recorded nothing, so the
// journal goes and the folder stays, even with a set-aside file of the same name pattern.
TEST_F(RecoveryTest, JournalCutBeforeItsIdIsRemovedAndNothingTouched) {
  writeFile(asidePath(game / "a.ter", "00112233445566aa", 0), "not ours to judge");
  for (const std::string bytes : {"", "KVO selector file tran",
                                  "KVO selector file "
                                  "transaction 1\r\nid\t0011"}) {
    writeFile(journal, bytes);
    const auto before = test::exactTree(game);
    const auto result = recover();
    EXPECT_NE(result.message.find("before it changed any file"), std::string::npos);
    EXPECT_FALSE(fs::exists(journal));
    auto after = test::exactTree(game);
    after["KVO128/kvo.journal"] = before.at("KVO128/kvo.journal");
    EXPECT_EQ(after, before) << bytes;
  }
}

TEST_F(RecoveryTest, UnreadableJournalIsKeptAsideAndNothingTouched) {
  writeFile(journal, "\x01garbage\r\nid\tnot-an-id\r\n");
  auto before = test::exactTree(temp.path());
  const auto result = recover();
  EXPECT_NE(result.message.find("cannot be made out"), std::string::npos);
  auto kept = journal;
  kept += ".unreadable";
  EXPECT_EQ(readFile(kept), "\x01garbage\r\nid\tnot-an-id\r\n");
  EXPECT_FALSE(fs::exists(journal));
  auto after = test::exactTree(temp.path());
  after.erase("EAW/KVO128/kvo.journal.unreadable");
  before.erase("EAW/KVO128/kvo.journal");
  EXPECT_EQ(after, before);
}

#ifndef _WIN32
TEST_F(RecoveryTest, RecoveryNeverActsBehindALink) {
  fs::create_directory_symlink(outside, game / "Linked");
  const auto journalData = journalOf({removeStep("Linked/x.dat")});
  writeFile(outside / "x.dat.00112233445566aa-0.kvo-old", "outside");
  writeFile(journal, *formatJournal(journalData));
  const auto outsideBefore = test::exactTree(outside);
  const auto result = recover();
  EXPECT_NE(result.message.find("a folder on its way is a link"), std::string::npos);
  EXPECT_EQ(test::exactTree(outside), outsideBefore);
}
#endif

}  // namespace
}  // namespace kvo
