#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
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
  explicit SettingsFixture(std::string_view ini, std::string_view name = "eaw.ini",
                           const std::function<void(const fs::path&)>& arrange = {}) {
    if (!ini.empty()) writeFile(dir / name, ini);
    if (arrange) arrange(dir.path());
    selector.startUp(dir.path());
  }
  fs::path ini() const { return dir / "eaw.ini"; }
  SettingsBoxes& boxes() { return selector.state.settings; }
  void pressEnter() { selector.settings.Text_KeyPress(kEnterKey); }
  void saveViewer(std::string_view text) {
    selector.state.Text14 = text;
    selector.settings.InSaver_Click();
  }
  test::TempDir dir;
  test::RecordingShell shell;
  Selector selector{shell};
};

// A read-only EAW.INI, as Windows copies leave it, is found, saved and keeps its name.
TEST(GameSettingsTest, EnterRewritesOnlyKeyedLinesAndKeepsEveryOtherByte) {
  SettingsFixture f(
      "[Display]\r\nWidth=800\r\nwidth=640\r\nWidth = 700\r\nHeight=600 px\n"
      "Pilot=Ren\xe9 M\xfcller\r\nDay=3\r\nMonth=7\rDay=15.50\r\nExtraSquads=abc\r\n",
      "EAW.INI");
  const auto ini = f.dir / "EAW.INI";
  fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(f.boxes().text6, "600");
  EXPECT_EQ(f.boxes().text7, "15.5");  // the last of two Day= lines
  EXPECT_EQ(f.boxes().text4, "0");
  EXPECT_EQ(f.boxes().text11, "");  // no PlaneSetNumber= line: the box keeps its text
  f.boxes().text5 = "12abc";
  f.pressEnter();
  EXPECT_EQ(readFile(ini),
            "[Display]\r\nWidth=12abc\r\nwidth=640\r\nWidth = 700\r\nHeight=600\r\n"
            "Pilot=Ren\xe9 M\xfcller\r\nDay=15.5\r\nMonth=7\r\nDay=15.5\r\nExtraSquads=0\r\n");
  EXPECT_FALSE(test::holdsEntrySpelled(f.dir.path(), "eaw.ini"));
  EXPECT_FALSE(fs::exists(f.dir / "eaw.ink"));
  EXPECT_TRUE(f.shell.messages.empty());
}

// Nothing is saved before start-up ends or without an eaw.ini; a failed save names the file and
// keeps the typed value for another try, and one that cannot start because a change is unfinished
// says so as loudly.
TEST(GameSettingsTest, WhatIsNotSavedLeavesTheGameFolderAsItWas) {
  enum Case { kStarting, kNoIni, kReadOnlyFolder, kUnfinished };
  for (const Case c : {kStarting, kNoIni, kReadOnlyFolder, kUnfinished}) {
    SCOPED_TRACE(c);
    if (c == kReadOnlyFolder && test::whyModesCannotFail()) continue;
    SettingsFixture f(c == kNoIni ? "" : "Width=800\r\nHeight=600");
    if (c == kStarting) f.selector.state.GridReady = false;
    if (c == kUnfinished) writeFile(f.selector.state.SelectorDir / "Unfinished change.kvo", "-");
    const auto before = test::snapshot(f.dir.path());
    const auto writes = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (c == kReadOnlyFolder) fs::permissions(f.dir.path(), writes, fs::perm_options::remove);
    f.boxes().text5 = "640";
    f.pressEnter();
    f.selector.settings.IniEdit_Click();
    if (c != kStarting) f.saveViewer("Width=1");  // only Enter waits for start-up to end
    fs::permissions(f.dir.path(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(test::snapshot(f.dir.path()), before);
    EXPECT_EQ(f.boxes().text5, "640");
    ASSERT_EQ(f.shell.messages.size(), c == kReadOnlyFolder || c == kUnfinished ? 2u : 0u);
    for (const auto& message : f.shell.messages) {
      EXPECT_TRUE(c == kUnfinished ? message.icon == Icon::Critical
                                   : message.text.find("eaw.ini") != std::string::npos)
          << message.text;
    }
  }
}

// A leftover eaw.ink link is neither followed nor touched; an eaw.ini link is read, then
// replaced by a file of its own.
TEST(SettingsChangeTest, LinksAtEawIniOrEawInkAreNeverWrittenThrough) {
  if (const char* why = test::whyNoLinks()) GTEST_SKIP() << why;
  for (const std::string link : {"eaw.ink", "eaw.ini"}) {
    SCOPED_TRACE(link);
    test::TempDir outside;
    writeFile(outside / "sentinel", "Width=1\r\n");
    fs::permissions(outside / "sentinel", fs::perms::owner_read | fs::perms::group_read);
    const auto before = test::exactTree(outside.path());
    SettingsFixture f(
        link == "eaw.ink" ? "Width=1024\r\n" : "", "eaw.ini",
        [&](const fs::path& dir) { fs::create_symlink(outside / "sentinel", dir / link); });
    EXPECT_EQ(f.boxes().text5, link == "eaw.ink" ? "1024" : "1");
    f.boxes().text5 = "640";
    f.pressEnter();
    EXPECT_EQ(readFile(f.ini()), "Width=640\r\n");
    f.saveViewer("Width=800");
    EXPECT_EQ(readFile(f.ini()), "Width=800\r\n");
    EXPECT_FALSE(fs::is_symlink(f.ini()));
    EXPECT_EQ(test::exactTree(outside.path()), before);
    EXPECT_TRUE(f.shell.messages.empty());
    if (link == "eaw.ink") {
      EXPECT_EQ(fs::read_symlink(f.dir / link), outside / "sentinel");
    }
  }
}

}  // namespace
}  // namespace kvo
