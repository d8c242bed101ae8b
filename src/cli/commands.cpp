#include "cli/commands.h"

namespace kvo {

const std::vector<CommandSpec>& allCommands() {
  static const std::vector<CommandSpec> commands = [] {
    std::vector<CommandSpec> all;
    for (auto&& group : {folderCommands(), planeCommands(), settingsCommands(), scriptCommands(),
                         deploymentCommands(), archiveCommands()}) {
      all.insert(all.end(), group.begin(), group.end());
    }
    return all;
  }();
  return commands;
}

}  // namespace kvo
