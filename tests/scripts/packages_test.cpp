#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scripts_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using Names = std::vector<std::string>;

class PackagesTest : public ScriptsTest {
 protected:
  void SetUp() override {
    ScriptsTest::SetUp();
    writeFile(selectorDir() / "S-Desert" / "desert.tpc", "sand");
    writeScript("Speedy.set", "Speedy set\r\n*****\r\nT-Normandy\r\nS-Desert\r\n");
  }
  void preview(const std::string& name) {
    select(st().GUPC, name);
    sel().packages.GUPC_Click();
  }
  fs::path mod(const std::string& folder, const std::string& file) const {
    return selectorDir() / folder / file;
  }
};

TEST_F(PackagesTest, ThePackageExampleLoadsAllButTheFirstEntryAndPreviewsEach) {
  start();
  preview("Speedy.set");
  EXPECT_EQ(st().Label51, "Speedy set\r\n");
  EXPECT_EQ(st().List9.items, (Names{"Speedy set", "*****", "T-Normandy", "S-Desert"}));
  EXPECT_EQ(st().Image4, game() / "newpic");
  const int writes = sel().core.record.writes();
  sel().packages.LoadPackage();
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_TRUE(marked("S-Desert"));
  EXPECT_EQ(readFile(game() / "desert.tpc"), "sand");
  EXPECT_EQ(record(), "T-Normandy\r\nS-Desert\r\n\r\n");
  // Each folder's load writes the record with its files, and nothing writes it again.
  EXPECT_EQ(sel().core.record.writes(), writes + 2);
  sel().packages.List9_Click(2);
  EXPECT_EQ(st().Image4, mod("T-Normandy", "groundtex.bmp"));
  EXPECT_EQ(st().Label51, readFile(mod("T-Normandy", "contents.txt")));
  sel().packages.List9_Click(1);  // "*****" names no folder: only the text goes
  EXPECT_EQ(st().Label51, "");
  EXPECT_EQ(st().Image4, mod("T-Normandy", "groundtex.bmp"));
  sel().packages.List9_Click(3);
  EXPECT_EQ(st().Image4, fs::path());
  EXPECT_EQ(st().Label51, "");
}

// A first entry naming a folder is still the caption, not a folder to load.
TEST_F(PackagesTest, AFirstEntryThatNamesAFolderIsNotLoadedFromHere) {
  start();
  preview("Normandy Invasion.set");
  sel().packages.LoadPackage();
  EXPECT_FALSE(marked("T-Normandy"));
  EXPECT_TRUE(marked("G-Water"));
  EXPECT_TRUE(skinLoaded("Mustang Invasion"));
}

TEST_F(PackagesTest, ThePictureComesFromTheFirstScreenSetMissionOrCareerFolder) {
  writeScript("Europe.set", "Europe\r\n*****\r\nT-Normandy\r\nW-Europe1942\r\nC-Career42\r\n");
  writeScript("Career.set", "x:\\KVO128\\C-Career42\r\nW-Europe1942\r\n");
  writeScript("Screens.set", "-\r\nB-Autumn Screens\r\n");
  writeScript("Bare.set", "-\r\nT-Normandy\r\nC Career43\r\n");
  start();
  preview("Europe.set");
  EXPECT_EQ(st().Image4, mod("W-Europe1942", "mypic"));
  preview("Career.set");
  EXPECT_EQ(st().Image4, mod("C-Career42", "mypic"));
  // ".pic" is one file of that very name: mainscr.pic does not count, mypic does.
  preview("Screens.set");
  EXPECT_EQ(st().Image4, mod("B-Autumn Screens", "mypic"));
  writeFile(mod("B-Autumn Screens", ".pic"), "p");
  preview("Screens.set");
  EXPECT_EQ(st().Image4, mod("B-Autumn Screens", ".pic"));
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
  st().Check1 = true;
  st().Check2 = true;
  shell.clipboard = "something else";
  sel().packages.LoadPackage();
  EXPECT_FALSE(marked("G-Trees"));
  EXPECT_FALSE(fs::exists(game() / "trees01.3dz"));
  EXPECT_EQ(shell.clipboard, "Speedy.set");
  EXPECT_EQ(record(), "T-Normandy\r\nS-Desert\r\n\r\n");
  const auto caption = st().Label29;
  sel().packages.Label29_MouseMove();
  EXPECT_EQ(shell.clipboard, "Speedy.set");
  EXPECT_EQ(st().Label29, caption);
  sel().reset.Command1_Click();
  st().Check2 = false;
  select(st().GUPC, "Normandy Invasion.set");
  shell.clipboard = "Speedy.set";
  sel().packages.Label29_MouseMove();
  EXPECT_EQ(st().Label29, "Loading Speedy.set");
  EXPECT_EQ(st().GUPC.selectedText(), "Speedy.set");
  EXPECT_EQ(st().List9.items.size(), 4U);
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_EQ(shell.clipboard, "");
  shell.clipboard = "speedy.set";
  sel().packages.Label29_MouseMove();
  EXPECT_EQ(st().Label29, st().AutoLoadCaption);
  EXPECT_EQ(shell.clipboard, "");
}

// The record is written from the marks, so a hand edit does not survive a package load.
TEST_F(PackagesTest, APackageThatMatchesNothingStillRewritesTheRecord) {
  writeScript("Nothing.set", "first\r\nNo Such Folder\r\n");
  start();
  click("T-Burma");
  preview("Nothing.set");
  writeFile(selectorDir() / "FoldersLoaded.txt", "edited by hand\r\n");
  sel().packages.LoadPackage();
  EXPECT_EQ(record(), "T-Burma\r\n\r\n");
  EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
}  // namespace kvo::test
