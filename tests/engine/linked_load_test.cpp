#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "demo_game.h"
#include "engine/engine_fixture.h"
#include "engine/keep_originals.h"
#include "support/cli_runner.h"

#ifndef _WIN32
#include <sys/mount.h>
#endif

namespace kvo::test {
namespace {

namespace fs = std::filesystem;

// The tree without what records when and how (history, options) rather than what is loaded.
Tree loadedTree(const fs::path& game) {
  auto tree = snapshot(game);
  tree.erase("KVO128/History.txt");
  tree.erase("KVO128/Options.txt");
  return tree;
}

bool sameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

class LinkedLoadTest : public EngineTest {
 protected:
  fs::path copying() const { return temp_.path() / "copying"; }
  // Runs one command on `game` as a separate start would.
  std::string run(const fs::path& game, const std::vector<std::string>& command,
                  int expectedExit = kExitDone) {
    CliRunner kvo(game);
    EXPECT_EQ(kvo.run(command), expectedExit) << command[0] << ": " << kvo.err();
    return kvo.err();
  }
  // A settings file and a mission in T-Normandy, so that a load brings files the game writes.
  void addGameWrittenFiles(const fs::path& game) {
    writeFile(game / "KVO128" / "T-Normandy" / "terrain.cfg", "settings");
    writeFile(game / "KVO128" / "T-Normandy" / "Raid.msn", "mission");
  }
};

// The same clicks and Reset All, one game folder copying and one linking: after each the two
// trees hold the same files with the same bytes; the linked game files are the folders' own, those
// the game writes are copies of their own, and writing to one leaves the folder's file as it was.
TEST_F(LinkedLoadTest, LinkedLoadsUnloadsAndSwapsLeaveTheTreesThatCopiesLeave) {
  ASSERT_FALSE(demo::writeDemoGameFolder(copying()));
  addGameWrittenFiles(game());
  addGameWrittenFiles(copying());
  run(game(), {"deploy-by", "link"});
  EXPECT_EQ(readFile(selectorDir() / "Options.txt"), "DeployBy=link\r\n");
  const std::vector<std::string> clicks = {"T-Normandy", "G-Water",         "C-Career42",
                                           "T-Burma",    "X-German Speech", "G-Water",
                                           "T-Normandy", "X-German Speech", "C-Career42"};
  for (const auto& name : clicks) {
    SCOPED_TRACE(name);
    run(copying(), {"click", name});
    EXPECT_EQ(run(game(), {"click", name}), "");  // every file could be linked
    EXPECT_EQ(loadedTree(game()), loadedTree(copying()));
  }
  const auto normandy = mod("T-Normandy");
  EXPECT_TRUE(sameFile(game() / "normandy.ter", normandy / "normandy.ter"));
  EXPECT_TRUE(sameFile(game() / "shared.pal", normandy / "shared.pal"));
  EXPECT_TRUE(fs::exists(game() / "terrain.cfg"));
  EXPECT_FALSE(sameFile(game() / "terrain.cfg", normandy / "terrain.cfg"));
  EXPECT_FALSE(sameFile(game() / "Savedata" / "Raid.msn", normandy / "Raid.msn"));
  EXPECT_FALSE(sameFile(game() / "Savedata" / "career1.sve", mod("C-Career42") / "career1.sve"));
  writeFile(game() / "Savedata" / "career1.sve", "saved by the game");
  EXPECT_EQ(readFile(mod("C-Career42") / "career1.sve"),
            readFile(copying() / "KVO128" / "C-Career42" / "career1.sve"));
  writeFile(copying() / "Savedata" / "career1.sve", "saved by the game");
  run(copying(), {"reset"});
  run(game(), {"reset"});
  EXPECT_EQ(loadedTree(game()), loadedTree(copying()));
  run(game(), {"click", "T-Normandy"});
  // A linked file the game replaced by one of the same bytes is no change; other bytes are.
  EXPECT_EQ(run(game(), {"verify"}), "");
  const auto bytes = readFile(game() / "normandy.ter");
  fs::remove(game() / "normandy.ter");
  writeFile(game() / "normandy.ter", bytes);
  CliRunner verify(game());
  EXPECT_EQ(verify.run({"verify"}), kExitDone);
  fs::remove(game() / "shared.pal");
  writeFile(game() / "shared.pal", "edited");
  EXPECT_EQ(verify.run({"verify"}), kExitFailed);
  EXPECT_EQ(verify.out(), "shared.pal\tT-Normandy\tchanged\n");
  EXPECT_NE(readFile(normandy / "shared.pal"), "edited");
  EXPECT_EQ(run(game(), {"deploy-by"}), "");
}

#ifndef _WIN32
// A read-only file of a folder is copied rather than linked, so that its mark can be taken
// off the folder's file as a load does, and the load says once how many were copied.
TEST_F(LinkedLoadTest, ReadOnlyFilesAreCopiedAndTheLoadSaysHowMany) {
  start();
  ASSERT_TRUE(told(setDeployByLink(st(), sel().game, true)).ok());
  for (auto name : {"normandy.ter", "shared.pal"}) {
    fs::permissions(mod("T-Normandy") / name, fs::perms::owner_read | fs::perms::group_read);
  }
  shell.messages.clear();
  click("T-Normandy");
  expectOneMessageWith({"2 files were copied, since they could not be linked."});
  EXPECT_TRUE(ownerWritable(mod("T-Normandy") / "normandy.ter"));
  EXPECT_TRUE(ownerWritable(game() / "normandy.ter"));
  EXPECT_FALSE(sameFile(game() / "normandy.ter", mod("T-Normandy") / "normandy.ter"));
  EXPECT_TRUE(sameFile(game() / "normandy.tpc", mod("T-Normandy") / "normandy.tpc"));
}

// A mod folder on a disk of its own (a memory disk mounted inside the game folder) cannot be
// linked from: every file is copied, the load is whole, and it says so once.
TEST_F(LinkedLoadTest, AFolderOnAnotherDiskIsCopiedAndTheLoadSaysHowMany) {
  const auto folder = mod("T-Elsewhere");
  fs::create_directories(folder);
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=4m") != 0) {
    GTEST_SKIP() << "mounting a memory disk needs root rights and a system that allows it";
  }
  struct Unmount {
    fs::path at;
    ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
  } unmount{folder};
  for (auto name : {"elsewhere.ter", "elsewhere.tpc", "shared.pal"}) {
    writeFile(folder / name, std::string("elsewhere ") + name);
  }
  run(game(), {"deploy-by", "link"});
  const auto said = run(game(), {"click", "T-Elsewhere"});
  EXPECT_NE(said.find("3 files were copied, since they could not be linked."), std::string::npos)
      << said;
  for (auto name : {"elsewhere.ter", "elsewhere.tpc", "shared.pal"}) {
    EXPECT_EQ(readFile(game() / name), std::string("elsewhere ") + name);
  }
  run(game(), {"click", "T-Elsewhere"});
  EXPECT_FALSE(fs::exists(game() / "elsewhere.ter"));
  EXPECT_EQ(readFile(folder / "elsewhere.ter"), "elsewhere elsewhere.ter");
}
#endif

}  // namespace
}  // namespace kvo::test
