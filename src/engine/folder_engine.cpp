#include "engine/folder_engine.h"

#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"
#include "state/category_table.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool isReservedFolder(std::string_view name) {
  const auto upper = toUpperAscii(name);
  return upper == "AUTOSCRIPTS" || upper == "SKINFOLDER" || upper == "UNUSED";
}

std::string firstChar(const std::string& name) {
  return name.substr(0, 1);
}

}  // namespace

void FolderEngine::fillFolderGrid(const std::vector<std::string>& categoryLines,
                                  const std::vector<std::string>& folderNames, Problems& problems) {
  auto& grid = state_.Unigrid;
  replayRefused_.clear();
  replayProblems_ = {};
  std::string unlisted;
  grid.setRows(1);
  grid.setCols(3);
  for (const auto& line : categoryLines) {
    const auto code = categoryCodeOfLine(line);
    for (const auto& name : folderNames) {
      if (isReservedFolder(name) || firstChar(name) != code) continue;
      // FoldersLoaded.txt holds one name a line and the grid one name a cell: a name with a
      // line break or a tab would come back as another folder.
      if (name.find_first_of("\r\n\t") != std::string::npos) {
        std::string shown = name;
        for (char& c : shown) {
          if (c == '\r' || c == '\n' || c == '\t') c = '?';
        }
        unlisted += (unlisted.empty() ? "" : ", ") + shown;
        continue;
      }
      grid.addRow(pathToText(state_.SelectorDir / nameToPath(name)) + "\t" + name);
    }
  }
  if (!unlisted.empty()) {
    problems.add(
        "These folders are not offered, since their names hold a line break or a tab, "
        "which FoldersLoaded.txt cannot keep: " +
        unlisted + ". Rename them to load them.");
  }
  grid.setColWidth(0, 0);
  grid.setColWidth(1, 5000);
  grid.setColWidth(2, 240);
  grid.fixedRows = grid.rows() > 1 ? 1 : 0;
  grid.heightTwips = kRowHeight * std::min(grid.rows(), 20) + 72;
}

bool FolderEngine::replayFolderLine(const std::string& line) {
  auto& grid = state_.Unigrid;
  bool matched = false;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) != line) continue;
    matched = true;
    markOnly(r);
  }
  return matched;
}

void FolderEngine::List3_Click(int index) {
  auto& st = state_;
  auto& grid = st.Unigrid;
  st.List3.index = index;
  st.Label6.clear();
  std::string code;
  if (index >= 2 && index - 2 < static_cast<int>(st.CategoryCodes.size())) {
    code = st.CategoryCodes[static_cast<std::size_t>(index - 2)];
    st.Label6 = code;
  }
  grid.setText(0, 1, "All folders are available");
  for (int r = 1; r < grid.rows(); ++r) {
    const auto& name = grid.text(r, 1);
    int height = kRowHeight;
    if (index == 0) {
      if (name.starts_with("C-")) height = 0;
    } else if (index == 1) {
      height = grid.text(r, 2) == "S" ? kRowHeight : 0;
      if (height) grid.setBack(r, 1, kLoadedGreen);
    } else if (code.empty() || !(name.size() >= 2 && firstChar(name) == code &&
                                 (name[1] == '-' || name[1] == ' '))) {
      height = 0;
    }
    grid.setRowHeight(r, height);
  }
  if (index >= 2) {
    grid.setText(0, 1,
                 isMultiSelectionCode(code) ? "Multiple selections are allowed!"
                                            : "Only one selection can be made!");
  }
  grid.visible = true;
}

}  // namespace kvo
