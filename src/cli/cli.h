#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/exit_status.h"

namespace kvo {

// The parsed global options and the command words.
struct CliArguments {
  std::filesystem::path gameDir;
  bool includeFlt = false;
  bool dryRun = false;      // plan the command's change and print it instead of making it
  bool askGameDir = false;  // the window asks for the game folder instead of taking gameDir
  bool help = false;
  bool version = false;
  std::vector<std::string> words;  // the command and its arguments
  std::string usageError;          // set when the options cannot be parsed
};

// Splits argv (without the program name) into global options and command words.
CliArguments parseCliArguments(const std::vector<std::string>& args,
                               const std::filesystem::path& currentDir);

// Runs one headless command on the game folder and returns the exit code. Whatever goes
// wrong, it returns: an unexpected error becomes one message on `err` and kExitFailed.
int runCliCommand(const CliArguments& arguments, std::ostream& out, std::ostream& err);

// The usage text printed by --help.
std::string cliUsage();

}  // namespace kvo
