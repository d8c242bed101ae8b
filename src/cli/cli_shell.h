#pragma once

#include <ostream>
#include <string>

#include "state/shell.h"

namespace kvo {

// The command line's Shell: message boxes go to stderr, a warning or error counts as a
// failure of the command, and questions get the answer the command line was given.
class CliShell final : public Shell {
 public:
  CliShell(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  void message(std::string_view text, Icon icon, std::string_view title) override;
  bool ask(std::string_view text, std::string_view title) override;
  void setCaption(std::string_view) override {}
  void progress(int, int) override {}
  std::string clipboardText() override { return clipboard_; }
  void setClipboardText(std::string_view text) override { clipboard_ = text; }
  bool startProgram(const std::filesystem::path& exe, const std::filesystem::path& workingDir,
                    std::string& error) override;
  void minimise() override {}
  void quit() override {}

  bool failed = false;           // a warning or error was shown since the last reset
  bool answerQuestions = false;  // what ask() answers

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::string clipboard_;
};

}  // namespace kvo
