#include <cmath>

#include "gamefiles/legacy_number.h"
#include "planes/alt_planes.h"
#include "planes/plane_install.h"
#include "planes/plane_record.h"
#include "planes/planned_files.h"
#include "planes/state_restore.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

int slotOfCell(const std::string& text) {
  return static_cast<int>(std::floor(parseLegacyNumber(text)));
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

constexpr const char* kFuelCaptions[] = {"100%", "75%", "50%", "25%", "10%", "5%"};

}  // namespace

void AltPlanes::markInstalled(int row) {
  auto& g1 = state_.G1;
  const int slot = slotOfCell(g1.text(row, 1));
  // One plane per slot: the slot's earlier plane is no longer in the game's files.
  for (int r = 1; r < g1.rows(); ++r) {
    if (r == row || slotOfCell(g1.text(r, 1)) != slot || g1.text(r, 4) != "S") continue;
    g1.setBack(r, 3, state_.DefaultCellColour);
    g1.setText(r, 4, "");
  }
  g1.setBack(row, 3, kLoadedGreen);
  g1.setText(row, 4, "S");
}

void AltPlanes::showFuel(int slot, int fuel) {
  const auto at = static_cast<std::size_t>(slot);
  state_.FuelValues[at] = fuel;
  state_.fuelSlot = slot;
  state_.Label26 = std::to_string(fuel);
  state_.Label27 = std::to_string(state_.FuelPositions[at]);
}

// The loaded flight-model folder whose planes the grid shows.
std::string AltPlanes::ownerFolder() const {
  return pathToText(nameToPath(state_.Label2).parent_path().filename());
}

void AltPlanes::planWrites(GameChange& change, std::vector<GameFileWrite> files) {
  if (placements_) return placements_->planWrites(change, ownerFolder(), std::move(files));
  for (auto& file : files) change.replaceWith(file.path, std::move(file.bytes));
}

Outcome AltPlanes::ApplyPlaneRow(int row) {
  const auto& g1 = state_.G1;
  if (!state_.GridReady || row < 1 || row >= g1.rows()) return {};
  StateRestore restore(state_, *this);
  GameChange change(state_, "plane " + g1.text(row, 0));
  if (auto why = planPlaneRow(row, change); !why.empty()) {
    return Outcome::refused(change.action(), why);
  }
  record_.RecordLoadedFolders(change);
  auto outcome = game_.commit(change);
  if (!outcome.ok()) return outcome;
  if (!outcome.planned) restore.keep();
  outcome.done = selectionSentence(outcome.changes);
  return outcome;
}

std::string AltPlanes::planPlaneRow(int row, GameChange& change) {
  const auto& g1 = state_.G1;
  if (row < 1 || row >= g1.rows()) return {};
  if (const auto reason = unusableReason(row); !reason.empty()) {
    return g1.text(row, 0) + " cannot be installed: " + reason + ".";
  }
  state_.Image2 = state_.BackgroundPicture;
  const auto planeDir = nameToPath(state_.Label2 + g1.text(row, 0));
  const PlannedGameFiles game(game_.listing(), change);
  const auto plan = planPlaneInstall(planeDir, game, editors_.pnameform, editors_.pmnuform);
  if (!plan.ok()) return plan.error;
  planWrites(change, plan.files);
  if (plan.flightModel) {
    const auto name = pathToText(plan.flightModel->filename());
    std::string caption = "Please wait- copying: :" + name;
    if (placements_) {
      placements_->planCopy(change, ownerFolder(), *plan.flightModel, game.resolve(name),
                            std::move(caption));
    } else {
      change.copyOver(*plan.flightModel, game.resolve(name), std::move(caption));
    }
  }
  markInstalled(row);
  showFuel(plan.slot, plan.fuel);
  return {};
}

Outcome AltPlanes::SetFuelLoad(int slot, int index) {
  // A button pressed before any slot is chosen changes nothing.
  if (slot < 0 || slot >= 30 || index < 0 || index > 5) return {};
  const auto at = static_cast<std::size_t>(slot);
  const std::string code = toUpperAscii(state_.PlaneCodes[at]);
  GameChange change(state_, "fuel " + code + " " + kFuelCaptions[index]);
  const int full = state_.FuelValues[at];
  // The two bytes of the fuel field hold no more than 65535.
  if (full < 0 || full > 65535) {
    return Outcome::refused(change.action(),
                            "The fuel of " + code +
                                " is not known: load a flight-model folder with alternative "
                                "planes first.");
  }
  const auto value = fuelShare(static_cast<std::uint32_t>(full), index);
  const auto offset = static_cast<std::size_t>(state_.FuelPositions[at] - 1);
  std::string error;
  fs::path path;
  auto bytes = readPlanesDat(PlannedGameFiles(game_.listing(), change), path, error);
  if (bytes && offset + 1 >= bytes->size()) {
    error = displayPath(path) + " ends at offset " + std::to_string(bytes->size()) +
            ", before the fuel field at offset " + std::to_string(offset) + ".";
  }
  if (!error.empty()) return Outcome::refused(change.action(), error);
  (*bytes)[offset] = static_cast<char>(value % 256);
  (*bytes)[offset + 1] = static_cast<char>(value / 256);
  planWrites(change, {{path, std::move(*bytes)}});
  auto outcome = game_.commit(change);
  if (outcome.ok()) {
    outcome.done = "The fuel of " + code + " is " + kFuelCaptions[index] + " of " +
                   std::to_string(full) + ": " + std::to_string(value) + ".";
  }
  return outcome;
}

int AltPlanes::fuelOnDisk() {
  const int slot = state_.fuelSlot;
  if (slot < 0 || slot >= 30) return -1;
  const auto at = static_cast<std::size_t>(slot);
  const int full = state_.FuelValues[at];
  if (full < 0 || full > 65535 || state_.FuelPositions[at] < 1) return -1;
  const GameChange nothing(state_, {});
  std::string error;
  fs::path path;
  const auto bytes = readPlanesDat(PlannedGameFiles(game_.listing(), nothing), path, error);
  const auto offset = static_cast<std::size_t>(state_.FuelPositions[at] - 1);
  if (!bytes || offset + 1 >= bytes->size()) return -1;
  const auto value = static_cast<std::uint32_t>(static_cast<unsigned char>((*bytes)[offset])) +
                     256u * static_cast<unsigned char>((*bytes)[offset + 1]);
  for (int index = 0; index < 6; ++index) {
    if (fuelShare(static_cast<std::uint32_t>(full), index) == value) return index;
  }
  return -1;
}

}  // namespace kvo
