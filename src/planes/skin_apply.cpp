#include <set>

#include "planes/skin_files.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// A skin folder that cannot be listed (gone, or not a folder any more) must not pass for an
// empty one: the player would believe the skin was loaded or taken out.
std::optional<std::vector<std::string>> skinFiles(const fs::path& folder, std::string& problem) {
  std::error_code ec;
  auto names = listFiles(folder, "*.*", ec);
  if (ec) {
    problem = describeFailure("read the folder", folder, ec);
    return std::nullopt;
  }
  return names;
}

}  // namespace

fs::path SkinPanel::skinFolder(int row) const {
  return resolveNoCase(state_.SelectorDir, "Skinfolder") / nameToPath(state_.SK1.text(row, 0));
}

void SkinPanel::markSkin(int row, bool loaded) {
  state_.SK1.setText(row, 1, loaded ? "S" : "");
  state_.SK1.setBack(row, 0, loaded ? kLoadedSkin : state_.DefaultCellColour);
}

// The unload of a skin's row for the record: its files in the game folder by name, and which
// of them stay.
std::optional<SkinUnload> SkinPanel::skinUnload(int row, GameChange& change, bool everything) {
  std::string problem;
  const auto names = skinFiles(skinFolder(row), problem);
  if (!names) {
    change.passOver(problem);
    return std::nullopt;
  }
  const bool flightFiles = everything || state_.Check5;
  SkinUnload unload{state_.SK1.text(row, 0), {}, [flightFiles](std::string_view name) {
                      return !skinFileIsDeleted(name, flightFiles);
                    }};
  const auto& game = game_.listing();
  for (const auto& name : *names) {
    if (!skinFileIsDeleted(name, flightFiles)) continue;
    if (const auto found = change.find(game, name)) {
      unload.byName.push_back(game.dir() / nameToPath(*found));
    }
  }
  return unload;
}

void SkinPanel::planUnload(int row, GameChange& change, const std::set<std::string>& spared) {
  if (placements_) {
    if (auto unload = skinUnload(row, change, false)) {
      placements_->planSkins(change, {std::move(*unload)}, {}, {});
    }
    return;
  }
  std::string problem;
  const auto names = skinFiles(skinFolder(row), problem);
  if (!names) return change.passOver(problem);
  const auto& game = game_.listing();
  for (const auto& name : *names) {
    if (!skinFileIsDeleted(name, state_.Check5)) continue;
    // Game folders copied from Windows hold names in any letter case.
    const auto found = change.find(game, name);
    if (!found || spared.contains(toUpperAscii(*found))) continue;
    change.remove(game.dir() / nameToPath(*found), {}, StepPolicy::BestEffort);
  }
}

// All or nothing: when one file cannot be copied, the files of the other skins of the art
// code stay and the row stays unmarked, so that its unload never deletes a game file that the
// skin did not replace.
std::string SkinPanel::planLoad(int row, GameChange& change) {
  auto& grid = state_.SK1;
  std::string problem;
  const auto names = skinFiles(skinFolder(row), problem);
  if (!names) return problem;
  std::vector<std::string> copied;
  std::set<std::string> overwritten;
  for (const auto& name : *names) {
    if (!skinFileIsCopied(name)) continue;
    copied.push_back(name);
    overwritten.insert(toUpperAscii(name));
  }
  noteReplacedData(change, copied);
  if (placements_) {
    planRecordedLoad(row, change, copied);
    return {};
  }
  const std::string code = grid.text(row, 2);
  for (int j = 1; j < grid.rows(); ++j) {
    if (j == row || grid.text(j, 2) != code || grid.text(j, 1) != "S") continue;
    // A file the new skin copies over goes once, by the copy.
    planUnload(j, change, overwritten);
    markSkin(j, false);
  }
  const auto folder = skinFolder(row);
  const auto& game = game_.listing();
  for (const auto& name : copied) {
    const auto found = change.find(game, name);
    change.copyOver(folder / nameToPath(name), game.dir() / nameToPath(found.value_or(name)), {});
  }
  state_.SkinGridReady = false;
  markSkin(row, true);
  state_.SkinGridReady = true;
  return {};
}

