#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "app/launcher.h"
#include "app/selector.h"
#include "engine/engine_fixture.h"
#include "platform/start_program.h"
#include "state/grid_sort.h"

namespace kvo {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Texts = std::vector<std::string>;

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
class StartingShell final : public test::RecordingShell {
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
  test::TempDir game;
  test::TempDir bin;
  writeFile(game / "eaw.exe", "MZ");
#ifndef _WIN32
  PathOnly path(bin.path());
#endif
  StartingShell shell;
  Selector selector(shell);
  selector.startUp(game.path());
  auto& launcher = selector.launcher;
  launcher.Label28_Click(2);
  EXPECT_TRUE(shell.started.empty()) << "nothing is selected yet";
  selector.state.List6.index = 0;
  const std::pair<int, int> minimisedAndQuit[] = {{0, 0}, {1, 0}, {1, 1}};
  for (int label = 0; label < 3; ++label) {
    launcher.Label28_Click(label);
    EXPECT_EQ(shell.minimised, minimisedAndQuit[label].first) << label;
    EXPECT_EQ(shell.quitRequests, minimisedAndQuit[label].second) << label;
  }
  EXPECT_EQ(shell.started, std::vector<fs::path>(3, game / "eaw.exe"));
  launcher.Command3_Click();
  EXPECT_EQ(shell.quitRequests, 2);
  shell.really = true;
  launcher.Label28_Click(2);
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
  launcher.Label28_Click(2);
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
  test::RecordingShell shell;
  Selector selector(shell);
  auto& g1 = selector.state.G1;
  g1.setText(0, 0, "Slot");
  for (const char* row : {"10\tb\t\t\tS", "9\tA", "x\tc", "nan\td", "-2\tB", "9\ta"})
    g1.addRow(row);
  g1.setBack(1, 4, kLoadedGreen);
  g1.setRowHeight(3, 0);
  selector.planes.Label20_Click(0);
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
