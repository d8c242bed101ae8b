#include "state/load_record.h"

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"
#include "platform/read_limits.h"
#include "state/game_change.h"
#include "state/game_folder.h"

namespace kvo {
namespace fs = std::filesystem;

std::vector<std::string> loadedSelection(const FormState& st) {
  std::vector<std::string> names;
  for (int r = 1; r < st.Unigrid.rows(); ++r) {
    if (st.Unigrid.text(r, 2) == "S") names.push_back(st.Unigrid.text(r, 1));
  }
  for (int r = 1; r < st.SK1.rows(); ++r) {
    if (st.SK1.text(r, 1) == "S") names.push_back(st.SK1.text(r, 0));
  }
  if (st.Frame6Visible) {
    for (int r = 1; r < st.G1.rows(); ++r) {
      if (st.G1.text(r, 4) == "S") names.push_back(st.G1.text(r, 0));
    }
  }
  return names;
}

fs::path LoadRecord::path() const {
  return resolveNoCase(state_.SelectorDir, "FoldersLoaded.txt");
}

void LoadRecord::createWhenMissing(Problems& problems) {
  const auto file = path();
  if (fileExists(file)) return;
  // A FIFO or a device in its place is not replaced; a link is refused by the writing.
  std::error_code kindEc;
  if (entryKind(file, kindEc) == EntryKind::Other) {
    problems.add(describeFailure("read", file, Refusal::NotRegularFile));
    return;
  }
  if (auto failure = writeSelectorFile(state_, file, ""); !failure.empty()) {
    problems.add(std::move(failure));
  }
}

std::vector<std::string> LoadRecord::names(Problems& problems) const {
  std::vector<std::string> found;
  for (auto& line : readTextLinesNoting(path(), problems, read_limit::kLoadRecord)) {
    if (!line.empty()) found.push_back(std::move(line));
  }
  return found;
}

std::vector<std::string> LoadRecord::replay(const std::vector<std::string>& names,
                                            const ReplayMarkers& markers) {
  std::vector<bool> matched(names.size(), false);
  for (const auto* marker : {&markers.folder, &markers.skin, &markers.plane}) {
    if (!*marker) continue;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if ((*marker)(names[i])) matched[i] = true;
    }
  }
  std::vector<std::string> unmatched;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!matched[i]) unmatched.push_back(names[i]);
  }
  return unmatched;
}

void LoadRecord::RecordLoadedFolders(GameChange& change) const {
  if (!state_.GridReady) return;
  auto text = selectionText();
  // The whole list goes out as one line, so the file always ends with an extra empty line.
  plan(change, text, text + "\r\n", StepPolicy::AllOrNothing);
}

void LoadRecord::clear(GameChange& change) const {
  // Reset All passes over what it cannot do.
  plan(change, {}, {}, StepPolicy::BestEffort);
}

void LoadRecord::plan(GameChange& change, std::string shown, std::string bytes,
                      StepPolicy policy) const {
  std::error_code ec;
  const auto now = change.read(path(), ec, read_limit::kLoadRecord);
  if (now && *now == bytes) {
    change.noteRecord(std::move(shown), kNoStep);
    return;
  }
  change.noteRecord(std::move(shown), change.replaceWith(path(), std::move(bytes), policy));
}

std::string LoadRecord::selectionText() const {
  std::string text;
  for (const auto& name : loadedSelection(state_)) text += name + "\r\n";
  return text;
}

void LoadRecord::showSelection(const std::string& text) {
  state_.Label8 = text;
  state_.Text2 = text;
  state_.Label8Visible = !text.empty();
}

}  // namespace kvo
