#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "app/launcher.h"
#include "app/selector.h"
#include "planes/planes_fixture.h"
#include "platform/file_ops.h"
#include "platform/start_program.h"
#include "platform/text_file.h"
#include "state/category_table.h"
#include "state/grid_sort.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::RecordingShell;
using test::snapshot;
using test::TempDir;
using test::writeFile;
using Texts = std::vector<std::string>;

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
  EXPECT_EQ(Selector(secondShell).startUp(game.path()), StartupOutcome::DuplicateInstance);
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
    // A selector folder nothing can be made in has no place for the lock: no start.
    fs::create_directories(game / "KVO128/T-Normandy");
    fs::permissions(game / "KVO128", fs::perms::owner_exec);
    EXPECT_EQ(selector.startUp(game.path()), StartupOutcome::DuplicateInstance);
    fs::permissions(game / "KVO128", fs::perms::owner_all);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find(displayPath(game / "KVO128" / "kvo.lock")),
              std::string::npos)
        << shell.messages[0].text;
    EXPECT_FALSE(fs::exists(game / "KVO128" / "kvo.lock"));
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

// A started selector on a game folder holding `ini` as eaw.ini.
struct SettingsFixture : Unstarted {
  explicit SettingsFixture(std::string_view ini, std::string_view name = "eaw.ini",
                           const std::function<void(const fs::path&)>& arrange = {}) {
    if (!ini.empty()) writeFile(game / name, ini);
    if (arrange) arrange(game.path());
    selector.startUp(game.path());
  }
  fs::path ini() const { return game / "eaw.ini"; }
  SettingsBoxes& boxes() { return selector.state.settings; }
  void pressEnter() { report(selector.settings.inisave(selector.state.settings), shell); }
  void saveViewer(std::string_view text) {
    report(selector.settings.InSaver_Click(std::string(text)), shell);
  }
};

// A read-only EAW.INI, as Windows copies leave it, is found, saved and keeps its name.
TEST(GameSettingsTest, EnterRewritesOnlyKeyedLinesAndKeepsEveryOtherByte) {
  SettingsFixture f(
      "[Display]\r\nWidth=800\r\nwidth=640\r\nWidth = 700\r\nHeight=600 px\n"
      "Pilot=Ren\xe9 M\xfcller\r\nDay=3\r\nMonth=7\rDay=15.50\r\nExtraSquads=abc\r\n",
      "EAW.INI");
  const auto ini = f.game / "EAW.INI";
  fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(f.boxes().text6, "600");
  EXPECT_EQ(f.boxes().text7, "15.5");  // the last of two Day= lines
  EXPECT_EQ(f.boxes().text4, "0");
  EXPECT_EQ(f.boxes().text11, "");  // no PlaneSetNumber= line: the box keeps its text
  f.boxes().text5 = "1024";
  f.pressEnter();
  EXPECT_EQ(readFile(ini),
            "[Display]\r\nWidth=1024\r\nwidth=640\r\nWidth = 700\r\nHeight=600\r\n"
            "Pilot=Ren\xe9 M\xfcller\r\nDay=15.5\r\nMonth=7\r\nDay=15.5\r\nExtraSquads=0\r\n");
  EXPECT_FALSE(test::holdsEntrySpelled(f.game.path(), "eaw.ini"));
  EXPECT_FALSE(fs::exists(f.game / "eaw.ink"));
  EXPECT_TRUE(f.shell.messages.empty());
}

// Players set eaw.ini read-only so that the game keeps their settings: a save through a box or
// the viewer replaces it, marks it read-only again and says so; a writable one stays writable.
TEST(GameSettingsTest, AReadOnlyEawIniIsSavedAndStaysReadOnly) {
  SettingsFixture f("Width=800\r\nHeight=600\r\n");
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  fs::permissions(f.ini(), readOnly);
  f.boxes().text5 = "1024";
  f.pressEnter();
  EXPECT_EQ(readFile(f.ini()), "Width=1024\r\nHeight=600\r\n");
  EXPECT_FALSE(test::ownerWritable(f.ini()));
  ASSERT_FALSE(f.shell.statuses.empty());
  EXPECT_EQ(f.shell.statuses.back(),
            "Saved Width=1024 in eaw.ini. eaw.ini stays read-only, as it was.");
  f.saveViewer("Width=640");
  EXPECT_EQ(readFile(f.ini()), "Width=640\r\n");
  EXPECT_FALSE(test::ownerWritable(f.ini()));
  EXPECT_EQ(f.shell.statuses.back(), "Saved eaw.ini. eaw.ini stays read-only, as it was.");
#ifndef _WIN32
  EXPECT_EQ(fs::status(f.ini()).permissions(), readOnly);
#endif
  fs::permissions(f.ini(), fs::perms::owner_write, fs::perm_options::add);
  f.saveViewer("Width=800");
  EXPECT_TRUE(test::ownerWritable(f.ini()));
  EXPECT_EQ(f.shell.statuses.back(), "Saved eaw.ini.");
  EXPECT_TRUE(f.shell.messages.empty());
}

