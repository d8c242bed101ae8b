#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kvo {

struct Changes;

enum class Icon { None, Information, Exclamation, Critical, Question };

// The one way the core reaches the player: the window, the command line and the tests each
// implement it.
class Shell {
 public:
  virtual ~Shell() = default;
  // A modal message box.
  virtual void message(std::string_view text, Icon icon, std::string_view title) = 0;
  // A yes/no question; true for yes.
  virtual bool ask(std::string_view text, std::string_view title) = 0;
  // The status line: what the last action did.
  virtual void status(std::string_view text) = 0;
  // The main window's caption, used for progress during long file work.
  virtual void setCaption(std::string_view caption) = 0;
  // Progress of a long operation: done of total steps; total 0 ends it.
  virtual void progress(int done, int total) = 0;
  // A checked change of these files and marks starts to run; the window shows which rows it
  // loads and unloads until the operation ends.
  virtual void changeStarts(const Changes& /*changes*/) {}
  virtual std::string clipboardText() = 0;
  virtual void setClipboardText(std::string_view text) = 0;
  // Starts a program in `workingDir` without waiting; false and `error` when it cannot start.
  virtual bool startProgram(const std::filesystem::path& exe,
                            const std::filesystem::path& workingDir, std::string& error) = 0;
  virtual void minimise() = 0;
  // Asks the program to end (after the current handler returns).
  virtual void quit() = 0;
};

}  // namespace kvo
