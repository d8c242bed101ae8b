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
class TransactionTest : public ::testing::Test, public test::TransactionFolders {
 protected:
  // Makes step `index` of the running transaction fail: a folder where it wants to set the
  // old file aside leaves it no room.
  void blockStep(const fs::path& target, std::size_t index) {
    fs::create_directories(asidePath(target, journalId(), index));
  }
};

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
  EXPECT_EQ(test::snapshot(game), (test::Tree{{"KVO128/", ""},
                                              {"KVO128/FoldersLoaded.txt", "T-Mod\r\n"},
                                              {"KVO128/T-Mod/", ""},
                                              {"KVO128/T-Mod/terrain.ter", "new terrain"},
                                              {"Missions/", ""},
                                              {"Missions/brief.msn", "new terrain"},
                                              {"Music/", ""},
                                              {"Music/a.bgm", "tune"},
                                              {"Savedata/", ""},
                                              {"terrain.ter", "new terrain"}}));
  EXPECT_NE(fs::status(game / "terrain.ter").permissions() & fs::perms::owner_write,
            fs::perms::none);
}

// A source that goes away after the check makes the copy fail at the first, a middle or the
// last copy, or deep into hundreds of copies made ahead on helper threads; the copies before
// it are undone and the overwritten game files come back.
TEST_F(TransactionTest, FailingCopyPutsEveryOverwrittenFileBackByteForByte) {
  struct Case {
    int files;
    std::size_t failing;
    bool goneBeforeCommit;
  };
  for (const auto& c :
       {Case{5, 0, true}, Case{5, 2, false}, Case{5, 4, false}, Case{300, 200, true}}) {
    SCOPED_TRACE(c.failing);
    test::TransactionFolders folders;
    FileTransaction t(folders.game, folders.journal);
    planCopies(t, folders.mod, folders.game, c.files);
    t.replaceWith(folders.record, "T-Mod\r\n");
    ASSERT_TRUE(t.check().ok());
    const auto vanishing = folders.mod / ("g" + std::to_string(c.failing) + ".dat");
    auto before = test::exactTree(folders.temp.path());
    before.erase(fs::relative(vanishing, folders.temp.path()).generic_string());
    if (c.goneBeforeCommit) fs::remove(vanishing);
    const auto report = t.commit([&](std::size_t done, std::size_t) {
      if (done == c.failing) fs::remove(vanishing);
    });
    EXPECT_EQ(report.failure,
              describeFailure("copy " + displayPath(vanishing) + " to",
                              folders.game / vanishing.filename(),
                              std::make_error_code(std::errc::no_such_file_or_directory)));
    EXPECT_TRUE(report.notPutBack.empty());
    EXPECT_EQ(test::exactTree(folders.temp.path()), before);
  }
}

TEST_F(TransactionTest, UnwritableLoadRecordUndoesTheWholeLoadAndRunsNoDelete) {
  FileTransaction t(game, journal);
  planCopies(t, mod, game, 4);
  for (auto name : {"a.ter", "b.ter", "c.ter"}) {
    writeFile(game / name, name);
    t.remove(game / name, StepPolicy::BestEffort);
  }
  t.replaceWith(record, "T-Mod\r\n");
  const auto before = test::exactTree(temp.path());
  const auto report = t.commit([&](std::size_t done, std::size_t) {
    if (done == 4) blockStep(record, 7);
  });
  EXPECT_NE(report.failure.find("Could not write " + displayPath(record)), std::string::npos);
  EXPECT_EQ(test::withoutTransactionNames(test::exactTree(temp.path())), before);
}

