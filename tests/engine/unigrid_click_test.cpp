#include <filesystem>
#include <functional>

#include "engine/folder_engine.h"
#include "engine_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using FolderClickTest = EngineTest;

// Where each kind of file goes is tested with the file moves; here which folder's files stay.
TEST_F(FolderClickTest, ASwapReplacesOneTerrainSetByTheOtherAndMultipleCodesKeepTheirRows) {
  start();
  click("T-Burma");
  auto expected = treeBesidesDeployment();
  click("T-Normandy");
  for (auto name : {"burma.ter", "burma.tpc"}) expected.erase(name);
  for (auto name : {"normandy.ter", "normandy.tpc", "groundtex.bmp", "shared.pal"}) {
    expected[name] = modFile("T-Normandy", name);
  }
  expected["KVO128/FoldersLoaded.txt"] = "T-Normandy\r\n\r\n";
  EXPECT_EQ(treeBesidesDeployment(), expected);
  EXPECT_FALSE(marked("T-Burma"));
  EXPECT_EQ(st().Unigrid.back(row("T-Normandy"), 1), kLoadedGreen);
  for (auto name : {"G-Water", "G-Trees", "N-Gun Sounds", "G-Water"}) click(name);
  EXPECT_EQ(record(), "T-Normandy\r\nN-Gun Sounds\r\nG-Trees\r\n\r\n");
  EXPECT_FALSE(fs::exists(game() / "water01.tpc"));
  EXPECT_TRUE(fs::exists(game() / "trees01.3dz"));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(FolderClickTest, CareerSwapTakesEverySaveBackIntoTheOldCareer) {
  start();
  click("C-Career42");
  writeFile(game() / "Savedata" / "mine.sve", "a save from elsewhere");
  const auto career1 = modFile("C-Career42", "career1.sve");
  click("C Career43");
  EXPECT_EQ(modFile("C-Career42", "mine.sve"), "a save from elsewhere");
  EXPECT_EQ(modFile("C-Career42", "career1.sve"), career1);
  EXPECT_FALSE(fs::exists(game() / "Savedata" / "career1.sve"));
  EXPECT_FALSE(fs::exists(game() / "career42.spt"));
  EXPECT_EQ(readFile(game() / "Savedata" / "career43.sve"), modFile("C Career43", "career43.sve"));
  EXPECT_EQ(record(), "C Career43\r\n\r\n");
  click("C Career43");
  EXPECT_FALSE(fs::exists(game() / "Savedata" / "career43.sve"));
  EXPECT_EQ(record(), "\r\n");
}

TEST_F(FolderClickTest, CareerSavesFollowTheFolderNameNotTheGamePath) {
  const auto careerGame = temp_.path() / "C-Games";
  fs::rename(game(), careerGame);
  selector_ = std::make_unique<Selector>(shell);
  ASSERT_EQ(selector_->startUp(careerGame), StartupOutcome::Ready);
  writeFile(careerGame / "Savedata" / "mine.sve", "save");
  click("T-Normandy");
  click("T-Normandy");
  EXPECT_EQ(readFile(careerGame / "Savedata" / "mine.sve"), "save");
  EXPECT_FALSE(fs::exists(careerGame / "KVO128" / "T-Normandy" / "mine.sve"));
}

// Every way a swap can fail undoes the load and the unload together: T-Burma stays loaded
// with its files, and the one message names the cause.
TEST_F(FolderClickTest, FailedLoadOrSwapLeavesEveryFileAndTheRecordAsTheyWere) {
  fs::create_directory(game() / "normandy.tpc");  // in the way of a copy, also for root
  start();
  auto before = tree();
  click("T-Normandy");
  EXPECT_EQ(tree(), before);
  expectOneMessageWith({"normandy.tpc", "T-Normandy was not loaded"});
  fs::remove(game() / "normandy.tpc");

  struct Fault {
    const char* what;
    bool needsModes;
    std::function<void()> make, undo;
    std::vector<std::string_view> said;
  };
  const auto source = mod("T-Normandy") / "normandy.tpc";
  const auto away = temp_.path() / "away";
  const Fault faults[] = {
      {"folder in the way",
       false,
       [&] { fs::create_directory(game() / "normandy.tpc"); },
       [&] { fs::remove(game() / "normandy.tpc"); },
       {"normandy.tpc", "T-Burma stays loaded"}},
      {"unwritable selector folder",
       true,
       [&] { fs::permissions(selectorDir(), fs::perms::owner_write, fs::perm_options::remove); },
       [&] { fs::permissions(selectorDir(), fs::perms::owner_write, fs::perm_options::add); },
       {"KVO128", "T-Burma stays loaded"}},
      {"unreadable source",
       true,
       [&] { fs::permissions(source, fs::perms::none); },
       [&] { fs::permissions(source, fs::perms::owner_all); },
       {"normandy.tpc"}},
      {"vanished folder",
       false,
       [&] { fs::rename(mod("T-Normandy"), away); },
       [&] { fs::rename(away, mod("T-Normandy")); },
       {"T-Normandy"}},
  };
  click("T-Burma");
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.what);
    if (fault.needsModes && whyModesCannotFail()) continue;
    shell.messages.clear();
    before = tree();
    fault.make();
    click("T-Normandy");
    fault.undo();
    EXPECT_EQ(tree(), before);
    EXPECT_TRUE(marked("T-Burma"));
    EXPECT_FALSE(marked("T-Normandy"));
    expectOneMessageWith(fault.said);
  }
}

TEST_F(FolderClickTest, FailedDeletesAreListedOnceAndTheRecordStaysConsistent) {
  if (const char* why = whyModesCannotFail()) GTEST_SKIP() << why;
  start();
  click("N-Engine Sounds");
  fs::permissions(game() / "Music", fs::perms::owner_write, fs::perm_options::remove);
  click("N-Engine Sounds");
  fs::permissions(game() / "Music", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_FALSE(fs::exists(game() / "engine1.snd"));
  EXPECT_TRUE(fs::exists(game() / "Music" / "theme.bgm"));
  EXPECT_FALSE(marked("N-Engine Sounds"));
  EXPECT_EQ(record(), "\r\n");
  expectOneMessageWith({"theme.bgm"});
}

}  // namespace
}  // namespace kvo::test
