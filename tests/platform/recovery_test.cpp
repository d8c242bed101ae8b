#include "platform/recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_ops.h"
#include "platform/journal.h"
#include "platform/transaction.h"
#include "platform/transaction_fixture.h"
#include "support/test_support.h"

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
  // A load: two game files overwritten, one new file, one file deleted, the record, and two
  // stale files deleted after the commit point.
  void SetUp() override {
    for (auto name : {"a.ter", "b.ter", "gone.txt", "x1.ter", "x2.ter"}) {
      writeFile(game / name, std::string("old ") + name);
    }
    for (auto name : {"a.ter", "b.ter", "new.ter"})
      writeFile(mod / name, std::string("mod ") + name);
  }
  void plan(FileTransaction& t) {
    for (auto name : {"a.ter", "b.ter", "new.ter"}) t.copyOver(mod / name, game / name);
    t.remove(game / "gone.txt");
    t.replaceWith(record, "A-Old\r\nT-Mod\r\n");
    for (auto name : {"x1.ter", "x2.ter"}) t.remove(game / name, StepPolicy::BestEffort);
  }
  static constexpr std::size_t kRecordStep = 5;
  static constexpr std::size_t kSteps = 7;
  RecoveryResult recover() { return recoverInterruptedTransaction(game, journal); }
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

#ifndef _WIN32
// Up to the record the folder is put back byte for byte; past it, among the deletes or after
// them, the change is finished, even when a crash in finish() had removed some set-aside files.
TEST_F(RecoveryTest, CrashIsPutBackBeforeTheCommitPointAndFinishedAfterIt) {
  const auto before = test::exactTree(temp.path());
  TransactionFolders loaded;  // as the whole load leaves the folder
  for (auto name : {"a.ter", "b.ter", "new.ter"}) {
    writeFile(loaded.game / name, std::string("mod ") + name);
    writeFile(loaded.mod / name, std::string("mod ") + name);
  }
  writeFile(loaded.record, "A-Old\r\nT-Mod\r\n");
  const auto after = test::exactTree(loaded.temp.path());
  for (const std::size_t crashAfter :
       {std::size_t{1}, std::size_t{3}, kRecordStep, kSteps - 1, kSteps + 1}) {
    SCOPED_TRACE(crashAfter);
    test::crashDuring(
        game, journal, [this](FileTransaction& t) { plan(t); }, crashAfter);
    ASSERT_TRUE(fs::exists(journal));
    const auto id = journalId();
    if (crashAfter == 1) {
      // Killed while copying the second file: its half-written copy lies beside it.
      writeFile(newFilePath(game / "b.ter", id, 1), "mod b.t");
    }
    if (crashAfter > kSteps) {
      EXPECT_EQ(readFile(asidePath(game / "a.ter", id, 0)), "old a.ter");
      fs::remove(asidePath(game / "a.ter", id, 0));
    }
    // Among the deletes, the last is left for the recovery.
    if (crashAfter == kSteps - 1) {
      EXPECT_TRUE(fs::exists(game / "x2.ter"));
    }
    const auto result = recover();
    EXPECT_TRUE(result.found);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(result.message, crashAfter > kRecordStep ? kFinished : kPutBack);
    EXPECT_EQ(test::exactTree(temp.path()), crashAfter > kRecordStep ? after : before);
    fs::remove(game / "new.ter");  // back to the folder before the load for the next crash
    writeFile(record, "A-Old\r\n");
    SetUp();
  }
}
#endif

