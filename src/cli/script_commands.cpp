#include <string>

#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {

namespace {

// The entry of `list` named `name`, the exact spelling first, or -1.
int findEntry(const ListBox& list, const std::string& name) {
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (list.items[i] == name) return static_cast<int>(i);
  }
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (equalsNoCase(list.items[i], name)) return static_cast<int>(i);
  }
  return -1;
}

// Sets the flags of the words after the first argument; false (exit 2) for any other word.
bool readFlags(CommandContext& c, std::initializer_list<std::pair<const char*, bool*>> flags) {
  for (const auto& word : c.args.subspan(1)) {
    bool known = false;
    for (const auto& [flag, value] : flags) {
      if (word == flag) *value = known = true;
    }
    if (!known) {
      c.err << "kvo: unknown option \"" << word << "\"; see kvo --help\n";
      return false;
    }
  }
  return true;
}

int saveScript(CommandContext& c) {
  bool overwrite = false;
  if (!readFlags(c, {{"--overwrite", &overwrite}})) return kExitUsage;
  auto& st = c.selector.state;
  st.Text1 = c.args[0];
  c.selector.scripts.SaveAutoscript();
  if (!st.SetWarnVisible) return kExitDone;
  if (!overwrite) {
    c.err << "There is already an autoscript with this name\n";
    return kExitFailed;
  }
  c.selector.scripts.OverwritePrompt(0);
  return kExitDone;
}

int runScript(CommandContext& c) {
  auto& st = c.selector.state;
  st.File10.index = findEntry(st.File10, c.args[0]);
  if (st.File10.index < 0) {
    c.err << "kvo: there is no autoscript \"" << c.args[0] << "\" in the Autoscripts folder\n";
    return kExitUsage;
  }
  c.selector.scripts.PreviewAutoscript();
  c.selector.scripts.RunAutoscript();
  return kExitDone;
}

int loadPackage(CommandContext& c) {
  auto& st = c.selector.state;
  if (!readFlags(c, {{"--reset", &st.Check1}, {"--post", &st.Check2}})) return kExitUsage;
  st.GUPC.index = findEntry(st.GUPC, c.args[0]);
  if (st.GUPC.index < 0) {
    c.err << "kvo: there is no package \"" << c.args[0] << "\" in the Autoscripts folder\n";
    return kExitUsage;
  }
  c.selector.packages.GUPC_Click();
  c.selector.packages.LoadPackage();
  // Without a clipboard, what the window would hand to the online client goes to stdout.
  if (st.Check2) c.out << c.shell.clipboardText() << '\n';
  return kExitDone;
}

int music(CommandContext& c) {
  auto& st = c.selector.state;
  const int index = findEntry(st.List4, c.args[0]);
  if (index < 0) {
    c.err << "kvo: \"" << c.args[0] << "\" is not a music set waiting in a folder of its own"
          << (st.Label11.empty() ? "" : " (the set in use is \"" + st.Label11 + "\")") << '\n';
    return kExitUsage;
  }
  c.selector.music.SwitchMusicSet(index);
  return kExitDone;
}

int listScripts(CommandContext& c) {
  for (const auto& name : c.selector.state.File10.items) c.out << name << '\n';
  return kExitDone;
}

int listMusic(CommandContext& c) {
  const auto& st = c.selector.state;
  for (const auto& set : st.MusicSets) {
    if (set.empty()) continue;
    c.out << (set == st.Label11 ? "S" : "-") << '\t' << set << '\n';
  }
  return kExitDone;
}

}  // namespace

std::vector<CommandSpec> scriptCommands() {
  return {
      {{"save-script"}, 1, 2, "save-script NAME [--overwrite]", saveScript},
      {{"run-script"}, 1, 1, "run-script FILE", runScript},
      {{"load-package"}, 1, 3, "load-package FILE [--reset] [--post]", loadPackage},
      {{"music"}, 1, 1, "music SET", music},
      {{"list", "scripts"}, 0, 0, "list scripts", listScripts},
      {{"list", "music"}, 0, 0, "list music", listMusic},
  };
}

}  // namespace kvo
