#include "platform/journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kvo {
namespace {
namespace fs = std::filesystem;

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

TEST(Journal, NamesThatLeadOutOfTheGameFolderEndTheReading) {
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
}

TEST(Journal, NamesBesideTheTargetFitAndNeverClash) {
  const std::string id = newTransactionId();
  EXPECT_EQ(id.size(), 16u);
  EXPECT_NE(id, newTransactionId());
  const fs::path target = fs::path("game") / "terrain.ter";
  EXPECT_EQ(newFilePath(target, id, 3), fs::path("game") / ("terrain.ter." + id + "-3.kvo-new"));
  const fs::path longTarget = fs::path("game") / std::string(255, 'x');
  const auto first = asidePath(longTarget, id, 1);
  EXPECT_LE(first.filename().native().size(), 255u);
  EXPECT_NE(first, asidePath(longTarget, id, 2));
  EXPECT_EQ(first.parent_path(), longTarget.parent_path());
}

}  // namespace
}  // namespace kvo
