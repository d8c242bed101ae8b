#include <gtest/gtest.h>

#include "app/selector.h"
#include "planes/planes_fixture.h"
#include "platform/file_ops.h"
#include "platform/text_file.h"
#include "state/category_table.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::RecordingShell;
using test::snapshot;
using test::TempDir;
using test::writeFile;

// A selector on an empty game folder, not started yet.
struct Unstarted {
  TempDir game;
  RecordingShell shell;
  Selector selector{shell};
};
class StartupTest : public ::testing::Test, protected Unstarted {};

TEST_F(StartupTest, FirstStartCreatesTheLayoutAndASecondInstanceIsRefusedUntouched) {
  ASSERT_EQ(selector.startUp(game.path()), StartupOutcome::Ready);
  test::Tree expected = {{"KVO128/kvo.ini", joinLinesCrLf(defaultCategoryLines())}};
  for (auto empty : {"KVO128/", "KVO128/Autoscripts/", "KVO128/FoldersLoaded.txt",
                     "KVO128/Skinfolder/", "KVO128/kvo.lock", "Music/", "Savedata/"}) {
    expected[empty] = "";
  }
  EXPECT_EQ(snapshot(game.path()), expected);
  EXPECT_EQ(selector.state.List3.items.size(), 29u);
  // The filter hint's header cell wears the category list's background.
  EXPECT_EQ(selector.state.Unigrid.back(0, 1), kWindowBackground);
  EXPECT_TRUE(shell.messages.empty());
  fs::remove(game / "KVO128/FoldersLoaded.txt");
  expected.erase("KVO128/FoldersLoaded.txt");
  RecordingShell secondShell;
  {
    Selector second(secondShell);
    EXPECT_EQ(second.startUp(game.path()), StartupOutcome::DuplicateInstance);
  }
  EXPECT_EQ(snapshot(game.path()), expected);
  ASSERT_EQ(secondShell.messages.size(), 1u);
  EXPECT_EQ(secondShell.messages[0].icon, Icon::Exclamation);
}

TEST_F(StartupTest, ExistingFoldersInAnyCaseAreReusedAndReservedOnesNeverListed) {
  writeFile(game / "kvo128/kvo.ini", "Terrain: T\r\nodd: one: t\r\nAgain terrain: T\r\n");
  for (auto folder :
       {"savedata", "MUSIC", "kvo128/SKINFOLDER", "kvo128/autoscripts", "kvo128/Unused",
        "kvo128/T-Normandy", "kvo128/T Burma", "kvo128/tiny", "kvo128/X-Speech"}) {
    fs::create_directories(game / folder);
  }
  writeFile(game / "kvo128/autoscripts/Normandy.set", "T-Normandy\r\n");
  const auto before = snapshot(game.path());
  selector.startUp(game.path());
  auto after = snapshot(game.path());
  after.erase("kvo128/FoldersLoaded.txt");
  after.erase("kvo128/kvo.lock");  // the running selector's instance lock
  EXPECT_EQ(after, before) << "no second folder, kvo.ini untouched";
  // Rows come per kvo.ini line; a code listed twice lists its folders twice.
  EXPECT_EQ(test::gridColumn(selector.state.Unigrid, 1),
            (std::vector<std::string>{"T Burma", "T-Normandy", "tiny", "T Burma", "T-Normandy"}));
  EXPECT_EQ(selector.state.List3.items[3], "odd");
  EXPECT_EQ(selector.state.CategoryCodes[1], "t");
  EXPECT_EQ(selector.state.GUPC.items, std::vector<std::string>{"Normandy.set"});
}

