#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {

namespace {

// The first `SK1` row named like the first argument, or -1 after saying so.
int skinRow(const FormState& state, CommandContext& c) {
  const int row = state.SK1.findRow(0, c.args[0]);
  if (row < 1) c.usage("no skin folder is named \"" + c.args[0] + "\"");
  return row < 1 ? -1 : row;
}

int listPlanes(const FormState& state, CommandContext& c) {
  const auto& grid = state.G1;
  for (int r = 1; r < grid.rows(); ++r) {
    c.out << (grid.text(r, 4) == "S" ? "S" : "-");
    for (int col : {1, 2, 0, 3}) c.out << '\t' << grid.text(r, col);
    c.out << '\n';
  }
  return kExitDone;
}

int skin(SkinPanel& skins, const FormState& state, CommandContext& c) {
  const int row = skinRow(state, c);
  return row < 0 ? kExitUsage : c.report(skins.ApplySkinRow(row));
}

int renameSkin(SkinPanel& skins, const FormState& state, CommandContext& c) {
  const int row = skinRow(state, c);
  return row < 0 ? kExitUsage : c.report(skins.RenameSkin(row, c.args[1]));
}

int plane(AltPlanes& planes, const FormState& state, CommandContext& c) {
  const int row = state.G1.findRow(0, c.args[0]);
  if (row < 1) return c.usage("no alternative plane folder is named \"" + c.args[0] + "\"");
  return c.report(planes.ApplyPlaneRow(row));
}

// The Option1 button of a percentage, or -1.
int fuelButton(const std::string& percent) {
  const char* const captions[] = {"100", "75", "50", "25", "10", "5"};
  for (int i = 0; i < 6; ++i) {
    if (percent == captions[i] || percent == std::string(captions[i]) + "%") return i;
  }
  return -1;
}

int fuel(AltPlanes& planes, const FormState& state, CommandContext& c) {
  const auto code = toUpperAscii(c.args[0]);
  int slot = -1;
  for (int i = 0; i < 30; ++i) {
    if (toUpperAscii(state.PlaneCodes[static_cast<std::size_t>(i)]) == code) slot = i;
  }
  if (slot < 0) return c.usage("no plane code is \"" + c.args[0] + "\"");
  const int button = fuelButton(c.args[1]);
  if (button < 0) return c.usage("the fuel buttons are 100, 75, 50, 25, 10 and 5");
  return c.report(planes.SetFuelLoad(slot, button));
}

int listNames(PlaneFileEditors& editors, CommandContext& c) {
  const auto outcome = editors.LoadPnames();
  if (!outcome.ok()) return c.report(outcome);
  const auto& grid = editors.pnameform.Grid;
  for (int r = 0; r < grid.rows(); ++r) c.out << r << '\t' << grid.text(r) << '\n';
  return kExitDone;
}

int listMenu(PlaneFileEditors& editors, CommandContext& c) {
  const std::string sides[] = {"B", "A", "G"};
  for (int i = 0; i < 3; ++i) {
    if (toUpperAscii(c.args[0]) != sides[i]) continue;
    editors.pmnuform.setCountryBut(i);
    const auto outcome = editors.Pmensee();
    if (!outcome.ok()) return c.report(outcome);
    const auto records = menuRecordCount(editors.pmnuform.side());
    for (int k = 0; k < static_cast<int>(records); ++k) {
      c.out << k << '\t' << editors.pmnuform.mlen(k) << '\t' << editors.pmnuform.bmnutb(k) << '\n';
    }
    return kExitDone;
  }
  return c.usage("the menu sides are B, A and G");
}

}  // namespace

std::vector<CommandSpec> planeCommands() {
  return {
      {{"list", "planes"},
       0,
       0,
       "list planes",
       false,
       [](Selector& s, CommandContext& c) { return listPlanes(s.state, c); }},
      {{"list", "names"},
       0,
       0,
       "list names",
       false,
       [](Selector& s, CommandContext& c) { return listNames(s.planes.editors(), c); }},
      {{"list", "menu"},
       1,
       1,
       "list menu B|A|G",
       false,
       [](Selector& s, CommandContext& c) { return listMenu(s.planes.editors(), c); }},
      {{"plane"},
       1,
       1,
       "plane NAME",
       true,
       [](Selector& s, CommandContext& c) { return plane(s.planes, s.state, c); }},
      {{"fuel"},
       2,
       2,
       "fuel CODE PERCENT",
       true,
       [](Selector& s, CommandContext& c) { return fuel(s.planes, s.state, c); }},
      {{"skin"},
       1,
       1,
       "skin NAME",
       true,
       [](Selector& s, CommandContext& c) { return skin(s.skins, s.state, c); }},
      {{"clear-skins"},
       0,
       0,
       "clear-skins",
       true,
       [](Selector& s, CommandContext& c) { return c.report(s.skins.Skinkill()); }},
      {{"rename-skin"},
       2,
       2,
       "rename-skin OLD NEW",
       true,
       [](Selector& s, CommandContext& c) { return renameSkin(s.skins, s.state, c); }},
  };
}

}  // namespace kvo
