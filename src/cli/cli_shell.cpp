#include "cli/cli_shell.h"

#include "platform/start_program.h"

namespace kvo {

namespace {

std::string plainLines(std::string_view text) {
  std::string line(text);
  // Message boxes break lines with CR LF; a terminal wants plain line feeds.
  std::erase(line, '\r');
  return line;
}

}  // namespace

void CliShell::message(std::string_view text, Icon, std::string_view) {
  err_ << plainLines(text) << '\n';
}

bool CliShell::ask(std::string_view text, std::string_view) {
  err_ << plainLines(text) << '\n';
  return false;
}

bool CliShell::startProgram(const std::filesystem::path& exe,
                            const std::filesystem::path& workingDir, std::string& error) {
  return startDetached(exe, workingDir, error);
}

}  // namespace kvo
