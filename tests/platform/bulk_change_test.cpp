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

namespace kvo {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// Loads and unloads of hundreds of files: copies written ahead on helper threads, deletes
// after the commit point.
class BulkChangeTest : public ::testing::Test, public test::TransactionFolders {
 protected:
  static std::string name(int i) { return "f" + std::to_string(i) + ".dat"; }
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
  for (const bool whole : {false, true}) {
    FileTransaction t(game, journal);
    for (int i = 0; i < kFiles; ++i) t.copyOver(mod / name(i), game / name(i));
    t.replaceWith(record, "T-Mod\r\n");
    ASSERT_TRUE(t.check().ok());
    if (whole) {
      ASSERT_TRUE(t.commit().ok());
      EXPECT_TRUE(t.finish().empty());
      break;
    }
    fs::remove(vanishing);
    const auto report = t.commit();
    EXPECT_NE(report.failure.find(displayPath(game / name(200))), std::string::npos)
        << report.failure;
    EXPECT_TRUE(report.notPutBack.empty());
    EXPECT_EQ(test::exactTree(temp.path()), before);
    writeFile(vanishing, "mod bytes of " + name(200));
  }
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(readFile(game / name(i)), "mod bytes of " + name(i));
  EXPECT_TRUE(noTransactionNames());
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
  // Dies right after the first delete, past the commit point.
  test::crashDuring(
      game, journal,
      [&](FileTransaction& t) {
        for (int i = 0; i < 4; ++i) t.remove(game / name(i), StepPolicy::BestEffort);
        t.replaceWith(record, "");
      },
      1);
  EXPECT_FALSE(fs::exists(game / name(0)));
  EXPECT_TRUE(fs::exists(game / name(1)));

  const auto result = recoverInterruptedTransaction(game, journal);
  EXPECT_NE(result.message.find("it was finished"), std::string::npos) << result.message;
  EXPECT_TRUE(result.problems.empty());
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(fs::exists(game / name(i))) << name(i);
  EXPECT_EQ(readFile(record), "");
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_TRUE(noTransactionNames());
}
#endif

}  // namespace
}  // namespace kvo
