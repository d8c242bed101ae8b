#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/selector.h"
#include "engine/engine_fixture.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// A started selector on a game folder holding `ini` as eaw.ini.
struct SettingsFixture {
  explicit SettingsFixture(std::string_view ini, std::string_view name = "eaw.ini") {
    writeFile(dir / name, ini);
    selector.startUp(dir.path());
  }
  fs::path ini() const { return dir / "eaw.ini"; }
  SettingsBoxes& boxes() { return selector.state.settings; }
  void pressEnter() { selector.settings.Text_KeyPress(kEnterKey); }

  test::TempDir dir;
  test::RecordingShell shell;
  Selector selector{shell};
};

// A read-only EAW.INI, as Windows copies leave it, is found, saved and keeps its name.
TEST(GameSettingsTest, EnterRewritesOnlyKeyedLinesAndKeepsEveryOtherByte) {
  SettingsFixture f(
      "[Display]\r\nWidth=800\r\nwidth=640\r\nWidth = 700\r\nHeight=600 px\n"
      "Pilot=Ren\xe9 M\xfcller\r\nDay=3\r\nMonth=7\rDay=15",
      "EAW.INI");
  const auto ini = f.dir / "EAW.INI";
  fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(f.boxes().text5, "800");
  EXPECT_EQ(f.boxes().text6, "600");
  EXPECT_EQ(f.boxes().text7, "15");  // the last of two Day= lines
  EXPECT_EQ(f.boxes().text4, "");    // no ExtraSquads= line: the box keeps its text

  f.boxes().text5 = "1024";
  f.selector.settings.Text_KeyPress('4');
  EXPECT_EQ(readFile(ini).find("1024"), std::string::npos) << "only Enter saves";
  f.pressEnter();
  EXPECT_EQ(readFile(ini),
            "[Display]\r\nWidth=1024\r\nwidth=640\r\nWidth = 700\r\nHeight=600\r\n"
            "Pilot=Ren\xe9 M\xfcller\r\nDay=15\r\nMonth=7\r\nDay=15\r\n");
  EXPECT_FALSE(test::holdsEntrySpelled(f.dir.path(), "eaw.ini"));
  EXPECT_FALSE(fs::exists(f.dir / "eaw.ink"));
  EXPECT_TRUE(f.shell.messages.empty());
}

TEST(GameSettingsTest, ValuesAreWrittenAsTypedAndReadBackAsNumbers) {
  SettingsFixture f("Width=1024\r\nHeight= 768 px\r\nExtraSquads=abc\r\nDay=12.50\r\n");
  EXPECT_EQ(f.boxes().text6, "768");
  EXPECT_EQ(f.boxes().text4, "0");
  EXPECT_EQ(f.boxes().text7, "12.5");
  f.boxes().text5 = "12abc";
  f.pressEnter();
  EXPECT_EQ(readFile(f.ini()), "Width=12abc\r\nHeight=768\r\nExtraSquads=0\r\nDay=12.5\r\n");
  f.selector.settings.IniRead();
  EXPECT_EQ(f.boxes().text5, "12");

  // A line break in any box, even one without a line in the file, refuses the whole save.
  f.boxes().text5 = "1024";
  f.boxes().text11 = "3\nWidth=1";
  f.pressEnter();
  EXPECT_EQ(readFile(f.ini()), "Width=12abc\r\nHeight=768\r\nExtraSquads=0\r\nDay=12.5\r\n");
  ASSERT_EQ(f.shell.messages.size(), 1u);
  EXPECT_NE(f.shell.messages[0].text.find("PlaneSetNumber"), std::string::npos);
}

TEST(GameSettingsTest, NothingIsWrittenBeforeStartUpEndsOrWithoutAnIniFile) {
  SettingsFixture f("Width=800\r\n");
  f.selector.state.GridReady = false;
  f.boxes().text5 = "1024";
  f.pressEnter();
  EXPECT_EQ(readFile(f.ini()), "Width=800\r\n");

  test::TempDir empty;
  test::RecordingShell shell;
  Selector bare(shell);
  bare.startUp(empty.path());
  const auto before = test::snapshot(empty.path());
  bare.state.settings.text5 = "1024";
  bare.settings.Text_KeyPress(kEnterKey);
  bare.settings.IniEdit_Click();
  bare.state.Text14 = "Width=1";
  bare.settings.InSaver_Click();
  EXPECT_EQ(test::snapshot(empty.path()), before);
  EXPECT_TRUE(shell.messages.empty());
}

