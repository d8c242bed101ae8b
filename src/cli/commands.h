#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "app/selector.h"
#include "cli/cli.h"
#include "cli/cli_shell.h"

namespace kvo {

// What a command has at hand: the started selector, its shell and the output streams.
struct CommandContext {
  Selector& selector;
  CliShell& shell;
  std::ostream& out;
  std::ostream& err;
  std::span<const std::string> args;  // the words after the command name
};

// One headless command: its words ("list folders"), how many arguments it takes, and the
// operation. `run` returns an exit code.
struct CommandSpec {
  std::vector<std::string> words;
  int minArgs;
  int maxArgs;  // -1: any number
  std::string usage;
  int (*run)(CommandContext& context);
};

// Every command of the kvo program.
const std::vector<CommandSpec>& allCommands();

// The commands of each area, gathered by allCommands().
std::vector<CommandSpec> folderCommands();
std::vector<CommandSpec> planeCommands();
std::vector<CommandSpec> settingsCommands();
std::vector<CommandSpec> scriptCommands();
std::vector<CommandSpec> deploymentCommands();
std::vector<CommandSpec> archiveCommands();

}  // namespace kvo
