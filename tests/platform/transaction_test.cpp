#include "platform/transaction.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/journal.h"
#include "platform/transaction_fixture.h"
#include "platform/transaction_steps.h"
#include "support/test_support.h"

namespace kvo {
namespace {
namespace fs = std::filesystem;
using test::ownerWritable;
using test::readFile;
using test::writeFile;
class TransactionTest : public ::testing::Test, public test::TransactionFolders {};

// Plans copies of mod files g0..g(n-1): every third a file the game lacks, the others over
// game files of the same names, one of them read-only.
void planCopies(FileTransaction& t, const fs::path& mod, const fs::path& game, int n) {
  for (int i = 0; i < n; ++i) {
    const auto name = "g" + std::to_string(i) + ".dat";
    if (i % 3 != 2) writeFile(game / name, "game bytes " + std::to_string(i));
    writeFile(mod / name, "mod bytes, longer than the game's " + std::to_string(i));
    t.copyOver(mod / name, game / name);
  }
  fs::permissions(game / "g1.dat", fs::perms::owner_read | fs::perms::group_read);
}

TEST_F(TransactionTest, CommitRunsEveryKindOfStepAndFinishLeavesNoTrace) {
  writeFile(game / "terrain.ter", "old terrain");
  fs::permissions(game / "terrain.ter", fs::perms::owner_read);
  writeFile(mod / "terrain.ter", "new terrain");
  fs::permissions(mod / "terrain.ter", fs::perms::owner_read);
  writeFile(game / "old.txt", "to delete");
  writeFile(game / "Music1" / "a.bgm", "tune");
  FileTransaction t(game, journal);
  t.copyOver(mod / "terrain.ter", game / "terrain.ter");
  t.createFolder(game / "Missions");
  t.copyOver(mod / "terrain.ter", game / "Missions" / "brief.msn");
  t.remove(game / "old.txt");
  t.remove(game / "never-there.txt");
  t.rename(game / "Music1", game / "Music");
  t.replaceWith(record, "T-Mod\r\n");
  std::vector<std::size_t> progress;
  const auto report = t.commit([&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 7u);
    progress.push_back(done);
  });
  ASSERT_TRUE(report.ok()) << report.failure;
  EXPECT_TRUE(report.skipped.empty());
  EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7}));
  // Until finish() the journal says committed, so that a crash is finished at the next start.
  EXPECT_EQ(readJournal(readFile(journal)).state, JournalState::Committed);
  EXPECT_TRUE(t.finish().empty());
  const test::Tree loaded{{"KVO128/", ""},       {"KVO128/FoldersLoaded.txt", "T-Mod\r\n"},
                          {"KVO128/T-Mod/", ""}, {"KVO128/T-Mod/terrain.ter", "new terrain"},
                          {"Missions/", ""},     {"Missions/brief.msn", "new terrain"},
                          {"Music/", ""},        {"Music/a.bgm", "tune"},
                          {"Savedata/", ""},     {"terrain.ter", "new terrain"}};
  EXPECT_EQ(test::snapshot(game), loaded);
  EXPECT_TRUE(ownerWritable(game / "terrain.ter"));
  EXPECT_TRUE(ownerWritable(game / "Missions" / "brief.msn"));
}

// A copy fails at the first, a middle or the last copy (its source gone after the check), or
// deep into hundreds of copies made ahead on helper threads, or the load record after the
// copies cannot be written: the steps before are undone, the overwritten game files come
// back, and the deletes that would come after the commit point never run.
TEST_F(TransactionTest, FailingStepPutsEveryOverwrittenFileBackByteForByte) {
  struct Case {
    int files;
    std::size_t failing;  // == files: the load record
    bool goneBeforeCommit;
  };
  for (const auto& c : {Case{5, 0, true}, Case{5, 2, false}, Case{5, 4, false},
                        Case{300, 200, true}, Case{4, 4, false}}) {
    SCOPED_TRACE(c.failing);
    test::TransactionFolders folders;
    FileTransaction t(folders.game, folders.journal);
    planCopies(t, folders.mod, folders.game, c.files);
    for (auto name : {"a.ter", "b.ter"}) {
      writeFile(folders.game / name, name);
      t.remove(folders.game / name, StepPolicy::BestEffort);
    }
    t.replaceWith(folders.record, "T-Mod\r\n");
    ASSERT_TRUE(t.check().ok());
    const bool atRecord = c.failing == static_cast<std::size_t>(c.files);
    const auto vanishing = folders.mod / ("g" + std::to_string(c.failing) + ".dat");
    auto before = test::exactTree(folders.temp.path());
    before.erase(fs::relative(vanishing, folders.temp.path()).generic_string());
    if (c.goneBeforeCommit) fs::remove(vanishing);
    fs::path blocker;  // a folder where the record's old bytes would be set aside
    const auto report = t.commit([&](std::size_t done, std::size_t) {
      if (done != c.failing) return;
      if (!atRecord) fs::remove(vanishing);
      if (atRecord) blocker = asidePath(folders.record, folders.journalId(), c.failing + 2);
      if (atRecord) fs::create_directories(blocker);
    });
    if (atRecord) fs::remove(blocker);
    EXPECT_EQ(
        report.failure,
        atRecord
            ? describeFailure("write", folders.record, std::make_error_code(std::errc::file_exists))
            : describeFailure("copy " + displayPath(vanishing) + " to",
                              folders.game / vanishing.filename(),
                              std::make_error_code(std::errc::no_such_file_or_directory)));
    EXPECT_TRUE(report.notPutBack.empty());
    EXPECT_EQ(test::exactTree(folders.temp.path()), before);
  }
}

