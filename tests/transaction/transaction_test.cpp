#include "transaction/transaction.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "support/test_support.h"
#include "transaction/journal.h"
#include "transaction/recovery.h"
#include "transaction/transaction_fixture.h"
#include "transaction/transaction_steps.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace kvo {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
// A game folder with its selector folder, a mod folder, the load record and the journal's
// place, and a folder beside it (outside the game folder) for sentinels.
struct TransactionFolders {
  test::TempDir temp;
  fs::path game = temp / "EAW";
  fs::path selector = game / "KVO128";
  fs::path journal = journalFileIn(selector);
  fs::path outside = temp / "outside";
  fs::path mod = selector / "T-Mod";
  fs::path record = selector / "FoldersLoaded.txt";
  TransactionFolders() {
    fs::create_directories(game / "Savedata");
    fs::create_directories(outside);
    writeFile(record, "A-Old\r\n");
  }
  std::string journalId() const { return readJournal(readFile(journal)).journal.id; }
};

class TransactionTest : public ::testing::Test, public TransactionFolders {};

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
  EXPECT_TRUE(t.finish().empty());
  const test::Tree loaded{{"KVO128/", ""},       {"KVO128/FoldersLoaded.txt", "T-Mod\r\n"},
                          {"KVO128/T-Mod/", ""}, {"KVO128/T-Mod/terrain.ter", "new terrain"},
                          {"Missions/", ""},     {"Missions/brief.msn", "new terrain"},
                          {"Music/", ""},        {"Music/a.bgm", "tune"},
                          {"Savedata/", ""},     {"terrain.ter", "new terrain"}};
  EXPECT_EQ(test::snapshot(game), loaded);
  EXPECT_TRUE(test::ownerWritable(game / "terrain.ter"));
  EXPECT_TRUE(test::ownerWritable(game / "Missions" / "brief.msn"));
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
    TransactionFolders folders;
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
  using Case = std::pair<std::function<void(FileTransaction&)>, std::string>;
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
  for (const auto& [plan, failure] : cases) {
    FileTransaction t(game, journal);
    plan(t);
    EXPECT_EQ(t.commit().failure, failure);
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

// The check asks the system only of sources that are not plainly ours to read; a mod file the
// player closed to themselves is refused before anything changes, one with only the read bit
// goes in.
TEST_F(TransactionTest, ASourceWeMayNotReadIsRefusedAtTheCheck) {
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  writeFile(mod / "open.ter", "open");
  writeFile(mod / "closed.ter", "closed");
  writeFile(mod / "readonly.ter", "read-only");
  fs::permissions(mod / "readonly.ter", fs::perms::owner_read);
  const auto before = test::exactTree(game);
  const auto mode = fs::status(mod / "closed.ter").permissions();
  fs::permissions(mod / "closed.ter", fs::perms::owner_write);
  FileTransaction refused(game, journal);
  refused.copyOver(mod / "open.ter", game / "open.ter");
  refused.copyOver(mod / "closed.ter", game / "closed.ter");
  EXPECT_EQ(refused.check().failure, "Could not copy " + displayPath(mod / "closed.ter") + " to " +
                                         displayPath(game / "closed.ter") + ": access is denied.");
  fs::permissions(mod / "closed.ter", mode);
  EXPECT_EQ(test::exactTree(game), before);
  FileTransaction taken(game, journal);
  taken.copyOver(mod / "readonly.ter", game / "readonly.ter");
  EXPECT_TRUE(taken.commit().ok());
  taken.finish();
  EXPECT_EQ(readFile(game / "readonly.ter"), "read-only");
}

#ifndef _WIN32
// Runs `plan` on a transaction of `game` in a child process that dies, as a kill would, once
// `crashAfter` steps are done, or after the commit point when `crashAfter` is past the last
// step. Returns the child's wait status, or -1 when no child could be started.
int commitInDyingChild(const fs::path& game, const fs::path& journal,
                       const std::function<void(FileTransaction&)>& plan, std::size_t crashAfter) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    FileTransaction t(game, journal);
    plan(t);
    t.commit([&](std::size_t done, std::size_t) {
      if (done == crashAfter) ::_exit(0);
    });
    ::_exit(0);  // committed but never finished
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child ? status : -1;
}
#endif

