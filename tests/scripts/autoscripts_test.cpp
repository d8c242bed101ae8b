#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scripts/script_files.h"
#include "scripts/set_entries.h"
#include "scripts_fixture.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using Names = std::vector<std::string>;

class AutoscriptsTest : public ScriptsTest {
 protected:
  void save(const std::string& name) {
    st().Text1 = name;
    sel().scripts.SaveAutoscript();
  }
};

TEST_F(AutoscriptsTest, SavingRightAfterLoadingWritesTheRecordAndReplayingWritesNothing) {
  start();
  click("T-Normandy");
  click("G-Water");
  save("Mine");
  EXPECT_FALSE(st().SetWarnVisible);
  EXPECT_EQ(readFile(scripts() / "Mine.set"), record());
  EXPECT_NE(std::find(st().GUPC.items.begin(), st().GUPC.items.end(), "Mine.set"),
            st().GUPC.items.end());
  const auto before = snapshot(game());
  const int writes = sel().core.record.writes();
  runScript("Mine.set");
  EXPECT_EQ(st().List2.items, (Names{"T-Normandy", "G-Water", ""}));
  EXPECT_EQ(snapshot(game()), before);
  // The record already says what the replay selects, so nothing is written at all.
  EXPECT_EQ(sel().core.record.writes(), writes);
  EXPECT_TRUE(shell.messages.empty());
  // Nor by a script that lists nothing.
  writeScript("Empty.set", "");
  runScript("Empty.set");
  EXPECT_TRUE(st().List2.items.empty());
  EXPECT_EQ(sel().core.record.writes(), writes);
}

TEST_F(AutoscriptsTest, AnExistingNameInOtherCaseAsksAndOnlyOverwriteReplacesIt) {
  start();
  const auto original = readFile(scripts() / "Normandy Invasion.set");
  st().Text2 = "G-Water\r\n";
  save("NORMANDY invasion");
  EXPECT_TRUE(st().SetWarnVisible);
  sel().scripts.OverwritePrompt(1);
  EXPECT_FALSE(st().SetWarnVisible);
  EXPECT_EQ(readFile(scripts() / "Normandy Invasion.set"), original);
  save("NORMANDY invasion");
  ASSERT_TRUE(st().SetWarnVisible);
  st().Text2 = "H-Blue Sky\r\n";
  sel().scripts.OverwritePrompt(0);
  EXPECT_FALSE(st().SetWarnVisible);
  // Replaced under its own spelling, not doubled in the typed one.
  EXPECT_EQ(readFile(scripts() / "Normandy Invasion.set"), "H-Blue Sky\r\n\r\n");
  EXPECT_FALSE(holdsEntrySpelled(scripts(), "NORMANDY invasion.set"));
  EXPECT_EQ(st().File10.items,
            (Names{"Desert Campaign.set", "Europe 1942.set", "Normandy Invasion.set"}));
}

TEST_F(AutoscriptsTest, TheExtensionIsAlwaysAddedAndNamesThatWouldWriteElsewhereAreRefused) {
  start();
  st().Text2 = "first, \"second\"\r\nthird";
  save("Mine.set");
  save("");
  EXPECT_EQ(readFile(scripts() / "Mine.set.set"), "first, \"second\"\r\nthird\r\n");
  EXPECT_EQ(readFile(scripts() / ".set"), "first, \"second\"\r\nthird\r\n");
  runScript(".set");
  EXPECT_EQ(st().List2.items, (Names{"first", "second", "third"}));
  const auto before = snapshot(temp_.path());
  for (const char* name : {"../../outside", "sub/inner", "..\\up", "CON", "lpt1", "what?"}) {
    shell.messages.clear();
    save(name);
    expectOneMessageWith({std::string(name) + ".set"});
    EXPECT_FALSE(st().SetWarnVisible);
  }
  EXPECT_EQ(snapshot(temp_.path()), before);
}

TEST_F(AutoscriptsTest, ScriptsThatCannotBeWrittenOrReadAreReported) {
  start();
  fs::remove_all(scripts());
  save("Mine");
  ASSERT_EQ(shell.messages.size(), 1U);
  EXPECT_EQ(shell.messages[0].icon, Icon::Critical);
  EXPECT_NE(shell.messages[0].text.find("Mine.set"), std::string::npos);
  EXPECT_FALSE(fs::exists(scripts()));
  shell.messages.clear();
  st().File10.items = {"Gone.set"};
  st().File10.index = 0;
  st().List2.items = {"stale"};
  sel().scripts.PreviewAutoscript();
  EXPECT_TRUE(st().List2.items.empty());
  expectOneMessageWith({"Could not read"});
}

