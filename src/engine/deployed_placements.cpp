#include "engine/deployed_placements.h"

#include <algorithm>

#include "engine/deployment.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// The store's folders down to the one that keeps `file`, each planned once per change.
void planStoreFolders(GameChange& change, const FormState& state, std::string_view file) {
  fs::path folder = state.GameDir / nameToPath(kOriginalsStoreName);
  change.createFolder(folder);
  const auto parts = splitAt(file, '\\');
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    folder /= nameToPath(parts[i]);
    change.createFolder(folder);
  }
}

}  // namespace

bool DeployedPlacements::notePatch(GameChange& change, DeploymentRecord& record,
                                   const std::string& owner, const fs::path& target,
                                   std::string_view bytes) {
  const auto file = recordPathOf(state_, target);
  if (!file) return false;
  auto& entry = record.entry(*file);
  if (entry.providers.empty()) {
    const auto stored = storedOriginal(state_, *file);
    if (!change.isFile(target)) {
      entry.original = Original::None;
    } else if (change.isFile(stored)) {
      entry.original = Original::Kept;
    } else if (state_.KeepOriginals) {
      entry.original = Original::Kept;
      planStoreFolders(change, state_, *file);
      change.rename(target, stored);
    } else {
      entry.original = Original::Replaced;
    }
  }
  // A later install or fuel button writes over the earlier one's bytes.
  std::erase_if(entry.providers, [](const std::string& p) { return !patchOwner(p).empty(); });
  entry.providers.push_back(patchProvider(owner, bytes));
  return true;
}

void DeployedPlacements::planWrites(GameChange& change, const std::string& owner,
                                    std::vector<GameFileWrite> files) {
  auto record = readDeployment({state_, game_.listing(), change});
  for (auto& file : files) {
    notePatch(change, record, owner, file.path, file.bytes);
    change.replaceWith(file.path, std::move(file.bytes));
  }
  change.replaceWith(deploymentRecordPath(state_), record.text());
}

void DeployedPlacements::planCopy(GameChange& change, const std::string& owner,
                                  const fs::path& source, const fs::path& target,
                                  std::string caption) {
  std::error_code ec;
  const auto bytes = readFileBytes(source, ec, read_limit::kGameData);
  auto record = readDeployment({state_, game_.listing(), change});
  // A file that cannot be read here fails the copy itself, which names it.
  if (bytes) notePatch(change, record, owner, target, *bytes);
  change.copyOver(source, target, std::move(caption));
  if (bytes) change.replaceWith(deploymentRecordPath(state_), record.text());
}

void DeployedPlacements::planSkins(GameChange& change, const std::vector<SkinUnload>& unloads,
                                   const std::string& skin, const std::vector<PlacedCopy>& copies) {
  std::vector<UnloadPlan> unloadPlans;
  for (const auto& unload : unloads) {
    UnloadPlan plan;
    plan.folder = skinProvider(unload.skin);
    plan.stays = unload.stays;
    for (const auto& path : unload.byName) plan.deletes.push_back(path.native());
    unloadPlans.push_back(std::move(plan));
  }
  std::vector<LoadPlan> loadPlans;
  if (!skin.empty()) {
    LoadPlan plan;
    plan.folder = skinProvider(skin);
    for (const auto& copy : copies) {
      plan.copies.push_back({copy.source.native(), copy.target.native(),
                             pathToText(copy.source.filename()), change.isFile(copy.target)});
    }
    loadPlans.push_back(std::move(plan));
  }
  auto record = readDeployment({state_, game_.listing(), change});
  addDeployment(change, state_, game_.listing(), record, unloadPlans, loadPlans);
}

void DeployedPlacements::planRenameSkin(GameChange& change, const std::string& from,
                                        const std::string& to) {
  auto record = readDeployment({state_, game_.listing(), change});
  const auto old = skinProvider(from);
  bool renamed = false;
  for (auto& entry : record.files()) {
    for (auto& provider : entry.providers) {
      if (provider != old) continue;
      provider = skinProvider(to);
      renamed = true;
    }
  }
  if (renamed) change.replaceWith(deploymentRecordPath(state_), record.text());
}

}  // namespace kvo