// A file the player marked read-only and a change replaces with its mark kept: committed, it
// holds the new bytes and the mark (the old mode exactly); undone by a later failure, or by the
// recovery of a crash before the commit point, the old file is back as it was; recovered after
// the commit point, the new file keeps the mark. A writable file gets no mark.
TEST_F(TransactionTest, AReplacedFileKeepsItsReadOnlyMarkWhateverBecomesOfTheChange) {
  const auto ini = game / "eaw.ini";
  const auto plain = game / "plain.ini";
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read;
  writeFile(mod / "g.dat", "mod");
  auto reset = [&] {
    writeFile(plain, "Width=800\r\n");
    if (fs::exists(ini)) fs::permissions(ini, fs::perms::owner_all);
    writeFile(ini, "Width=800\r\n");
    fs::permissions(ini, readOnly);
  };
  auto plan = [&](FileTransaction& t) {
    t.replaceWith(ini, "Width=1024\r\n");
    t.keepReadOnly(0);
    t.replaceWith(plain, "Width=1024\r\n");
    t.keepReadOnly(1);
    t.copyOver(mod / "g.dat", game / "g.dat");
  };
  reset();
  const auto before = test::exactTree(temp.path());
  {
    FileTransaction undone(game, journal);
    plan(undone);
    const auto report = undone.commit([&](std::size_t done, std::size_t) {
      if (done == 2) fs::remove(mod / "g.dat");
    });
    EXPECT_NE(report.failure.find("g.dat"), std::string::npos);
    EXPECT_EQ(test::exactTree(temp.path()), [&] {
      auto gone = before;
      gone.erase("EAW/KVO128/T-Mod/g.dat");
      return gone;
    }());
  }
  writeFile(mod / "g.dat", "mod");
  FileTransaction committed(game, journal);
  plan(committed);
  ASSERT_TRUE(committed.commit().ok());
  EXPECT_TRUE(committed.finish().empty());
  EXPECT_EQ(readFile(ini), "Width=1024\r\n");
  EXPECT_FALSE(test::ownerWritable(ini));
  EXPECT_TRUE(test::ownerWritable(plain));
#ifndef _WIN32
  EXPECT_EQ(fs::status(ini).permissions(), readOnly);
  const auto after = test::exactTree(temp.path());
  for (const std::size_t crashAfter : {std::size_t{1}, std::size_t{4}}) {
    SCOPED_TRACE(crashAfter);
    reset();
    fs::remove(game / "g.dat");
    ASSERT_EQ(test::exactTree(temp.path()), before);
    ASSERT_NE(commitInDyingChild(game, journal, plan, crashAfter), -1);
    EXPECT_TRUE(recoverInterruptedTransaction(game, journal).problems.empty());
    EXPECT_EQ(test::exactTree(temp.path()), crashAfter == 1 ? before : after);
  }
#endif
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

// A link step gives the target the source's own file, whether the name was free or held a
// game file; a read-only source is copied instead (its mark would be shared), and counted.
// Undone, even over a target that was a link of the very same file already (a folder loaded
// again), the folder is as it was, with nothing of the transaction's own left beside it.
TEST_F(TransactionTest, LinkStepsShareTheSourcesFileAndAreUndoneLikeCopies) {
  writeFile(game / "a.ter", "game a");
  writeFile(mod / "a.ter", "mod a");
  writeFile(mod / "b.ter", "mod b");
  writeFile(mod / "ro.ter", "mod ro");
  fs::permissions(mod / "ro.ter", fs::perms::owner_read);
  {
    FileTransaction t(game, journal);
    for (auto name : {"a.ter", "b.ter", "ro.ter"}) t.linkOver(mod / name, game / name);
    const auto report = t.commit();
    ASSERT_TRUE(report.ok()) << report.failure;
    EXPECT_EQ(report.copiedInstead, 1u);
    EXPECT_TRUE(t.finish().empty());
  }
  EXPECT_TRUE(fs::equivalent(game / "a.ter", mod / "a.ter"));
  EXPECT_TRUE(fs::equivalent(game / "b.ter", mod / "b.ter"));
  EXPECT_FALSE(fs::equivalent(game / "ro.ter", mod / "ro.ter"));
  EXPECT_EQ(readFile(game / "ro.ter"), "mod ro");
  EXPECT_TRUE(test::ownerWritable(game / "ro.ter"));
  EXPECT_FALSE(test::ownerWritable(mod / "ro.ter"));

  const auto before = test::exactTree(temp.path());
  writeFile(mod / "c.ter", "mod c");
  FileTransaction again(game, journal);
  again.linkOver(mod / "a.ter", game / "a.ter");
  again.linkOver(mod / "c.ter", game / "c.ter");
  ASSERT_TRUE(again.check().ok());
  fs::remove(mod / "c.ter");
  const auto report = again.commit();
  EXPECT_NE(report.failure, "");
  EXPECT_TRUE(report.notPutBack.empty());
  EXPECT_EQ(test::exactTree(temp.path()), before);
  EXPECT_TRUE(fs::equivalent(game / "a.ter", mod / "a.ter"));
#ifndef _WIN32
  // No third name left behind; the C runtime of Windows counts one name for every file.
  EXPECT_EQ(fs::hard_link_count(mod / "a.ter"), 2u);
#endif
}

// Copies and links into free names are made side by side; one that fails in the middle of a
// run still undoes the whole change, those made after it included, or is passed over alone.
TEST_F(TransactionTest, AFailedCopyOrLinkAmongManyUndoesOrSkipsAsIfTheyRanInTurn) {
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    names.push_back("n" + std::to_string(i) + ".tpc");
    writeFile(mod / names.back(), "mod " + names.back());
  }
  for (const bool byLink : {true, false}) {
    SCOPED_TRACE(byLink ? "links" : "copies");
    const auto plan = [&](FileTransaction& t, StepPolicy policy) {
      for (const auto& name : names) {
        if (byLink) {
          t.linkOver(mod / name, game / name, policy);
        } else {
          t.copyOver(mod / name, game / name, policy);
        }
      }
      ASSERT_TRUE(t.check().ok());
      fs::remove(mod / names[20]);
    };
    const auto before = test::exactTree(game);
    FileTransaction undone(game, journal);
    plan(undone, StepPolicy::AllOrNothing);
    const auto report = undone.commit();
    EXPECT_NE(report.failure.find(names[20]), std::string::npos) << report.failure;
    EXPECT_EQ(report.failedStep, 20u);
    writeFile(mod / names[20], "mod " + names[20]);
    EXPECT_EQ(test::exactTree(game), before);

    FileTransaction skipped(game, journal);
    plan(skipped, StepPolicy::BestEffort);
    const auto partial = skipped.commit();
    ASSERT_TRUE(partial.ok()) << partial.failure;
    ASSERT_EQ(partial.skipped.size(), 1u);
    EXPECT_NE(partial.skipped[0].find(names[20]), std::string::npos);
    EXPECT_TRUE(skipped.finish().empty());
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(skipped.runs(i), i != 20) << names[i];
      if (i == 20) {
        EXPECT_FALSE(fs::exists(game / names[i]));
      } else {
        EXPECT_EQ(readFile(game / names[i]), "mod " + names[i]);
      }
    }
    // Nothing of the change's own is left beside the files.
    writeFile(mod / names[20], "mod " + names[20]);
    EXPECT_EQ(test::exactTree(game).size(), before.size() + names.size() - 1);
    for (const auto& name : names) fs::remove(game / name);
  }
}

