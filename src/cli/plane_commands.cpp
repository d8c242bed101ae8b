#include "cli/commands.h"

namespace kvo {

namespace {

// Makes the first `SK1` row named like the first argument current; false (exit 2) when none.
bool selectSkinRow(CommandContext& c) {
  auto& grid = c.selector.state.SK1;
  const int row = grid.findRow(0, c.args[0]);
  if (row < 1) {
    c.err << "kvo: no skin folder is named \"" << c.args[0] << "\"\n";
    return false;
  }
  grid.row = row;
  grid.col = 0;
  return true;
}

int listPlanes(CommandContext& c) {
  const auto& grid = c.selector.state.G1;
  for (int r = 1; r < grid.rows(); ++r) {
    c.out << (grid.text(r, 4) == "S" ? "S" : "-");
    for (int col : {1, 2, 0, 3}) c.out << '\t' << grid.text(r, col);
    c.out << '\n';
  }
  return kExitDone;
}

int skin(CommandContext& c) {
  if (!selectSkinRow(c)) return kExitUsage;
  c.selector.skins.ApplySkinRow();
  return kExitDone;
}

int clearSkins(CommandContext& c) {
  c.selector.skins.Skinkill();
  return kExitDone;
}

int renameSkin(CommandContext& c) {
  if (!selectSkinRow(c)) return kExitUsage;
  c.selector.state.Text3 = c.args[1];
  c.selector.skins.RenameSkin();
  return kExitDone;
}

}  // namespace

std::vector<CommandSpec> planeCommands() {
  return {
      {{"list", "planes"}, 0, 0, "list planes", listPlanes},
      {{"skin"}, 1, 1, "skin NAME", skin},
      {{"clear-skins"}, 0, 0, "clear-skins", clearSkins},
      {{"rename-skin"}, 2, 2, "rename-skin OLD NEW", renameSkin},
  };
}

}  // namespace kvo
