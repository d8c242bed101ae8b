#include "cli/commands.h"
#include "engine/deployment_check.h"
#include "engine/keep_originals.h"
#include "platform/listing.h"

namespace kvo {

namespace {

int conflicts(CommandContext& c) {
  const auto& grid = c.selector.state.Unigrid;
  const auto& name = c.args[0];
  const int row = grid.findRow(1, name);
  if (row < 1) {
    c.err << "kvo: no folder named \"" << name << "\" in the folder list\n";
    return kExitUsage;
  }
  const auto folder = nameToPath(grid.text(row, 0));
  for (const auto& conflict : loadConflicts(c.selector.core, folder)) {
    c.out << conflict.file << '\t' << conflict.provider << '\n';
  }
  return kExitDone;
}

int verify(CommandContext& c) {
  const auto faults = verifyDeployment(c.selector.core);
  for (const auto& fault : faults) {
    c.out << fault.file << '\t' << fault.provider << '\t' << fault.fault << '\n';
  }
  if (faults.empty()) return kExitDone;
  c.err << faults.size() << (faults.size() == 1 ? " loaded file is" : " loaded files are")
        << " not what the folder that provided it holds.\n";
  return kExitFailed;
}

int keepOriginals(CommandContext& c) {
  auto& st = c.selector.state;
  if (c.args.empty()) {
    c.out << (st.KeepOriginals ? "on" : "off") << '\n';
    return kExitDone;
  }
  const auto& value = c.args[0];
  if (value != "on" && value != "off") {
    c.err << "kvo: keep-originals takes on or off, not \"" << value << "\"\n";
    return kExitUsage;
  }
  return setKeepOriginals(c.selector.core, value == "on") ? kExitDone : kExitFailed;
}

}  // namespace

std::vector<CommandSpec> deploymentCommands() {
  return {
      {{"conflicts"}, 1, 1, "conflicts NAME", conflicts},
      {{"verify"}, 0, 0, "verify", verify},
      {{"keep-originals"}, 0, 1, "keep-originals [on|off]", keepOriginals},
  };
}

}  // namespace kvo