// On a full disk even the journal cannot be written: the message says which of the player's
// files was not saved and why before it names the journal, and nothing changes.
TEST(GameSettingsTest, AFullDiskNamesTheFileThatWasNotSaved) {
#ifdef _WIN32
  GTEST_SKIP() << "a small disk is mounted on Linux only";
#else
  if (!test::runningAsRoot()) GTEST_SKIP() << "mounting a small disk needs root";
  TempDir base;
  const auto disk = base / "disk";
  fs::create_directories(disk);
  if (test::runShellCommand("mount -t tmpfs -o size=2m tmpfs '" + disk.string() + "'") != 0) {
    GTEST_SKIP() << "this system refused to mount a small tmpfs";
  }
  struct Unmount {
    fs::path dir;
    ~Unmount() { test::runShellCommand("umount '" + dir.string() + "'"); }
  } unmount{disk};
  RecordingShell shell;
  Selector selector{shell};
  const auto game = disk / "EAW";
  writeFile(game / "eaw.ini", "Width=800\r\n");
  selector.startUp(game);
  ASSERT_TRUE(shell.messages.empty());
  // The rest of the disk taken, a block at a time, until it is full.
  {
    std::ofstream filler(disk / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
  }
  const auto before = snapshot(game);
  selector.state.settings.text5 = "1024";
  const auto saved = selector.settings.inisave(selector.state.settings);
  EXPECT_TRUE(saved.failure.starts_with("eaw.ini was not saved: the disk is full.\r\n"))
      << saved.failure;
  EXPECT_NE(saved.failure.find(std::string(kJournalName)), std::string::npos) << saved.failure;
  const auto viewer = selector.settings.InSaver_Click("Width=640");
  EXPECT_TRUE(viewer.failure.starts_with("eaw.ini was not saved: the disk is full."))
      << viewer.failure;
  const auto script = selector.scripts.SaveAutoscript("Tonight", "T-Normandy", false);
  EXPECT_TRUE(
      script.failure.starts_with("The autoscript Tonight.set was not saved: the disk is full."))
      << script.failure;
  EXPECT_EQ(snapshot(game), before);
#endif
}

// A typed value the game cannot take is refused by the name of its box and nothing is written;
// values eaw.ini held already go back as they were, whatever they are.
TEST(GameSettingsTest, TypedValuesOutsideTheGamesRangeAreRefusedByTheirBox) {
  const std::string ini =
      "Width=800\r\nHeight=600\r\nExtraSquads=3\r\nDay=15.50\r\nMonth=7\r\n"
      "PlaneSetNumber=2\r\n";
  SettingsFixture f(ini);
  struct Typed {
    std::string SettingsBoxes::*box;
    std::string value;
    std::string named;
  };
  for (const Typed& typed : std::vector<Typed>{{&SettingsBoxes::text7, "abc", "Day must be"},
                                               {&SettingsBoxes::text7, "32", "Day must be"},
                                               {&SettingsBoxes::text7, "0", "Day must be"},
                                               {&SettingsBoxes::text88, "13", "Month must be"},
                                               {&SettingsBoxes::text5, "319", "Width must be"},
                                               {&SettingsBoxes::text6, "7681", "Height must be"},
                                               {&SettingsBoxes::text5, "1024.5", "Width must be"},
                                               {&SettingsBoxes::text5, " 1024", "Width must be"},
                                               {&SettingsBoxes::text11, "-1", "Planeset ("},
                                               {&SettingsBoxes::text11, "", "Planeset ("}}) {
    SCOPED_TRACE(typed.value);
    SettingsFixture fresh(ini);
    fresh.boxes().text5 = "1024";
    fresh.boxes().*typed.box = typed.value;
    fresh.pressEnter();
    EXPECT_EQ(readFile(fresh.ini()), ini);
    ASSERT_EQ(fresh.shell.messages.size(), 1u);
    EXPECT_EQ(fresh.shell.messages[0].text.rfind(typed.named, 0), 0u)
        << fresh.shell.messages[0].text;
    // The typed value stays for the player to mend.
    EXPECT_EQ(fresh.boxes().*typed.box, typed.value);
  }
  // The edges of each range are taken; the Day that eaw.ini held goes back as read.
  f.boxes() = {"320", "7680", "0", "15.5", "12", "0"};
  f.pressEnter();
  EXPECT_EQ(readFile(f.ini()),
            "Width=320\r\nHeight=7680\r\nExtraSquads=0\r\nDay=15.5\r\nMonth=12\r\n"
            "PlaneSetNumber=0\r\n");
  f.boxes().text7 = "1";
  f.boxes().text5 = "7680";
  f.pressEnter();
  EXPECT_EQ(readFile(f.ini()),
            "Width=7680\r\nHeight=7680\r\nExtraSquads=0\r\nDay=1\r\nMonth=12\r\n"
            "PlaneSetNumber=0\r\n");
  EXPECT_TRUE(f.shell.messages.empty());
}

// Nothing is saved before start-up ends or without an eaw.ini; a failed save names the file and
// keeps the typed value for another try, and one that cannot start because a change is unfinished
// says so as loudly.
TEST(GameSettingsTest, WhatIsNotSavedLeavesTheGameFolderAsItWas) {
  enum Case { kStarting, kNoIni, kReadOnlyFolder, kUnfinished };
  for (const Case c : {kStarting, kNoIni, kReadOnlyFolder, kUnfinished}) {
    SCOPED_TRACE(c);
    if (c == kReadOnlyFolder && test::whyModesCannotFail()) continue;
    SettingsFixture f(c == kNoIni ? "" : "Width=800\r\nHeight=600");
    if (c == kStarting) f.selector.state.GridReady = false;
    if (c == kUnfinished) writeFile(f.selector.state.SelectorDir / "Unfinished change.kvo", "-");
    const auto before = snapshot(f.game.path());
    const auto writes = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if (c == kReadOnlyFolder) fs::permissions(f.game.path(), writes, fs::perm_options::remove);
    f.boxes().text5 = "640";
    f.pressEnter();
    report(f.selector.settings.IniEdit_Click(), f.shell);
    if (c != kStarting) f.saveViewer("Width=1");  // only Enter waits for start-up to end
    fs::permissions(f.game.path(), fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(snapshot(f.game.path()), before);
    EXPECT_EQ(f.boxes().text5, "640");
    ASSERT_EQ(f.shell.messages.size(), c == kReadOnlyFolder || c == kUnfinished ? 2u : 0u);
    for (const auto& message : f.shell.messages) {
      EXPECT_TRUE(c == kUnfinished ? message.icon == Icon::Critical
                                   : message.text.find("eaw.ini") != std::string::npos)
          << message.text;
    }
  }
}

// A leftover eaw.ink link is neither followed nor touched; an eaw.ini link is read, then
// replaced by a file of its own.
TEST(SettingsChangeTest, LinksAtEawIniOrEawInkAreNeverWrittenThrough) {
  if (const char* why = test::whyNoLinks()) GTEST_SKIP() << why;
  for (const std::string link : {"eaw.ink", "eaw.ini"}) {
    SCOPED_TRACE(link);
    TempDir outside;
    writeFile(outside / "sentinel", "Width=1\r\n");
    fs::permissions(outside / "sentinel", fs::perms::owner_read | fs::perms::group_read);
    const auto before = test::exactTree(outside.path());
    SettingsFixture f(
        link == "eaw.ink" ? "Width=1024\r\n" : "", "eaw.ini",
        [&](const fs::path& dir) { fs::create_symlink(outside / "sentinel", dir / link); });
    EXPECT_EQ(f.boxes().text5, link == "eaw.ink" ? "1024" : "1");
    f.boxes().text5 = "640";
    f.pressEnter();
    EXPECT_EQ(readFile(f.ini()), "Width=640\r\n");
    f.saveViewer("Width=800");
    EXPECT_EQ(readFile(f.ini()), "Width=800\r\n");
    EXPECT_FALSE(fs::is_symlink(f.ini()));
    EXPECT_EQ(test::exactTree(outside.path()), before);
    EXPECT_TRUE(f.shell.messages.empty());
    if (link == "eaw.ink") {
      EXPECT_EQ(fs::read_symlink(f.game / link), outside / "sentinel");
    }
  }
}

#ifndef _WIN32
void writeScript(const fs::path& path, std::string_view body) {
  writeFile(path, "#!/bin/sh\n" + std::string(body));
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

// A detached program runs on its own; its marker file shows up some time after the start.
std::optional<std::string> waitForFile(const fs::path& path) {
  using namespace std::chrono_literals;
  for (int tries = 0; tries < 500 && !fs::exists(path); ++tries) std::this_thread::sleep_for(20ms);
  std::this_thread::sleep_for(50ms);  // let the script finish its line
  return fs::exists(path) ? std::optional(readFile(path)) : std::nullopt;
}

// PATH holds only a folder of our own for the life of the object.
struct PathOnly {
  explicit PathOnly(const fs::path& folder) { setenv("PATH", folder.c_str(), 1); }
  ~PathOnly() { setenv("PATH", old.c_str(), 1); }
  std::string old = std::getenv("PATH") ? std::getenv("PATH") : "";
};
#endif

// Records like the test shell, and really starts programs once asked to.
class StartingShell final : public RecordingShell {
 public:
  bool startProgram(const fs::path& exe, const fs::path& workingDir, std::string& error) override {
    if (really && !startDetached(exe, workingDir, error)) return false;
    return RecordingShell::startProgram(exe, workingDir, error);
  }
  bool really = false;
};

// A started program holds none of the selector's standard streams open, and a path relative to
// the selector's current folder still finds it after the child has changed folder.
TEST(LaunchTest, LabelsStartTheSelectedProgramDetachedAndThenMinimiseOrQuit) {
  TempDir game;
  TempDir bin;
  writeFile(game / "eaw.exe", "MZ");
#ifndef _WIN32
  PathOnly path(bin.path());
#endif
  StartingShell shell;
  Selector selector(shell);
  selector.startUp(game.path());
  auto& launcher = selector.launcher;
  const auto launch = [&](int label) { report(launcher.Label28_Click(label, "eaw.exe"), shell); };
  launcher.Label28_Click(2, "");
  EXPECT_TRUE(shell.started.empty()) << "nothing is selected yet";
  const std::pair<int, int> minimisedAndQuit[] = {{0, 0}, {1, 0}, {1, 1}};
  for (int label = 0; label < 3; ++label) {
    launch(label);
    EXPECT_EQ(shell.minimised, minimisedAndQuit[label].first) << label;
    EXPECT_EQ(shell.quitRequests, minimisedAndQuit[label].second) << label;
  }
  EXPECT_EQ(shell.started, std::vector<fs::path>(3, game / "eaw.exe"));
  launcher.Command3_Click();
  EXPECT_EQ(shell.quitRequests, 2);
  shell.really = true;
  launch(2);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_NE(shell.messages[0].text.find("eaw.exe"), std::string::npos);
  EXPECT_EQ(shell.quitRequests, 2) << "the selector stays";
  std::string error;
  EXPECT_FALSE(startDetached(game / "missing", game.path(), error));
  EXPECT_FALSE(error.empty());
#ifndef _WIN32
  // Windows starts game programs itself; here Wine from the PATH runs them.
  EXPECT_NE(shell.messages[0].text.find("wine"), std::string::npos);
  writeScript(bin / "wine",
              "PATH=/usr/bin:/bin readlink /proc/self/fd/0 /proc/self/fd/2 > streams.txt\n"
              "pwd > wine-ran.txt\necho \"$1\" >> wine-ran.txt\n");
  launch(2);
  auto marker = waitForFile(game / "wine-ran.txt");
  ASSERT_TRUE(marker) << "the program did not run";
  const auto real = fs::canonical(game.path()).string();
  EXPECT_EQ(*marker, real + "\n" + (game / "eaw.exe").string() + "\n");
  EXPECT_EQ(readFile(game / "streams.txt"), "/dev/null\n/dev/null\n");
  EXPECT_EQ(shell.quitRequests, 3);
  const auto oldCurrent = fs::current_path();
  fs::current_path(bin.path().parent_path());
  const fs::path relative = bin.path().filename();
  const bool started = startDetached(relative / "wine", relative, error);
  fs::current_path(oldCurrent);
  ASSERT_TRUE(started) << error;
  marker = waitForFile(bin / "wine-ran.txt");
  ASSERT_TRUE(marker);
  EXPECT_EQ(*marker, fs::canonical(bin.path()).string() + "\n\n");
#endif
}

// Equal slots keep their order, and colours and hidden rows move with their rows.
TEST(LaunchTest, SlotHeadingSortsPlanesNumericallyKeepingHeaderAndColours) {
  Unstarted f;
  auto& g1 = f.selector.state.G1;
  g1.setText(0, 0, "Slot");
  for (const char* row : {"10\tb\t\t\tS", "9\tA", "x\tc", "nan\td", "-2\tB", "9\ta"})
    g1.addRow(row);
  g1.setBack(1, 4, kLoadedGreen);
  g1.setRowHeight(3, 0);
  f.selector.planes.Label20_Click(0);
  EXPECT_EQ(g1.text(0, 0), "Slot");
  EXPECT_EQ(test::gridColumn(g1, 0), (Texts{"-2", "9", "9", "10", "nan", "x"}));
  EXPECT_EQ(test::gridColumn(g1, 1), (Texts{"B", "A", "a", "b", "d", "c"}));
  EXPECT_EQ(g1.back(4, 4), kLoadedGreen);
  EXPECT_FALSE(g1.rowVisible(6));
  sortRowsAscending(g1, 1);
  EXPECT_EQ(test::gridColumn(g1, 1), (Texts{"A", "a", "B", "b", "c", "d"}));
}

}  // namespace
}  // namespace kvo
