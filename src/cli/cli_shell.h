#pragma once

#include <ostream>
#include <string>

#include "state/shell.h"

namespace kvo {

// The command line's Shell: message boxes go to stderr, the status line nowhere (a command's
// output is its listing), and questions are answered no.
class CliShell final : public Shell {
 public:
  explicit CliShell(std::ostream& err) : err_(err) {}

  void message(std::string_view text, Icon icon, std::string_view title) override;
  bool ask(std::string_view text, std::string_view title) override;
  void status(std::string_view) override {}
  void setCaption(std::string_view) override {}
  void progress(int, int) override {}
  std::string clipboardText() override { return clipboard_; }
  void setClipboardText(std::string_view text) override { clipboard_ = text; }
  bool startProgram(const std::filesystem::path& exe, const std::filesystem::path& workingDir,
                    std::string& error) override;
  void minimise() override {}
  void quit() override {}

 private:
  std::ostream& err_;
  std::string clipboard_;
};

}  // namespace kvo
