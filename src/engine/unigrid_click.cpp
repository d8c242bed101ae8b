#include <algorithm>

#include "engine/deployment.h"
#include "engine/engine_batch.h"
#include "engine/folder_engine.h"
#include "engine/folder_plan.h"
#include "engine/mod_files.h"
#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/category_table.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool isLoaded(const Grid& grid, int row) {
  return grid.text(row, 2) == "S";
}

std::string codeOf(const Grid& grid, int row) {
  return grid.text(row, 1).substr(0, 1);
}

// What a click may change in the window, to put back when its change of files fails.
struct MarksBefore {
  explicit MarksBefore(const FormState& st)
      : unigrid(st.Unigrid), g1(st.G1), frame6(st.Frame6Visible), label2(st.Label2) {}
  void restore(FormState& st) const {
    const int row = st.Unigrid.row;
    const int col = st.Unigrid.col;
    st.Unigrid = unigrid;
    st.Unigrid.row = row;
    st.Unigrid.col = col;
    st.G1 = g1;
    st.Frame6Visible = frame6;
    st.Label2 = label2;
  }
  Grid unigrid;
  Grid g1;
  bool frame6;
  std::string label2;
};

}  // namespace

fs::path FolderEngine::folderOfRow(int row) const {
  return nameToPath(s_.state.Unigrid.text(row, 0));
}

void FolderEngine::markRow(int row, bool loaded) {
  auto& st = s_.state;
  st.Unigrid.setText(row, 2, loaded ? "S" : "");
  st.Unigrid.setBack(row, 1, loaded ? kLoadedGreen : st.DefaultCellColour);
}

bool FolderEngine::folderStillThere(int row) {
  const auto folder = folderOfRow(row);
  if (folderExists(folder)) return true;
  s_.shell.message("The folder " + displayPath(folder) +
                       " is no longer there, so nothing was loaded or unloaded.\r\n"
                       "Click \"Refresh!\" to bring the list up to date.",
                   Icon::Exclamation, "KVO");
  return false;
}

void FolderEngine::Unigrid_Click() {
  auto& grid = s_.state.Unigrid;
  if (busy_ || grid.row < 1 || grid.row >= grid.rows()) return;
  Batch batch(*this);
  clickCurrentRow();
}

void FolderEngine::Udel() {
  auto& st = s_.state;
  applyClick({{st.CurrentRow}, 0});
}

void FolderEngine::clickCurrentRow() {
  auto& st = s_.state;
  auto& grid = st.Unigrid;
  if (grid.row < 1 || grid.row >= grid.rows()) return;
  st.CurrentRow = grid.row;
  if (!st.GridReady) {
    markOnly(st.CurrentRow);
    return;
  }
  if (!folderStillThere(st.CurrentRow)) return;
  const auto click = decideClick(st.CurrentRow);
  for (int other : click.unloadRows) {
    if (other != st.CurrentRow && !folderStillThere(other)) return;
  }
  applyClick(click);
}

// One loaded folder per single-selection category: loading one unloads the other. Careers
// swap by the first loaded career row.
FolderEngine::Click FolderEngine::decideClick(int row) {
  auto& st = s_.state;
  const auto& grid = st.Unigrid;
  const auto code = codeOf(grid, row);
  if (isLoaded(grid, row)) return {{row}, 0};
  Click click{{}, row};
  st.OtherRow = 0;
  for (int r = 1; r < grid.rows(); ++r) {
    if (r == row || !isLoaded(grid, r) || codeOf(grid, r) != code) continue;
    if (code == "C" && st.OtherRow != 0) continue;
    if (code != "C" && isMultiSelectionCode(code)) continue;
    st.OtherRow = r;
    click.unloadRows.push_back(r);
  }
  return click;
}

bool FolderEngine::applyClick(const Click& click) {
  auto& st = s_.state;
  const MarksBefore before(st);
  auto record = readDeployment(s_);
  std::vector<UnloadPlan> unloads;
  Problems problems;
  for (int r : click.unloadRows) {
    auto plan = planUnload(folderOfRow(r), s_);
    if (!plan.refusal.empty()) {
      s_.shell.message(plan.refusal, Icon::Critical, "KVO");
      return false;
    }
    problems.add(plan.problems);
    unloads.push_back(std::move(plan));
    markRow(r, false);
    if (codeOf(st.Unigrid, r) == "F") {
      st.G1.clear();
      st.G1.setRows(1);
      st.Frame6Visible = false;
      st.Label2.clear();
    }
  }
  std::vector<LoadPlan> loads;
  if (click.loadRow != 0) {
    loads.push_back(planLoad(folderOfRow(click.loadRow), s_));
    if (!loads.back().problem.empty()) {
      before.restore(st);
      reportFailedChange(loads.back().problem, click);
      return false;
    }
    markRow(click.loadRow, true);
  }
  GameChange change(s_);
  addDeployment(change, s_, record, unloads, loads);
  change.recordSelection();
  if (!change.commit(problems)) {
    before.restore(st);
    reportFailedChange(change.failure(), click);
    return false;
  }
  clearReadOnlyOfSources(loads);
  if (click.loadRow != 0 && codeOf(st.Unigrid, click.loadRow) == "F") {
    showPlanesOf(folderOfRow(click.loadRow));
  }
  if (problems.empty()) return true;
  std::string unloaded;
  for (int r : click.unloadRows) unloaded += (unloaded.empty() ? "" : ", ") + st.Unigrid.text(r, 1);
  problems.report(s_.shell, unloaded + " is unloaded, but not everything could be removed:");
  return true;
}

void FolderEngine::reportFailedChange(const std::string& failure, const Click& click) {
  const auto& grid = s_.state.Unigrid;
  std::string text = failure + "\r\n\r\n";
  if (click.loadRow != 0) text += grid.text(click.loadRow, 1) + " was not loaded";
  std::string stays;
  for (int r : click.unloadRows) stays += (stays.empty() ? "" : ", ") + grid.text(r, 1);
  if (!stays.empty()) text += (click.loadRow != 0 ? ", and " : "") + stays + " stays loaded";
  text += "; the game folder is as it was.";
  s_.shell.message(text, Icon::Critical, "KVO");
}

// The replay of the record at start-up and by "Refresh!": marks only, no file is changed. A
// second folder of a single-selection category stays unmarked, so that a doubled line or a
// doubled category code can never unload the first one's files.
void FolderEngine::markOnly(int row) {
  auto& st = s_.state;
  const auto& grid = st.Unigrid;
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
  if (code == "F") showPlanesOf(folderOfRow(row));
}

void FolderEngine::showPlanesOf(const fs::path& folder) {
  auto& st = s_.state;
  st.G1.setCols(5);
  const bool planes = hasAlternativePlanes(folder);
  if (planes) planes_.GridSet(folder);
  st.Frame6Visible = planes;
}

}  // namespace kvo
