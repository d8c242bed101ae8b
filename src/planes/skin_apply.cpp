#include <set>

#include "planes/skin_files.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// A skin folder that cannot be listed (gone, or not a folder any more) must not pass for an
// empty one: the player would believe the skin was loaded or taken out.
std::optional<std::vector<std::string>> skinFiles(const fs::path& folder, Problems& failures) {
  std::error_code ec;
  auto names = listFiles(folder, "*.*", ec);
  if (ec) {
    failures.add(describeFailure("read the folder", folder, ec));
    return std::nullopt;
  }
  return names;
}

std::vector<std::string> copiedFiles(const std::vector<std::string>& names) {
  std::vector<std::string> copied;
  for (const auto& name : names) {
    if (skinFileIsCopied(name)) copied.push_back(name);
  }
  return copied;
}

void reportFailure(Core& core, const GameChange& change) {
  core.shell.message(change.failure(), Icon::Critical, "KVO");
}

}  // namespace

fs::path SkinPanel::skinFolder(int row) const {
  const auto& st = s_.state;
  return resolveNoCase(st.SelectorDir, "Skinfolder") / nameToPath(st.SK1.text(row, 0));
}

void SkinPanel::markSkin(int row, bool loaded) {
  auto& st = s_.state;
  st.SK1.setText(row, 1, loaded ? "S" : "");
  st.SK1.setBack(row, 0, loaded ? kLoadedSkin : st.DefaultCellColour);
}

void SkinPanel::planUnload(int row, GameChange& change, Problems& failures,
                           const std::set<std::string>& spared) {
  const auto names = skinFiles(skinFolder(row), failures);
  if (!names) return;
  const auto& game = s_.gameFolder();
  for (const auto& name : *names) {
    if (!skinFileIsDeleted(name, s_.state.Check5)) continue;
    // Game folders copied from Windows hold names in any letter case.
    const auto found = game.find(name);
    if (!found || spared.contains(toUpperAscii(*found))) continue;
    change.remove(game.dir() / nameToPath(*found), {}, StepPolicy::BestEffort);
  }
}

void SkinPanel::planCopies(int row, const std::vector<std::string>& names, GameChange& change) {
  const auto folder = skinFolder(row);
  const auto& game = s_.gameFolder();
  for (const auto& name : names) {
    const auto found = game.find(name);
    change.copyOver(folder / nameToPath(name), game.dir() / nameToPath(found ? *found : name), {});
  }
}

void SkinPanel::unloadRow(int r) {
  auto& st = s_.state;
  if (!st.GridReady) return markSkin(r, false);
  Problems failures;
  GameChange change(s_);
  planUnload(r, change, failures, {});
  const Grid before = st.SK1;
  markSkin(r, false);
  change.recordSelection();
  if (!change.commit(failures)) {
    st.SK1 = before;
    return reportFailure(s_, change);
  }
  failures.report(s_.shell, {}, Icon::Critical);
}

// All or nothing: when one file cannot be copied, the files of the other skins of the art
// code come back and the row stays unmarked, so that its unload never deletes a game file
// that the skin did not replace.
void SkinPanel::loadRow(int r) {
  auto& st = s_.state;
  auto& grid = st.SK1;
  Problems failures;
  const auto names = skinFiles(skinFolder(r), failures);
  if (!names) return failures.report(s_.shell, {}, Icon::Critical);
  const auto copied = copiedFiles(*names);
  std::set<std::string> overwritten;
  for (const auto& name : copied) overwritten.insert(toUpperAscii(name));
  const Grid before = grid;
  GameChange change(s_);
  const std::string code = grid.text(r, 2);
  for (int j = 1; j < grid.rows(); ++j) {
    if (j == r || grid.text(j, 2) != code || grid.text(j, 1) != "S") continue;
    // A file the new skin copies over goes once, by the copy.
    if (st.GridReady) planUnload(j, change, failures, overwritten);
    markSkin(j, false);
  }
  if (st.GridReady) planCopies(r, copied, change);
  st.SkinGridReady = false;
  markSkin(r, true);
  st.SkinGridReady = true;
  if (!st.GridReady) return;
  change.recordSelection();
  if (!change.commit(failures)) {
    grid = before;
    return reportFailure(s_, change);
  }
  failures.report(s_.shell, {}, Icon::Critical);
}

void SkinPanel::ApplySkinRow() {
  const auto& grid = s_.state.SK1;
  const int r = grid.row;
  if (r < 1 || r >= grid.rows()) return;
  if (grid.text(r, 1) == "S") return unloadRow(r);
  if (grid.text(r, 1).empty()) loadRow(r);
}

void SkinPanel::planUnloadAll(GameChange& change, Problems& failures) {
  const auto& grid = s_.state.SK1;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) == "S") planUnload(r, change, failures, {});
  }
}

void SkinPanel::unmarkAll() {
  auto& grid = s_.state.SK1;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) == "S") markSkin(r, false);
  }
}

void SkinPanel::Skinkill() {
  auto& st = s_.state;
  if (!st.GridReady) return unmarkAll();
  Problems failures;
  GameChange change(s_);
  planUnloadAll(change, failures);
  const Grid before = st.SK1;
  unmarkAll();
  change.recordSelection();
  if (!change.commit(failures)) {
    st.SK1 = before;
    return reportFailure(s_, change);
  }
  failures.report(s_.shell, {}, Icon::Critical);
}

}  // namespace kvo
