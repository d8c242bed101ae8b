#include <gtest/gtest.h>

#include "cli/cli.h"
#include "engine/clean_up.h"
#include "engine/deployment.h"
#include "engine/deployment_check.h"
#include "engine/keep_originals.h"
#include "planes/planes_fixture.h"
#include "support/child_process.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {

namespace fs = std::filesystem;

// The demo has T-Normandy and G-Water both shipping shared.pal, and X-German Speech bringing
// its own Chatline.txt over the game's.
class DeploymentTest : public EngineTest {
 protected:
  std::string shared() { return readFile(game() / "shared.pal"); }
  // Runs a command as another process would: the window's selector has to let go first.
  std::string run(const std::vector<std::string>& command, int expectedExit) {
    selector_.reset();
    CliRunner kvo(game());
    EXPECT_EQ(kvo.run(command), expectedExit) << command[0] << ": " << kvo.err();
    return kvo.out();
  }
};

TEST_F(DeploymentTest, UnloadingAFolderPutsBackWhatAnotherLoadedFolderProvides) {
  writeFile(mod("G-Haze") / "shared.pal", "haze palette");
  start();
  const auto before = treeBesidesDeployment();
  for (const auto* name : {"G-Water", "T-Normandy", "G-Haze"}) click(name);
  EXPECT_EQ(shared(), "haze palette");
  click("G-Haze");  // the most recently loaded other provider comes back
  EXPECT_EQ(shared(), modFile("T-Normandy", "shared.pal"));
  click("T-Burma");  // a swap puts back the other category's copy
  EXPECT_EQ(shared(), modFile("G-Water", "shared.pal"));
  click("T-Normandy");
  click("G-Haze");
  click("T-Burma");  // the folder unloaded is not the one in place: nothing of it changes
  EXPECT_EQ(shared(), "haze palette");
  click("G-Haze");  // nor is it a provider any more
  EXPECT_EQ(shared(), modFile("G-Water", "shared.pal"));
  EXPECT_EQ(run({"verify"}, kExitDone), "");
  start();
  click("T-Burma");
  click("G-Water");
  EXPECT_EQ(treeBesidesDeployment(), before);
  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
}

TEST_F(DeploymentTest, ALostOrOlderRecordIsRebuiltFromTheLoadedFolders) {
  for (const char* older :
       {static_cast<const char*>(nullptr), "an older record\r\nshared.pal\tT-Normandy\r\n"}) {
    SCOPED_TRACE(older ? "older" : "missing");
    start();
    click("T-Normandy");
    click("G-Water");
    selector_.reset();
    fs::remove(selectorDir() / "FilesLoaded.txt");
    if (older) writeFile(selectorDir() / "FilesLoaded.txt", older);
    const auto before = tree();
    start();
    EXPECT_EQ(tree(), before);  // start-up only reads
    click("G-Water");
    EXPECT_EQ(shared(), modFile("T-Normandy", "shared.pal"));
    click("T-Normandy");
    EXPECT_FALSE(fs::exists(game() / "shared.pal"));
  }
}

TEST_F(DeploymentTest, AReplacedGameFileComesBackOnUnloadAndResetAllOnlyWhenKept) {
  const auto original = readFile(game() / "Chatline.txt");
  EXPECT_EQ(run({"keep-originals"}, kExitDone), "off\n");
  start();
  click("X-German Speech");
  click("X-German Speech");
  // Chatline.txt is one of the player's own names of the clean-up list: an unload never
  // deletes it, so without a kept original the folder's copy stays.
  EXPECT_EQ(readFile(game() / "Chatline.txt"), modFile("X-German Speech", "Chatline.txt"));
  EXPECT_FALSE(fs::exists(game() / "KVO Originals"));
  writeFile(game() / "Chatline.txt", original);
  ASSERT_TRUE(told(setKeepOriginals(st(), sel().game, true)).ok());
  auto before = treeBesidesDeployment();
  before["KVO Originals/"] = "";  // the emptied folder stays for the next kept original
  click("X-German Speech");
  EXPECT_EQ(readFile(game() / "Chatline.txt"), modFile("X-German Speech", "Chatline.txt"));
  EXPECT_EQ(readFile(game() / "KVO Originals" / "Chatline.txt"), original);
  click("X-German Speech");
  EXPECT_EQ(treeBesidesDeployment(), before);
  click("X-German Speech");
  told(sel().reset.Command1_Click());
  EXPECT_EQ(readFile(game() / "Chatline.txt"), original);
  EXPECT_FALSE(fs::exists(game() / "KVO Originals" / "Chatline.txt"));
  EXPECT_EQ(run({"keep-originals"}, kExitDone), "on\n");  // remembered for the next start
}

