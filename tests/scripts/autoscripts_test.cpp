#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "planes/planes_fixture.h"
#include "scripts/script_files.h"
#include "scripts/set_entries.h"
#include "support/cli_runner.h"
#include "transaction/transaction_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using Names = std::vector<std::string>;

// The demo selector with helpers for its Autoscripts folder.
class ScriptsTest : public PlanesTest {
 protected:
  fs::path scripts() const { return selectorDir() / "Autoscripts"; }
  void writeScript(std::string_view name, std::string_view bytes) {
    writeFile(scripts() / name, bytes);
  }
  // Selects `name` in a file list the way a click does; fails the test when it is not listed.
  static void select(ListBox& list, const std::string& name) {
    list.index = itemIndex(list, name);
    ASSERT_GE(list.index, 0) << name;
  }
  // Types `name` and presses "Save Autoscript", or with `overwrite` "Overwrite" of the prompt.
  Outcome save(const std::string& name, bool overwrite = false) {
    return told(overwrite ? sel().scripts.OverwritePrompt(0, name, st().Text2)
                          : sel().scripts.SaveAutoscript(name, st().Text2, false));
  }
  // Picks the script in File10, previews it and presses "OK load it!".
  Outcome runScript(const std::string& name) {
    sel().scripts.refreshScriptLists();
    select(st().File10, name);
    told(sel().scripts.PreviewAutoscript(name));
    return told(sel().scripts.RunAutoscript(st().List2.items));
  }
};

using AutoscriptsTest = ScriptsTest;

TEST_F(AutoscriptsTest, SavingRightAfterLoadingWritesTheRecordAndReplayingWritesNothing) {
  start();
  click("T-Normandy");
  click("G-Water");
  save("Mine");
  EXPECT_EQ(readFile(scripts() / "Mine.set"), record());
  EXPECT_GE(itemIndex(st().GUPC, "Mine.set"), 0);
  writeScript("Empty.set", "");
  const auto before = snapshot(game());
  const int writes = sel().record.writes();
  runScript("Mine.set");
  EXPECT_EQ(st().List2.items, (Names{"T-Normandy", "G-Water", ""}));
  runScript("Empty.set");
  EXPECT_TRUE(st().List2.items.empty());
  // The record already says what the replays select, so nothing is written at all.
  EXPECT_EQ(snapshot(game()), before);
  EXPECT_EQ(sel().record.writes(), writes);
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AutoscriptsTest, AnExistingNameInOtherCaseAsksAndIsReplacedUnderItsOwnSpelling) {
  start();
  save("NORMANDY invasion");
  ASSERT_TRUE(st().SetWarnVisible);
  st().Text2 = "H-Blue Sky\r\n";
  save("NORMANDY invasion", true);
  // Replaced under its own spelling, not doubled in the typed one.
  EXPECT_EQ(readFile(scripts() / "Normandy Invasion.set"), "H-Blue Sky\r\n\r\n");
  EXPECT_FALSE(holdsEntrySpelled(scripts(), "NORMANDY invasion.set"));
}

TEST_F(AutoscriptsTest, TheExtensionIsAlwaysAddedAndNamesThatWouldWriteElsewhereAreRefused) {
  start();
  st().Text2 = "first, \"second\"\r\nthird";
  save("Mine.set");
  EXPECT_EQ(readFile(scripts() / "Mine.set.set"), "first, \"second\"\r\nthird\r\n");
  runScript("Mine.set.set");
  EXPECT_EQ(st().List2.items, (Names{"first", "second", "third"}));
  // Which names are refused is tested with the check itself; here that nothing is written,
  // also for an empty name, which would make a hidden ".set".
  const auto before = snapshot(temp_.path());
  for (const std::string name : {"../../outside", ""}) {
    shell.messages.clear();
    save(name);
    expectOneMessageWith({"\"" + name + ".set\""});
    EXPECT_FALSE(st().SetWarnVisible);
    EXPECT_EQ(snapshot(temp_.path()), before);
  }
}

TEST_F(AutoscriptsTest, ScriptsThatCannotBeWrittenOrReadAreReported) {
  start();
  fs::remove_all(scripts());
  save("Mine");
  expectOneMessageWith({"Mine.set"});
  EXPECT_EQ(shell.messages[0].icon, Icon::Critical);
  EXPECT_FALSE(fs::exists(scripts()));
  shell.messages.clear();
  st().List2.items = {"stale"};
  told(sel().scripts.PreviewAutoscript("Gone.set"));
  EXPECT_TRUE(st().List2.items.empty());
  expectOneMessageWith({"Could not read"});
}