TEST_F(TransactionTest, BestEffortDeletesGoOnPastFailuresAndReportEach) {
  for (auto name : {"a.ter", "b.ter", "c.ter"}) writeFile(game / name, name);
  fs::create_directories(game / "folder.ter");
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
  EXPECT_FALSE(fs::exists(game / "a.ter"));
  EXPECT_FALSE(fs::exists(game / "b.ter"));
  EXPECT_EQ(readFile(game / "c.ter" / "kept.txt"), "kept");
  EXPECT_TRUE(fs::is_directory(game / "folder.ter"));
  EXPECT_EQ(readFile(record), "");
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
  for (auto name : {"eaw.ini", "water.bmp", "stale.txt"}) fs::create_symlink(sentinel, game / name);
  fs::create_directory_symlink(outside, game / "Linked");
  writeFile(mod / "eaw.ini", "[Main]\r\n");
  fs::create_symlink(sentinel, mod / "linked.ter");
  const auto outsideBefore = test::exactTree(outside);
  FileTransaction t(game, journal);
  t.copyOver(mod / "eaw.ini", game / "eaw.ini");
  t.replaceWith(game / "water.bmp", "new water");
  t.remove(game / "stale.txt");
  ASSERT_TRUE(t.commit().ok());
  EXPECT_TRUE(t.finish().empty());
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(game / "eaw.ini")));
  EXPECT_EQ(readFile(game / "eaw.ini"), "[Main]\r\n");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(game / "water.bmp")));
  EXPECT_EQ(readFile(game / "water.bmp"), "new water");
  EXPECT_FALSE(fs::exists(fs::symlink_status(game / "stale.txt")));
  FileTransaction behind(game, journal);
  behind.copyOver(mod / "eaw.ini", game / "Linked" / "eaw.ini");
  EXPECT_NE(behind.commit().failure.find("a folder on its way is a link to another place"),
            std::string::npos);
  FileTransaction linkedSource(game, journal);
  linkedSource.copyOver(mod / "linked.ter", game / "linked.ter");
  EXPECT_NE(linkedSource.commit().failure.find("the source is a link to another file"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(fs::symlink_status(game / "linked.ter")));
  // The file operations under the steps act on a link itself too.
  for (auto name : {"a", "b", "c", "e"}) fs::create_symlink(sentinel, game / name);
  EXPECT_EQ(makeNormal(game / "a"), std::errc::too_many_symbolic_link_levels);
  EXPECT_FALSE(deleteFile(game / "b"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(game / "b")));
  EXPECT_TRUE(copyFileOver(game / "c", game / "copy-of-link"));
  EXPECT_FALSE(fs::exists(game / "copy-of-link"));
  EXPECT_FALSE(renamePath(game / "c", game / "d"));
  EXPECT_TRUE(fs::is_symlink(game / "d"));
  EXPECT_FALSE(copyFileOver(mod / "eaw.ini", game / "e"));
  EXPECT_EQ(readFile(game / "e"), "[Main]\r\n");
  EXPECT_EQ(test::exactTree(outside), outsideBefore);
  EXPECT_TRUE(isInside(game, game / "Savedata" / "x.sve"));
  EXPECT_TRUE(isInside(game, game / "Linked"));  // the link itself may be changed
  EXPECT_FALSE(isInside(game, game / "Linked" / "sentinel.dat"));
  EXPECT_FALSE(isInside(game, game / ".." / "outside" / "sentinel.dat"));
  EXPECT_FALSE(isInside(game, game));
  EXPECT_FALSE(isInside(game, temp / "EAW2" / "x"));
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

void makeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

TEST(FileOps, ReadOnlyFilesGiveWayAndNothingGoesOverAnotherEntry) {
  test::TempDir dir;
  writeFile(dir / "from", "mod version");
  makeReadOnly(dir / "from");
  writeFile(dir / "old", "game version, longer than the mod's");
  makeReadOnly(dir / "old");
  EXPECT_FALSE(copyFileOver(dir / "from", dir / "old"));
  EXPECT_EQ(readFile(dir / "old"), "mod version");
  EXPECT_TRUE(ownerWritable(dir / "old"));
  EXPECT_FALSE(ownerWritable(dir / "from"));
  EXPECT_FALSE(makeNormal(dir / "from"));
  EXPECT_TRUE(ownerWritable(dir / "from"));
  EXPECT_TRUE(makeNormal(dir / "missing"));
  makeReadOnly(dir / "from");
  EXPECT_FALSE(deleteFile(dir / "from"));
  EXPECT_FALSE(fs::exists(dir / "from"));
  EXPECT_FALSE(deleteFile(dir / "nofolder" / "f"));
  writeFile(dir / "b", "x");
  EXPECT_EQ(renamePath(dir / "old", dir / "b"), std::errc::file_exists);
  EXPECT_EQ(readFile(dir / "old"), "mod version");
  EXPECT_EQ(readFile(dir / "b"), "x");
  writeFile(dir / "moved" / "inside", "y");
  fs::create_directory(dir / "d2");
  EXPECT_TRUE(renamePath(dir / "moved", dir / "d2"));
  EXPECT_TRUE(fs::is_directory(dir / "moved"));
  EXPECT_TRUE(renamePath(dir / "missing", dir / "c"));
  EXPECT_FALSE(fs::exists(dir / "c"));
  EXPECT_FALSE(createFolder(dir / "moved"));
  EXPECT_TRUE(createFolder(dir / "b"));
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  fs::permissions(dir / "moved", fs::perms::owner_read | fs::perms::owner_exec);
  const auto ec = deleteFile(dir / "moved" / "inside");
  fs::permissions(dir / "moved", fs::perms::owner_all);
  EXPECT_TRUE(ec) << "a closed folder keeps its files";
  EXPECT_TRUE(fs::exists(dir / "moved" / "inside"));
}

TEST(DescribeFailure, ActionFileAndTheReasonInPlainWords) {
#ifdef _WIN32
  const std::string shown = "\\x\\y";  // the player reads Windows' own separators
#else
  const std::string shown = "/x/y";
#endif
  struct Case {
    std::error_code ec;
    std::string reason;
  };
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
  for (const auto& c : cases) {
    EXPECT_EQ(describeFailure("write", fs::path("/x/y"), c.ec),
              "Could not write " + shown + ": " + c.reason + ".");
  }
}

}  // namespace
}  // namespace kvo
