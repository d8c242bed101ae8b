#include "engine/deployment_check.h"

#include <map>

#include "engine/deployment.h"
#include "engine/folder_plan.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameProvider = "game";

// True when the game file `target` holds what `provider` put there: the bytes of its folder's
// file, or for a patch the bytes whose hash the record keeps.
bool holdsProviderBytes(const FormState& st, const std::string& provider, std::string_view file,
                        const fs::path& target, std::map<std::string, FolderIndex>& folders) {
  const auto base = baseProvider(provider);
  if (!patchOwner(base).empty()) {
    std::error_code ec;
    const auto bytes = readFileBytes(target, ec, read_limit::kGameData);
    return bytes && patchHolds(base, *bytes);
  }
  auto folder = folders.find(provider);
  if (folder == folders.end()) {
    const auto dir = providerFolderPath(st, provider);
    if (!dir) return false;
    folder = folders.emplace(provider, FolderIndex(*dir)).first;
  }
  const auto name = folder->second.find(recordFileName(file));
  return name && sameFileBytes(folder->second.dir() / nameToPath(*name), target);
}

}  // namespace

std::vector<Conflict> loadConflicts(const FormState& state, const FolderIndex& game,
                                    const fs::path& modFolder) {
  const GameChange nothingYet(state, {});
  const PlannedFolder at{state, game, nothingYet};
  const auto plan = planLoad(modFolder, at);
  if (!plan.problem.empty()) return {};
  const auto record = readDeployment(at);
  std::vector<Conflict> conflicts;
  for (const auto& copy : plan.copies) {
    const auto file = recordPathOf(state, copy.target);
    const auto* entry = file ? record.find(*file) : nullptr;
    const auto shown = file.value_or(copy.name);
    if (entry && !entry->providers.empty()) {
      if (entry->providers.back() != plan.folder) {
        conflicts.push_back({shown, providerShown(entry->providers.back())});
      }
    } else if (copy.targetExists) {
      conflicts.push_back({shown, std::string(kGameProvider)});
    }
  }
  return conflicts;
}

std::vector<DeploymentFault> verifyDeployment(const FormState& st, const FolderIndex& game) {
  const GameChange nothingYet(st, {});
  const auto record = readDeployment({st, game, nothingYet});
  std::map<std::string, FolderIndex> providers;
  std::vector<DeploymentFault> faults;
  DeployedLookup lookup(st, game, nothingYet);
  for (const auto& entry : record.files()) {
    if (entry.providers.empty()) continue;
    const auto& provider = entry.providers.back();
    // Two files that differ only in case: neither can be told to be the provider's.
    const auto found = lookup.find(entry.file);
    if (found.ambiguous) {
      faults.push_back({entry.file, providerShown(provider), "changed"});
      continue;
    }
    if (!found.path) {
      faults.push_back({entry.file, providerShown(provider), "missing"});
      continue;
    }
    if (!holdsProviderBytes(st, provider, entry.file, *found.path, providers)) {
      faults.push_back({entry.file, providerShown(provider), "changed"});
    }
  }
  return faults;
}

}  // namespace kvo