// The link itself is replaced by the script; what it pointed to stays as it was.
TEST_F(AutoscriptsTest, AScriptThatIsALinkIsNotWrittenThrough) {
  if (const char* why = whyNoLinks()) GTEST_SKIP() << why;
  writeSentinel();
  linkToSentinel(scripts() / "Link.set");
  start();
  save("Link");
  ASSERT_TRUE(st().SetWarnVisible);
  save("Link", true);
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(fs::is_symlink(scripts() / "Link.set"));
  EXPECT_EQ(readFile(scripts() / "Link.set"), record());
  EXPECT_EQ(readFile(outside() / "sentinel"), "not the game's");
}

TEST_F(AutoscriptsTest, EntriesMatchByFolderNameWithTheCategoryLetterInItsCase) {
  writeScript("Paths.set",
              "C:\\Games\\EAW\\KVO128\\t-Normandy\r\n/home/ren/eaw/KVO128/G-WATER\r\n"
              "T-BURMA, H-blue sky\r\nNo Such Folder\r\n");
  start();
  runScript("Paths.set");
  EXPECT_EQ(st().List2.items,
            (Names{"t-Normandy", "G-WATER", "T-BURMA", "H-blue sky", "No Such Folder"}));
  EXPECT_EQ(record(), "H-Blue Sky\r\nT-Burma\r\nG-Water\r\n\r\n");
  EXPECT_TRUE(shell.messages.empty());
}

// Names apply in their order: a plane listed before its flight-model folder stays out,
// one listed after it is installed and painted as a click would. The record follows the marks.
TEST_F(AutoscriptsTest, ReplayAppliesFoldersSkinsAndPlanesInTheOrderListed) {
  writeScript("Mixed.set",
              "P-Bf 109G-10\r\nF-Alternative Planes\r\nMustang Invasion\r\nP-Mustang III\r\n");
  const auto stock = readFile(game() / "planes.dat");
  const auto brought = readFile(fm() / "planes.dat");
  ASSERT_NE(stock.substr(216 * 17, 216), brought.substr(216 * 17, 216));
  start();
  ASSERT_FALSE(st().Frame6Visible);
  runScript("Mixed.set");
  EXPECT_EQ(st().G1.back(planeRow("P-Mustang III"), 3), kLoadedGreen);
  EXPECT_EQ(record(), "F-Alternative Planes\r\nMustang Invasion\r\nP-Mustang III\r\n\r\n");
  // One change: the plane's record went into the planes.dat the flight model brings with it.
  const auto planes = readFile(game() / "planes.dat");
  EXPECT_EQ(planes.substr(216 * 17, 216), brought.substr(216 * 17, 216));
  EXPECT_NE(planes.substr(216 * 4, 216), brought.substr(216 * 4, 216));
  EXPECT_TRUE(shell.messages.empty());
}

// A set is one change: a folder that cannot be loaded halfway through leaves every byte, mark
// and the record as they were, the swap at its start included, and the message names it.
TEST_F(AutoscriptsTest, ASetWhoseSixthFolderCannotLoadChangesNothingAndNamesIt) {
  std::string set = "T-Normandy\r\n";
  for (int i = 2; i <= 10; ++i) {
    const auto name = "G-Set" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    for (int f = 1; f <= 3; ++f) {
      writeFile(mod(name) / ("set" + std::to_string(i) + "-" + std::to_string(f) + ".tpc"), name);
    }
    set += name + "\r\n";
  }
  writeScript("Ten.set", set);
  start();
  click("T-Burma");
  fs::create_directory(game() / "set6-2.tpc");  // in the way of the sixth folder's copy
  const auto before = exactTree(game());
  const auto recorded = record();
  EXPECT_FALSE(runScript("Ten.set").ok());
  EXPECT_TRUE(exactTree(game()) == before);
  EXPECT_EQ(record(), recorded);
  EXPECT_TRUE(marked("T-Burma"));
  EXPECT_FALSE(marked("T-Normandy") || marked("G-Set02") || marked("G-Set06"));
  expectOneMessageWith({"set6-2.tpc", "The entry G-Set06 failed", "nothing of this set"});
  fs::remove(game() / "set6-2.tpc");
  EXPECT_TRUE(runScript("Ten.set").ok());
  EXPECT_TRUE(marked("T-Normandy") && marked("G-Set10") && !marked("T-Burma"));
  EXPECT_EQ(readFile(game() / "set6-2.tpc"), "G-Set06");
}

// Quotes hold commas to their line's end; empty entries stay, blanks before an entry go.
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

