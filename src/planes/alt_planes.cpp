#include "planes/alt_planes.h"

#include "app/selector.h"
#include "platform/binary_io.h"
#include "platform/legacy_number.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxPlaneFolders = 1801;
constexpr std::size_t kPlaneRecordSize = 216;

// Name, slot text and art code of a plane record file, as far as the file goes.
struct PlaneRowFields {
  std::string name;
  std::string slot;
  std::string artCode;
};

PlaneRowFields readPlaneRowFields(const fs::path& planeFolder) {
  PlaneRowFields fields;
  const auto records = listFiles(planeFolder, "*.kvo");
  if (records.empty()) return fields;
  std::error_code ec;
  const auto lines =
      readTextLines(planeFolder / records[0], ec).value_or(std::vector<std::string>{});
  if (!lines.empty()) fields.name = lines[0];
  if (lines.size() > 1) fields.slot = lines[1];
  for (std::size_t line = 166; line <= 169 && line <= lines.size(); ++line) {
    const auto code = static_cast<long>(parseLegacyNumber(lines[line - 1]));
    if (code > 0 && code < 256) fields.artCode += static_cast<char>(code);
  }
  return fields;
}

}  // namespace

void AltPlanes::GridSet(const fs::path& fmFolder) {
  auto& st = s_.state;
  auto& g1 = st.G1;
  st.DefaultCellColour = g1.back(g1.row, g1.col);
  std::vector<std::string> planeFolders;
  for (const auto& name : listFolders(fmFolder)) {
    if (name.starts_with("P-") && planeFolders.size() < kMaxPlaneFolders) {
      planeFolders.push_back(name);
    }
  }
  if (planeFolders.empty()) return;
  st.Label2 = fmFolder.string() + std::string(1, fs::path::preferred_separator);
  g1.setRows(1);
  g1.setCols(5);
  g1.clear();
  const int widths[] = {2000, 0, 0, 2000, 0};
  for (int c = 0; c < 5; ++c) g1.setColWidth(c, widths[c]);
  for (const auto& name : planeFolders) {
    const auto fields = readPlaneRowFields(fmFolder / name);
    g1.addRow(name + "\t" + fields.slot + "\t" + toUpperAscii(fields.artCode) + "\t" + fields.name);
  }
  g1.fixedRows = 1;
  g1.setText(0, 0, "Folder");
  g1.setText(0, 1, "PlnSlot");
  g1.setText(0, 2, "SkinSlot");
  g1.setText(0, 3, "Aircraft");
  g1.col = 1;
  g1.visible = true;
  readFuelValues(fmFolder);
}

void AltPlanes::readFuelValues(const fs::path& fmFolder) {
  auto& st = s_.state;
  std::error_code ec;
  const auto bytes = readFileBytes(resolveNoCase(fmFolder, "planes.dat"), ec).value_or("");
  for (std::size_t slot = 0; slot < 30; ++slot) {
    std::uint16_t fuel = 0;
    // A short planes.dat leaves the fuel of its missing slots at 0.
    if (!readU16LE(bytes, kPlaneRecordSize * slot + 40, fuel)) fuel = 0;
    st.FuelValues[slot] = fuel;
    st.FuelPositions[slot] = static_cast<int>(kPlaneRecordSize * slot + 41);
  }
}

bool AltPlanes::markLoadedPlane(const std::string& line) {
  auto& st = s_.state;
  bool matched = false;
  for (int r = 0; r < st.G1.rows(); ++r) {
    if (st.G1.text(r, 0) != line) continue;
    st.G1.setText(r, 4, "S");
    st.G1.setBack(r, 3, kLoadedGreen);
    st.G1.row = r;
    ApplyPlaneRow();
    st.Frame6Visible = true;
    matched = true;
  }
  return matched;
}

void AltPlanes::ApplyPlaneRow() {
  // Installing a plane into its slot writes the game's plane files; until that lands, a
  // replayed row is only marked, which is all that happens while GridReady is False.
  if (!s_.state.GridReady) return;
}

}  // namespace kvo