TEST_F(TransactionTest, BestEffortDeletesGoOnPastFailuresAndReportEach) {
  for (auto name : {"a.ter", "b.ter", "c.ter"}) writeFile(game / name, name);
  fs::create_directories(game / "folder.ter");
  fs::permissions(game / "b.ter", fs::perms::owner_read);
  FileTransaction t(game, journal);
  t.remove(game / "a.ter", StepPolicy::BestEffort);
  t.remove(game / "folder.ter", StepPolicy::BestEffort);
  t.remove(game / "b.ter", StepPolicy::BestEffort);
  t.remove(game / "a.ter", StepPolicy::BestEffort);  // two sweeps may name one file
  t.remove(game / "c.ter", StepPolicy::BestEffort);
  t.replaceWith(record, "");
  // The deletes come after the record (refused steps report first); one of them meets a
  // folder where its file was.
  std::vector<std::size_t> steps;
  const auto report = t.commit([&](std::size_t step, std::size_t) {
    steps.push_back(step);
    if (step == 3) {
      fs::remove(game / "c.ter");
      writeFile(game / "c.ter" / "kept.txt", "kept");
    }
  });
  ASSERT_TRUE(report.ok()) << report.failure;
  EXPECT_EQ(steps, (std::vector<std::size_t>{2, 4, 6, 1, 3, 5}));
  ASSERT_EQ(report.skipped.size(), 2u);
  EXPECT_EQ(report.skipped[0], describeFailure("delete", game / "folder.ter",
                                               std::make_error_code(std::errc::is_a_directory)));
  EXPECT_NE(report.skipped[1].find(displayPath(game / "c.ter")), std::string::npos);
  EXPECT_TRUE(t.finish().empty());
  const test::Tree left{{"KVO128/", ""}, {"KVO128/FoldersLoaded.txt", ""}, {"Savedata/", ""},
                        {"c.ter/", ""},  {"c.ter/kept.txt", "kept"},       {"folder.ter/", ""}};
  EXPECT_EQ(test::snapshot(game), left);
}

TEST_F(TransactionTest, RefusedPlansChangeNothing) {
  writeFile(game / "a.dat", "a");
  writeFile(mod / "a.dat", "mod");
  const auto before = test::exactTree(temp.path());
  struct Case {
    std::function<void(FileTransaction&)> plan;
    std::string failure;
  };
  const std::vector<Case> cases = {
      {[&](FileTransaction& t) { t.remove(outside / "x.dat"); },
       "Could not delete " + displayPath(outside / "x.dat") + ": it lies outside the game folder."},
      {[&](FileTransaction& t) { t.remove(game / ".." / "outside" / "x.dat"); },
       "Could not delete " + displayPath(outside / "x.dat") + ": it lies outside the game folder."},
      {[&](FileTransaction& t) { t.remove(temp / "EAW2" / "x.dat"); },
       "Could not delete " + displayPath(temp / "EAW2" / "x.dat") +
           ": it lies outside the game folder."},
      {[&](FileTransaction& t) { t.remove(game); },
       "Could not delete " + displayPath(game) + ": it lies outside the game folder."},
      {[&](FileTransaction& t) { t.createFolder(game / "a.dat"); },
       "Could not create the folder " + displayPath(game / "a.dat") +
           ": part of its path is not a folder."},
      {[&](FileTransaction& t) {
         t.copyOver(mod / "a.dat", game / "a.dat");
         t.remove(game / "a.dat");
       },
       "Could not delete " + displayPath(game / "a.dat") +
           ": it would be changed twice in one go."},
      {[&](FileTransaction& t) { t.copyOver(mod / "a.dat", game / "NoSuchFolder" / "a.dat"); },
       "Could not copy " + displayPath(mod / "a.dat") + " to " +
           displayPath(game / "NoSuchFolder" / "a.dat") + ": its folder is not there."},
      {[&](FileTransaction& t) { t.copyOver(mod / "gone.dat", game / "gone.dat"); },
       "Could not copy " + displayPath(mod / "gone.dat") + " to " + displayPath(game / "gone.dat") +
           ": the file is not there."},
      {[&](FileTransaction& t) { t.replaceWith(journal, "steps of its own"); },
       "Could not write " + displayPath(journal) + ": it would be changed twice in one go."},
      {[&](FileTransaction& t) { t.rename(game / "a.dat", game / "Savedata"); },
       "Could not rename " + displayPath(game / "a.dat") + " to " + displayPath(game / "Savedata") +
           ": a file of that name is already there."},
  };
  for (const auto& c : cases) {
    FileTransaction t(game, journal);
    c.plan(t);
    EXPECT_EQ(t.commit().failure, c.failure);
    EXPECT_EQ(test::exactTree(temp.path()), before);
  }
  // An unfinished earlier change blocks the next one until the start-up has dealt with it.
  writeFile(journal, "left by a crash");
  FileTransaction t(game, journal);
  t.remove(game / "a.dat");
  EXPECT_EQ(t.commit().failure, "Could not write " + displayPath(journal) +
                                    ": an earlier change of the game folder is not finished.");
  EXPECT_EQ(readFile(game / "a.dat"), "a");
}

