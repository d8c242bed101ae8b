#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "state/shell.h"

namespace kvo::test {

// A fresh folder in the system's temporary folder (or in `base`), removed with all it holds.
class TempDir final {
 public:
  explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path());
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);

// Every file below `root` by its "/"-separated relative path with its bytes; folders end in "/".
using Tree = std::map<std::string, std::string>;
Tree snapshot(const std::filesystem::path& root);

// True with root rights, which ignore modes: permission tests skip then (see whyModesCannotFail).
bool runningAsRoot();

// Why file and folder modes cannot stage a permission failure here (root, Windows), or nullptr.
const char* whyModesCannotFail();

// True when the owner may write to `path`, as a player's copy of a game file must allow.
bool ownerWritable(const std::filesystem::path& path);

// True when `dir` holds an entry spelled exactly `name`, which fs::exists cannot tell on Windows.
bool holdsEntrySpelled(const std::filesystem::path& dir, std::string_view name);

// Runs a command line through the system's shell; its exit code, or -1 when it did not exit.
int runShellCommand(const std::string& commandLine);

// The program the environment `variable` names (the unprivileged pass's copy), else `built`.
std::string programPath(const char* variable, const char* built);

// A Shell that records what the core shows to the player; a test may derive to start programs.
class RecordingShell : public Shell {
 public:
  struct Message {
    std::string text;
    Icon icon;
    std::string title;
  };
  void message(std::string_view text, Icon icon, std::string_view title) override {
    messages.push_back({std::string(text), icon, std::string(title)});
  }
  bool ask(std::string_view, std::string_view) override { return true; }
  void status(std::string_view text) override { statuses.emplace_back(text); }
  void setCaption(std::string_view caption) override { captions.emplace_back(caption); }
  void progress(int, int) override { ++progressCalls; }
  std::string clipboardText() override { return clipboard; }
  void setClipboardText(std::string_view text) override { clipboard = text; }
  bool startProgram(const std::filesystem::path& exe, const std::filesystem::path&,
                    std::string&) override {
    started.push_back(exe);
    return true;
  }
  void minimise() override { ++minimised; }
  void quit() override { ++quitRequests; }

  std::vector<Message> messages;
  std::vector<std::string> statuses;
  std::vector<std::string> captions;
  std::vector<std::filesystem::path> started;
  std::string clipboard;
  int progressCalls = 0;
  int minimised = 0;
  int quitRequests = 0;
};

}  // namespace kvo::test