TEST(ScriptNameTest, NamesThatWouldLeaveTheFolderOrTripWindowsAreRefused) {
  for (const char* name : {"Normandy.set", "Normandy.set.set", "with space.set", "con-test.set",
                           "COM10.set", "Nul2.set"}) {
    EXPECT_EQ(scriptNameProblem(name), "") << name;
  }
  for (const char* name :
       {".set",        ".hidden.set", "../escape.set", "sub/dir.set", "back\\slash.set",
        "dots..set",   "what?.set",   "a:b.set",       "pipe|.set",   "star*.set",
        "<x>.set",     "quote\".set", "tab\t.set",     "CON.set",     "con.set",
        "Prn.txt.set", "aux .set",    "NUL.set",       "com1.set",    "LPT9.set",
        "CONOUT$.set"}) {
    EXPECT_NE(scriptNameProblem(name), "") << name;
  }
}

using ScriptCommandsTest = ScriptsTest;

// Saving, replaying and loading are tested through the window; here what the commands add.
TEST_F(ScriptCommandsTest, SaveAsksForOverwriteRunReplaysAndLoadPackageResetsAndPosts) {
  CliRunner kvo(game());
  ASSERT_EQ(kvo.run({"click", "T-Burma"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"save-script", "Burma"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"click", "G-Water"}), 0) << kvo.err();
  EXPECT_EQ(kvo.run({"save-script", "BURMA"}), 1);
  EXPECT_EQ(kvo.err(), "There is already an autoscript with this name\n");
  EXPECT_EQ(kvo.run({"save-script", "BURMA", "--overwrite"}), 0) << kvo.err();
  EXPECT_EQ(kvo.run({"save-script", "Burma", "--force"}), 2);
  ASSERT_EQ(kvo.run({"reset"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"run-script", "burma.set"}), 0) << kvo.err();
  EXPECT_EQ(record(), "T-Burma\r\nG-Water\r\n\r\n");
  EXPECT_EQ(kvo.run({"run-script", "Nothing.set"}), 2);
  ASSERT_EQ(kvo.run({"list", "scripts"}), 0);
  EXPECT_EQ(kvo.out(), "Burma.set\nDesert Campaign.set\nEurope 1942.set\nNormandy Invasion.set\n");
  // Reset All sweeps pnames.str by its patterns, so the package's plane cannot be installed:
  // that is said, and the reset and the package are one change that is not made.
  const auto before = snapshot(game());
  EXPECT_EQ(kvo.run({"load-package", "Desert Campaign.set", "--reset", "--post"}), 1);
  EXPECT_NE(kvo.err().find("pnames.str"), std::string::npos);
  EXPECT_EQ(kvo.out(), "");
  EXPECT_EQ(snapshot(game()), before);
  EXPECT_EQ(record(), "T-Burma\r\nG-Water\r\n\r\n");
  EXPECT_EQ(kvo.run({"load-package", "Normandy Invasion.set", "--post"}), 0) << kvo.err();
  EXPECT_EQ(kvo.out(), "Normandy Invasion.set\n");
  EXPECT_EQ(kvo.run({"load-package", "Normandy Invasion.set"}), 0) << kvo.err();
  EXPECT_EQ(kvo.out(), "");
  EXPECT_EQ(kvo.run({"load-package", "No Such.set"}), 2);
  EXPECT_EQ(kvo.run({"load-package", "Desert Campaign.set", "--later"}), 2);
}

class PackagesTest : public ScriptsTest {
 protected:
  void SetUp() override {
    ScriptsTest::SetUp();
    writeFile(selectorDir() / "S-Desert" / "desert.tpc", "sand");
    writeScript("Speedy.set", "Speedy set\r\n*****\r\nT-Normandy\r\nS-Desert\r\n");
  }
  void preview(const std::string& name) {
    select(st().GUPC, name);
    told(sel().packages.GUPC_Click(name));
  }
  Outcome load(bool reset = false, bool post = false) {
    return told(sel().packages.LoadPackage(st().GUPC.selectedText(), reset, post));
  }
};

TEST_F(PackagesTest, ThePackageExampleLoadsAllButTheFirstEntryAndPreviewsEach) {
  start();
  preview("Speedy.set");
  EXPECT_EQ(st().List9.items, (Names{"Speedy set", "*****", "T-Normandy", "S-Desert"}));
  const int writes = sel().record.writes();
  load();
  EXPECT_EQ(record(), "T-Normandy\r\nS-Desert\r\n\r\n");
  // One change for the whole package, which writes the record with its files.
  EXPECT_EQ(sel().record.writes(), writes + 1);
  sel().packages.List9_Click(st().List9.items[2]);
  EXPECT_EQ(st().Image4, mod("T-Normandy") / "groundtex.bmp");
  sel().packages.List9_Click(st().List9.items[1]);  // "*****" names no folder: only the text goes
  EXPECT_EQ(st().Label51, "");
  EXPECT_EQ(st().Image4, mod("T-Normandy") / "groundtex.bmp");
  sel().packages.List9_Click(st().List9.items[3]);
  EXPECT_EQ(st().Image4, fs::path());
  EXPECT_EQ(st().Label51, "");
}

