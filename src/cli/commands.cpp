#include "cli/commands.h"

#include "platform/listing.h"

namespace kvo {

namespace {

// Message boxes break lines with CR LF; a terminal wants plain line feeds.
std::string plainLines(std::string_view text) {
  std::string lines(text);
  std::erase(lines, '\r');
  return lines;
}

}  // namespace

int CommandContext::report(const Outcome& outcome) {
  if (!outcome.planned) return kvo::report(outcome, shell);
  for (const auto& line : outcome.changes.lines()) out << line << '\n';
  if (outcome.ok()) return kExitDone;
  err << plainLines(outcome.failure) << '\n';
  return kExitFailed;
}

int CommandContext::usage(const std::string& text) {
  err << "kvo: " << text << '\n';
  return kExitUsage;
}

int findItem(const std::vector<std::string>& items, const std::string& name) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == name) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (equalsNoCase(items[i], name)) return static_cast<int>(i);
  }
  return -1;
}

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
