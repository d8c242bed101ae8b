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
using test::writeFile;

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(game / "KVO128/kvo.ini", "Terrain Sets: T\r\nGraphics: G\r\n");
    writeFile(game / "KVO128/T-Normandy/a.ter", "a");
    writeFile(game / "KVO128/T-Burma/b.ter", "b");
    writeFile(game / "KVO128/G-Water/water.bmp", "w");
    writeFile(game / "KVO128/Skinfolder/Spit/psp09.3dz", "s");
    writeFile(game / "KVO128/Skinfolder/Mustang/pp51d.3dz", "m");
    writeFile(game / "KVO128/FoldersLoaded.txt", "T-Burma\r\nSpit\r\n\r\n");
  }
  // Runs `kvo --game-dir GAME ARGS` as a player's shortcut would; keeps what it printed.
  int run(const std::string& args) {
    const int code = test::runShellCommand("\"" + test::programPath("KVO_BINARY", KVO_BINARY) +
                                           "\" --game-dir \"" + game.path().string() + "\" " +
                                           args + " >\"" + (scratch / "out").string() + "\" 2>\"" +
                                           (scratch / "err").string() + "\"");
    out = readFile(scratch / "out");
    err = readFile(scratch / "err");
#ifdef _WIN32
    std::erase(out, '\r');  // console text ends its lines in CR LF there
    std::erase(err, '\r');
#endif
    return code;
  }
  test::TempDir game;
  test::TempDir scratch;
  std::string out;
  std::string err;
};

// Listings give the loaded selection field by field. Usage errors exit with 2, a second
// instance with 3, and neither changes anything: a missing game folder stays missing, and the
// menu entry's --ask-game-dir with a command runs none.
TEST_F(CliTest, ListingsShowTheSelectionAndRefusalsExitWithTheirCodesChangingNothing) {
  EXPECT_EQ(run("status"), 0) << err;
  EXPECT_EQ(out, "T-Burma\nSpit\n");
  EXPECT_EQ(run("list folders"), 0);
  EXPECT_EQ(out, "S\tT\tT-Burma\n-\tT\tT-Normandy\n-\tG\tG-Water\n");
  EXPECT_EQ(run("list skins"), 0);
  EXPECT_EQ(out, "-\tP51D\tMustang\nS\tSP09\tSpit\n");
  const auto missing = scratch / "Games";
  // Each names its own fault; of two --game-dir the last one counts.
  const std::pair<std::string, std::string> usage[] = {
      {"no-such-command", "no-such-command"},
      {"status extra", "usage: kvo status"},
      {"--game-dir", "--game-dir needs a folder"},
      {"--game-dir \"" + (missing / "EAW").string() + "\" status", "EAW"},
      {"--ask-game-dir reset", "--ask-game-dir"}};
  for (const auto& [args, words] : usage) {
    EXPECT_EQ(run(args), 2) << args;
    EXPECT_EQ(out, "") << args;
    EXPECT_NE(err.find(words), std::string::npos) << err;
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  const auto lock = InstanceLock::acquire(game.path());
  ASSERT_TRUE(lock.lock) << lock.problem;
  EXPECT_EQ(run("reset"), 3);
  EXPECT_NE(err.find("more than once"), std::string::npos) << err;
  EXPECT_EQ(readFile(game / "KVO128/FoldersLoaded.txt"), "T-Burma\r\nSpit\r\n\r\n");
  EXPECT_EQ(run("--help"), 0);
  EXPECT_NE(out.find("list folders"), std::string::npos);
  EXPECT_EQ(run("--version"), 0);
  EXPECT_EQ(out.rfind("kvo ", 0), 0u);
  // --ask-game-dir alone opens the window, which cannot be shown here.
  const auto window = parseCliArguments({"--ask-game-dir"}, "eaw");
  EXPECT_TRUE(window.askGameDir && window.words.empty() && window.usageError.empty());
}

// Standard output that fails the way a closed pipe does, from inside a command.
class BrokenOutput final : public std::streambuf {
 protected:
  int_type overflow(int_type) override { throw std::runtime_error("the pipe is closed"); }
  std::streamsize xsputn(const char*, std::streamsize) override { return overflow(0); }
};

TEST_F(CliTest, AnExceptionInACommandIsOneLineOnStderrAndExitOne) {
  BrokenOutput pipe;
  std::ostream closed(&pipe);
  closed.exceptions(std::ios::badbit);
  std::ostringstream said;
  const auto arguments = parseCliArguments({"--game-dir", game.path().string(), "status"}, {});
  EXPECT_EQ(runCliCommand(arguments, closed, said), 1);
  EXPECT_EQ(said.str(), "kvo: unexpected error: the pipe is closed\n");
}

TEST_F(CliTest, SettingsPrintsTheSixBoxesAndSetWritesEveryValueOrNone) {
  test::CliRunner kvo(game.path());
  writeFile(game / "eaw.ini", "PlaneSetNumber=2\r\nDay=4\r\nWidth=800\r\nMonth=9\r\n");
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
  for (const std::string day : {"Day=7\r\nWidth=1", "Day=abc", "Day=32"}) {
    EXPECT_EQ(kvo.run({"set", "Width=1024", day}), 1) << day;
    EXPECT_NE(kvo.err().find("Day"), std::string::npos) << kvo.err();
    EXPECT_EQ(readFile(game / "eaw.ini"), before);
  }
  EXPECT_EQ(kvo.run({"set", "Width=1024", "Day=12"}), 0);
  EXPECT_EQ(readFile(game / "eaw.ini"), "PlaneSetNumber=2\r\nDay=12\r\nWidth=1024\r\nMonth=9\r\n");
}

}  // namespace
}  // namespace kvo