// The loaded skins of the art code go and the skin of `row` comes in one step of the record, so
// that a file both hold is copied once and what the new skin leaves comes back.
void SkinPanel::planRecordedLoad(int row, GameChange& change,
                                 const std::vector<std::string>& copied) {
  auto& grid = state_.SK1;
  std::vector<SkinUnload> unloads;
  const std::string code = grid.text(row, 2);
  for (int j = 1; j < grid.rows(); ++j) {
    if (j == row || grid.text(j, 2) != code || grid.text(j, 1) != "S") continue;
    if (auto unload = skinUnload(j, change, false)) unloads.push_back(std::move(*unload));
    markSkin(j, false);
  }
  const auto folder = skinFolder(row);
  const auto& game = game_.listing();
  std::vector<PlacedCopy> copies;
  for (const auto& name : copied) {
    const auto found = change.find(game, name);
    copies.push_back({folder / nameToPath(name), game.dir() / nameToPath(found.value_or(name))});
  }
  placements_->planSkins(change, unloads, grid.text(row, 0), copies);
  state_.SkinGridReady = false;
  markSkin(row, true);
  state_.SkinGridReady = true;
}

// A skin that brings the game's flight data replaces what a plane install wrote into it: the
// report names those files, and the plane grid no longer shows the installs it undid.
void SkinPanel::noteReplacedData(GameChange& change, const std::vector<std::string>& copied) {
  const auto& game = game_.listing();
  bool planesDat = false;
  for (const auto& name : copied) {
    if (!isSkinDataFile(name) || !change.find(game, name)) continue;
    replacedData_.push_back(name);
    planesDat = planesDat || equalsNoCase(name, "planes.dat");
  }
  if (planesDat) unmarkUndoneInstalls();
}

void SkinPanel::unmarkUndoneInstalls() {
  auto& g1 = state_.G1;
  for (int r = 1; r < g1.rows(); ++r) {
    if (g1.text(r, 4) != "S") continue;
    undidInstalls_ = true;
    g1.setText(r, 4, "");
    g1.setBack(r, 3, state_.DefaultCellColour);
  }
}

std::string SkinPanel::planSkinRow(int row, GameChange& change) {
  const auto& grid = state_.SK1;
  if (row < 1 || row >= grid.rows()) return {};
  if (grid.text(row, 1) == "S") {
    planUnload(row, change, {});
    markSkin(row, false);
    return {};
  }
  if (grid.text(row, 1).empty()) return planLoad(row, change);
  return {};
}

Outcome SkinPanel::ApplySkinRow(int row) {
  const auto& grid = state_.SK1;
  if (row < 1 || row >= grid.rows()) return {};
  GameChange change(state_, "skin " + grid.text(row, 0));
  // Before the grids are ready the rows are only marked, as a replay of the record does.
  if (!state_.GridReady) {
    planSkinRow(row, change);
    return {};
  }
  const Grid before = grid;
  const Grid planesBefore = state_.G1;
  replacedData_.clear();
  undidInstalls_ = false;
  if (auto why = planSkinRow(row, change); !why.empty()) {
    state_.SK1 = before;
    state_.G1 = planesBefore;
    return Outcome::refused(change.action(), why);
  }
  auto outcome = commitMarked(change);
  if (!outcome.ok() || outcome.planned) {
    state_.SK1 = before;
    state_.G1 = planesBefore;
  }
  if (outcome.ok() && !replacedData_.empty()) {
    outcome.done += (outcome.done.empty() ? "" : " ") + std::string("The skin replaced ") +
                    nameList(replacedData_) + " of the game folder" +
                    (undidInstalls_ ? ", undoing the installed planes." : ".");
  }
  return outcome;
}

void SkinPanel::planUnloadAll(GameChange& change, bool everything) {
  const auto& grid = state_.SK1;
  if (placements_) {
    std::vector<SkinUnload> unloads;
    for (int r = 1; r < grid.rows(); ++r) {
      if (grid.text(r, 1) != "S") continue;
      if (auto unload = skinUnload(r, change, everything)) unloads.push_back(std::move(*unload));
    }
    if (!unloads.empty()) placements_->planSkins(change, unloads, {}, {});
    return;
  }
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) == "S") planUnload(r, change, {});
  }
}

void SkinPanel::unmarkAll() {
  auto& grid = state_.SK1;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) == "S") markSkin(r, false);
  }
}

Outcome SkinPanel::Skinkill() {
  if (!state_.GridReady) {
    unmarkAll();
    return {};
  }
  GameChange change(state_, "Clear all skins");
  const Grid before = state_.SK1;
  planUnloadAll(change);
  unmarkAll();
  auto outcome = commitMarked(change);
  if (!outcome.ok() || outcome.planned) state_.SK1 = before;
  if (outcome.ok() && outcome.done.empty())
    outcome.done = "No skin was loaded, so none was cleared.";
  return outcome;
}

// The skins' change with the record of the marks it leaves.
Outcome SkinPanel::commitMarked(GameChange& change) {
  record_.RecordLoadedFolders(change);
  auto outcome = game_.commit(change);
  if (outcome.ok()) outcome.done = selectionSentence(outcome.changes);
  return outcome;
}

}  // namespace kvo
