#include <cmath>

#include "planes/alt_planes.h"
#include "planes/plane_install.h"
#include "planes/plane_record.h"
#include "platform/file_ops.h"
#include "platform/legacy_number.h"
#include "platform/listing.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

int slotOfCell(const std::string& text) {
  return static_cast<int>(std::floor(parseLegacyNumber(text)));
}

// What a row looks like in G1: its mark and the colour of its name.
struct RowMark {
  std::string mark;
  Colour back;
};

std::vector<RowMark> marksOf(const Grid& g1) {
  std::vector<RowMark> marks;
  for (int r = 0; r < g1.rows(); ++r) marks.push_back({g1.text(r, 4), g1.back(r, 3)});
  return marks;
}

void restoreMarks(Grid& g1, const std::vector<RowMark>& marks) {
  for (int r = 1; r < g1.rows() && r < static_cast<int>(marks.size()); ++r) {
    g1.setText(r, 4, marks[static_cast<std::size_t>(r)].mark);
    g1.setBack(r, 3, marks[static_cast<std::size_t>(r)].back);
  }
}

// Option1's share of the full fuel, as the game's own integer division takes it.
std::uint32_t fuelShare(std::uint32_t full, int index) {
  switch (index) {
    case 1:
      return full * 3 / 4;
    case 2:
      return full / 2;
    case 3:
      return full / 4;
    case 4:
      return full / 10;
    case 5:
      return full / 20;
    default:
      return full;
  }
}

}  // namespace

void AltPlanes::markInstalled(int row) {
  auto& st = s_.state;
  auto& g1 = st.G1;
  const int slot = slotOfCell(g1.text(row, 1));
  // One plane per slot: the slot's earlier plane is no longer in the game's files.
  for (int r = 1; r < g1.rows(); ++r) {
    if (r == row || slotOfCell(g1.text(r, 1)) != slot || g1.text(r, 4) != "S") continue;
    g1.setBack(r, 3, st.DefaultCellColour);
    g1.setText(r, 4, "");
  }
  g1.setBack(row, 3, kLoadedGreen);
  g1.setText(row, 4, "S");
}

void AltPlanes::ApplyPlaneRow() {
  auto& st = s_.state;
  auto& g1 = st.G1;
  const int s = g1.row;
  if (!st.GridReady || s < 1 || s >= g1.rows()) return;
  if (const auto reason = unusableReason(s); !reason.empty()) {
    s_.shell.message(g1.text(s, 0) + " cannot be installed: " + reason + ".", Icon::Exclamation,
                     "KVO");
    return;
  }
  st.Image2 = st.BackgroundPicture;
  const auto planeDir = nameToPath(st.Label2 + g1.text(s, 0));
  const auto plan =
      planPlaneInstall(planeDir, s_.gameFolder(), editors_.pnameform, editors_.pmnuform);
  if (!plan.ok()) {
    s_.shell.message(plan.error, Icon::Critical, "KVO");
    return;
  }
  const auto before = marksOf(g1);
  markInstalled(s);
  if (!commitInstall(plan)) {
    restoreMarks(g1, before);
    return;
  }
  const auto slot = static_cast<std::size_t>(plan.slot);
  st.FuelValues[slot] = plan.fuel;
  st.Label26 = std::to_string(st.FuelValues[slot]);
  st.Label27 = std::to_string(st.FuelPositions[slot]);
}

bool AltPlanes::commitInstall(const PlaneInstallPlan& plan) {
  GameChange change(s_);
  for (const auto& file : plan.files) change.replaceWith(file.path, file.bytes);
  if (plan.flightModel) {
    const auto name = pathToText(plan.flightModel->filename());
    change.copyOver(*plan.flightModel, s_.gameFolder().resolve(name),
                    "Please wait- copying: :" + name);
  }
  change.recordSelection();
  Problems problems;
  if (!change.commit(problems)) {
    s_.shell.message(change.failure(), Icon::Critical, "KVO");
    return false;
  }
  problems.report(s_.shell);
  return true;
}

void AltPlanes::SetFuelLoad(int index) {
  auto& st = s_.state;
  if (st.Label26.empty() || st.Label27.empty() || index < 0 || index > 5) return;
  const double full = parseLegacyNumber(st.Label26);
  const double position = std::floor(parseLegacyNumber(st.Label27));
  // The two bytes of the fuel field hold no more than 65535.
  if (!(full >= 0 && full <= 65535) || !(position >= 1)) return;
  const auto value = fuelShare(static_cast<std::uint32_t>(full), index);
  std::string error;
  const auto path = findPlanesDat(s_.gameFolder(), error);
  auto bytes = path ? readPlanesDat(*path, error) : std::nullopt;
  const auto offset = static_cast<std::size_t>(position) - 1;
  if (bytes && offset + 1 >= bytes->size()) {
    error = displayPath(*path) + " ends at offset " + std::to_string(bytes->size()) +
            ", before the fuel field at offset " + std::to_string(offset) + ".";
  }
  if (!error.empty()) {
    s_.shell.message(error, Icon::Critical, "KVO");
    return;
  }
  (*bytes)[offset] = static_cast<char>(value % 256);
  (*bytes)[offset + 1] = static_cast<char>(value / 256);
  GameChange change(s_);
  change.replaceWith(*path, std::move(*bytes));
  Problems problems;
  if (!change.commit(problems)) s_.shell.message(change.failure(), Icon::Critical, "KVO");
  problems.report(s_.shell);
}

}  // namespace kvo
