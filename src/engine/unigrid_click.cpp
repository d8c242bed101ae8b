#include <algorithm>

#include "engine/deployment.h"
#include "engine/folder_engine.h"
#include "engine/folder_plan.h"
#include "engine/mod_files.h"
#include "planes/alt_planes.h"
#include "planes/state_restore.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/category_table.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool isLoaded(const Grid& grid, int row) {
  return grid.text(row, 2) == "S";
}

std::string codeOf(const Grid& grid, int row) {
  return grid.text(row, 1).substr(0, 1);
}

}  // namespace

fs::path FolderEngine::folderOfRow(int row) const {
  return nameToPath(state_.Unigrid.text(row, 0));
}

void FolderEngine::markRow(int row, bool loaded) {
  state_.Unigrid.setText(row, 2, loaded ? "S" : "");
  state_.Unigrid.setBack(row, 1, loaded ? kLoadedGreen : state_.DefaultCellColour);
}

std::string FolderEngine::folderGone(int row) const {
  const auto folder = folderOfRow(row);
  if (folderExists(folder)) return {};
  return "The folder " + displayPath(folder) +
         " is no longer there. Click \"Refresh!\" to bring the list up to date.";
}

// One loaded folder per single-selection category: loading one unloads the other. Careers
// swap by the first loaded career row.
FolderEngine::Click FolderEngine::decideClick(int row) const {
  const auto& grid = state_.Unigrid;
  const auto code = codeOf(grid, row);
  if (isLoaded(grid, row)) return {{row}, 0};
  Click click{{}, row};
  for (int r = 1; r < grid.rows(); ++r) {
    if (r == row || !isLoaded(grid, r) || codeOf(grid, r) != code) continue;
    if (code == "C" && !click.unloadRows.empty()) continue;
    if (code != "C" && isMultiSelectionCode(code)) continue;
    click.unloadRows.push_back(r);
  }
  return click;
}

Outcome FolderEngine::Unigrid_Click(int row) {
  const auto& grid = state_.Unigrid;
  if (row < 1 || row >= grid.rows()) return {};
  if (!state_.GridReady) {
    markOnly(row);
    return {};
  }
  const auto click = decideClick(row);
  StateRestore restore(state_, planes_);
  GameChange change(state_, "click " + grid.text(row, 1));
  if (auto why = planRowClick(row, change); !why.empty()) {
    return Outcome::refused(change.action(), clickFailure(why, click));
  }
  record_.RecordLoadedFolders(change);
  auto outcome = game_.commit(change);
  if (!outcome.ok()) {
    outcome.failure = clickFailure(outcome.failure, click);
    return outcome;
  }
  if (!outcome.planned) restore.keep();
  outcome.done = selectionSentence(outcome.changes);
  std::vector<std::string> unloaded;
  for (int r : click.unloadRows) unloaded.push_back(grid.text(r, 1));
  outcome.passedOverHeading =
      unloaded.empty() ? grid.text(row, 1) + " is loaded, but not everything could be read:"
                       : nameList(unloaded) + " is unloaded, but not everything could be removed:";
  return outcome;
}

Outcome FolderEngine::planClick(int row) {
  const DryRun dry(game_);
  return Unigrid_Click(row);
}

std::string FolderEngine::planRowClick(int row, GameChange& change) {
  auto& grid = state_.Unigrid;
  if (row < 1 || row >= grid.rows()) return {};
  const auto click = decideClick(row);
  for (int r : click.unloadRows) {
    if (auto gone = folderGone(r); !gone.empty()) return gone;
  }
  if (click.loadRow != 0) {
    if (auto gone = folderGone(click.loadRow); !gone.empty()) return gone;
  }
  // The record as it stands before the click, so that the folder it loads is no provider yet.
  auto record = readDeployment({state_, game_.listing(), change});
  FolderMoves moves;
  for (int r : click.unloadRows) {
    if (auto why = MoveOut(folderOfRow(r), change, moves); !why.empty()) return why;
    markRow(r, false);
    if (codeOf(grid, r) == "F") {
      planes_.forgetRows();
      state_.Frame6Visible = false;
      state_.Label2.clear();
    }
  }
  if (click.loadRow != 0) {
    if (auto why = MoveIn(folderOfRow(click.loadRow), change, moves); !why.empty()) return why;
    markRow(click.loadRow, true);
  }
  addDeployment(change, state_, game_.listing(), record, moves.unloads, moves.loads);
  for (const auto& load : moves.loads) {
    std::vector<std::string> names;
    names.reserve(load.copies.size());
    for (const auto& copy : load.copies) names.push_back(copy.name);
    change.makeWritableAfter(load.modFolder, std::move(names));
  }
  // A flight model's planes are chosen after it is in, also by the entries of a set.
  if (click.loadRow != 0 && codeOf(grid, click.loadRow) == "F") {
    if (auto problem = showPlanesOf(folderOfRow(click.loadRow)); !problem.empty()) {
      change.passOver(std::move(problem));
    }
  }
  return {};
}

std::string FolderEngine::MoveIn(const fs::path& modFolder, GameChange& change,
                                 FolderMoves& moves) {
  auto plan = planLoad(modFolder, {state_, game_.listing(), change});
  if (!plan.problem.empty()) return plan.problem;
  moves.loads.push_back(std::move(plan));
  return {};
}

std::string FolderEngine::MoveOut(const fs::path& modFolder, GameChange& change,
                                  FolderMoves& moves) {
  auto plan = planUnload(modFolder, {state_, game_.listing(), change});
  if (!plan.refusal.empty()) return plan.refusal;
  change.passOver(plan.problems);
  moves.unloads.push_back(std::move(plan));
  return {};
}

std::string FolderEngine::clickFailure(const std::string& failure, const Click& click) const {
  const auto& grid = state_.Unigrid;
  std::string text = failure + "\r\n\r\n";
  if (click.loadRow != 0) text += grid.text(click.loadRow, 1) + " was not loaded";
  std::vector<std::string> stays;
  for (int r : click.unloadRows) stays.push_back(grid.text(r, 1));
  if (!stays.empty())
    text += (click.loadRow != 0 ? ", and " : "") + nameList(stays) + " stays loaded";
  return text + "; the game folder is as it was.";
}

// The replay of the record at start-up and by "Refresh!": marks only, no file is changed. A
// second folder of a single-selection category stays unmarked, so that a doubled line or a
// doubled category code can never unload the first one's files.
void FolderEngine::markOnly(int row) {
  const auto& grid = state_.Unigrid;
  if (isLoaded(grid, row)) return;
  const auto code = codeOf(grid, row);
  for (int r = 1; r < grid.rows(); ++r) {
    if (r == row || !isLoaded(grid, r)) continue;
    if (grid.text(r, 1) == grid.text(row, 1)) return;
    if (codeOf(grid, r) == code && !isMultiSelectionCode(code)) {
      const auto& name = grid.text(row, 1);
      if (std::find(replayRefused_.begin(), replayRefused_.end(), name) == replayRefused_.end()) {
        replayRefused_.push_back(name);
      }
      return;
    }
  }
  markRow(row, true);
  if (code != "F") return;
  if (auto problem = showPlanesOf(folderOfRow(row)); !problem.empty()) {
    replayProblems_.add(std::move(problem));
  }
}

std::string FolderEngine::showPlanesOf(const fs::path& folder) {
  state_.G1.setCols(5);
  const bool planes = hasAlternativePlanes(folder);
  std::string problem;
  if (planes) problem = planes_.GridSet(folder);
  state_.Frame6Visible = planes;
  return problem;
}

}  // namespace kvo
