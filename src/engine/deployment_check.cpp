#include "engine/deployment_check.h"

#include <map>

#include "engine/deployment.h"
#include "engine/folder_plan.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameProvider = "game";

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

std::vector<Conflict> loadConflicts(Core& core, const fs::path& modFolder) {
  const auto plan = planLoad(modFolder, core);
  if (!plan.problem.empty()) return {};
  const auto record = readDeployment(core);
  std::vector<Conflict> conflicts;
  for (const auto& copy : plan.copies) {
    const auto file = recordPathOf(core.state, copy.target);
    const auto* entry = file ? record.find(*file) : nullptr;
    const auto shown = file.value_or(copy.name);
    if (entry && !entry->providers.empty()) {
      if (entry->providers.back() != plan.folder) {
        conflicts.push_back({shown, entry->providers.back()});
      }
    } else if (copy.targetExists) {
      conflicts.push_back({shown, std::string(kGameProvider)});
    }
  }
  return conflicts;
}

std::string conflictSummary(const std::vector<Conflict>& conflicts) {
  if (conflicts.empty()) return "Loading it overwrites no file.";
  std::map<std::string, std::size_t> byFolder;
  std::size_t gameFiles = 0;
  for (const auto& conflict : conflicts) {
    if (conflict.provider == kGameProvider) {
      ++gameFiles;
    } else {
      ++byFolder[conflict.provider];
    }
  }
  std::vector<std::string> parts;
  for (const auto& [folder, count] : byFolder) {
    parts.push_back(plural(count, "file", "files") + " of " + folder);
  }
  if (gameFiles) parts.push_back(plural(gameFiles, "game file", "game files"));
  std::string text = "Loading it overwrites ";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) text += i + 1 == parts.size() ? " and " : ", ";
    text += parts[i];
  }
  return text + ".";
}

std::vector<DeploymentFault> verifyDeployment(Core& core) {
  const auto& st = core.state;
  const auto record = readDeployment(core);
  std::map<std::string, FolderIndex> providers;
  std::vector<DeploymentFault> faults;
  DeployedLookup lookup(st, &core.gameFolder());
  for (const auto& entry : record.files()) {
    if (entry.providers.empty()) continue;
    const auto& provider = entry.providers.back();
    // Two files that differ only in case: neither can be told to be the provider's.
    const auto found = lookup.find(entry.file);
    if (found.ambiguous) {
      faults.push_back({entry.file, provider, "changed"});
      continue;
    }
    if (!found.path) {
      faults.push_back({entry.file, provider, "missing"});
      continue;
    }
    const auto& target = *found.path;
    auto folder = providers.find(provider);
    if (folder == providers.end()) {
      folder =
          providers.emplace(provider, FolderIndex(st.SelectorDir / nameToPath(provider))).first;
    }
    const auto name = folder->second.find(recordFileName(entry.file));
    if (!name || !sameFileBytes(folder->second.dir() / nameToPath(*name), target)) {
      faults.push_back({entry.file, provider, "changed"});
    }
  }
  return faults;
}

}  // namespace kvo
