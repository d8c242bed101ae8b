#include "planes/skin_panel.h"

#include <algorithm>

#include "gamefiles/legacy_number.h"
#include "planes/plane_record.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

void SkinPanel::buildSkinGrid() {
  auto& st = state_;
  st.List1.clear();
  st.List1.items = {"ALL", "Selected"};
  for (int slot = 0; slot < 30; ++slot) {
    st.List1.items.push_back(toUpperAscii(st.PlaneCodes[static_cast<std::size_t>(slot)]));
  }
  auto& grid = st.SK1;
  grid.setRows(1);
  grid.setCols(3);
  const auto skinRoot = resolveNoCase(st.SelectorDir, "Skinfolder");
  for (const auto& name : listFolders(skinRoot)) {
    grid.addRow(name);
    const auto models = listFiles(skinRoot / nameToPath(name), "p*.3dz");
    if (!models.empty()) grid.setText(grid.rows() - 1, 2, toUpperAscii(models[0].substr(1, 4)));
  }
  grid.setColWidth(0, 5000);
  grid.setColWidth(1, 240);
  grid.setColWidth(2, 400);
  st.skinControlsVisible = grid.rows() > 1;
  grid.fixedRows = grid.rows() > 1 ? 1 : 0;
}

void SkinPanel::rebuildSkinGrid(const std::string& current) {
  auto& st = state_;
  std::vector<std::string> loaded;
  for (int r = 1; r < st.SK1.rows(); ++r) {
    if (st.SK1.text(r, 1) == "S") loaded.push_back(st.SK1.text(r, 0));
  }
  const int filter = st.List1.index;
  st.SkinGridReady = false;
  buildSkinGrid();
  auto& grid = st.SK1;
  grid.row = 0;
  for (int r = 1; r < grid.rows(); ++r) {
    const auto& name = grid.text(r, 0);
    if (std::find(loaded.begin(), loaded.end(), name) != loaded.end()) {
      grid.setText(r, 1, "S");
      grid.setBack(r, 0, kLoadedSkin);
    }
    if (name == current) grid.row = r;
  }
  st.List1.index = filter;
  FilterGrids(filter);
  // The added skin is not loaded, so "Selected" (the filter at start) would hide it.
  if (grid.row > 0 && grid.text(grid.row, 0) == current && !grid.rowVisible(grid.row)) {
    st.List1.index = 0;
    FilterGrids(0);
  }
}

bool SkinPanel::markLoadedSkin(const std::string& line) {
  auto& grid = state_.SK1;
  bool matched = false;
  for (int r = 1; r < grid.rows(); ++r) {
    const auto& name = grid.text(r, 0);
    if (!line.ends_with(name)) continue;
    grid.setText(r, 1, "S");
    grid.setBack(r, 0, kLoadedSkin);
    matched = true;
  }
  return matched;
}

void SkinPanel::FilterGrids(int index) {
  auto& st = state_;
  st.SkinGridReady = false;
  auto& sk1 = st.SK1;
  const auto& filterText = st.List1.items.size() > static_cast<std::size_t>(std::max(index, 0))
                               ? st.List1.items[static_cast<std::size_t>(std::max(index, 0))]
                               : std::string();
  for (int r = 1; r < sk1.rows(); ++r) {
    const bool loaded = sk1.text(r, 1) == "S";
    sk1.setBack(r, 0, loaded ? kLoadedSkin : kWindowBackground);
    const bool shown =
        index == 0 || (index == 1 && loaded) || (index >= 2 && sk1.text(r, 2) == filterText);
    sk1.setRowHeight(r, shown ? sk1.rowHeight(0) : 0);
  }
  if (sk1.rows() > 1) {
    sk1.setText(0, 0, filterText);
    sk1.headerBold = true;
    st.SkinGridReady = true;
  }
  if (!st.Frame6Visible) return;
  auto& g1 = st.G1;
  for (int r = 1; r < g1.rows(); ++r) {
    const bool installed = g1.text(r, 4) == "S";
    g1.setBack(r, 3, installed ? kLoadedGreen : kWindowBackground);
    const bool hidden =
        (index == 1 && !installed) || (index >= 2 && parseLegacyNumber(g1.text(r, 1)) + 2 != index);
    g1.setRowHeight(r, hidden ? 0 : g1.rowHeight(0));
  }
  if (index >= 2 && index - 2 < kPlaneSlotCount) showFuel(index - 2);
}

void SkinPanel::showFuel(int slot) {
  auto& st = state_;
  const auto value = st.FuelValues[static_cast<std::size_t>(slot)];
  // A slot that the flight model's planes.dat does not reach has no fuel to offer.
  st.fuelSlot = value < 0 ? -1 : slot;
  st.Label26 = value < 0 ? "" : std::to_string(value);
  st.Label27 = value < 0 ? "" : std::to_string(st.FuelPositions[static_cast<std::size_t>(slot)]);
}

}  // namespace kvo