// The link itself is replaced by the script; what it pointed to stays as it was.
TEST_F(AutoscriptsTest, AScriptThatIsALinkIsNotWrittenThrough) {
  const auto outside = temp_.path() / "outside.txt";
  writeFile(outside, "keep me");
  std::error_code ec;
  fs::create_symlink(outside, scripts() / "Link.set", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  start();
  save("Link");
  ASSERT_TRUE(st().SetWarnVisible);
  sel().scripts.OverwritePrompt(0);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(fs::is_symlink(scripts() / "Link.set"));
  EXPECT_EQ(readFile(scripts() / "Link.set"), record());
  EXPECT_EQ(readFile(outside), "keep me");
}

TEST_F(AutoscriptsTest, EntriesMatchByFolderNameWithTheCategoryLetterInItsCase) {
  writeScript("Paths.set",
              "C:\\Games\\EAW\\KVO128\\t-Normandy\r\n/home/ren/eaw/KVO128/G-WATER\r\n"
              "T-BURMA, H-blue sky\r\nNo Such Folder\r\n");
  start();
  runScript("Paths.set");
  EXPECT_EQ(st().List2.items,
            (Names{"t-Normandy", "G-WATER", "T-BURMA", "H-blue sky", "No Such Folder"}));
  EXPECT_FALSE(marked("T-Normandy"));
  for (const char* name : {"G-Water", "T-Burma", "H-Blue Sky"}) EXPECT_TRUE(marked(name));
  EXPECT_EQ(record(), "H-Blue Sky\r\nT-Burma\r\nG-Water\r\n\r\n");
  EXPECT_TRUE(shell.messages.empty());
}

// Names apply in their order: a plane listed before its flight-model folder stays out,
// one listed after it is installed and painted as a click would.
TEST_F(AutoscriptsTest, ReplayAppliesFoldersSkinsAndPlanesInTheOrderListed) {
  writeScript("Mixed.set",
              "P-Bf 109G-10\r\nF-Alternative Planes\r\nMustang Invasion\r\nP-Mustang III\r\n");
  start();
  ASSERT_FALSE(st().Frame6Visible);
  runScript("Mixed.set");
  EXPECT_TRUE(marked("F-Alternative Planes"));
  EXPECT_TRUE(st().Frame6Visible);
  EXPECT_TRUE(skinLoaded("Mustang Invasion"));
  EXPECT_FALSE(installed("P-Bf 109G-10"));
  EXPECT_TRUE(installed("P-Mustang III"));
  EXPECT_EQ(st().G1.back(planeRow("P-Mustang III"), 3), kLoadedGreen);
  EXPECT_EQ(record(), "F-Alternative Planes\r\nMustang Invasion\r\nP-Mustang III\r\n\r\n");
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AutoscriptsTest, AFailedFolderLoadStopsTheReplayAndKeepsWhatCameBefore) {
  writeScript("Three.set", "G-Water\r\nT-Normandy\r\nH-Blue Sky\r\n");
  start();
  fs::remove_all(selectorDir() / "T-Normandy");
  runScript("Three.set");
  expectOneMessageWith({"T-Normandy"});
  EXPECT_TRUE(marked("G-Water"));
  EXPECT_FALSE(marked("H-Blue Sky"));
  EXPECT_FALSE(fs::exists(game() / "sky01.tpc"));
  EXPECT_EQ(record(), "G-Water\r\n\r\n");
}

// Line ends and commas separate, empty entries stay, quotes hold commas up to their line's
// end, and blanks before an entry are skipped.
TEST(SetEntriesTest, EntriesAreSplitAsTheScriptsWereWritten) {
  const std::pair<const char*, Names> cases[] = {
      {"T-Normandy\r\nG-Water\r\n\r\n", {"T-Normandy", "G-Water", ""}},
      {"T-Normandy,G-Water\nS-Desert", {"T-Normandy", "G-Water", "S-Desert"}},
      {"a,\rb,,c", {"a", "", "b", "", "c"}},
      {"", {}},
      {"  \"Speedy, the set\" , T Desert\r\n\t  G-Water  \r\n",
       {"Speedy, the set", "T Desert", "G-Water  "}},
      {"\"open, still\nnext", {"open, still", "next"}},
      {"\"\",x", {"", "x"}},
  };
  for (const auto& [text, entries] : cases) EXPECT_EQ(readSetEntries(text), entries) << text;
}

TEST(SetEntriesTest, NamesFollowTheLastSeparatorAndKeysKeepTheCategoryLetter) {
  EXPECT_EQ(entryName("C:\\Games\\EAW\\KVO128\\T-Normandy"), "T-Normandy");
  EXPECT_EQ(entryName("D:\\mods/mixed\\G-Water"), "G-Water");
  EXPECT_EQ(entryName("ends in\\"), "");
  EXPECT_EQ(entryKey("T-normandy"), entryKey("T-NORMANDY"));
  EXPECT_NE(entryKey("t-Normandy"), entryKey("T-Normandy"));
  EXPECT_EQ(entryKey(""), "");
}

TEST(ScriptNameTest, NamesThatWouldLeaveTheFolderOrTripWindowsAreRefused) {
  for (const char* name : {"Normandy.set", ".set", "Normandy.set.set", "with space.set",
                           "con-test.set", "COM10.set", "Nul2.set"}) {
    EXPECT_EQ(scriptNameProblem(name), "") << name;
  }
  for (const char* name :
       {"../escape.set", "sub/dir.set", "back\\slash.set", "dots..set", "what?.set", "a:b.set",
        "pipe|.set", "star*.set", "<x>.set", "quote\".set", "tab\t.set", "CON.set", "con.set",
        "Prn.txt.set", "aux .set", "NUL.set", "com1.set", "LPT9.set", "CONOUT$.set"}) {
    EXPECT_NE(scriptNameProblem(name), "") << name;
  }
}

class ScriptCommandsTest : public ScriptsTest {
 protected:
  CliRunner kvo{game()};
};

// Saving, replaying and loading are tested through the window; here what the commands add.
TEST_F(ScriptCommandsTest, SaveAsksForOverwriteRunReplaysAndLoadPackageResetsAndPosts) {
  ASSERT_EQ(kvo.run({"click", "T-Burma"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"save-script", "Burma"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"click", "G-Water"}), 0) << kvo.err();
  EXPECT_EQ(kvo.run({"save-script", "BURMA"}), 1);
  EXPECT_EQ(kvo.err(), "There is already an autoscript with this name\n");
  EXPECT_EQ(readFile(scripts() / "Burma.set"), "T-Burma\r\n\r\n");
  EXPECT_EQ(kvo.run({"save-script", "BURMA", "--overwrite"}), 0) << kvo.err();
  EXPECT_EQ(kvo.run({"save-script", "../Burma"}), 1);
  EXPECT_EQ(kvo.run({"save-script", "Burma", "--force"}), 2);
  ASSERT_EQ(kvo.run({"reset"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"run-script", "burma.set"}), 0) << kvo.err();
  EXPECT_EQ(record(), "T-Burma\r\nG-Water\r\n\r\n");
  EXPECT_EQ(kvo.run({"run-script", "Nothing.set"}), 2);
  ASSERT_EQ(kvo.run({"list", "scripts"}), 0);
  EXPECT_EQ(kvo.out(), "Burma.set\nDesert Campaign.set\nEurope 1942.set\nNormandy Invasion.set\n");
  // Reset All sweeps pnames.str by its patterns, so the package's plane cannot be installed:
  // that is said, and the rest of the package stays loaded.
  EXPECT_EQ(kvo.run({"load-package", "Desert Campaign.set", "--reset", "--post"}), 1);
  EXPECT_NE(kvo.err().find("pnames.str"), std::string::npos);
  EXPECT_EQ(kvo.out(), "Desert Campaign.set\n");
  EXPECT_EQ(record(), "F-Alternative Planes\r\nT Desert\r\nSpit Mk IX Desert\r\n\r\n");
  EXPECT_EQ(kvo.run({"load-package", "Normandy Invasion.set"}), 0) << kvo.err();
  EXPECT_EQ(kvo.out(), "");
  EXPECT_EQ(kvo.run({"load-package", "No Such.set"}), 2);
  EXPECT_EQ(kvo.run({"load-package", "Desert Campaign.set", "--later"}), 2);
}

}  // namespace
}  // namespace kvo::test
