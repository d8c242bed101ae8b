#include "app/category_table.h"
#include "app/selector.h"
#include "engine/folder_engine.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

void markRow(Grid& grid, int row, bool loaded, Colour unloadedColour) {
  grid.setText(row, 2, loaded ? "S" : "");
  grid.setBack(row, 1, loaded ? kLoadedGreen : unloadedColour);
}

bool hasAlternativePlanes(const fs::path& folder) {
  for (const auto& name : listFolders(folder)) {
    if (name.starts_with("P-")) return true;
  }
  return false;
}

}  // namespace

void FolderEngine::Unigrid_Click() {
  auto& st = s_.state;
  auto& grid = st.Unigrid;
  if (grid.row < 1 || grid.row >= grid.rows()) return;
  st.CurrentRow = grid.row;
  const auto& name = grid.text(st.CurrentRow, 1);
  const auto code = name.substr(0, 1);
  const fs::path folder = grid.text(st.CurrentRow, 0);
  const bool loaded = grid.text(st.CurrentRow, 2) == "S";
  if (code == "C") {
    if (loaded) {
      markRow(grid, st.CurrentRow, false, st.DefaultCellColour);
      if (st.GridReady) {
        MoveOut(folder);
        RecordLoadedFolders();
      }
      return;
    }
    st.OtherRow = 0;
    for (int r = 1; r < grid.rows(); ++r) {
      if (grid.text(r, 2) == "S" && grid.text(r, 1).starts_with("C")) {
        st.OtherRow = r;
        break;
      }
    }
    if (st.OtherRow != 0) {
      markRow(grid, st.OtherRow, false, st.DefaultCellColour);
      MoveOut(fs::path(grid.text(st.OtherRow, 0)));
    }
    markRow(grid, st.CurrentRow, true, st.DefaultCellColour);
    MoveIn(folder);
    RecordLoadedFolders();
    return;
  }
  if (loaded) {
    Udel();
    if (code == "F") {
      st.G1.clear();
      st.G1.setRows(1);
      st.Frame6Visible = false;
      RecordLoadedFolders();
    }
    return;
  }
  if (!isMultiSelectionCode(code)) {
    st.OtherRow = 0;
    for (int r = 1; r < grid.rows(); ++r) {
      if (grid.text(r, 1).substr(0, 1) == code && grid.text(r, 2) == "S") st.OtherRow = r;
    }
    if (st.OtherRow != 0 && st.OtherRow != st.CurrentRow) {
      if (code == "F") st.Frame6Visible = false;
      markRow(grid, st.OtherRow, false, st.DefaultCellColour);
      MoveOut(fs::path(grid.text(st.OtherRow, 0)));
    }
  }
  MoveIn(folder);
  markRow(grid, st.CurrentRow, true, st.DefaultCellColour);
  RecordLoadedFolders();
  if (code == "F") {
    st.G1.setCols(5);
    if (hasAlternativePlanes(folder)) {
      s_.planes.GridSet(folder);
      RecordLoadedFolders();
      st.Frame6Visible = true;
    } else {
      RecordLoadedFolders();
      st.Frame6Visible = false;
    }
  }
}

void FolderEngine::Udel() {
  auto& st = s_.state;
  markRow(st.Unigrid, st.CurrentRow, false, st.DefaultCellColour);
  MoveOut(fs::path(st.Unigrid.text(st.CurrentRow, 0)));
}

void FolderEngine::PopulateFolderGrid() {
  auto& st = s_.state;
  st.GridReady = false;
  std::error_code ec;
  // A kvo.ini or FoldersLoaded.txt that has gone missing counts as empty.
  auto lines = readTextLines(resolveNoCase(st.SelectorDir, "kvo.ini"), ec);
  std::vector<std::string> ignored;
  fillFolderGrid(usableCategoryLines(lines.value_or(std::vector<std::string>{}), ignored),
                 listFolders(st.SelectorDir));
  auto record = readTextLines(resolveNoCase(st.SelectorDir, "FoldersLoaded.txt"), ec);
  for (const auto& line : record.value_or(std::vector<std::string>{})) {
    if (!line.empty()) replayFolderLine(line);
  }
  st.Unigrid.visible = true;
  st.GridReady = true;
}

}  // namespace kvo
