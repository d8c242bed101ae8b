#include "planes/alt_planes.h"

#include "gamefiles/legacy_number.h"
#include "planes/plane_record.h"
#include "platform/binary_io.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/grid_sort.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxPlaneFolders = 1801;

}  // namespace

std::string AltPlanes::GridSet(const fs::path& fmFolder) {
  auto& st = state_;
  auto& g1 = st.G1;
  // The current cell may be the painted name of an installed or unusable plane; taking that
  // mark for the background would paint every row unloaded later as if it were loaded.
  const Colour current = g1.back(g1.row, g1.col);
  if (current != kLoadedGreen && current != kLoadedSkin && current != kUnusablePlane) {
    st.DefaultCellColour = current;
  }
  std::vector<std::string> planeFolders;
  for (const auto& name : listFolders(fmFolder)) {
    if (name.starts_with("P-") && planeFolders.size() < kMaxPlaneFolders) {
      planeFolders.push_back(name);
    }
  }
  if (planeFolders.empty()) return {};
  st.Label2 = pathToText(fmFolder) + std::string(1, fs::path::preferred_separator);
  g1.setRows(1);
  g1.setCols(5);
  g1.clear();
  notes_.unusable.clear();
  notes_.fuel.clear();
  notes_.lastHoverRow = 0;
  const int widths[] = {2000, 0, 0, 2000, 0};
  for (int c = 0; c < 5; ++c) g1.setColWidth(c, widths[c]);
  for (const auto& name : planeFolders) addPlaneRow(fmFolder, name);
  g1.fixedRows = 1;
  g1.setText(0, 0, "Folder");
  g1.setText(0, 1, "PlnSlot");
  g1.setText(0, 2, "SkinSlot");
  g1.setText(0, 3, "Aircraft");
  g1.col = 1;
  g1.visible = true;
  return readFuelValues(fmFolder);
}

void AltPlanes::addPlaneRow(const fs::path& fmFolder, const std::string& folder) {
  auto& g1 = state_.G1;
  const auto dir = fmFolder / nameToPath(folder);
  const auto records = listFiles(dir, "*.kvo");
  PlaneRecordFile record;
  std::string problem;
  if (records.empty()) {
    problem = "it holds no plane record file (*.kvo)";
  } else {
    std::error_code ec;
    const auto file = dir / nameToPath(records.front());
    if (const auto bytes = readFileBytes(file, ec, read_limit::kPlaneRecord)) {
      record = readPlaneRecord(*bytes);
      if (!record.usable()) problem = records.front() + ": " + record.problem;
    } else {
      problem = describeFailure("read", file, ec);
    }
  }
  // Cell by cell: a tab inside a record's text must not spill into the installed mark.
  g1.addRow("");
  const int row = g1.rows() - 1;
  g1.setText(row, 0, folder);
  g1.setText(row, 1, record.slotText);
  g1.setText(row, 2, toUpperAscii(record.artCode));
  g1.setText(row, 3, record.name);
  if (problem.empty()) {
    notes_.fuel[folder] = {record.slot, record.fuel()};
    return;
  }
  notes_.unusable[folder] = problem;
  g1.setBack(row, 0, kUnusablePlane);
}

std::string AltPlanes::readFuelValues(const fs::path& fmFolder) {
  auto& st = state_;
  std::string bytes;
  std::string problem;
  if (const auto file = findNoCase(fmFolder, "planes.dat")) {
    std::error_code ec;
    if (auto read = readFileBytes(*file, ec, read_limit::kGameData)) {
      bytes = std::move(*read);
    } else {
      problem = describeFailure("read", *file, ec);
    }
  }
  for (int slot = 0; slot < kPlaneSlotCount; ++slot) {
    std::uint16_t fuel = 0;
    // -1 leaves the fuel display empty for slots that a short planes.dat does not reach.
    const bool known = readU16LE(bytes, fuelOffset(slot), fuel);
    st.FuelValues[static_cast<std::size_t>(slot)] = known ? fuel : -1;
    st.FuelPositions[static_cast<std::size_t>(slot)] = static_cast<int>(fuelOffset(slot)) + 1;
  }
  return problem;
}

// The game folder holds the recorded plane already: the row is only marked.
bool AltPlanes::markLoadedPlane(const std::string& line) {
  auto& st = state_;
  bool matched = false;
  for (int r = 1; r < st.G1.rows(); ++r) {
    if (st.G1.text(r, 0) != line) continue;
    markInstalled(r);
    // The game's planes.dat carries this plane's fuel, not the flight model's own.
    if (const auto found = notes_.fuel.find(line); found != notes_.fuel.end()) {
      st.FuelValues[static_cast<std::size_t>(found->second.first)] = found->second.second;
    }
    st.Frame6Visible = true;
    matched = true;
  }
  return matched;
}

std::string AltPlanes::unusableReason(int row) const {
  const auto found = notes_.unusable.find(state_.G1.text(row, 0));
  return found == notes_.unusable.end() ? std::string() : found->second;
}

void AltPlanes::forgetRows() {
  auto& g1 = state_.G1;
  g1.clear();
  g1.setRows(1);
  notes_.unusable.clear();
  notes_.lastHoverRow = 0;
  notes_.label19 = {};
  state_.fuelSlot = -1;
  state_.Label26.clear();
  state_.Label27.clear();
}

void AltPlanes::Label20_Click(int index) {
  auto& grid = state_.G1;
  if (index < 0 || index >= grid.cols()) return;
  grid.col = index;
  sortRowsAscending(grid, index);
}

}  // namespace kvo
