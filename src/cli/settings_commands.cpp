#include <string>
#include <utility>
#include <vector>

#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {

namespace {

int settings(CommandContext& c) {
  auto& boxes = c.selector.state.settings;
  for (const auto name : settingNames()) c.out << name << '=' << *settingBox(boxes, name) << '\n';
  return kExitDone;
}

// Every KEY=VALUE is checked before any box changes, so a typo changes nothing.
int set(CommandContext& c) {
  std::vector<std::pair<std::string*, std::string>> values;
  for (const auto& arg : c.args) {
    const auto equals = arg.find('=');
    std::string* box = equals == arg.npos ? nullptr
                                          : settingBox(c.selector.state.settings,
                                                       std::string_view(arg).substr(0, equals));
    if (!box) {
      c.err << "kvo: \"" << arg << "\" is not KEY=VALUE with KEY one of Width, Height, "
            << "ExtraSquads, Day, Month, PlaneSetNumber\n";
      return kExitUsage;
    }
    values.emplace_back(box, arg.substr(equals + 1));
  }
  for (auto& [box, value] : values) *box = std::move(value);
  c.selector.settings.Text_KeyPress(kEnterKey);
  return kExitDone;
}

// The entry of List6 named `name`, the exact spelling first, or -1.
int findExecutable(const ListBox& list, const std::string& name) {
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (list.items[i] == name) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (equalsNoCase(list.items[i], name)) return static_cast<int>(i);
  }
  return -1;
}

int launch(CommandContext& c) {
  auto& list = c.selector.state.List6;
  list.index = findExecutable(list, c.args[0]);
  if (list.index < 0) {
    c.err << "kvo: there is no program \"" << c.args[0] << "\" in the game folder\n";
    return kExitUsage;
  }
  c.selector.launcher.Label28_Click(0);
  return kExitDone;
}

}  // namespace

std::vector<CommandSpec> settingsCommands() {
  return {
      {{"settings"}, 0, 0, "settings", settings},
      {{"set"}, 1, -1, "set KEY=VALUE...", set},
      {{"launch"}, 1, 1, "launch EXE", launch},
  };
}

}  // namespace kvo