// Bad contents or an unreadable folder are reported once and nothing is rewritten; a link in
// the place of kvo.ini or FoldersLoaded.txt is reported by name and never written through.
TEST_F(StartupTest, BadLinkedOrUnreadableSelectorFilesAreReportedOnceAndNeverRewritten) {
  std::string tooMany;
  for (int i = 0; i < 300; ++i) tooMany += "Cat " + std::to_string(i) + ": A\r\n";
  const std::string binary("\x01\xff:\x00\x7f\r\xfe\xfe\n::\n", 13);
  for (const std::string& ini :
       {std::string(), std::string("no colon\r\n\r\nTerrain: T\r\n"), tooMany, binary}) {
    Unstarted f;
    writeFile(f.game / "KVO128/kvo.ini", ini);
    writeFile(f.game / "KVO128/FoldersLoaded.txt", binary);
    ASSERT_EQ(f.selector.startUp(f.game.path()), StartupOutcome::Ready);
    EXPECT_EQ(readFile(f.game / "KVO128/kvo.ini"), ini);
    EXPECT_EQ(readFile(f.game / "KVO128/FoldersLoaded.txt"), binary);
    EXPECT_EQ(f.shell.messages.size(), 1u) << "one message for everything ignored";
    EXPECT_LE(f.selector.state.List3.items.size(), 258u);
  }
  if (!test::whyModesCannotFail()) {
    fs::create_directories(game / "KVO128/T-Normandy");
    fs::permissions(game / "KVO128", fs::perms::owner_exec);
    EXPECT_EQ(selector.startUp(game.path()), StartupOutcome::Ready);
    fs::permissions(game / "KVO128", fs::perms::owner_all);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find("KVO128"), std::string::npos);
  }
  if (test::whyNoLinks()) return;
  for (const std::string name : {"kvo.ini", "FoldersLoaded.txt"}) {
    Unstarted f;
    TempDir outside;
    fs::create_directories(f.game / "KVO128");
    fs::create_symlink(outside / name, f.game / "KVO128" / name);
    ASSERT_EQ(f.selector.startUp(f.game.path()), StartupOutcome::Ready);
    EXPECT_TRUE(fs::is_empty(outside.path())) << name;
    EXPECT_TRUE(fs::is_symlink(f.game / "KVO128" / name));
    ASSERT_EQ(f.shell.messages.size(), 1u) << name;
    EXPECT_NE(f.shell.messages[0].text.find(name + ": the file is a link"), std::string::npos)
        << f.shell.messages[0].text;
  }
}

using StartupReplayTest = test::PlanesTest;

// A start only marks: of two folders of one category the first named keeps its mark, also when
// kvo.ini lists the category twice; a skin is matched by the end of its line; nothing is written.
TEST_F(StartupReplayTest, TheLoadRecordMarksRowsAndSkinsWithoutCopyingOrDeleting) {
  writeFile(selectorDir() / "FoldersLoaded.txt",
            "T-Normandy\r\nT-Burma\r\nT-Gone\r\n\r\nMy Bf109G Winter\r\n");
  writeFile(game() / "normandy.ter", "left from an earlier load");
  writeFile(selectorDir() / "kvo.ini", readFile(selectorDir() / "kvo.ini") + "Terrain again:T\r\n");
  const auto before = tree();
  selector_ = std::make_unique<Selector>(shell);
  ASSERT_EQ(selector_->startUp(game()), StartupOutcome::Ready);
  auto after = tree();
  after.erase("KVO128/kvo.lock");
  EXPECT_EQ(after, before);
  EXPECT_TRUE(marked("T-Normandy"));
  EXPECT_EQ(st().Unigrid.back(row("T-Normandy"), 1), kLoadedGreen);
  EXPECT_FALSE(marked("T-Burma"));
  EXPECT_TRUE(skinLoaded("Bf109G Winter"));
  EXPECT_FALSE(skinLoaded("Bf109G Tropical"));
  EXPECT_EQ(st().Text2, "T-Normandy\r\nT-Burma\r\nT-Gone\r\nMy Bf109G Winter\r\n");
  // The refused folder is said; a folder that is gone is no fault of this start, only noted.
  ASSERT_NO_FATAL_FAILURE(expectOneMessageWith({"T-Burma"}));
  EXPECT_EQ(shell.messages[0].text.find("T-Gone"), std::string::npos);
  EXPECT_NE(sel().startupNote().find("T-Gone"), std::string::npos);
}

}  // namespace
}  // namespace kvo