TEST_F(RecoveryTest, GoingBackRemovesOnlyProvenCopies) {
  writeFile(game / "new.ter", "mod new.ter");
  writeFile(mod / "other.ter", "mod other.ter");
  writeFile(game / "other.ter", "the player's own other.ter");
  // Three files the journal says were written new as "new": one holds those bytes.
  const char* const written[][2] = {{"KVO128/a.ini", "new"},
                                    {"KVO128/b.ini", "old"},
                                    {"KVO128/kvo.ini", "not the bytes written"}};
  std::vector<JournalStep> steps{copyStep("new.ter", false), copyStep("other.ter", false)};
  for (const auto& [name, bytes] : written) {
    writeFile(game / name, bytes);
    steps.push_back({StepKind::Replace, false, false, name, {}, 3, journalHash("new")});
  }
  writeFile(journal, *formatJournal(journalOf(steps)));
  const auto result = recover();
  EXPECT_EQ(result.message, kPutBack);
  EXPECT_FALSE(fs::exists(game / "new.ter"));
  EXPECT_EQ(readFile(game / "other.ter"), "the player's own other.ter");
  EXPECT_FALSE(fs::exists(game / "KVO128" / "a.ini"));
  EXPECT_EQ(readFile(game / "KVO128" / "b.ini"), "old");
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
  EXPECT_EQ(readFile(game / "gone.txt"), "old gone.txt");
  EXPECT_FALSE(fs::exists(newFilePath(game / "a.ter", journalData.id, 2)));
  // a.ter is there, so the older one is not put over it; it is named for the player.
  EXPECT_EQ(readFile(game / "a.ter"), "old a.ter");
  EXPECT_EQ(readFile(asidePath(game / "a.ter", journalData.id, 2)), "an older a");
  EXPECT_NE(result.message.find(displayPath(asidePath(game / "a.ter", journalData.id, 2))),
            std::string::npos);
  EXPECT_TRUE(fs::exists(journal)) << "kept for another try at the next start";
}

