#include "cli/commands.h"
#include "engine/deployment_check.h"
#include "engine/keep_originals.h"
#include "platform/listing.h"

namespace kvo {

namespace {

int conflicts(const FormState& state, GameFolder& game, CommandContext& c) {
  const auto& grid = state.Unigrid;
  const auto& name = c.args[0];
  const int row = grid.findRow(1, name);
  if (row < 1) return c.usage("no folder named \"" + name + "\" in the folder list");
  const auto folder = nameToPath(grid.text(row, 0));
  for (const auto& conflict : loadConflicts(state, game.listing(), folder)) {
    c.out << conflict.file << '\t' << conflict.provider << '\n';
  }
  return kExitDone;
}

int verify(const FormState& state, GameFolder& game, CommandContext& c) {
  const auto faults = verifyDeployment(state, game.listing());
  for (const auto& fault : faults) {
    c.out << fault.file << '\t' << fault.provider << '\t' << fault.fault << '\n';
  }
  if (faults.empty()) return kExitDone;
  return c.report(Outcome::refused(
      "verify", std::to_string(faults.size()) +
                    (faults.size() == 1 ? " loaded file is" : " loaded files are") +
                    " not what the folder that provided it holds."));
}

// Prints the option's word, or sets it to the word given: `command` takes `choices`.
int switchCommand(FormState& state, GameFolder& game, CommandContext& c, const SwitchOption& option,
                  std::string_view command, std::string_view choices) {
  if (c.args.empty()) {
    c.out << option.words[state.*option.field ? 1 : 0] << '\n';
    return kExitDone;
  }
  const auto& value = c.args[0];
  if (value != option.words[0] && value != option.words[1]) {
    return c.usage(std::string(command) + " takes " + std::string(choices) + ", not \"" + value +
                   "\"");
  }
  return c.report(setSwitch(state, game, option, value == option.words[1]));
}

}  // namespace

std::vector<CommandSpec> deploymentCommands() {
  return {
      {{"conflicts"},
       1,
       1,
       "conflicts NAME",
       false,
       [](Selector& s, CommandContext& c) { return conflicts(s.state, s.game, c); }},
      {{"verify"},
       0,
       0,
       "verify",
       false,
       [](Selector& s, CommandContext& c) { return verify(s.state, s.game, c); }},
      {{"keep-originals"},
       0,
       1,
       "keep-originals [on|off]",
       true,
       [](Selector& s, CommandContext& c) {
         return switchCommand(s.state, s.game, c, kKeepOriginalsOption, "keep-originals",
                              "on or off");
       }},
      {{"deploy-by"},
       0,
       1,
       "deploy-by [copy|link]",
       true,
       [](Selector& s, CommandContext& c) {
         return switchCommand(s.state, s.game, c, kDeployByOption, "deploy-by", "copy or link");
       }},
  };
}

}  // namespace kvo
