#include "cli/commands.h"
#include "state/load_record.h"

namespace kvo {

namespace {

int status(CommandContext& c) {
  for (const auto& name : loadedSelection(c.selector.state)) c.out << name << '\n';
  return kExitDone;
}

void printGridRows(const Grid& grid, int markCol, std::initializer_list<int> cols,
                   std::ostream& out) {
  for (int r = 1; r < grid.rows(); ++r) {
    out << (grid.text(r, markCol) == "S" ? "S" : "-");
    for (int col : cols) out << '\t' << grid.text(r, col);
    out << '\n';
  }
}

int listFolders(CommandContext& c) {
  const auto& grid = c.selector.state.Unigrid;
  for (int r = 1; r < grid.rows(); ++r) {
    const auto& name = grid.text(r, 1);
    c.out << (grid.text(r, 2) == "S" ? "S" : "-") << '\t' << name.substr(0, 1) << '\t' << name
          << '\n';
  }
  return kExitDone;
}

int listSkins(CommandContext& c) {
  printGridRows(c.selector.state.SK1, 1, {2, 0}, c.out);
  return kExitDone;
}

int click(CommandContext& c) {
  auto& grid = c.selector.state.Unigrid;
  const auto& name = c.args[0];
  const int row = grid.findRow(1, name);
  if (row < 1) {
    c.err << "kvo: no folder named \"" << name << "\" in the folder list\n";
    return kExitUsage;
  }
  grid.row = row;
  grid.col = 1;
  c.selector.engine.Unigrid_Click();
  return kExitDone;
}

int reset(CommandContext& c) {
  c.selector.reset.Command1_Click();
  return kExitDone;
}

int delMsn(CommandContext& c) {
  c.selector.reset.delmsn_Click();
  return kExitDone;
}

}  // namespace

std::vector<CommandSpec> folderCommands() {
  return {
      {{"status"}, 0, 0, "status", status},
      {{"list", "folders"}, 0, 0, "list folders", listFolders},
      {{"list", "skins"}, 0, 0, "list skins", listSkins},
      {{"click"}, 1, 1, "click NAME", click},
      {{"reset"}, 0, 0, "reset", reset},
      {{"del-msn"}, 0, 0, "del-msn", delMsn},
  };
}

}  // namespace kvo
