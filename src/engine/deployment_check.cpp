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

bool sameBytes(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  const auto sizeA = fs::file_size(a, ec);
  if (ec) return false;
  const auto sizeB = fs::file_size(b, ec);
  if (ec || sizeA != sizeB) return false;
  const auto bytesA = readFileBytes(a, ec);
  if (!bytesA) return false;
  const auto bytesB = readFileBytes(b, ec);
  return bytesB && *bytesA == *bytesB;
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
        conflicts.push_back({shown, entry->providers.back()});
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
  for (const auto& entry : record.files()) {
    if (entry.providers.empty()) continue;
    const auto& provider = entry.providers.back();
    const auto target = deployedTarget(st, entry.file);
    if (!fileExists(target)) {
      faults.push_back({entry.file, provider, "missing"});
      continue;
    }
    auto folder = providers.find(provider);
    if (folder == providers.end()) {
      folder =
          providers.emplace(provider, FolderIndex(st.SelectorDir / nameToPath(provider))).first;
    }
    const auto name = folder->second.find(recordFileName(entry.file));
    if (!name || !sameBytes(folder->second.dir() / nameToPath(*name), target)) {
      faults.push_back({entry.file, provider, "changed"});
    }
  }
  return faults;
}

}  // namespace kvo