TEST(GameSettingsTest, FailedSaveNamesTheFileAndLeavesIniWhole) {
  if (const char* why = test::whyModesCannotFail()) GTEST_SKIP() << why;
  SettingsFixture f("Width=800\r\nHeight=600");
  fs::permissions(f.dir.path(),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  f.boxes().text5 = "640";
  f.pressEnter();
  f.selector.state.Text14 = "Width=1";
  f.selector.settings.InSaver_Click();
  fs::permissions(f.dir.path(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(readFile(f.ini()), "Width=800\r\nHeight=600");
  EXPECT_FALSE(fs::exists(f.dir / "eaw.ink"));
  ASSERT_EQ(f.shell.messages.size(), 2u);
  EXPECT_NE(f.shell.messages[0].text.find("eaw.ini"), std::string::npos);
  EXPECT_NE(f.shell.messages[1].text.find("eaw.ini"), std::string::npos);
  EXPECT_EQ(f.boxes().text5, "640") << "the typed value is kept for another try";
}

TEST(GameSettingsTest, ViewerShowsWholeFileAndSavesItBack) {
  SettingsFixture f("Width=800\r\nHeight=600");
  f.selector.settings.IniEdit_Click();
  EXPECT_TRUE(f.selector.state.Frame21Visible);
  EXPECT_EQ(f.selector.state.Text14, "Width=800\r\nHeight=600\r\n");
  f.selector.settings.InSaver_Click();
  EXPECT_EQ(readFile(f.ini()), "Width=800\r\nHeight=600\r\n\r\n");

  // A text box hands back bare line feeds; the file stays CR LF.
  f.selector.state.Text14 = "Width=1280\nHeight=1024";
  f.selector.settings.InSaver_Click();
  EXPECT_EQ(readFile(f.ini()), "Width=1280\r\nHeight=1024\r\n");
  EXPECT_EQ(f.boxes().text5, "1280");
  EXPECT_EQ(f.boxes().text6, "1024");
  EXPECT_TRUE(f.selector.state.Frame21Visible);
  f.selector.settings.Frame21_Click();
  EXPECT_FALSE(f.selector.state.Frame21Visible);
}

// A game folder holding eaw.ini, a sentinel file beside it, and a started selector.
struct LinkedIniFixture {
  LinkedIniFixture() {
    fs::create_directories(game);
    writeFile(outside / "sentinel", "Width=1\r\n");
    fs::permissions(outside / "sentinel", fs::perms::owner_read | fs::perms::group_read);
    before = test::exactTree(outside);
  }
  void start() { selector.startUp(game); }
  void saveBoth() {
    selector.state.settings.text5 = "640";
    selector.settings.Text_KeyPress(kEnterKey);
    EXPECT_EQ(readFile(game / "eaw.ini"), "Width=640\r\n");
    selector.state.Text14 = "Width=800";
    selector.settings.InSaver_Click();
    EXPECT_EQ(readFile(game / "eaw.ini"), "Width=800\r\n");
    EXPECT_FALSE(fs::is_symlink(game / "eaw.ini"));
    EXPECT_EQ(test::exactTree(outside), before);
    EXPECT_TRUE(shell.messages.empty());
  }

  test::TempDir temp;
  fs::path game = temp / "EAW";
  fs::path outside = temp / "outside";
  std::map<std::string, std::string> before;
  test::RecordingShell shell;
  Selector selector{shell};
};

// A leftover eaw.ink link is neither followed nor touched; an eaw.ini link is read, then
// replaced by a file of its own.
TEST(SettingsChangeTest, LinksAtEawIniOrEawInkAreNeverWrittenThrough) {
  if (const char* why = test::whyNoLinks()) GTEST_SKIP() << why;
  for (const std::string link : {"eaw.ink", "eaw.ini"}) {
    SCOPED_TRACE(link);
    const bool ink = link == "eaw.ink";
    LinkedIniFixture f;
    if (ink) writeFile(f.game / "eaw.ini", "Width=1024\r\n");
    fs::create_symlink(f.outside / "sentinel", f.game / link);
    f.start();
    EXPECT_EQ(f.selector.state.settings.text5, ink ? "1024" : "1");
    f.saveBoth();
    if (ink) {
      EXPECT_EQ(fs::read_symlink(f.game / "eaw.ink"), f.outside / "sentinel");
    }
  }
}

TEST(SettingsChangeTest, ASaveThatCannotStartLeavesEawIniAndTheBoxes) {
  LinkedIniFixture f;
  writeFile(f.game / "eaw.ini", "Width=1024\r\n");
  f.start();
  writeFile(f.selector.state.SelectorDir / "Unfinished change.kvo", "pending");
  f.selector.state.settings.text5 = "640";
  f.selector.settings.Text_KeyPress(kEnterKey);
  f.selector.state.Text14 = "Width=800";
  f.selector.settings.InSaver_Click();
  EXPECT_EQ(readFile(f.game / "eaw.ini"), "Width=1024\r\n");
  EXPECT_EQ(f.selector.state.settings.text5, "640");
  ASSERT_EQ(f.shell.messages.size(), 2U);
  EXPECT_EQ(f.shell.messages[0].icon, Icon::Critical);
}

}  // namespace
}  // namespace kvo
