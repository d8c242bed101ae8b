#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "app/selector.h"
#include "cli/cli.h"
#include "state/outcome.h"
#include "state/shell.h"

namespace kvo {

// What a command has at hand besides the subsystems it uses: its words, the output streams,
// and the one way it tells what its operation did.
struct CommandContext {
  std::span<const std::string> args;  // the words after the command name
  std::ostream& out;
  std::ostream& err;
  Shell& shell;
  bool dryRun = false;

  // Tells the outcome and gives the exit status: in a dry run the plan's lines on stdout (and
  // the reason on stderr when it would be refused), else as report() does.
  int report(const Outcome& outcome);
  // Says on stderr what is wrong with the command's words; kExitUsage.
  int usage(const std::string& text);
};

// One headless command: its words ("list folders"), how many arguments it takes, whether it
// changes files (a dry run plans it), and how it runs: the table entry hands the command the
// subsystems it uses from the started selector.
struct CommandSpec {
  std::vector<std::string> words;
  int minArgs;
  int maxArgs;  // -1: any number
  std::string usage;
  bool changesFiles;
  std::function<int(Selector&, CommandContext&)> run;
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

// The entry of `items` named `name`, the exact spelling first, then in any letter case; -1.
int findItem(const std::vector<std::string>& items, const std::string& name);

}  // namespace kvo