// A writer killed between creating the journal and writing its id recorded nothing, so the
// journal goes, even with a set-aside file of the same name pattern; a journal that cannot be
// made out is kept aside for the player. Either way, as without a journal, nothing else is
// touched.
TEST_F(RecoveryTest, NoJournalOrOneCutBeforeItsIdOrUnreadableTouchesNothing) {
  writeFile(asidePath(game / "a.ter", "00112233445566aa", 0), "not ours to judge");
  const auto untouched = test::exactTree(temp.path());
  const auto none = recover();
  EXPECT_FALSE(none.found);
  EXPECT_TRUE(none.message.empty());
  EXPECT_EQ(test::exactTree(temp.path()), untouched);
  const auto kept = journal.string() + ".unreadable";
  const std::string unreadable = "\x01garbage\r\nid\tnot-an-id\r\n";
  for (const std::string& bytes :
       {std::string(), std::string("KVO selector file tran"),
        std::string("KVO selector file transaction 1\r\nid\t0011"), unreadable}) {
    writeFile(journal, bytes);
    auto before = test::exactTree(temp.path());
    const auto result = recover();
    EXPECT_NE(result.message.find(bytes == unreadable ? "cannot be made out"
                                                      : "before it changed any file"),
              std::string::npos)
        << bytes;
    EXPECT_FALSE(fs::exists(journal));
    before.erase("EAW/KVO128/kvo.journal");
    auto after = test::exactTree(temp.path());
    if (bytes == unreadable) {
      EXPECT_EQ(readFile(kept), unreadable);
      after.erase("EAW/KVO128/kvo.journal.unreadable");
    }
    EXPECT_EQ(after, before) << bytes;
  }
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
fs::path absolute(std::string_view name) {
  return fs::absolute(fs::path("/games") / name);
}

// One step of each kind, with names that need escaping or are not ASCII.
Journal sampleJournal() {
  Journal journal{"0123456789abcdef", {}};
  journal.steps.push_back(
      {StepKind::Copy, false, true, "eaw.ini", absolute("KVO128/T-Burma/eaw.ini"), 0, 0});
  journal.steps.push_back({StepKind::Remove, true, true, "Savedata/100%\tdone\r\n.sve", {}, 0, 0});
  journal.steps.push_back({StepKind::Rename, false, false, "Music", "Music-1", 0, 0});
  journal.steps.push_back(
      {StepKind::Replace, false, true, "KVO128/FoldersLoaded.txt", {}, 12, 0xfedcba9876543210});
  journal.steps.push_back(
      {StepKind::CreateFolder, false, false, fs::path(u8"Caf\u00e9"), {}, 0, 0});
  return journal;
}

TEST(Journal, RoundTripsEveryStepAndTheCommittedMark) {
  const auto journal = sampleJournal();
  const auto text = formatJournal(journal);
  ASSERT_TRUE(text);
  EXPECT_TRUE(text->starts_with("KVO selector file transaction 1\r\nid\t0123456789abcdef\r\n"));
  EXPECT_NE(text->find("delete\ttry\told\tSavedata/100%25%09done%0D%0A.sve\r\n"),
            std::string::npos);
  const auto reading = readJournal(*text);
  EXPECT_EQ(reading.state, JournalState::Complete);
  EXPECT_EQ(reading.journal, journal);
  const auto committed = readJournal(*text + committedMark(journal.id));
  EXPECT_EQ(committed.state, JournalState::Committed);
  EXPECT_EQ(committed.journal, journal);
  // A mark for another transaction, or one cut short, does not count.
  EXPECT_EQ(readJournal(*text + committedMark("ffffffffffffffff")).state, JournalState::Complete);
  EXPECT_EQ(readJournal(*text + "committed\t0123").state, JournalState::Complete);
}

// Cut anywhere or with any byte changed, a journal is never taken for more than it is, and
// the steps read are always the first ones written.
TEST(Journal, DamagedBytesAreNeverTrustedBeyondWhatTheyProve) {
  const auto journal = sampleJournal();
  const auto text = *formatJournal(journal);
  const auto idLineEnd = text.find("\r\n", text.find("id\t")) + 2;
  for (std::size_t cut = 0; cut < text.size(); ++cut) {
    const auto reading = readJournal(std::string_view(text).substr(0, cut));
    // A writer killed before the id was whole has recorded nothing to undo.
    ASSERT_EQ(reading.state == JournalState::CutBeforeId, cut < idLineEnd) << cut;
    ASSERT_NE(reading.state, JournalState::Complete) << cut;
    ASSERT_NE(reading.state, JournalState::Committed) << cut;
    ASSERT_LE(reading.journal.steps.size(), journal.steps.size());
    for (std::size_t i = 0; i < reading.journal.steps.size(); ++i) {
      ASSERT_EQ(reading.journal.steps[i], journal.steps[i]) << cut;
    }
  }
  for (std::size_t at = 0; at < text.size(); ++at) {
    auto damaged = text;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
    const auto reading = readJournal(damaged);
    ASSERT_TRUE(reading.state != JournalState::Complete || reading.journal == journal) << at;
  }
}

TEST(Journal, NamesThatLeadOutOfTheGameFolderEndTheReadingNamesBesideOnesStayIn) {
  for (const auto* target : {"../eaw.ini", "a/../../b", "/etc/passwd", "a//", "."}) {
    Journal journal{"0123456789abcdef", {{StepKind::Remove, false, true, target, {}, 0, 0}}};
    const auto reading = readJournal(*formatJournal(journal));
    EXPECT_EQ(reading.state, JournalState::Truncated) << target;
    EXPECT_TRUE(reading.journal.steps.empty()) << target;
  }
  // A copy's source is a full path; a relative one is refused too.
  Journal relativeSource{"0123456789abcdef",
                         {{StepKind::Copy, false, false, "a.ter", "mod/a.ter", 0, 0}}};
  EXPECT_EQ(readJournal(*formatJournal(relativeSource)).state, JournalState::Truncated);
  EXPECT_EQ(readJournal("KVO selector file transaction 2\r\n").state, JournalState::Unreadable);
  EXPECT_EQ(readJournal("KVO selector file transaction 1\r\nid\tABCDEF0123456789\r\n").state,
            JournalState::Unreadable);
  // The names beside a target fit and never clash.
  const std::string id = newTransactionId();
  EXPECT_EQ(id.size(), 16u);
  EXPECT_NE(id, newTransactionId());
  const fs::path longTarget = fs::path("game") / std::string(255, 'x');
  const auto first = asidePath(longTarget, id, 1);
  EXPECT_LE(first.filename().native().size(), 255u);
  EXPECT_NE(first, asidePath(longTarget, id, 2));
  EXPECT_EQ(first.parent_path(), longTarget.parent_path());
}

}  // namespace
}  // namespace kvo