TEST_F(TransactionTest, FullDiskLeavesTheOverwrittenFileWhole) {
  if (!test::runningAsRoot()) GTEST_SKIP() << "mounting a small disk needs root";
  const auto disk = temp / "disk";
  fs::create_directories(disk);
  if (test::runShellCommand("mount -t tmpfs -o size=1m tmpfs '" + disk.string() + "'") != 0) {
    GTEST_SKIP() << "this system refused to mount a small tmpfs";
  }
  struct Unmount {
    fs::path dir;
    ~Unmount() { test::runShellCommand("umount '" + dir.string() + "'"); }
  } unmount{disk};
  const auto smallGame = disk / "EAW";
  const auto smallJournal = smallGame / "KVO128" / "kvo.journal";
  writeFile(smallGame / "KVO128" / "FoldersLoaded.txt", "");
  writeFile(smallGame / "big.dat", std::string(400 * 1024, 'g'));
  writeFile(outside / "big.dat", std::string(700 * 1024, 'm'));
  const auto before = test::exactTree(smallGame);
  FileTransaction copy(smallGame, smallJournal);
  copy.copyOver(outside / "big.dat", smallGame / "big.dat");
  copy.replaceWith(smallGame / "KVO128" / "FoldersLoaded.txt", "Z-Big\r\n");
  EXPECT_EQ(copy.commit().failure, "Could not copy " + displayPath(outside / "big.dat") + " to " +
                                       displayPath(smallGame / "big.dat") + ": the disk is full.");
  EXPECT_EQ(test::exactTree(smallGame), before);
  FileTransaction write(smallGame, smallJournal);
  write.replaceWith(smallGame / "big.dat", std::string(900 * 1024, 'w'));
  EXPECT_EQ(write.commit().failure,
            "Could not write " + displayPath(smallGame / "big.dat") + ": the disk is full.");
  EXPECT_EQ(test::exactTree(smallGame), before);
}

TEST_F(TransactionTest, ReadOnlyFolderRefusesAtCheckOrIsUndoneAtCommit) {
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  writeFile(mod / "x.msn", "mission");
  writeFile(mod / "g.dat", "mod");
  writeFile(game / "g.dat", "game");
  const auto saves = game / "Savedata";
  const auto closed = fs::perms::owner_read | fs::perms::owner_exec;
  struct Reopen {
    fs::path dir;
    ~Reopen() { fs::permissions(dir, fs::perms::owner_all); }
  } reopen{saves};

  fs::permissions(saves, closed);
  const auto before = test::exactTree(temp.path());
  FileTransaction refused(game, journal);
  refused.copyOver(mod / "x.msn", saves / "x.msn");
  EXPECT_EQ(refused.commit().failure, "Could not copy " + displayPath(mod / "x.msn") + " to " +
                                          displayPath(saves / "x.msn") + ": access is denied.");
  EXPECT_EQ(test::exactTree(temp.path()), before);
  fs::permissions(saves, fs::perms::owner_all);
  const auto open = test::exactTree(temp.path());
  FileTransaction undone(game, journal);
  undone.copyOver(mod / "g.dat", game / "g.dat");
  undone.copyOver(mod / "x.msn", saves / "x.msn");
  const auto report = undone.commit([&](std::size_t done, std::size_t) {
    if (done == 1) fs::permissions(saves, closed);
  });
  fs::permissions(saves, fs::perms::owner_all);
  EXPECT_NE(report.failure.find("access is denied"), std::string::npos);
  EXPECT_EQ(test::exactTree(temp.path()), open);
}

