#include <charconv>

#include "cli/commands.h"
#include "platform/file_ops.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/history.h"
#include "state/load_record.h"

namespace kvo {

namespace {

int status(const FormState& state, CommandContext& c) {
  for (const auto& name : loadedSelection(state)) c.out << name << '\n';
  return kExitDone;
}

int listFolders(const FormState& state, CommandContext& c) {
  const auto& grid = state.Unigrid;
  for (int r = 1; r < grid.rows(); ++r) {
    const auto& name = grid.text(r, 1);
    c.out << (grid.text(r, 2) == "S" ? "S" : "-") << '\t' << name.substr(0, 1) << '\t' << name
          << '\n';
  }
  return kExitDone;
}

int listSkins(const FormState& state, CommandContext& c) {
  const auto& grid = state.SK1;
  for (int r = 1; r < grid.rows(); ++r) {
    c.out << (grid.text(r, 1) == "S" ? "S" : "-") << '\t' << grid.text(r, 2) << '\t'
          << grid.text(r, 0) << '\n';
  }
  return kExitDone;
}

int click(FolderEngine& engine, const FormState& state, CommandContext& c) {
  const auto& name = c.args[0];
  const int row = state.Unigrid.findRow(1, name);
  if (row < 1) return c.usage("no folder named \"" + name + "\" in the folder list");
  return c.report(engine.Unigrid_Click(row));
}

int history(const FormState& state, CommandContext& c) {
  std::size_t count = 20;
  if (!c.args.empty()) {
    const auto& word = c.args[0];
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), count);
    if (ec != std::errc() || end != word.data() + word.size() || count == 0) {
      return c.usage("history takes a number of entries above 0, not \"" + word + "\"");
    }
  }
  std::error_code ec;
  const auto path = historyPath(state);
  const auto bytes = readFileBytes(path, ec, read_limit::kHistory);
  if (!bytes && ec != std::errc::no_such_file_or_directory) {
    return c.report(Outcome::refused("history", describeFailure("read", path, ec)));
  }
  for (const auto& entry : lastHistoryEntries(bytes.value_or(std::string()), count)) {
    for (const auto& line : entry) c.out << line << '\n';
  }
  return kExitDone;
}

}  // namespace

std::vector<CommandSpec> folderCommands() {
  return {
      {{"status"},
       0,
       0,
       "status",
       false,
       [](Selector& s, CommandContext& c) { return status(s.state, c); }},
      {{"list", "folders"},
       0,
       0,
       "list folders",
       false,
       [](Selector& s, CommandContext& c) { return listFolders(s.state, c); }},
      {{"list", "skins"},
       0,
       0,
       "list skins",
       false,
       [](Selector& s, CommandContext& c) { return listSkins(s.state, c); }},
      {{"click"},
       1,
       1,
       "click NAME",
       true,
       [](Selector& s, CommandContext& c) { return click(s.engine, s.state, c); }},
      {{"reset"},
       0,
       0,
       "reset",
       true,
       [](Selector& s, CommandContext& c) { return c.report(s.reset.Command1_Click()); }},
      {{"del-msn"},
       0,
       0,
       "del-msn",
       true,
       [](Selector& s, CommandContext& c) { return c.report(s.reset.delmsn_Click()); }},
      {{"history"},
       0,
       1,
       "history [N]",
       false,
       [](Selector& s, CommandContext& c) { return history(s.state, c); }},
  };
}

}  // namespace kvo
