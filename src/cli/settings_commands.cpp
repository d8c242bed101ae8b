#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {

namespace {

int settings(const FormState& state, CommandContext& c) {
  auto boxes = state.settings;
  for (const auto name : settingNames()) c.out << name << '=' << *settingBox(boxes, name) << '\n';
  return kExitDone;
}

// Every KEY=VALUE is checked before any box changes, so a typo changes nothing.
int set(GameSettings& settings, const FormState& state, CommandContext& c) {
  auto boxes = state.settings;
  for (const auto& arg : c.args) {
    const auto equals = arg.find('=');
    std::string* box =
        equals == arg.npos ? nullptr : settingBox(boxes, std::string_view(arg).substr(0, equals));
    if (!box) {
      return c.usage("\"" + arg +
                     "\" is not KEY=VALUE with KEY one of Width, Height, ExtraSquads, Day, Month, "
                     "PlaneSetNumber");
    }
    *box = arg.substr(equals + 1);
  }
  return c.report(settings.inisave(boxes));
}

int launch(Launcher& launcher, const FormState& state, CommandContext& c) {
  const int index = findItem(state.List6.items, c.args[0]);
  if (index < 0) return c.usage("there is no program \"" + c.args[0] + "\" in the game folder");
  // A dry run changes nothing, and starts nothing either.
  if (c.dryRun) return kExitDone;
  return c.report(launcher.Label28_Click(0, state.List6.items[static_cast<std::size_t>(index)]));
}

}  // namespace

std::vector<CommandSpec> settingsCommands() {
  return {
      {{"settings"},
       0,
       0,
       "settings",
       false,
       [](Selector& s, CommandContext& c) { return settings(s.state, c); }},
      {{"set"},
       1,
       -1,
       "set KEY=VALUE...",
       true,
       [](Selector& s, CommandContext& c) { return set(s.settings, s.state, c); }},
      {{"launch"},
       1,
       1,
       "launch EXE",
       true,
       [](Selector& s, CommandContext& c) { return launch(s.launcher, s.state, c); }},
  };
}

}  // namespace kvo
