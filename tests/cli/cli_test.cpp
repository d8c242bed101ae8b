#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "cli/cli.h"
#include "platform/instance_lock.h"
#include "support/cli_runner.h"
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

std::string textOutput(std::string text) {
#ifdef _WIN32
  std::erase(text, '\r');  // console text ends its lines in CR LF there
#endif
  return text;
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
  // Runs the kvo program as a player's shortcut would and collects what it prints.
  RunResult run(const std::string& args) const {
    const auto out = scratch / "stdout.txt";
    const auto err = scratch / "stderr.txt";
    const int code =
        test::runShellCommand("\"" + test::programPath("KVO_BINARY", KVO_BINARY) + "\" " + args +
                              " >\"" + out.string() + "\" 2>\"" + err.string() + "\"");
    return {code, textOutput(readFile(out)), textOutput(readFile(err))};
  }
  std::string gameArg() const { return "--game-dir \"" + game.path().string() + "\""; }
  TempDir game;
  TempDir scratch;
};

TEST_F(CliTest, StatusAndListingsShowTheLoadedSelection) {
  const auto status = run(gameArg() + " status");
  EXPECT_EQ(status.exitCode, 0) << status.err;
  EXPECT_EQ(status.out, "T-Burma\nSpit\n");
  const auto folders = run(gameArg() + " list folders");
  EXPECT_EQ(folders.exitCode, 0);
  EXPECT_EQ(folders.out, "S\tT\tT-Burma\n-\tT\tT-Normandy\n-\tG\tG-Water\n");
  EXPECT_EQ(run(gameArg() + " list skins").out, "S\tSP09\tSpit\n");
}

// Usage errors exit with 2, a second instance with 3, and neither changes anything: a missing
// game folder stays missing, and the menu entry's --ask-game-dir with a command runs none.
TEST_F(CliTest, UsageErrorsAndASecondInstanceExitWithTheirCodesAndChangeNothing) {
  const auto missing = scratch / "Games";
  // Each names its own fault: without a window a bare start exits with 2 too.
  const std::pair<std::string, std::string> usage[] = {
      {gameArg() + " no-such-command", "no-such-command"},
      {gameArg() + " status extra", "usage: kvo status"},
      {"--game-dir", "--game-dir needs a folder"},
      {"--game-dir \"" + (missing / "EAW").string() + "\" status", "EAW"},
      {"--ask-game-dir reset " + gameArg(), "--ask-game-dir"}};
  for (const auto& [args, words] : usage) {
    const auto refused = run(args);
    EXPECT_EQ(refused.exitCode, 2) << args;
    EXPECT_EQ(refused.out, "") << args;
    EXPECT_NE(refused.err.find(words), std::string::npos) << refused.err;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  const auto lock = InstanceLock::acquire(game.path());
  ASSERT_TRUE(lock);
  const auto second = run(gameArg() + " reset");
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_NE(second.err.find("more than once"), std::string::npos) << second.err;
  EXPECT_EQ(readFile(game / "KVO128/FoldersLoaded.txt"), "T-Burma\r\nSpit\r\n\r\n");

  const auto help = run("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("list folders"), std::string::npos);
  EXPECT_EQ(run("--version").out.rfind("kvo ", 0), 0u);
}

// Standard output that fails the way a closed pipe does, from inside a command.
class BrokenOutput final : public std::streambuf {
 protected:
  int_type overflow(int_type) override { throw std::runtime_error("the pipe is closed"); }
  std::streamsize xsputn(const char*, std::streamsize) override { return overflow(0); }
};

TEST_F(CliTest, AnExceptionInACommandIsOneLineOnStderrAndExitOne) {
  BrokenOutput broken;
  std::ostream out(&broken);
  out.exceptions(std::ios::badbit);
  std::ostringstream err;
  const auto arguments = parseCliArguments({"--game-dir", game.path().string(), "status"}, {});
  EXPECT_EQ(runCliCommand(arguments, out, err), 1);
  EXPECT_EQ(err.str(), "kvo: unexpected error: the pipe is closed\n");
}

// The menu entry's --ask-game-dir opens the window, which the program cannot do here.
TEST(CliArgumentsTest, AskGameDirIsForTheWindowAlone) {
  const auto window = parseCliArguments({"--ask-game-dir"}, "eaw");
  EXPECT_TRUE(window.askGameDir && window.words.empty() && window.usageError.empty());
}

TEST(SettingsCliTest, SettingsPrintsTheSixBoxesAndSetWritesEveryValueOrNone) {
  TempDir game;
  test::CliRunner kvo(game.path());
  writeFile(game / "eaw.ini", "PlaneSetNumber=2\r\nDay=4\r\nWidth=800\r\nMonth=9\r\n");
  writeFile(game / "eaw.exe", "MZ");
  EXPECT_EQ(kvo.run({"settings"}), 0);
  EXPECT_EQ(kvo.out(), "Width=800\nHeight=\nExtraSquads=\nDay=4\nMonth=9\nPlaneSetNumber=2\n");

  const std::string before = readFile(game / "eaw.ini");
  for (const std::vector<std::string>& usage :
       {std::vector<std::string>{"set", "Width=1", "Bogus=1"},
        {"set", "width=1024"},
        {"set", "Width"},
        {"launch", "other.exe"}}) {
    EXPECT_EQ(kvo.run(usage), 2) << usage[1];
    EXPECT_NE(kvo.err().find(usage.back()), std::string::npos) << kvo.err();
  }
  EXPECT_EQ(kvo.run({"set", "Width=1024", "Day=7\r\nWidth=1"}), 1);
  EXPECT_NE(kvo.err().find("Day"), std::string::npos);
  EXPECT_EQ(readFile(game / "eaw.ini"), before);

  EXPECT_EQ(kvo.run({"set", "Width=1024", "Day=12"}), 0);
  EXPECT_EQ(readFile(game / "eaw.ini"), "PlaneSetNumber=2\r\nDay=12\r\nWidth=1024\r\nMonth=9\r\n");
}

}  // namespace
}  // namespace kvo
