#include <string>

#include "cli/commands.h"
#include "platform/listing.h"

namespace kvo {

namespace {

// Sets the flags of the words after the first argument; false (exit 2) for any other word.
bool readFlags(CommandContext& c, std::initializer_list<std::pair<const char*, bool*>> flags) {
  for (const auto& word : c.args.subspan(1)) {
    bool known = false;
    for (const auto& [flag, value] : flags) {
      if (word == flag) *value = known = true;
    }
    if (!known) {
      c.usage("unknown option \"" + word + "\"; see kvo --help");
      return false;
    }
  }
  return true;
}

// Without a window there is no overwrite prompt: the question is the command's failure.
int saveScript(Autoscripts& scripts, const FormState& state, CommandContext& c) {
  bool overwrite = false;
  if (!readFlags(c, {{"--overwrite", &overwrite}})) return kExitUsage;
  return c.report(scripts.SaveAutoscript(c.args[0], state.Text2, overwrite));
}

int runScript(Autoscripts& scripts, const FormState& state, CommandContext& c) {
  const int index = findItem(state.File10.items, c.args[0]);
  if (index < 0) {
    return c.usage("there is no autoscript \"" + c.args[0] + "\" in the Autoscripts folder");
  }
  const auto& file = state.File10.items[static_cast<std::size_t>(index)];
  const auto preview = scripts.PreviewAutoscript(file, false);
  if (!preview.ok()) return c.report(preview);
  return c.report(scripts.RunAutoscript(state.List2.items));
}

int loadPackage(Packages& packages, const FormState& state, CommandContext& c) {
  bool reset = false;
  bool post = false;
  if (!readFlags(c, {{"--reset", &reset}, {"--post", &post}})) return kExitUsage;
  const int index = findItem(state.GUPC.items, c.args[0]);
  if (index < 0) {
    return c.usage("there is no package \"" + c.args[0] + "\" in the Autoscripts folder");
  }
  const auto& file = state.GUPC.items[static_cast<std::size_t>(index)];
  const auto outcome = packages.LoadPackage(file, reset, post);
  const int code = c.report(outcome);
  // Without a clipboard, what the window would hand to the online client goes to stdout.
  if (post && outcome.ok() && !outcome.planned) c.out << c.shell.clipboardText() << '\n';
  return code;
}

int music(MusicSets& sets, const FormState& state, CommandContext& c) {
  const int index = findItem(state.List4.items, c.args[0]);
  if (index < 0) {
    return c.usage("\"" + c.args[0] + "\" is not a music set waiting in a folder of its own" +
                   (state.Label11.empty() ? "" : " (the set in use is \"" + state.Label11 + "\")"));
  }
  return c.report(sets.SwitchMusicSet(state.List4.items[static_cast<std::size_t>(index)]));
}

int listScripts(const FormState& state, CommandContext& c) {
  for (const auto& name : state.File10.items) c.out << name << '\n';
  return kExitDone;
}

int listMusic(const FormState& state, CommandContext& c) {
  for (const auto& set : state.MusicSets) {
    if (set.empty()) continue;
    c.out << (set == state.Label11 ? "S" : "-") << '\t' << set << '\n';
  }
  return kExitDone;
}

}  // namespace

std::vector<CommandSpec> scriptCommands() {
  return {
      {{"save-script"},
       1,
       2,
       "save-script NAME [--overwrite]",
       true,
       [](Selector& s, CommandContext& c) { return saveScript(s.scripts, s.state, c); }},
      {{"run-script"},
       1,
       1,
       "run-script FILE",
       true,
       [](Selector& s, CommandContext& c) { return runScript(s.scripts, s.state, c); }},
      {{"load-package"},
       1,
       3,
       "load-package FILE [--reset] [--post]",
       true,
       [](Selector& s, CommandContext& c) { return loadPackage(s.packages, s.state, c); }},
      {{"music"},
       1,
       1,
       "music SET",
       true,
       [](Selector& s, CommandContext& c) { return music(s.music, s.state, c); }},
      {{"list", "scripts"},
       0,
       0,
       "list scripts",
       false,
       [](Selector& s, CommandContext& c) { return listScripts(s.state, c); }},
      {{"list", "music"},
       0,
       0,
       "list music",
       false,
       [](Selector& s, CommandContext& c) { return listMusic(s.state, c); }},
  };
}

}  // namespace kvo
