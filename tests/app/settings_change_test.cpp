#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/selector.h"
#include "platform/transaction_fixture.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

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

TEST(SettingsChangeTest, ALeftoverEawInkLinkIsNeitherFollowedNorTouched) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  LinkedIniFixture f;
  writeFile(f.game / "eaw.ini", "Width=1024\r\n");
  fs::create_symlink(f.outside / "sentinel", f.game / "eaw.ink");
  f.start();
  f.saveBoth();
  EXPECT_EQ(fs::read_symlink(f.game / "eaw.ink"), f.outside / "sentinel");
}

TEST(SettingsChangeTest, AnEawIniThatIsALinkBecomesAFileOfItsOwn) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links are a POSIX matter here";
#endif
  LinkedIniFixture f;
  fs::create_symlink(f.outside / "sentinel", f.game / "eaw.ini");
  f.start();
  EXPECT_EQ(f.selector.state.settings.text5, "1");
  f.saveBoth();
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