TEST(DeletesAfterCommit, OnlyBestEffortDeletesNothingLaterDependsOn) {
  const auto remove = [](const char* target, bool bestEffort, bool existed = true) {
    return JournalStep{StepKind::Remove, bestEffort, existed, target, {}, 0, 0};
  };
  const JournalStep copyOverA{StepKind::Copy, false, false, "a.dat", fs::path("/mods/a.dat"), 0, 0};
  const JournalStep renameMusic{StepKind::Rename, false, false, "Music", fs::path("Music1"), 0, 0};
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
      {std::make_error_code(std::errc::read_only_file_system), "the disk is read-only"},
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

const std::string kPutBack =
    "The last change to the game folder was interrupted; the files it had changed were put "
    "back as they were.";
const std::string kFinished =
    "The last change to the game folder was interrupted after all its files were in place; it "
    "was finished.";
class RecoveryTest : public ::testing::Test, public TransactionFolders {
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
  // Journals put aside under a dated name ("kvo 2024-05-01 18.13.58.journal").
  std::vector<fs::path> keptJournals() const {
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(selector)) {
      const auto name = entry.path().filename().string();
      if (name.starts_with("kvo 2") && name.ends_with(".journal")) kept.push_back(entry.path());
    }
    return kept;
  }
#ifndef _WIN32
  // Runs plan() in a child process that dies, as a kill would, once `crashAfter` steps are
  // done, or after the commit point when `crashAfter` is past the last step.
  void crashDuring(std::size_t crashAfter) {
    const int status = commitInDyingChild(
        game, journal, [this](FileTransaction& t) { plan(t); }, crashAfter);
    ASSERT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
#endif
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
    crashDuring(crashAfter);
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

// With the game's own files kept, a load first renames a game file into the store and then
// copies the mod's over its name: killed after either step, the copy goes and the original
// comes back from the store, though the journal found the name taken when it was checked.
TEST_F(RecoveryTest, AKeptOriginalComesBackFromTheStoreWhereverTheLoadWasKilled) {
  const auto before = test::exactTree(temp.path());
  const Journal journalData = journalOf(
      {{StepKind::CreateFolder, false, false, "KVO Originals", {}, 0, 0},
       {StepKind::Rename, false, false, "KVO Originals/a.ter", fs::path("a.ter"), 0, 0},
       copyStep("a.ter", true),
       {StepKind::Replace, false, true, "KVO128/FoldersLoaded.txt", {}, 5, journalHash("T-Mod")}});
  for (int stepsDone = 0; stepsDone <= 3; ++stepsDone) {
    SCOPED_TRACE(stepsDone);
    writeFile(journal, *formatJournal(journalData));
    if (stepsDone >= 1) fs::create_directory(game / "KVO Originals");
    if (stepsDone >= 2) fs::rename(game / "a.ter", game / "KVO Originals" / "a.ter");
    if (stepsDone >= 3) writeFile(game / "a.ter", "mod a.ter");
    const auto result = recover();
    EXPECT_EQ(result.message, kPutBack);
    EXPECT_EQ(test::exactTree(temp.path()), before);
  }
}

// A file the journal says was made new is removed only when its bytes prove it the change's
// own; any other file in its place stays, and the player is told which, not "put back".
TEST_F(RecoveryTest, GoingBackRemovesOnlyProvenCopiesAndNamesTheRest) {
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
  EXPECT_TRUE(result.message.starts_with(
      "The last change to the game folder was interrupted, and not every file it had changed "
      "could be put back:"))
      << result.message;
  for (const auto* left : {"other.ter", "KVO128/b.ini", "KVO128/kvo.ini"}) {
    EXPECT_NE(result.message.find(displayPath(game / left)), std::string::npos) << left;
  }
  EXPECT_EQ(result.message.find(displayPath(game / "new.ter")), std::string::npos);
  EXPECT_FALSE(fs::exists(game / "new.ter"));
  EXPECT_EQ(readFile(game / "other.ter"), "the player's own other.ter");
  EXPECT_FALSE(fs::exists(game / "KVO128" / "a.ini"));
  EXPECT_EQ(readFile(game / "KVO128" / "b.ini"), "old");
  EXPECT_EQ(readFile(game / "KVO128" / "kvo.ini"), "not the bytes written");
  // The journal goes aside under a dated name, so that the next change may go ahead.
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_EQ(keptJournals().size(), 1u);
}

// A journal cut short was written whole before any step, so the cut means nothing ran: unless
// files of its own say otherwise (the record damaged later). Then what it names is put back,
// the files it no longer names are listed, and the journal goes aside with a true message.
TEST_F(RecoveryTest, TruncatedJournalPutsBackWhatItNamesAndSaysWhatItCannotTell) {
  const auto journalData = journalOf({copyStep("new.ter", false), removeStep("gone.txt"),
                                      copyStep("a.ter", true), copyStep("b.ter", true)});
  const auto text = *formatJournal(journalData);
  const auto cut = text.substr(0, text.find("copy\tmust\told\tb.ter"));
  // Nothing ran: the journal goes, nothing else is touched.
  writeFile(journal, cut);
  auto untouched = test::exactTree(temp.path());
  untouched.erase("EAW/KVO128/kvo.journal");
  EXPECT_EQ(recover().message,
            "The last change to the game folder was interrupted before it changed any file; the "
            "game folder is as it was.");
  EXPECT_EQ(test::exactTree(temp.path()), untouched);
  // Every step ran, the last one beyond the cut.
  writeFile(game / "new.ter", "mod new.ter");
  fs::rename(game / "gone.txt", asidePath(game / "gone.txt", journalData.id, 1));
  fs::rename(game / "a.ter", asidePath(game / "a.ter", journalData.id, 2));
  writeFile(game / "a.ter", "mod a.ter");
  const auto olderB = asidePath(game / "b.ter", journalData.id, 3);
  fs::rename(game / "b.ter", olderB);
  writeFile(game / "b.ter", "mod b.ter");
  writeFile(journal, cut);
  const auto result = recover();
  EXPECT_TRUE(
      result.message.starts_with("The last change to the game folder was interrupted, "
                                 "and its record is cut short"))
      << result.message;
  EXPECT_FALSE(fs::exists(game / "new.ter"));
  EXPECT_EQ(readFile(game / "gone.txt"), "old gone.txt");
  EXPECT_EQ(readFile(game / "a.ter"), "old a.ter");
  // b.ter's step is not in the record: its older file is named for the player, not guessed at.
  EXPECT_EQ(readFile(game / "b.ter"), "mod b.ter");
  EXPECT_EQ(readFile(olderB), "old b.ter");
  EXPECT_NE(result.message.find(displayPath(olderB)), std::string::npos);
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_EQ(keptJournals().size(), 1u);
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
  for (const std::string& bytes : {std::string(), std::string("KVO selector file tran"),
                                   std::string("KVO selector file transaction 1\r\nid\t0011")}) {
    writeFile(journal, bytes);
    EXPECT_NE(recover().message.find("before it changed any file"), std::string::npos) << bytes;
    EXPECT_EQ(test::exactTree(temp.path()), untouched) << bytes;
  }
  const std::string unreadable = "\x01garbage\r\nid\tnot-an-id\r\n";
  writeFile(journal, unreadable);
  EXPECT_NE(recover().message.find("cannot be made out"), std::string::npos);
  const auto kept = keptJournals();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(readFile(kept[0]), unreadable);
  fs::remove(kept[0]);
  EXPECT_EQ(test::exactTree(temp.path()), untouched);
}

#ifndef _WIN32
TEST_F(RecoveryTest, RecoveryNeverActsBehindALink) {
  fs::create_directory_symlink(outside, game / "Linked");
  writeFile(outside / "x.dat.00112233445566aa-0.kvo-old", "outside");
  writeFile(journal, *formatJournal(journalOf({removeStep("Linked/x.dat")})));
  const auto outsideBefore = test::exactTree(outside);
  const auto result = recover();
  EXPECT_NE(result.message.find("a folder on its way is a link"), std::string::npos);
  EXPECT_EQ(test::exactTree(outside), outsideBefore);
}
#endif
// A copy's source as a transaction holds it: absolute, with the system's own separators.
fs::path::string_type sourceText(const char* path) {
  return fs::absolute(path).make_preferred().native();
}

// One step of each kind, with names that need escaping or are not ASCII.
Journal sampleJournal() {
  return {
      "0123456789abcdef",
      {{StepKind::Copy, false, true, "eaw.ini", sourceText("/games/KVO128/T-Burma/eaw.ini"), 0, 0},
       {StepKind::Copy, false, false, "a.ter", sourceText("/games/KVO128/T-Burma/a.ter"), 0, 0,
        true},
       {StepKind::Remove, true, true, "Savedata/100%\tdone\r\n.sve", {}, 0, 0},
       {StepKind::Rename, false, false, "Music", fs::path("Music-1"), 0, 0},
       {StepKind::Replace, false, true, "KVO128/FoldersLoaded.txt", {}, 12, 0xfedcba9876543210},
       {StepKind::CreateFolder, false, false, fs::path(u8"Caf\u00e9"), {}, 0, 0}}};
}

// Read back whole, a journal is the one written; cut anywhere or with any byte changed, it is
// never taken for more than it is, and the steps read are always the first ones written.
TEST(Journal, RoundTripsAndDamagedBytesAreNeverTrustedBeyondWhatTheyProve) {
  const auto journal = sampleJournal();
  const auto text = *formatJournal(journal);
  const auto whole = readJournal(text);
  EXPECT_EQ(whole.state, JournalState::Complete);
  EXPECT_EQ(whole.journal, journal);
  const auto committed = readJournal(text + committedMark(journal.id));
  EXPECT_EQ(committed.state, JournalState::Committed);
  EXPECT_EQ(committed.journal, journal);
  // A mark for another transaction, or one cut short, does not count.
  EXPECT_EQ(readJournal(text + committedMark("ffffffffffffffff")).state, JournalState::Complete);
  EXPECT_EQ(readJournal(text + "committed\t0123").state, JournalState::Complete);
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
                         {{StepKind::Copy, false, false, "a.ter", fs::path("mod/a.ter"), 0, 0}}};
  EXPECT_EQ(readJournal(*formatJournal(relativeSource)).state, JournalState::Truncated);
  EXPECT_EQ(readJournal("KVO selector file transaction 2\r\n").state, JournalState::Unreadable);
  EXPECT_EQ(readJournal("KVO selector file transaction 1\r\nid\tABCDEF0123456789\r\n").state,
            JournalState::Unreadable);
  // The names beside a target fit and never clash.
  const fs::path longTarget = fs::path("game") / std::string(255, 'x');
  const auto first = asidePath(longTarget, "0123456789abcdef", 1);
  EXPECT_LE(first.filename().native().size(), 255u);
  EXPECT_NE(first, asidePath(longTarget, "0123456789abcdef", 2));
  EXPECT_EQ(first.parent_path(), longTarget.parent_path());
}

}  // namespace
}  // namespace kvo
