#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "platform/journal.h"
#include "platform/recovery.h"
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

// Loads and unloads of hundreds of files: copies written ahead on helper threads, deletes
// after the commit point.
class BulkChangeTest : public ::testing::Test, public test::TransactionFolders {
 protected:
  fs::path mod = outside / "T-Mod";
  fs::path record = selector / "FoldersLoaded.txt";
  void SetUp() override { writeFile(record, "A-Old\r\n"); }

  static std::string name(int i) { return "f" + std::to_string(i) + ".dat"; }
  bool anyTransactionName() const {
    for (const auto& entry : fs::recursive_directory_iterator(game)) {
      if (entry.path().filename().string().find(".kvo-") != std::string::npos) return true;
    }
    return false;
  }
};

TEST_F(BulkChangeTest, ManyCopiesFailingPartWayPutEveryFileBackAndThenLoadWhole) {
  constexpr int kFiles = 300;
  for (int i = 0; i < kFiles; ++i) {
    writeFile(mod / name(i), "mod bytes of " + name(i));
    if (i % 3 == 0) writeFile(game / name(i), "game bytes of " + name(i));
  }
  const auto vanishing = mod / name(200);
  auto before = test::exactTree(temp.path());
  before.erase(fs::relative(vanishing, temp.path()).generic_string());
  {
    FileTransaction t(game, journal);
    for (int i = 0; i < kFiles; ++i) t.copyOver(mod / name(i), game / name(i));
    t.replaceWith(record, "T-Mod\r\n");
    ASSERT_TRUE(t.check().ok());
    fs::remove(vanishing);
    const auto report = t.commit();
    EXPECT_NE(report.failure.find(displayPath(game / name(200))), std::string::npos)
        << report.failure;
    EXPECT_TRUE(report.notPutBack.empty());
  }
  EXPECT_EQ(test::exactTree(temp.path()), before);

  writeFile(vanishing, "mod bytes of " + name(200));
  FileTransaction t(game, journal);
  for (int i = 0; i < kFiles; ++i) t.copyOver(mod / name(i), game / name(i));
  t.replaceWith(record, "T-Mod\r\n");
  ASSERT_TRUE(t.commit().ok());
  EXPECT_TRUE(t.finish().empty());
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(readFile(game / name(i)), "mod bytes of " + name(i));
  EXPECT_FALSE(anyTransactionName());
}

// The unload's deletes wait for the record: when it cannot be written, no file is gone.
TEST_F(BulkChangeTest, DeletesAfterTheCommitPointNeverRunWhenTheChangeFails) {
  for (int i = 0; i < 3; ++i) writeFile(game / name(i), "loaded " + name(i));
  writeFile(mod / "x.dat", "x");
  const auto before = test::exactTree(temp.path());
  FileTransaction t(game, journal);
  t.copyOver(mod / "x.dat", game / "x.dat");
  for (int i = 0; i < 3; ++i) t.remove(game / name(i), StepPolicy::BestEffort);
  t.replaceWith(record, "");
  const auto report = t.commit([&](std::size_t step, std::size_t) {
    // No room to set the old record aside makes its step fail.
    if (step == 1) fs::create_directories(asidePath(record, journalId(), 4));
  });
  EXPECT_NE(report.failure.find(displayPath(record)), std::string::npos) << report.failure;
  auto after = test::exactTree(temp.path());
  std::erase_if(after, [](const auto& e) { return e.first.find(".kvo-") != std::string::npos; });
  EXPECT_EQ(after, before);
}

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

#ifndef _WIN32
TEST_F(BulkChangeTest, ACrashAmongTheDeletesIsFinishedAtTheNextStart) {
  for (int i = 0; i < 4; ++i) writeFile(game / name(i), "loaded " + name(i));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileTransaction t(game, journal);
    for (int i = 0; i < 4; ++i) t.remove(game / name(i), StepPolicy::BestEffort);
    t.replaceWith(record, "");
    // Dies right after the first delete, past the commit point.
    t.commit([](std::size_t step, std::size_t) {
      if (step == 1) ::_exit(0);
    });
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_FALSE(fs::exists(game / name(0)));
  EXPECT_TRUE(fs::exists(game / name(1)));

  const auto result = recoverInterruptedTransaction(game, journal);
  EXPECT_NE(result.message.find("it was finished"), std::string::npos) << result.message;
  EXPECT_TRUE(result.problems.empty());
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(fs::exists(game / name(i))) << name(i);
  EXPECT_EQ(readFile(record), "");
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_FALSE(anyTransactionName());
}
#endif

}  // namespace
}  // namespace kvo