// What a click changes is checked through the window; here only what the commands add.
TEST_F(DeploymentTest, ClickConflictsAndVerifyNameWhatTheyFoundAndExitByOutcome) {
  EXPECT_EQ(run({"click", "T-Normandy"}, kExitDone), "");
  EXPECT_EQ(run({"click", "T-Nowhere"}, kExitUsage), "");
  EXPECT_EQ(run({"conflicts", "G-Water"}, kExitDone), "shared.pal\tT-Normandy\n");
  EXPECT_EQ(run({"conflicts", "No Such Folder"}, kExitUsage), "");
  CliRunner kvo(game());
  fs::create_directory(game() / "burma.tpc");
  EXPECT_EQ(kvo.run({"click", "T-Burma"}), kExitFailed);
  EXPECT_NE(kvo.err().find("burma.tpc"), std::string::npos);
  start();
  // The hover tells from the click's own plan what it replaces, or why it cannot be made.
  const auto before = tree();
  sel().engine.previewRow(row("T-Burma"));
  EXPECT_TRUE(st().ConflictText.starts_with("It cannot be loaded: ")) << st().ConflictText;
  EXPECT_NE(st().ConflictText.find("burma.tpc"), std::string::npos);
  EXPECT_EQ(tree(), before);
  fs::remove(game() / "burma.tpc");
  sel().engine.previewRow(row("G-Water"));
  EXPECT_EQ(st().ConflictText, "Overwrites shared.pal.");
  sel().engine.previewRow(row("T-Burma"));
  EXPECT_EQ(st().ConflictText, "Replaces T-Normandy. Overwrites groundtex.bmp.");
  EXPECT_TRUE(marked("T-Normandy"));
  writeFile(game() / "shared.pal", "edited by hand");
  fs::remove(game() / "normandy.ter");
  EXPECT_EQ(run({"verify"}, kExitFailed),
            "normandy.ter\tT-Normandy\tmissing\nshared.pal\tT-Normandy\tchanged\n");
}

#ifndef _WIN32
TEST_F(DeploymentTest, WhileTheGameRunsFromThisFolderNoChangeOfItsFilesIsMade) {
  copyProgram(game() / "eaw.exe");
  start();
  click("G-Water");
  const auto before = tree();
  Child game_(game() / "eaw.exe", {"eaw.exe", "30"}, game());
  for (const auto* name : {"G-Water", "T-Normandy"}) {
    shell.messages.clear();
    click(name);
    ASSERT_EQ(shell.messages.size(), 1u) << name;
    EXPECT_TRUE(shell.messages[0].text.starts_with(kGameRunningText)) << shell.messages[0].text;
  }
  told(sel().reset.Command1_Click());
  EXPECT_EQ(tree(), before);
  EXPECT_TRUE(marked("G-Water"));
  EXPECT_FALSE(marked("T-Normandy"));
  EXPECT_TRUE(setKeepOriginals(st(), sel().game, true).ok());  // its own options still save
}
#endif