TEST_F(PackagesTest, ThePictureComesFromTheFirstScreenSetMissionOrCareerFolder) {
  writeScript("Europe.set", "Europe\r\n*****\r\nT-Normandy\r\nW-Europe1942\r\nC-Career42\r\n");
  writeScript("Career.set", "x:\\KVO128\\C-Career42\r\nW-Europe1942\r\n");
  writeScript("Screens.set", "-\r\nB-Autumn Screens\r\n");
  writeScript("Bare.set", "-\r\nT-Normandy\r\nC Career43\r\n");
  start();
  preview("Europe.set");
  EXPECT_EQ(st().Image4, mod("W-Europe1942") / "mypic");
  preview("Career.set");
  EXPECT_EQ(st().Image4, mod("C-Career42") / "mypic");
  // ".pic" is one file of that very name: mainscr.pic does not count, mypic does.
  preview("Screens.set");
  EXPECT_EQ(st().Image4, mod("B-Autumn Screens") / "mypic");
  writeFile(mod("B-Autumn Screens") / ".pic", "p");
  preview("Screens.set");
  EXPECT_EQ(st().Image4, mod("B-Autumn Screens") / ".pic");
  preview("Bare.set");
  EXPECT_EQ(st().Image4, game() / "newpic");
  fs::remove(game() / "newpic");
  preview("Bare.set");
  EXPECT_EQ(st().Image4, fs::path());
}

// The one posting does not pick its own name up; any other name is matched exactly.
TEST_F(PackagesTest, CheckOneResetsFirstCheckTwoPostsTheNameAndAPostedNameIsLoaded) {
  start();
  click("G-Trees");
  preview("Speedy.set");
  load(true, true);
  EXPECT_EQ(shell.clipboard, "Speedy.set");
  EXPECT_EQ(record(), "T-Normandy\r\nS-Desert\r\n\r\n");
  const auto caption = st().Label29;
  told(sel().packages.Label29_MouseMove(false, true));
  EXPECT_EQ(shell.clipboard, "Speedy.set");
  EXPECT_EQ(st().Label29, caption);
  told(sel().reset.Command1_Click());
  select(st().GUPC, "Normandy Invasion.set");
  shell.clipboard = "Speedy.set";
  told(sel().packages.Label29_MouseMove(false, false));
  EXPECT_EQ(st().GUPC.selectedText(), "Speedy.set");
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_EQ(shell.clipboard, "");
  // Text that names no package is the player's own and stays on the clipboard.
  for (const std::string own : {"speedy.set", "Speedy.set ", "Notes:\r\nSpeedy.set\r\n", ""}) {
    shell.clipboard = own;
    const auto before = snapshot(game());
    told(sel().packages.Label29_MouseMove(false, false));
    EXPECT_EQ(st().Label29, st().AutoLoadCaption);
    EXPECT_EQ(shell.clipboard, own);
    EXPECT_EQ(snapshot(game()), before);
  }
}

// A script or package changed after its preview is read again by the run: the file as it is
// then is what loads, and the lists show it.
TEST_F(PackagesTest, ARunReplaysWhatTheFileHoldsAtThatMoment) {
  start();
  sel().scripts.refreshScriptLists();
  select(st().File10, "Speedy.set");
  told(sel().scripts.PreviewAutoscript("Speedy.set"));
  writeScript("Speedy.set", "G-Water\r\n");
  told(sel().scripts.RunAutoscriptFile(st().File10.selectedText()));
  EXPECT_EQ(st().List2.items, (Names{"G-Water"}));
  EXPECT_TRUE(marked("G-Water"));
  EXPECT_FALSE(marked("T-Normandy"));

  preview("Speedy.set");
  writeScript("Speedy.set", "Speedy set\r\nT-Burma\r\n");
  load();
  EXPECT_TRUE(marked("T-Burma"));
  EXPECT_FALSE(marked("T-Normandy"));
  EXPECT_FALSE(marked("S-Desert"));
  preview("Speedy.set");
  EXPECT_EQ(st().List9.items, (Names{"Speedy set", "T-Burma"}));
  EXPECT_TRUE(shell.messages.empty());
}

// The first entry is the caption even where it names a folder. The record is written from the
// marks, so a hand edit does not survive a package load.
TEST_F(PackagesTest, APackageThatLoadsNothingStillRewritesTheRecord) {
  writeScript("Nothing.set", "T-Normandy\r\nNo Such Folder\r\n");
  start();
  click("T-Burma");
  preview("Nothing.set");
  writeFile(selectorDir() / "FoldersLoaded.txt", "edited by hand\r\n");
  load();
  EXPECT_EQ(record(), "T-Burma\r\n\r\n");
  EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
}  // namespace kvo::test
