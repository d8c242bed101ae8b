// Start-up on a game folder that others have been at: links where the selector's folders
// should be, a change interrupted while the game runs, files of the wrong kind, a hostile
// Music.ini.
#include <gtest/gtest.h>

#include <chrono>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "engine/engine_fixture.h"
#include "planes/planes_fixture.h"
#include "platform/file_ops.h"
#include "state/game_change.h"
#include "support/child_process.h"
#include "support/cli_runner.h"
#include "transaction/journal.h"

namespace kvo::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class StartupSafetyTest : public PlanesTest {
 protected:
  // A start of its own, so that its messages stay to be read.
  StartupOutcome startAgain(RecordingShell& own) {
    selector_.reset();
    Selector selector(own);
    return selector.startUp(game());
  }
};

// A KVO128, Savedata, Music or KVO Originals (any case) that is a link: the start stops with
// one message naming it, and nothing is written, there or anywhere.
TEST_F(StartupSafetyTest, AFolderOfTheLayoutThatIsALinkStopsTheStartUntouched) {
  if (const char* why = whyNoLinks()) GTEST_SKIP() << why;
  for (const char* name : {"KVO128", "savedata", "Music", "KVO Originals"}) {
    SCOPED_TRACE(name);
    TempDir elsewhere;
    TempDir fresh;
    const auto gameDir = fresh / "EAW";
    fs::create_directories(gameDir);
    writeFile(gameDir / "eaw.exe", "game");
    fs::create_directory_symlink(elsewhere.path(), gameDir / name);
    const auto before = exactTree(fresh.path());
    RecordingShell own;
    Selector selector(own);
    EXPECT_EQ(selector.startUp(gameDir), StartupOutcome::LinkedFolder);
    ASSERT_EQ(own.messages.size(), 1u);
    EXPECT_NE(own.messages[0].text.find(displayPath(gameDir / name)), std::string::npos);
    EXPECT_EQ(exactTree(fresh.path()), before);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
  }
}

#ifndef _WIN32
// Recovery puts files back only when the game is not running from the folder; meanwhile the
// journal waits and the player is told why.
TEST_F(StartupSafetyTest, AnInterruptedChangeWaitsWhileTheGameRunsAndIsPutBackAfter) {
  copyProgram(game() / "eaw.exe");
  writeFile(game() / "new.ter", "mod bytes");
  writeFile(mod("T-Burma") / "new.ter", "mod bytes");
  const Journal journal{
      "00112233445566aa",
      {{StepKind::Copy, false, false, "new.ter", mod("T-Burma") / "new.ter", 0, 0}}};
  const auto journalFile = selectorDir() / std::string(kJournalName);
  writeFile(journalFile, *formatJournal(journal));
  const auto waiting = tree();
  {
    Child running(game() / "eaw.exe", {"eaw.exe", "30"}, game());
    RecordingShell own;
    EXPECT_EQ(startAgain(own), StartupOutcome::Ready);
    ASSERT_FALSE(own.messages.empty());
    EXPECT_TRUE(own.messages[0].text.starts_with(kGameRunningText)) << own.messages[0].text;
    auto now = tree();
    now.erase("KVO128/kvo.lock");
    auto expected = waiting;
    expected.erase("KVO128/kvo.lock");
    EXPECT_EQ(now, expected);
  }
  RecordingShell own;
  EXPECT_EQ(startAgain(own), StartupOutcome::Ready);
  ASSERT_FALSE(own.messages.empty());
  EXPECT_NE(own.messages[0].text.find("put back as they were"), std::string::npos);
  EXPECT_FALSE(fs::exists(game() / "new.ter"));
  EXPECT_FALSE(fs::exists(journalFile));
}

// A FIFO or a link to a device where Options.txt, kvo.ini or an autoscript should be, or a
// file far larger than its kind: every command still answers at once, `status` included, and
// the oversized file is named.
TEST_F(StartupSafetyTest, FilesOfTheWrongKindNeverHangOrFloodACommand) {
  ASSERT_EQ(::mkfifo((selectorDir() / "Options.txt").c_str(), 0600), 0);
  fs::remove(selectorDir() / "FoldersLoaded.txt");
  ASSERT_EQ(::mkfifo((selectorDir() / "FoldersLoaded.txt").c_str(), 0600), 0);
  fs::remove(selectorDir() / "kvo.ini");
  fs::create_symlink("/dev/zero", selectorDir() / "kvo.ini");
  writeFile(selectorDir() / "Autoscripts" / "Huge.set",
            std::string(10 * 1024 * 1024, 'x') + ",T-Burma\r\n");
  const auto program = programPath("KVO_BINARY", KVO_BINARY);
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"status"}, {"keep-originals"}, {"run-script", "Huge.set"}}) {
    std::vector<std::string> args{program, "--game-dir", game().string()};
    args.insert(args.end(), words.begin(), words.end());
    Child command(program, args);
    const auto start = Clock::now();
    while (command.running() && Clock::now() - start < std::chrono::seconds(20)) {
    }
    EXPECT_FALSE(command.running()) << words[0] << " still runs";
  }
  selector_.reset();
  CliRunner kvo(game());
  EXPECT_EQ(kvo.run({"run-script", "Huge.set"}), 1);
  EXPECT_NE(kvo.err().find("Huge.set: it is larger than a file of its kind can be"),
            std::string::npos)
      << kvo.err();
  EXPECT_NE(kvo.err().find("kvo.ini: it is not a regular file"), std::string::npos) << kvo.err();
  // Nothing took the FIFOs' places.
  EXPECT_TRUE(fs::is_fifo(selectorDir() / "FoldersLoaded.txt"));
  EXPECT_TRUE(fs::is_fifo(selectorDir() / "Options.txt"));
}
#endif

// Music.ini may name the saves, the selector's folders or a name Windows forbids: none is
// offered as a music set, so a switch can never rename them.
TEST_F(StartupSafetyTest, MusicSetsNamedLikeTheGamesOrTheSelectorsFoldersAreNeverOffered) {
  writeFile(game() / "Music.ini",
            "Savedata\r\nKVO128\r\nkvo originals\r\nAutoscripts\r\nSkinfolder\r\nMusic\r\nA:B\r\n"
            "Big Band\r\n");
  fs::create_directories(game() / "Autoscripts");
  fs::create_directories(game() / "Skinfolder");
  start();
  EXPECT_EQ(st().List4.items, std::vector<std::string>{"Big Band"});
  const auto before = tree();
  selector_.reset();
  CliRunner kvo(game());
  EXPECT_EQ(kvo.run({"music", "Savedata"}), 2);
  EXPECT_EQ(tree(), before);
}

}  // namespace
}  // namespace kvo::test
