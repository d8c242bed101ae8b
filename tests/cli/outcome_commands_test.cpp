// What the commands tell: the exit status of every command from its operation's outcome, and
// the plan of a dry run, which must be the change the real run then makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text_file.h"
#include "state/history.h"
#include "support/cli_runner.h"
#include "support/demo_selector_test.h"
#include "transaction/transaction_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

class OutcomeCommandsTest : public DemoSelectorTest {
 protected:
  // The first start makes what a start makes (the instance lock); from then on it changes
  // nothing.
  void SetUp() override {
    DemoSelectorTest::SetUp();
    ASSERT_EQ(run({"status"}), kExitDone);
  }
  int run(const Lines& words) { return kvo_.run(words); }
  Lines printed() const {
    Lines lines;
    for (auto line : splitLines(kvo_.out())) lines.push_back(std::move(line));
    return lines;
  }
  // The file and mark lines of the history's newest entry, as a dry run prints them.
  Lines lastHistoryLines() {
    const auto entries = lastHistoryEntries(readFile(selectorDir() / "History.txt"), 1);
    if (entries.empty()) return {};
    Lines lines;
    for (std::size_t i = 1; i < entries[0].size(); ++i) lines.push_back(entries[0][i].substr(1));
    return lines;
  }
  CliRunner kvo_{game()};
};

// Each dry run prints the steps and marks, changes nothing, and the real run then makes
// exactly those, as its history entry says.
TEST_F(OutcomeCommandsTest, ADryRunPrintsExactlyTheChangeTheRunThenMakes) {
  const auto dryThenRun = [&](const std::vector<Lines>& commands) {
    for (const auto& words : commands) {
      SCOPED_TRACE(words.back());
      const auto before = exactTree(game());
      Lines dry = words;
      dry.insert(dry.begin(), "--dry-run");
      ASSERT_EQ(run(dry), kExitDone) << kvo_.err();
      const auto plan = printed();
      EXPECT_TRUE(exactTree(game()) == before);
      EXPECT_FALSE(plan.empty());
      ASSERT_EQ(run(words), kExitDone) << kvo_.err();
      EXPECT_EQ(lastHistoryLines(), plan);
    }
  };
  // The game's own files go into the store and come back: renames the plan names too. Reset
  // All gives them back, so that the sweep without the store then starts on the whole game.
  ASSERT_EQ(run({"keep-originals", "on"}), kExitDone);
  dryThenRun({{"click", "F-Alternative Planes"},
              {"plane", "P-Mustang III"},
              {"fuel", "P51B", "50"},
              {"skin", "Bf109G Winter"},
              {"--include-flt", "skin", "Bf109G Winter"},
              {"reset"}});
  ASSERT_EQ(run({"keep-originals", "off"}), kExitDone);
  dryThenRun({{"click", "T-Normandy"},
              {"click", "T-Burma"},
              {"load-package", "Desert Campaign.set"},
              {"plane", "P-Bf 109G-10"},
              {"reset"},
              {"load-package", "Normandy Invasion.set"}});
  EXPECT_EQ(run({"history", "1"}), kExitDone);
  EXPECT_NE(kvo_.out().find("\tload package Normandy Invasion.set\t"), std::string::npos);
  EXPECT_EQ(run({"history"}), kExitDone);  // oldest first
  EXPECT_LT(kvo_.out().find("\tclick F-Alternative Planes\t"), kvo_.out().find("\tReset All\t"));
}

// A change that would be refused says why with 1 and changes nothing.
TEST_F(OutcomeCommandsTest, ADryRunOfARefusedChangeSaysWhyAndChangesNothing) {
  fs::create_directory(game() / "normandy.tpc");
  const auto before = exactTree(game());
  EXPECT_EQ(run({"--dry-run", "click", "T-Normandy"}), kExitFailed);
  EXPECT_NE(kvo_.err().find("normandy.tpc"), std::string::npos);
  EXPECT_EQ(run({"--dry-run", "launch", "eaw.exe"}), kExitDone);
  EXPECT_TRUE(exactTree(game()) == before);
}

// Every command gives the exit status of what its operation did: 0 done, 1 a failure or
// something passed over (told on stderr), 2 words that name nothing.
TEST_F(OutcomeCommandsTest, EveryCommandExitsWithWhatItsOperationDid) {
  struct Case {
    Lines words;
    int exit;
  };
  const Case cases[] = {
      {{"status"}, kExitDone},
      {{"list", "folders"}, kExitDone},
      {{"click", "T-Nowhere"}, kExitUsage},
      {{"click", "F-Alternative Planes"}, kExitDone},
      {{"verify"}, kExitDone},
      {{"list", "planes"}, kExitDone},
      {{"plane", "P-Mustang III"}, kExitDone},
      {{"plane", "P-Nothing"}, kExitUsage},
      {{"fuel", "P51B", "50"}, kExitDone},
      {{"fuel", "P38H", "50"}, kExitDone},
      {{"fuel", "XXXX", "50"}, kExitUsage},
      {{"skin", "Mustang Invasion"}, kExitDone},
      {{"rename-skin", "Mustang Invasion", "Spit Mk IX Desert"}, kExitFailed},
      {{"rename-skin", "Mustang Invasion", "Mustang D-Day"}, kExitDone},
      {{"clear-skins"}, kExitDone},
      {{"list", "skins"}, kExitDone},
      {{"list", "names"}, kExitDone},
      {{"list", "menu", "G"}, kExitDone},
      {{"settings"}, kExitDone},
      {{"set", "Width=1024"}, kExitDone},
      {{"set", "Nothing=1"}, kExitUsage},
      {{"save-script", "Mine"}, kExitDone},
      {{"save-script", "Mine"}, kExitFailed},
      {{"save-script", "Mine", "--overwrite"}, kExitDone},
      {{"list", "scripts"}, kExitDone},
      {{"run-script", "Mine.set"}, kExitDone},
      {{"load-package", "Europe 1942.set", "--post"}, kExitDone},
      {{"load-package", "No Such.set"}, kExitUsage},
      {{"list", "music"}, kExitDone},
      {{"music", "Quiet Skies"}, kExitDone},
      {{"music", "Nothing"}, kExitUsage},
      {{"conflicts", "T-Burma"}, kExitDone},
      {{"verify"}, kExitDone},  // the plane's install is recorded, no damage
      {{"keep-originals", "on"}, kExitDone},
      {{"keep-originals", "maybe"}, kExitUsage},
      {{"history", "0"}, kExitUsage},
      {{"history"}, kExitDone},
      {{"launch", "other.exe"}, kExitUsage},
      {{"reset"}, kExitDone},
      {{"del-msn"}, kExitDone},
      {{"fuel", "P51B", "50"}, kExitFailed},  // no flight model is loaded after the reset
      {{"list", "names"}, kExitDone},         // with the store on the reset sweeps no game file
  };
  for (const auto& [words, exit] : cases) {
    SCOPED_TRACE(words.front() + (words.size() > 1 ? " " + words[1] : ""));
    EXPECT_EQ(run(words), exit) << kvo_.err();
    EXPECT_EQ(kvo_.err().empty(), exit == kExitDone) << kvo_.err();
  }
}

}  // namespace
}  // namespace kvo::test
