#include "engine/engine_batch.h"
#include "engine/folder_engine.h"
#include "engine/mod_files.h"
#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/category_table.h"
#include "state/core.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

fs::path folderOfRow(const Grid& grid, int row) {
  return nameToPath(grid.text(row, 0));
}

bool isLoaded(const Grid& grid, int row) {
  return grid.text(row, 2) == "S";
}

}  // namespace

void FolderEngine::markRow(int row, bool loaded) {
  auto& st = s_.state;
  st.Unigrid.setText(row, 2, loaded ? "S" : "");
  st.Unigrid.setBack(row, 1, loaded ? kLoadedGreen : st.DefaultCellColour);
}

bool FolderEngine::folderStillThere(int row) {
  const auto folder = folderOfRow(s_.state.Unigrid, row);
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

void FolderEngine::clickCurrentRow() {
  auto& st = s_.state;
  auto& grid = st.Unigrid;
  if (grid.row < 1 || grid.row >= grid.rows()) return;
  st.CurrentRow = grid.row;
  if (!folderStillThere(st.CurrentRow)) return;
  const auto code = grid.text(st.CurrentRow, 1).substr(0, 1);
  if (code == "C") {
    clickCareerRow(st.CurrentRow);
  } else if (isLoaded(grid, st.CurrentRow)) {
    clickLoadedRow(code);
  } else {
    clickUnloadedRow(st.CurrentRow, code);
  }
}

// Careers swap by the first loaded career row, and the saves go back into the old folder
// before the new one brings its own.
void FolderEngine::clickCareerRow(int row) {
  auto& st = s_.state;
  auto& grid = st.Unigrid;
  if (isLoaded(grid, row)) {
    markRow(row, false);
    if (st.GridReady) {
      MoveOut(folderOfRow(grid, row));
      s_.record.RecordLoadedFolders();
    }
    return;
  }
  st.OtherRow = 0;
  for (int r = 1; r < grid.rows() && st.OtherRow == 0; ++r) {
    if (isLoaded(grid, r) && grid.text(r, 1).starts_with("C")) st.OtherRow = r;
  }
  std::string swappedOut;
  if (st.OtherRow != 0) {
    if (!folderStillThere(st.OtherRow)) return;
    unloadOtherRow(st.OtherRow);
    swappedOut = grid.text(st.OtherRow, 1);
  }
  if (!MoveIn(folderOfRow(grid, row), swappedOut)) return;
  markRow(row, true);
  s_.record.RecordLoadedFolders();
}

void FolderEngine::clickLoadedRow(const std::string& code) {
  auto& st = s_.state;
  Udel();
  if (code != "F") return;
  st.G1.clear();
  st.G1.setRows(1);
  st.Frame6Visible = false;
  s_.record.RecordLoadedFolders();
}

void FolderEngine::clickUnloadedRow(int row, const std::string& code) {
  auto& st = s_.state;
  auto& grid = st.Unigrid;
  std::string swappedOut;
  if (!isMultiSelectionCode(code)) {
    st.OtherRow = 0;
    for (int r = 1; r < grid.rows(); ++r) {
      if (grid.text(r, 1).substr(0, 1) == code && isLoaded(grid, r)) st.OtherRow = r;
    }
    if (st.OtherRow != 0) {
      if (!folderStillThere(st.OtherRow)) return;
      if (code == "F") st.Frame6Visible = false;
      unloadOtherRow(st.OtherRow);
      swappedOut = grid.text(st.OtherRow, 1);
    }
  }
  const auto folder = folderOfRow(grid, row);
  if (!MoveIn(folder, swappedOut)) return;
  markRow(row, true);
  s_.record.RecordLoadedFolders();
  if (code == "F") showPlanesOf(folder);
}

void FolderEngine::unloadOtherRow(int other) {
  markRow(other, false);
  MoveOut(folderOfRow(s_.state.Unigrid, other));
}

void FolderEngine::showPlanesOf(const fs::path& folder) {
  auto& st = s_.state;
  st.G1.setCols(5);
  const bool planes = hasAlternativePlanes(folder);
  if (planes) planes_.GridSet(folder);
  s_.record.RecordLoadedFolders();
  st.Frame6Visible = planes;
}

void FolderEngine::Udel() {
  auto& st = s_.state;
  markRow(st.CurrentRow, false);
  MoveOut(folderOfRow(st.Unigrid, st.CurrentRow));
}

}  // namespace kvo
