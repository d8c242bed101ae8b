#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "engine/folder_engine.h"
#include "engine_fixture.h"

namespace kvo::test {
namespace {
namespace fs = std::filesystem;

using FolderClickCommandTest = EngineTest;

int kvoClick(const fs::path& gameDir, const std::string& name, std::string& err) {
  std::ostringstream out;
  std::ostringstream errors;
  const int code = runCliCommand(
      parseCliArguments({"--game-dir", gameDir.string(), "click", name}, "/"), out, errors);
  err = errors.str();
  return code;
}

TEST_F(FolderClickCommandTest, GivesTheSameGameFolderAsTheWindow) {
  const auto other = temp_.path() / "EAW2";
  ASSERT_FALSE(demo::writeDemoGameFolder(other));
  std::string err;
  EXPECT_EQ(kvoClick(other, "T-Burma", err), 0);
  EXPECT_EQ(kvoClick(other, "T-Normandy", err), 0) << err;
  start();
  click("T-Burma");
  click("T-Normandy");
  selector_.reset();
  EXPECT_EQ(snapshot(other), tree());
}

TEST_F(FolderClickCommandTest, UnknownNameIsAUsageErrorAndAFailureIsExitOne) {
  std::string err;
  EXPECT_EQ(kvoClick(game(), "T-Nowhere", err), 2);
  EXPECT_NE(err.find("T-Nowhere"), std::string::npos);
  fs::create_directory(game() / "burma.tpc");
  EXPECT_EQ(kvoClick(game(), "T-Burma", err), 1);
  EXPECT_NE(err.find("burma.tpc"), std::string::npos);
}

}  // namespace
}  // namespace kvo::test
