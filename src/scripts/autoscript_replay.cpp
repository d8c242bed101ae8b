#include "engine/folder_engine.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "platform/listing.h"
#include "scripts/autoscripts.h"
#include "scripts/script_files.h"
#include "scripts/set_entries.h"
#include "state/core.h"

namespace kvo {

void Autoscripts::PreviewAutoscript() {
  auto& st = s_.state;
  st.List2.clear();
  const auto& name = st.File10.selectedText();
  if (name.empty()) return;
  std::string problem;
  const auto entries = readScriptEntries(scriptsDir() / nameToPath(name), problem);
  if (!entries) {
    s_.shell.message(problem, Icon::Exclamation, "KVO");
    return;
  }
  for (const auto& entry : *entries) st.List2.items.push_back(entryName(entry));
}

void Autoscripts::RunAutoscript() {
  if (s_.state.List2.items.empty()) return;
  LoadRecord::Batch once(s_.record);
  ApplySet(s_.state.List2.items);
  s_.record.RecordLoadedFolders();
}

bool Autoscripts::ApplySet(std::span<const std::string> entries) {
  for (const auto& entry : entries) {
    const auto key = entryKey(entry);
    if (key.empty()) continue;
    if (!applyFolders(key)) return false;
    applySkins(key);
    // Tested for every entry: a flight-model folder listed earlier has shown its planes.
    if (s_.state.Frame6Visible) applyPlanes(key);
  }
  return true;
}

bool Autoscripts::applyFolders(const std::string& key) {
  auto& grid = s_.state.Unigrid;
  const int rows = grid.rows();
  for (int r = 1; r < rows; ++r) {
    if (entryKey(grid.text(r, 1)) != key) continue;
    grid.row = r;
    grid.col = 1;
    if (!grid.text(r, 2).empty()) continue;
    engine_.Unigrid_Click();
    // The click marks the row once the folder is in; an unmarked row is a failed load.
    if (grid.text(r, 2).empty()) return false;
  }
  return true;
}

void Autoscripts::applySkins(const std::string& key) {
  auto& grid = s_.state.SK1;
  const int rows = grid.rows();
  for (int r = 1; r < rows; ++r) {
    if (entryKey(grid.text(r, 0)) != key) continue;
    grid.row = r;
    if (grid.text(r, 1).empty()) skins_.ApplySkinRow();
  }
}

void Autoscripts::applyPlanes(const std::string& key) {
  auto& st = s_.state;
  auto& grid = st.G1;
  const int rows = grid.rows();
  // Row 0 is the heading, never a plane.
  for (int r = 1; r < rows; ++r) {
    if (entryKey(grid.text(r, 0)) != key || !grid.text(r, 4).empty()) continue;
    grid.col = 3;
    grid.row = r;
    grid.setBack(r, 3, kLoadedGreen);
    planes_.ApplyPlaneRow();
    // A plane that could not be installed must not look installed.
    if (grid.text(r, 4).empty()) grid.setBack(r, 3, st.DefaultCellColour);
  }
}

}  // namespace kvo