#ifndef _WIN32
// Links need privileges on Windows; on Linux they are what a mod or a player leaves behind.
TEST_F(TransactionTest, LinksAreActedOnThemselvesOrRefusedAndNothingOutsideChanges) {
  const auto sentinel = outside / "sentinel.dat";
  writeFile(sentinel, "outside bytes");
  fs::permissions(sentinel, fs::perms::owner_read);
  for (auto name : {"eaw.ini", "water.bmp", "stale.txt", "stale-link"})
    fs::create_symlink(sentinel, game / name);
  fs::create_directory_symlink(outside, game / "Linked");
  fs::create_directory_symlink(outside, game / "Music1");
  writeFile(mod / "eaw.ini", "[Main]\r\n");
  fs::create_symlink(sentinel, mod / "linked.ter");
  const auto outsideBefore = test::exactTree(outside);
  FileTransaction t(game, journal);
  t.copyOver(mod / "eaw.ini", game / "eaw.ini");
  t.replaceWith(game / "water.bmp", "new water");
  t.remove(game / "stale.txt");
  t.rename(game / "Music1", game / "Music");
  ASSERT_TRUE(t.commit().ok());
  EXPECT_TRUE(t.finish().empty());
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(game / "eaw.ini")));
  EXPECT_EQ(readFile(game / "eaw.ini"), "[Main]\r\n");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(game / "water.bmp")));
  EXPECT_EQ(readFile(game / "water.bmp"), "new water");
  EXPECT_FALSE(fs::exists(fs::symlink_status(game / "stale.txt")));
  EXPECT_EQ(fs::read_symlink(game / "Music"), outside);
  FileTransaction behind(game, journal);
  behind.copyOver(mod / "eaw.ini", game / "Linked" / "eaw.ini");
  EXPECT_NE(behind.commit().failure.find("a folder on its way is a link to another place"),
            std::string::npos);
  FileTransaction linkedSource(game, journal);
  linkedSource.copyOver(mod / "linked.ter", game / "linked.ter");
  EXPECT_NE(linkedSource.commit().failure.find("the source is a link to another file"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(fs::symlink_status(game / "linked.ter")));
  // A read-only mark is cleared on a link itself, never on what it names.
  EXPECT_EQ(makeNormal(game / "stale-link"), std::errc::too_many_symbolic_link_levels);
  EXPECT_EQ(test::exactTree(outside), outsideBefore);
}
#endif

TEST(DeletesAfterCommit, OnlyBestEffortDeletesNothingLaterDependsOn) {
  const auto remove = [](const char* target, bool bestEffort, bool existed = true) {
    return JournalStep{StepKind::Remove, bestEffort, existed, target, {}, 0, 0};
  };
  const JournalStep copyOverA{StepKind::Copy, false, false, "a.dat", "/mods/a.dat", 0, 0};
  const JournalStep renameMusic{StepKind::Rename, false, false, "Music", "Music1", 0, 0};
  const Journal journal{
      "00112233445566aa",
      {remove("a.dat", true), copyOverA, remove("Music1/x.bgm", true), renameMusic,
       remove("b.dat", true), remove("c.dat", false), remove("d.dat", true, false)}};
  // a: its name is taken later; x.bgm: a rename follows; c: all or nothing; d: not there.
  EXPECT_EQ(deletesAfterCommit(journal),
            (std::vector<bool>{false, false, false, false, true, false, false}));
}

TEST(DescribeFailure, ActionFileAndTheReasonInPlainWords) {
#ifdef _WIN32
  const std::string shown = "\\x\\y";  // the player reads Windows' own separators
#else
  const std::string shown = "/x/y";
#endif
  using Case = std::pair<std::error_code, std::string>;
  const auto rare = std::make_error_code(std::errc::protocol_error);
  const Case cases[] = {
      {std::make_error_code(std::errc::no_space_on_device), "the disk is full"},
      {std::make_error_code(std::errc::permission_denied), "access is denied"},
      {std::make_error_code(std::errc::operation_not_permitted), "access is denied"},
      {std::make_error_code(std::errc::read_only_file_system), "the disk is read-only"},
      {std::make_error_code(std::errc::no_such_file_or_directory), "the file is not there"},
      {std::make_error_code(std::errc::is_a_directory), "it is a folder"},
      {std::make_error_code(std::errc::filename_too_long), "the name is too long"},
#ifdef EDQUOT
      {std::error_code(EDQUOT, std::system_category()), "the disk quota is used up"},
#endif
      // A rare failure keeps the system's own words.
      {rare, rare.message()},
      {std::error_code(), "unknown error"},
  };
  for (const auto& [ec, reason] : cases) {
    EXPECT_EQ(describeFailure("write", fs::path("/x/y"), ec),
              "Could not write " + shown + ": " + reason + ".");
  }
}

}  // namespace
}  // namespace kvo
