#include "planes/plane_install.h"

#include "planes/loadout_patch.h"
#include "planes/plane_record.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPlanesDatSize = kPlanesDatRecordSize * kPlaneSlotCount;

std::optional<std::string> readWhole(const fs::path& path, std::size_t limit, std::string& error) {
  std::error_code ec;
  auto bytes = readFileBytes(path, ec, limit);
  if (!bytes) error = describeFailure("read", path, ec);
  return bytes;
}

bool missing(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The folder's only file of a pattern; none when there is none or more than one, since then
// the plane's author has not said which one counts.
std::optional<fs::path> onlyFileOf(const fs::path& dir, std::string_view pattern) {
  const auto names = listFiles(dir, pattern);
  if (names.size() != 1) return std::nullopt;
  return dir / nameToPath(names.front());
}

bool readRecord(const fs::path& planeDir, PlaneInstallPlan& plan, PlaneRecordFile& record) {
  const auto names = listFiles(planeDir, "*.kvo");
  if (names.empty()) {
    plan.error = displayPath(planeDir) + " holds no plane record file (*.kvo).";
    return false;
  }
  const auto path = planeDir / nameToPath(names.front());
  const auto bytes = readWhole(path, read_limit::kPlaneRecord, plan.error);
  if (!bytes) return false;
  record = readPlaneRecord(*bytes);
  if (!record.usable()) {
    plan.error = displayPath(path) + " cannot be installed: " + record.problem + ".";
    return false;
  }
  plan.name = trimmed(record.name);
  plan.slot = record.slot;
  plan.fuel = record.fuel();
  return true;
}

bool planPlanesDat(const PlaneRecordFile& record, const GameFileReader& game,
                   PlaneInstallPlan& plan) {
  fs::path path;
  auto bytes = readPlanesDat(game, path, plan.error);
  if (!bytes) return false;
  for (const auto& patch : planeRecordPatches(record)) {
    (*bytes)[patch.offset] = static_cast<char>(patch.value);
  }
  plan.files.push_back({path, std::move(*bytes)});
  return true;
}

// The patches of the folder's one *.lox, *.lo1 and *.lo2, in that order.
bool readLoadoutPatches(const fs::path& planeDir, std::vector<BytePatch>& patches,
                        std::vector<fs::path>& sources, std::string& error) {
  for (const char* pattern : {"*.lox", "*.lo1", "*.lo2"}) {
    const auto path = onlyFileOf(planeDir, pattern);
    if (!path) continue;
    const auto text = readWhole(*path, read_limit::kLoadoutPatch, error);
    if (!text) return false;
    const auto patch =
        std::string_view(pattern) == "*.lox" ? readLoxPatch(*text) : readSequentialPatch(*text);
    if (!patch.usable()) {
      error = displayPath(*path) + " cannot be applied: " + patch.problem + ".";
      return false;
    }
    patches.insert(patches.end(), patch.bytes.begin(), patch.bytes.end());
    sources.insert(sources.end(), patch.bytes.size(), *path);
  }
  return true;
}

bool planLoadout(const fs::path& planeDir, const GameFileReader& game, PlaneInstallPlan& plan) {
  std::vector<BytePatch> patches;
  std::vector<fs::path> sources;
  if (!readLoadoutPatches(planeDir, patches, sources, plan.error)) return false;
  if (patches.empty()) return true;
  const auto path = game.resolve("loadout.dat");
  std::error_code ec;
  auto bytes = game.read(path, ec, read_limit::kGameData);
  if (!bytes && missing(ec)) {
    plan.error = "There is no loadout.dat in the game folder " + displayPath(path.parent_path()) +
                 " for the loadout patch " + displayPath(sources.front()) + ".";
    return false;
  }
  if (!bytes) {
    plan.error = describeFailure("read", path, ec);
    return false;
  }
  for (std::size_t i = 0; i < patches.size(); ++i) {
    if (patches[i].offset >= bytes->size()) {
      plan.error = displayPath(sources[i]) + " would write at offset " +
                   std::to_string(patches[i].offset) + ", but " + displayPath(path) +
                   " ends at offset " + std::to_string(bytes->size()) + ".";
      return false;
    }
    (*bytes)[patches[i].offset] = static_cast<char>(patches[i].value);
  }
  plan.files.push_back({path, std::move(*bytes)});
  return true;
}

}  // namespace

std::optional<std::string> readPlanesDat(const GameFileReader& game, fs::path& path,
                                         std::string& error) {
  path = game.resolve("planes.dat");
  std::error_code ec;
  auto bytes = game.read(path, ec, read_limit::kGameData);
  if (!bytes && missing(ec)) {
    // A stock game keeps planes.dat inside its archives, where no plane record can go.
    error = "There is no planes.dat in the game folder " + displayPath(path.parent_path()) +
            ". The stock game keeps it in its archives: load the flight-model folder that "
            "brings its planes.dat first.";
    return std::nullopt;
  }
  if (!bytes) error = describeFailure("read", path, ec);
  if (bytes && bytes->size() < kPlanesDatSize) {
    error = displayPath(path) + " ends at offset " + std::to_string(bytes->size()) +
            ", short of the 30 plane records of 216 bytes (" + std::to_string(kPlanesDatSize) +
            " bytes). Load the flight-model folder that brings its planes.dat first.";
    return std::nullopt;
  }
  return bytes;
}

PlaneInstallPlan planPlaneInstall(const fs::path& planeDir, const GameFileReader& game,
                                  Pnameform& names, Pmnuform& menus) {
  PlaneInstallPlan plan;
  PlaneRecordFile record;
  if (!readRecord(planeDir, plan, record) || !planPlanesDat(record, game, plan)) return plan;
  auto nameFiles = planeNameFiles(game, plan.slot, plan.name, names, menus);
  if (!nameFiles.ok()) {
    plan.error = std::move(nameFiles.error);
    return plan;
  }
  for (auto& file : nameFiles.files) plan.files.push_back(std::move(file));
  if (!planLoadout(planeDir, game, plan)) return plan;
  plan.flightModel = onlyFileOf(planeDir, "*.flt");
  return plan;
}

}  // namespace kvo