TEST(DeploymentRecordTest, ReadsItsOwnTextAndLeavesOutWhatLeadsOutOfTheGameFolder) {
  DeploymentRecord record;
  auto& entry = record.entry("Savedata\\career1.sve");
  entry.original = Original::Kept;
  entry.providers = {"C-Career42", "C Career43"};
  record.entry("shared.pal").providers = {"T-Normandy"};
  const auto text = record.text();
  const auto again = DeploymentRecord::parse(text);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->text(), text);
  ASSERT_TRUE(again->find("SAVEDATA\\Career1.SVE"));  // any letter case, as Windows
  EXPECT_EQ(again->find("savedata\\career1.sve")->providers.back(), "C Career43");
  const auto header = text.substr(0, text.find("\r\n") + 2);
  const auto hostile = DeploymentRecord::parse(
      header +
      "..\\outside.txt\t-\tT-A\r\nC:\\eaw.ini\tgame\tT-A\r\n/etc/passwd\t-\tT-A\r\n"
      "a\\..\\b\t-\tT-A\r\nok.pal\tnonsense\tT-A\r\ncut.pal\t-\r\nfine.pal\t-\t..\tT-A\r\n");
  ASSERT_TRUE(hostile);
  ASSERT_EQ(hostile->files().size(), 1u);
  EXPECT_EQ(hostile->files()[0].file, "fine.pal");
  EXPECT_EQ(hostile->files()[0].providers, std::vector<std::string>{"T-A"});
  EXPECT_FALSE(DeploymentRecord::parse("KVO files loaded, version 2\r\n"));
}

// The sweep's patterns come from the first line of cleanup.ini when there is one; an empty
// first line sweeps nothing, and subfolders are never swept.
TEST(CleanUpTest, BuiltInOrIniPatternsSpareProtectedNamesAndSubfolders) {
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {nullptr, {"planes.dat", "readme.txt", "p51.bmp", "Normandy.TER"}},
      {"*.ter\r\n*.txt\r\n", {"Normandy.TER"}},
      {"\r\n*.dat\r\n", {}}};
  for (const auto& [ini, swept] : cases) {
    SCOPED_TRACE(ini ? ini : "built-in");
    TempDir game;
    for (auto name : {"hof.dat", "Chatline.txt", "dsg.ico", "extra.spt", "planes.dat", "readme.txt",
                      "p51.bmp", "sky.bmp", "Normandy.TER", "Savedata/keep.txt"}) {
      writeFile(game / name, name);
    }
    fs::create_directories(game / "KVO128");
    if (ini) writeFile(game / "KVO128/cleanup.INI", ini);
    auto expected = snapshot(game.path());
    for (const auto* name : swept) expected.erase(name);
    EXPECT_TRUE(CleanUp(game.path(), game / "KVO128").empty());
    EXPECT_EQ(snapshot(game.path()), expected);
  }
}

using ResetAllTest = PlanesTest;

// Which names the sweep spares is tested with the clean-up; here that loads of every kind go
// and nothing else changes.
TEST_F(ResetAllTest, UnmarksEverythingSweepsTheGameAndRestoresTheSpareExeThenDelMsn) {
  start();
  auto expected = treeBesidesDeployment();
  for (const char* swept :
       {"planes.dat", "loadout.dat", "pnames.str", "picplna.mnu", "picplnb.mnu", "picplng.mnu"}) {
    expected.erase(swept);
  }
  // groundtex.bmp, which no pattern names, goes too: the record says a load put it there.
  expected["eaw.exe"] = readFile(selectorDir() / "eaw.exe");
  expected["KVO128/FoldersLoaded.txt"] = "";
  for (const auto* name : {"T-Normandy", "G-Water", "F-Alternative Planes"}) click(name);
  applySkin("Spit Mk IX Desert");
  told(sel().planes.ApplyPlaneRow(1));
  writeFile(game() / "eaw.exe", "patched");
  told(sel().reset.Command1_Click());
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(treeBesidesDeployment(), expected);
  for (int r = 1; r < st().Unigrid.rows(); ++r) {
    EXPECT_EQ(st().Unigrid.text(r, 2), "");
    EXPECT_NE(st().Unigrid.back(r, 1), kLoadedGreen);
  }
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(st().G1.rows(), 1);
  EXPECT_FALSE(st().Frame6Visible);
  EXPECT_EQ(shell.captions.back(), st().caption);
  told(sel().reset.delmsn_Click());
  told(sel().reset.delmsn_Click());
  EXPECT_TRUE(shell.messages.empty());
  expected.erase("Savedata/DefaultA.msn");
  expected.erase("Savedata/default7.MSN");
  EXPECT_EQ(treeBesidesDeployment(), expected);
  fs::remove(selectorDir() / "eaw.exe");  // without a spare the game's own is left alone
  writeFile(game() / "eaw.exe", "the player's own");
  told(sel().reset.Command1_Click());
  EXPECT_EQ(readFile(game() / "eaw.exe"), "the player's own");
}

