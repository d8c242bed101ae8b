#include "cli/commands.h"
#include "platform/listing.h"

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

int plane(CommandContext& c) {
  auto& grid = c.selector.state.G1;
  const int row = grid.findRow(0, c.args[0]);
  if (row < 1) {
    c.err << "kvo: no alternative plane folder is named \"" << c.args[0] << "\"\n";
    return kExitUsage;
  }
  grid.row = row;
  grid.col = 0;
  c.selector.planes.ApplyPlaneRow();
  return kExitDone;
}

// The Option1 button of a percentage, or -1.
int fuelButton(const std::string& percent) {
  const char* const captions[] = {"100", "75", "50", "25", "10", "5"};
  for (int i = 0; i < 6; ++i) {
    if (percent == captions[i] || percent == std::string(captions[i]) + "%") return i;
  }
  return -1;
}

int fuel(CommandContext& c) {
  auto& st = c.selector.state;
  const auto code = toUpperAscii(c.args[0]);
  int entry = -1;
  for (std::size_t i = 2; i < st.List1.items.size(); ++i) {
    if (st.List1.items[i] == code) entry = static_cast<int>(i);
  }
  const int button = fuelButton(c.args[1]);
  if (entry < 0 || button < 0) {
    c.err << "kvo: "
          << (entry < 0 ? "no plane code is \"" + c.args[0] + "\""
                        : "the fuel buttons are 100, 75, 50, 25, 10 and 5")
          << "\n";
    return kExitUsage;
  }
  st.List1.index = entry;
  c.selector.skins.FilterGrids(entry);
  if (st.Label26.empty()) {
    c.err << "kvo: the fuel of " << code
          << " is not known: load a flight-model folder with alternative planes first\n";
    return kExitFailed;
  }
  c.selector.planes.SetFuelLoad(button);
  return kExitDone;
}

int listNames(CommandContext& c) {
  auto& editors = c.selector.planes.editors();
  if (!editors.LoadPnames()) return kExitFailed;
  const auto& grid = editors.pnameform.Grid;
  for (int r = 0; r < grid.rows(); ++r) c.out << r << '\t' << grid.text(r) << '\n';
  return kExitDone;
}

int listMenu(CommandContext& c) {
  const std::string sides[] = {"B", "A", "G"};
  auto& editors = c.selector.planes.editors();
  for (int i = 0; i < 3; ++i) {
    if (toUpperAscii(c.args[0]) != sides[i]) continue;
    editors.pmnuform.setCountryBut(i);
    if (!editors.Pmensee()) return kExitFailed;
    const auto records = menuRecordCount(editors.pmnuform.side());
    for (int k = 0; k < static_cast<int>(records); ++k) {
      c.out << k << '\t' << editors.pmnuform.mlen(k) << '\t' << editors.pmnuform.bmnutb(k) << '\n';
    }
    return kExitDone;
  }
  c.err << "kvo: the menu sides are B, A and G\n";
  return kExitUsage;
}

}  // namespace

std::vector<CommandSpec> planeCommands() {
  return {
      {{"list", "planes"}, 0, 0, "list planes", listPlanes},
      {{"list", "names"}, 0, 0, "list names", listNames},
      {{"list", "menu"}, 1, 1, "list menu B|A|G", listMenu},
      {{"plane"}, 1, 1, "plane NAME", plane},
      {{"fuel"}, 2, 2, "fuel CODE PERCENT", fuel},
      {{"skin"}, 1, 1, "skin NAME", skin},
      {{"clear-skins"}, 0, 0, "clear-skins", clearSkins},
      {{"rename-skin"}, 2, 2, "rename-skin OLD NEW", renameSkin},
  };
}

}  // namespace kvo
