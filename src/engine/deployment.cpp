#include "engine/deployment.h"

#include <algorithm>
#include <set>

#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

fs::path pathOfRecordPath(const fs::path& base, std::string_view file) {
  fs::path path = base;
  for (const auto part : splitAt(file, '\\')) path /= nameToPath(part);
  return path;
}

std::set<std::string> loadedFolderNames(const FormState& state) {
  std::set<std::string> names;
  const auto& grid = state.Unigrid;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 2) == "S") names.insert(grid.text(r, 1));
  }
  return names;
}

// A loaded folder the record does not know (loaded by an older selector, or the record was
// lost) joins it with the files it would copy now, as the most recent provider.
void addUnknownFolder(const PlannedFolder& at, DeploymentRecord& record, int row) {
  const auto& st = at.state;
  const auto plan = planLoad(nameToPath(st.Unigrid.text(row, 0)), at);
  if (!plan.problem.empty()) return;
  for (const auto& copy : plan.copies) {
    const auto file = recordPathOf(st, copy.target);
    if (!file) continue;
    auto& entry = record.entry(*file);
    if (entry.providers.empty() && at.change.isFile(storedOriginal(st, *file))) {
      entry.original = Original::Kept;
    }
    std::erase(entry.providers, plan.folder);
    entry.providers.push_back(plan.folder);
  }
}

}  // namespace

std::optional<fs::path> providerFolderPath(const FormState& state, std::string_view provider) {
  provider = baseProvider(provider);
  if (!patchOwner(provider).empty()) return std::nullopt;
  if (const auto skin = skinOf(provider); !skin.empty()) {
    return resolveNoCase(state.SelectorDir, "Skinfolder") / nameToPath(skin);
  }
  return state.SelectorDir / nameToPath(provider);
}

std::string providerShown(std::string_view provider) {
  if (const auto base = baseProvider(provider); base != provider) {
    return providerShown(base) + " (left by Reset All)";
  }
  if (const auto skin = skinOf(provider); !skin.empty()) return "skin " + std::string(skin);
  if (const auto owner = patchOwner(provider); !owner.empty()) {
    return "plane install of " + std::string(owner);
  }
  return std::string(provider);
}

fs::path deploymentRecordPath(const FormState& state) {
  return state.SelectorDir / nameToPath(kDeploymentRecordName);
}

fs::path storedOriginal(const FormState& state, std::string_view file) {
  return pathOfRecordPath(state.GameDir / nameToPath(kOriginalsStoreName), file);
}

fs::path deployedTarget(const FormState& state, std::string_view file) {
  return pathOfRecordPath(state.GameDir, file);
}

std::optional<std::string> recordPathOf(const FormState& state, const fs::path& target) {
  return recordPathOf(state, target.native());
}

std::optional<std::string> recordPathOf(const FormState& state, const PathText& full) {
  // Called for every file of a click: plain text work, no path arithmetic.
  const auto& game = state.GameDir.native();
  if (full.size() <= game.size() + 1 || full.compare(0, game.size(), game) != 0) {
    return std::nullopt;
  }
  std::size_t start = game.size();
  if (!game.empty() && game.back() != fs::path::preferred_separator) {
    if (full[start] != fs::path::preferred_separator) return std::nullopt;
    ++start;
  }
  std::string file = pathToText(fs::path(full.substr(start)));
#ifndef _WIN32
  // Here "\\" is a character of a name (an archive made on Windows), which the record would
  // read as a folder: KVO128\\kvo.ini is not the selector's kvo.ini.
  if (file.find('\\') != std::string::npos) return std::nullopt;
#endif
  std::replace(file.begin(), file.end(), '/', '\\');
  for (const auto part : splitAt(file, '\\')) {
    if (!recordableName(part)) return std::nullopt;
  }
  return file;
}

DeploymentRecord readDeployment(const PlannedFolder& at) {
  std::error_code ec;
  const auto bytes =
      at.change.read(deploymentRecordPath(at.state), ec, read_limit::kDeploymentRecord);
  auto record =
      bytes ? DeploymentRecord::parse(*bytes).value_or(DeploymentRecord{}) : DeploymentRecord{};
  const auto loaded = loadedFolderNames(at.state);
  // A skin's files stay its own after its unload left them (flight files without "Include flt
  // files"): nothing else put them there.
  const auto gone = [&](const std::string& provider) {
    if (!skinOf(provider).empty() || baseProvider(provider) != provider) return false;
    const auto owner = patchOwner(provider);
    return !loaded.contains(owner.empty() ? provider : std::string(owner));
  };
  for (auto& entry : record.files()) std::erase_if(entry.providers, gone);
  record.dropUnprovided();
  const auto& grid = at.state.Unigrid;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 2) == "S" && !record.provides(grid.text(r, 1))) {
      addUnknownFolder(at, record, r);
    }
  }
  return record;
}

void addOriginalsBack(GameChange& change, const FormState& state, const FolderIndex& game,
                      const DeploymentRecord& record) {
  DeployedLookup lookup(state, game, change);
  for (const auto& entry : record.files()) {
    const auto stored = storedOriginal(state, entry.file);
    if (entry.original != Original::Kept || !change.isFile(stored)) continue;
    const auto found = lookup.find(entry.file);
    if (found.ambiguous) {
      change.passOver(ambiguousNote(entry.file));
      continue;
    }
    const auto target = found.path.value_or(deployedTarget(state, entry.file));
    change.remove(target, {}, StepPolicy::BestEffort);
    change.rename(stored, target, {}, StepPolicy::BestEffort);
  }
}

std::string ambiguousNote(std::string_view file) {
  return std::string(file) +
         " answers to two or more files of the game folder that differ only in letter case, so "
         "none of them was changed.";
}

DeployedLookup::DeployedLookup(const FormState& state, const FolderIndex& gameListing,
                               const GameChange& change)
    : state_(state), gameListing_(gameListing), change_(change) {}

const FolderIndex& DeployedLookup::folder(const fs::path& dir) {
  if (dir == gameListing_.dir()) return gameListing_;
  auto found = folders_.find(dir);
  if (found == folders_.end()) found = folders_.emplace(dir, FolderIndex(dir)).first;
  return found->second;
}

DeployedLookup::Found DeployedLookup::find(std::string_view file) {
  // Most files of a load lie in the game folder itself, whose listing is at hand.
  if (file.find('\\') == std::string_view::npos) {
    return foundOf(gameListing_.dir(), change_.filesNamed(gameListing_, file));
  }
  fs::path dir = state_.GameDir;
  const auto parts = splitAt(file, '\\');
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    const auto sub = change_.find(folder(dir), parts[i]);
    if (!sub) return {};
    dir /= nameToPath(*sub);
  }
  return foundOf(dir, change_.filesNamed(folder(dir), parts.back()));
}

DeployedLookup::Found DeployedLookup::foundOf(const fs::path& dir,
                                              const std::vector<std::string>& names) {
  if (names.size() > 1) return {std::nullopt, true};
  if (names.empty()) return {};
  return {dir / nameToPath(names.front()), false};
}

}  // namespace kvo
