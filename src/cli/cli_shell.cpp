#include "cli/cli_shell.h"

#include "platform/start_program.h"

namespace kvo {

void CliShell::message(std::string_view text, Icon icon, std::string_view) {
  std::string line(text);
  // Message boxes break lines with CR LF; a terminal wants plain line feeds.
  std::erase(line, '\r');
  err_ << line << '\n';
  if (icon == Icon::Critical || icon == Icon::Exclamation) failed = true;
}

bool CliShell::ask(std::string_view text, std::string_view) {
  std::string line(text);
  std::erase(line, '\r');
  if (!answerQuestions) err_ << line << '\n';
  return answerQuestions;
}

bool CliShell::startProgram(const std::filesystem::path& exe,
                            const std::filesystem::path& workingDir, std::string& error) {
  (void)out_;
  return startDetached(exe, workingDir, error);
}

}  // namespace kvo
