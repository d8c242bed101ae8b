// What an unload may take out of the game folder, whatever the deployment record says, and
// how a loaded file is found again after the game or Wine changed the case of its name.
#include <gtest/gtest.h>

#include "engine/deployment.h"
#include "engine/engine_fixture.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {

namespace fs = std::filesystem;

class UnloadRulesTest : public EngineTest {
 protected:
  // Writes the file anew under another case of its name, as the game does when it saves it
  // (Wine keeps a file's old spelling on a rename that only changes case).
  void respell(std::string_view from, std::string_view to) {
    const auto bytes = readFile(game() / from);
    fs::remove(game() / from);
    writeFile(game() / to, bytes);
  }
  std::string verify() {
    selector_.reset();
    CliRunner kvo(game());
    kvo.run({"verify"});
    return kvo.out();
  }
};

// A save is the player's career: the folder that brought it leaves it on its unload, played
// on or not; a career folder still takes every save back into itself.
TEST_F(UnloadRulesTest, ASaveStaysOnTheUnloadOfTheFolderThatBroughtItButGoesWithACareer) {
  start();
  auto before = treeBesidesDeployment();
  click("s-Scenario1");
  EXPECT_EQ(readFile(game() / "Savedata" / "scenario1.sve"),
            modFile("s-Scenario1", "scenario1.sve"));
  click("s-Scenario1");
  before["Savedata/scenario1.sve"] = modFile("s-Scenario1", "scenario1.sve");
  EXPECT_EQ(treeBesidesDeployment(), before);
  click("s-Scenario1");
  writeFile(game() / "Savedata" / "scenario1.sve", "played on");
  click("s-Scenario1");
  before["Savedata/scenario1.sve"] = "played on";
  EXPECT_EQ(treeBesidesDeployment(), before);
  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
  click("C-Career42");
  click("C-Career42");
  EXPECT_EQ(readFile(mod("C-Career42") / "scenario1.sve"), "played on");
  EXPECT_FALSE(fs::exists(game() / "Savedata" / "scenario1.sve"));
}

// The game or Wine may write Terrain.TER back as terrain.ter: the unload, the copy that comes
// back from another provider and verify all find it; a name two files answer to is left alone.
TEST_F(UnloadRulesTest, ALoadedFileIsFoundWhateverItsCaseIsNow) {
  writeFile(mod("T-Normandy") / "Terrain.TER", "normandy terrain");
  start();
  const auto before = treeBesidesDeployment();
  click("T-Normandy");
  respell("Terrain.TER", "terrain.ter");
  EXPECT_EQ(verify(), "");
  start();
  click("G-Water");
  respell("shared.pal", "SHARED.PAL");
  click("G-Water");  // T-Normandy's copy comes back in the name the file has now
  auto withNormandy = tree();
  EXPECT_FALSE(withNormandy.contains("shared.pal"));
  EXPECT_EQ(withNormandy["SHARED.PAL"], modFile("T-Normandy", "shared.pal"));
  click("T-Normandy");
  EXPECT_EQ(treeBesidesDeployment(), before);
  EXPECT_TRUE(shell.messages.empty()) << shell.messages.front().text;
#ifndef _WIN32
  click("T-Normandy");
  writeFile(game() / "TERRAIN.TER", "the player's own twin");
  auto twins = tree();
  click("T-Normandy");
  expectOneMessageWith({"Terrain.TER", "letter case"});
  EXPECT_EQ(readFile(game() / "Terrain.TER"), "normandy terrain");
  EXPECT_EQ(readFile(game() / "TERRAIN.TER"), "the player's own twin");
#endif
}

// A record that names files the folder never held, the selector's own files, a kept
// original's place or a save: none of them goes, the lines are dropped, and the player hears
// of them in one message that does not grow with the record.
TEST_F(UnloadRulesTest, AnUnloadDeletesOnlyWhatItsFolderHoldsWhateverTheRecordSays) {
  std::string hostile;
  for (const auto* name : {"hof.dat", "KVO128\\kvo.ini", "eaw.ini", "KVO Originals\\eaw.ini",
                           "Savedata\\career9.sve", "Music\\theme.bgm"}) {
    hostile += std::string(name) + "\tgame\tT-Burma\r\n";
  }
  for (int i = 0; i < 500; ++i) {
    const auto name = "filler" + std::to_string(i) + ".dat";
    writeFile(game() / name, "the game's own");
    hostile += name + "\t-\tT-Burma\r\n";
  }
  writeFile(game() / "hof.dat", "hall of fame");
  writeFile(game() / "KVO Originals" / "eaw.ini", "kept");
  writeFile(game() / "Savedata" / "career9.sve", "a career");
  start();
  const auto before = treeBesidesDeployment();
  click("T-Burma");
  writeFile(selectorDir() / "FilesLoaded.txt",
            readFile(selectorDir() / "FilesLoaded.txt") + hostile);
  start();
  click("T-Burma");
  EXPECT_EQ(treeBesidesDeployment(), before);
  ASSERT_EQ(shell.messages.size(), 1u);
  const auto& text = shell.messages[0].text;
  EXPECT_NE(text.find("KVO128\\kvo.ini"), std::string::npos) << text;
  EXPECT_NE(text.find("more files FilesLoaded.txt names wrongly"), std::string::npos) << text;
  EXPECT_LT(text.size(), 5000u);
  EXPECT_EQ(readFile(selectorDir() / "FilesLoaded.txt").find("T-Burma"), std::string::npos);
}

// A name that holds what Windows forbids (a zip made on Windows unpacked here keeps
// "KVO128\kvo.ini" as one name): the folder is refused with the name, and nothing is written.
TEST_F(UnloadRulesTest, AModFileNamedAsWindowsForbidsIsRefusedWithItsName) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows cannot hold such a name in the first place";
#else
  writeFile(mod("T-Burma") / "KVO128\\kvo.ini", "not the selector's");
  writeFile(mod("G-Water") / "what?.pal", "odd");
  start();
  const auto before = exactTree(game());
  for (const auto* folder : {"T-Burma", "G-Water"}) {
    shell.messages.clear();
    click(folder);
    EXPECT_FALSE(marked(folder));
    ASSERT_EQ(shell.messages.size(), 1u) << folder;
    EXPECT_NE(shell.messages[0].text.find("Windows does not allow"), std::string::npos);
  }
  EXPECT_NE(shell.messages[0].text.find("\"what?.pal\""), std::string::npos);
  EXPECT_EQ(exactTree(game()), before);
#endif
}

// A file of the folder that is a hard link to a read-only file elsewhere: the load copies it
// and leaves the shared file's mark alone, saying so.
TEST_F(UnloadRulesTest, TheReadOnlyMarkStaysOnAFileSharedByAHardLink) {
  if (const char* why = whyNoLinks()) GTEST_SKIP() << why;
  writeSentinel();
  fs::create_hard_link(outside() / "sentinel", mod("G-Water") / "linked.bmp");
  start();
  click("G-Water");
  EXPECT_TRUE(marked("G-Water"));
  EXPECT_EQ(readFile(game() / "linked.bmp"), "not the game's");
  EXPECT_FALSE(ownerWritable(outside() / "sentinel"));
  expectOneMessageWith({"stay read-only", "linked.bmp"});
}

}  // namespace
}  // namespace kvo::test
