#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine_fixture.h"
#include "support/cli_runner.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using Names = std::vector<std::string>;

// Music.ini with A, B and C; the folders A and C wait, the Music folder holds B.
class MusicSetsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (const char* set : {"Music", "Big Band", "Quiet Skies"}) fs::remove_all(game() / set);
    writeFile(game() / "Music.ini", "A\r\nB\r\nC\r\n");
    writeFile(game() / "A" / "a.bgm", "a");
    writeFile(game() / "Music" / "b.bgm", "b");
    writeFile(game() / "C" / "c.bgm", "c");
  }
};

TEST_F(MusicSetsTest, SwitchingRenamesTheSetInUseBackAndTheChosenSetToMusic) {
  start();
  told(sel().music.SwitchMusicSet("C"));
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(st().List4.items, (Names{"A", "B"}));
  EXPECT_EQ(st().Label11, "C");
  EXPECT_EQ(readFile(game() / "Music" / "c.bgm"), "c");
  EXPECT_EQ(readFile(game() / "B" / "b.bgm"), "b");
  EXPECT_FALSE(fs::exists(game() / "C"));
  EXPECT_EQ(readFile(game() / "Music.ini"), "A\r\nB\r\nC\r\n");
}

TEST_F(MusicSetsTest, ASwitchThatCannotBeDoneChangesNothingAndSaysWhy) {
  start();
  const auto before = tree();
  // A folder with the name of the set in use is there already.
  fs::create_directory(game() / "B");
  told(sel().music.SwitchMusicSet("C"));
  expectOneMessageWith({"already holds a B"});
  fs::remove(game() / "B");
  EXPECT_EQ(tree(), before);
  // The chosen folder went away after the list was read.
  shell.messages.clear();
  fs::rename(game() / "C", temp_.path() / "C");
  told(sel().music.SwitchMusicSet("C"));
  expectOneMessageWith({"missing"});
  EXPECT_TRUE(fs::exists(game() / "Music" / "b.bgm"));
}

TEST_F(MusicSetsTest, LinesThatNameSomethingOutsideTheGameFolderAreNotOffered) {
  writeFile(game() / "Music.ini", "A\r\n..\r\n..\\..\\Other\r\nsub/dir\r\n\r\nMUSIC\r\nB\r\nC\r\n");
  fs::create_directories(game() / "sub" / "dir");
  auto selector = std::make_unique<Selector>(shell);
  ASSERT_EQ(selector->startUp(game()), StartupOutcome::Ready);
  EXPECT_EQ(selector->state.List4.items, (Names{"A", "C"}));
  EXPECT_EQ(selector->state.Label11, "B");
  expectOneMessageWith({"\"..\"", "\"..\\..\\Other\"", "\"sub/dir\"", "\"MUSIC\""});
}

// Without a set in use there is no name to put the Music folder back under.
TEST_F(MusicSetsTest, TheMusicCommandListsSwitchesAndRefusesWhenNoSetIsInUse) {
  CliRunner kvo(game());
  ASSERT_EQ(kvo.run({"music", "C"}), 0) << kvo.err();
  ASSERT_EQ(kvo.run({"list", "music"}), 0);
  EXPECT_EQ(kvo.out(), "-\tA\n-\tB\nS\tC\n");
  EXPECT_EQ(kvo.run({"music", "C"}), 2);
  fs::create_directory(game() / "C");
  const auto before = tree();
  EXPECT_EQ(kvo.run({"music", "A"}), 1);
  EXPECT_NE(kvo.err().find("no set is in use"), std::string::npos);
  EXPECT_EQ(tree(), before);
}

}  // namespace
}  // namespace kvo::test
