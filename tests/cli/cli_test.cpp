#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "support/test_support.h"

namespace kvo {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

struct RunResult {
  int exitCode;
  std::string out;
  std::string err;
};

std::string programPath(const char* variable, const char* builtIn) {
  const char* fromEnvironment = std::getenv(variable);
  return fromEnvironment ? fromEnvironment : builtIn;
}

// Console text ends its lines in CR LF on Windows and in LF elsewhere.
std::string textOutput(std::string text) {
#ifdef _WIN32
  for (auto at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 1);
  }
#endif
  return text;
}

// Runs the kvo program as a player's shortcut would and collects what it prints.
RunResult runKvo(const TempDir& scratch, const std::string& args) {
  const auto out = scratch / "stdout.txt";
  const auto err = scratch / "stderr.txt";
  const std::string command = "\"" + programPath("KVO_BINARY", KVO_BINARY) + "\" " + args + " >\"" +
                              out.string() + "\" 2>\"" + err.string() + "\"";
  const int code = test::runShellCommand(command);
  return {code, textOutput(readFile(out)), textOutput(readFile(err))};
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(game / "KVO128/kvo.ini", "Terrain Sets: T\r\nGraphics: G\r\n");
    writeFile(game / "KVO128/T-Normandy/a.ter", "a");
    writeFile(game / "KVO128/T-Burma/b.ter", "b");
    writeFile(game / "KVO128/G-Water/water.bmp", "w");
    writeFile(game / "KVO128/Skinfolder/Spit/psp09.3dz", "s");
    writeFile(game / "KVO128/FoldersLoaded.txt", "T-Burma\r\nSpit\r\n\r\n");
  }
  std::string gameArg() const { return "--game-dir \"" + game.path().string() + "\""; }
  TempDir game;
  TempDir scratch;
};

TEST_F(CliTest, StatusAndListingsShowTheLoadedSelection) {
  auto status = runKvo(scratch, gameArg() + " status");
  EXPECT_EQ(status.exitCode, 0) << status.err;
  EXPECT_EQ(status.out, "T-Burma\nSpit\n");

  auto folders = runKvo(scratch, gameArg() + " list folders");
  EXPECT_EQ(folders.exitCode, 0);
  EXPECT_EQ(folders.out, "S\tT\tT-Burma\n-\tT\tT-Normandy\n-\tG\tG-Water\n");

  auto skins = runKvo(scratch, gameArg() + " list skins");
  EXPECT_EQ(skins.out, "S\tSP09\tSpit\n");
}

// Usage errors exit with 2 and change nothing: a missing game folder stays missing, and the
// menu entry's --ask-game-dir with a command runs no command.
TEST_F(CliTest, UsageErrorsExitWithTwoAndChangeNothingAndHelpExitsWithZero) {
  EXPECT_EQ(runKvo(scratch, gameArg() + " no-such-command").exitCode, 2);
  EXPECT_EQ(runKvo(scratch, gameArg() + " status extra").exitCode, 2);
  EXPECT_EQ(runKvo(scratch, "--game-dir").exitCode, 2);
  const auto missing = scratch / "Games";
  auto result = runKvo(scratch, "--game-dir \"" + (missing / "EAW").string() + "\" status");
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("EAW"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(missing));
  result = runKvo(scratch, "--ask-game-dir reset " + gameArg());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("--ask-game-dir"), std::string::npos) << result.err;
  EXPECT_EQ(readFile(game / "KVO128/FoldersLoaded.txt"), "T-Burma\r\nSpit\r\n\r\n");

  auto help = runKvo(scratch, "--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("list folders"), std::string::npos);
  auto version = runKvo(scratch, "--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("kvo ", 0), 0u);
}

// Runs `words` after --game-dir in this process, as the program's main would.
RunResult runInProcess(const TempDir& game, std::vector<std::string> words) {
  words.insert(words.begin(), {"--game-dir", game.path().string()});
  std::ostringstream out;
  std::ostringstream err;
  const int code = runCliCommand(parseCliArguments(words, "."), out, err);
  return {code, out.str(), err.str()};
}

TEST(SettingsCliTest, SettingsPrintsTheSixBoxesAndSetWritesEveryValueOrNone) {
  TempDir game;
  writeFile(game / "eaw.ini", "PlaneSetNumber=2\r\nDay=4\r\nWidth=800\r\nMonth=9\r\n");
  const auto run = runInProcess(game, {"settings"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "Width=800\nHeight=\nExtraSquads=\nDay=4\nMonth=9\nPlaneSetNumber=2\n");

  const std::string before = readFile(game / "eaw.ini");
  for (const std::vector<std::string>& usage :
       {std::vector<std::string>{"set", "Width=1024", "Bogus=1"},
        {"set", "width=1024"},
        {"set", "Width"}}) {
    EXPECT_EQ(runInProcess(game, usage).exitCode, 2) << usage[1];
  }
  writeFile(game / "eaw.exe", "MZ");
  const auto unknown = runInProcess(game, {"launch", "other.exe"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("other.exe"), std::string::npos);
  const auto broken = runInProcess(game, {"set", "Width=1024", "Day=7\r\nWidth=1"});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_NE(broken.err.find("Day"), std::string::npos);
  EXPECT_EQ(readFile(game / "eaw.ini"), before);

  EXPECT_EQ(runInProcess(game, {"set", "Width=1024", "Day=12abc"}).exitCode, 0);
  EXPECT_EQ(readFile(game / "eaw.ini"),
            "PlaneSetNumber=2\r\nDay=12abc\r\nWidth=1024\r\nMonth=9\r\n");

  // Like Enter in a box, a missing eaw.ini is left missing without a word.
  TempDir bare;
  const auto missing = runInProcess(bare, {"set", "Width=1024"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_EQ(missing.err, "");
  EXPECT_FALSE(std::filesystem::exists(bare / "eaw.ini"));
}

// The menu entry's --ask-game-dir opens the window only, never with a command or a folder.
TEST(CliArgumentsTest, AskGameDirIsForTheWindowAlone) {
  const std::filesystem::path here = "eaw";
  const auto window = parseCliArguments({"--ask-game-dir"}, here);
  EXPECT_TRUE(window.askGameDir);
  EXPECT_TRUE(window.words.empty());
  EXPECT_EQ(window.usageError, "");
  EXPECT_NE(parseCliArguments({"--ask-game-dir", "status"}, here).usageError, "");
  EXPECT_NE(parseCliArguments({"--game-dir", "eaw", "--ask-game-dir"}, here).usageError, "");
  const auto help = parseCliArguments({"--ask-game-dir", "--help"}, here);
  EXPECT_TRUE(help.help);
  EXPECT_EQ(help.usageError, "");
}

}  // namespace
}  // namespace kvo