// Reset All and Del MSN change nothing beside the game folder, whatever links point there.
TEST_F(ResetAllTest, LinksInTheGameFolderGoAndWhatTheyPointAtStays) {
  if (const char* why = whyNoLinks()) GTEST_SKIP() << why;
  writeSentinel();
  linkToSentinel(game() / "planes.dat");                 // swept
  linkToSentinel(game() / "eaw.exe");                    // the spare goes over it
  linkToSentinel(game() / "psp09.tpc");                  // a skin's file
  linkToSentinel(game() / "Savedata" / "DefaultB.msn");  // Del MSN's
  const auto before = exactTree(outside());
  start();
  applySkin("Spit Mk IX Desert");
  linkToSentinel(game() / "psp09.tpc");
  told(sel().reset.Command1_Click());
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "planes.dat")));
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "psp09.tpc")));
  EXPECT_EQ(readFile(game() / "eaw.exe"), readFile(selectorDir() / "eaw.exe"));
  told(sel().reset.delmsn_Click());
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_FALSE(fs::exists(fs::symlink_status(game() / "Savedata" / "DefaultB.msn")));
  EXPECT_TRUE(exactTree(outside()) == before);
}

// A reset that cannot start keeps every mark and file; files that cannot be deleted are
// reported, and the reset or Del MSN goes on without them.
TEST_F(ResetAllTest, AResetThatCannotStartChangesNothingAndOneThatCannotDeleteGoesOn) {
  start();
  click("T-Normandy");
  applySkin("Spit Mk IX Desert");
  const auto recordBefore = record();
  writeFile(selectorDir() / "Unfinished change.kvo", "pending");
  const auto before = exactTree(game());
  told(sel().reset.Command1_Click());
  told(sel().reset.delmsn_Click());
  EXPECT_TRUE(exactTree(game()) == before);
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_TRUE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(record(), recordBefore);
  EXPECT_EQ(st().Label8, recordBefore.substr(0, recordBefore.size() - 2));
  ASSERT_EQ(shell.messages.size(), 2U);
  EXPECT_EQ(shell.captions.back(), st().caption);
  if (whyModesCannotFail()) return;
  fs::remove(selectorDir() / "Unfinished change.kvo");
  shell.messages.clear();
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::remove);
  told(sel().reset.Command1_Click());
  fs::permissions(game(), fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"Reset All could not do everything:", "psp09.tpc", "planes.dat"});
  EXPECT_FALSE(skinLoaded("Spit Mk IX Desert"));
  EXPECT_EQ(record(), "");
  shell.messages.clear();
  fs::permissions(game() / "Savedata", fs::perms::owner_write, fs::perm_options::remove);
  told(sel().reset.delmsn_Click());
  fs::permissions(game() / "Savedata", fs::perms::owner_write, fs::perm_options::add);
  expectOneMessageWith({"DefaultA.msn", "default7.MSN"});
}

}  // namespace
}  // namespace kvo::test
