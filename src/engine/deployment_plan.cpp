#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "engine/deployment.h"
#include "platform/entry_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Works out, file by file, what one click leaves in the game folder, and plans only the
// difference from what is there now.
class DeploymentPlanner final {
 public:
  DeploymentPlanner(GameChange& change, const FormState& state, DeploymentRecord& record)
      : change_(change), st_(state), record_(record) {}

  void withdraw(const UnloadPlan& unload);
  void provide(const LoadPlan& load);
  void planUnloadSteps(const std::vector<UnloadPlan>& unloads);
  void planFileSteps();
  bool handledByRecord(const fs::path& path) const;

 private:
  struct Touched {
    std::string file;
    std::string topBefore;  // the provider in place before the click; empty for none
    bool leftToCareer = false;
  };
  Touched& touch(const DeployedFile& entry);
  void planFile(const Touched& touched);
  void planLastGone(const Touched& touched);
  void planKeeping(const Touched& touched);
  std::optional<fs::path> sourceOf(const std::string& folder, const std::string& file);
  void createStoreFolders(std::string_view file);

  GameChange& change_;
  const FormState& st_;
  DeploymentRecord& record_;
  std::vector<Touched> touched_;
  std::unordered_map<std::string, std::size_t> touchedIndex_;
  std::map<std::pair<std::string, std::string>, fs::path> loadSources_;  // (key, folder)
  std::set<std::string> keepNow_;   // keys of game files going into the store
  std::set<std::string> reloaded_;  // keys whose provider in place was loaded again
  std::vector<FileCopy> untracked_;
  std::map<std::string, FolderIndex> providerFolders_;
  std::set<std::string> storeFolders_;
};

DeploymentPlanner::Touched& DeploymentPlanner::touch(const DeployedFile& entry) {
  const auto key = recordKey(entry.file);
  const auto [found, isNew] = touchedIndex_.emplace(key, touched_.size());
  if (isNew) {
    touched_.push_back({entry.file, entry.providers.empty() ? "" : entry.providers.back()});
  }
  return touched_[found->second];
}

void DeploymentPlanner::withdraw(const UnloadPlan& unload) {
  std::set<std::string> careerSaves;
  for (const auto& save : unload.savesBack) {
    if (auto file = recordPathOf(st_, save.source)) careerSaves.insert(recordKey(*file));
  }
  for (auto& entry : record_.files()) {
    auto& providers = entry.providers;
    if (std::find(providers.begin(), providers.end(), unload.folder) == providers.end()) continue;
    auto& touched = touch(entry);
    // The career step takes its saves out of Savedata itself.
    if (careerSaves.contains(recordKey(entry.file))) touched.leftToCareer = true;
    std::erase(providers, unload.folder);
  }
}

void DeploymentPlanner::provide(const LoadPlan& load) {
  for (const auto& copy : load.copies) {
    const auto file = recordPathOf(st_, copy.target);
    if (!file) {
      untracked_.push_back(copy);
      continue;
    }
    auto& entry = record_.entry(*file);
    const auto key = recordKey(*file);
    const auto& touched = touch(entry);
    if (entry.providers.empty() && touched.topBefore.empty() && copy.targetExists) {
      if (change_.isFile(storedOriginal(st_, *file))) {
        entry.original = Original::Kept;
      } else if (st_.KeepOriginals) {
        entry.original = Original::Kept;
        keepNow_.insert(key);
      } else {
        entry.original = Original::Replaced;
      }
    }
    if (touched.topBefore == load.folder) reloaded_.insert(key);
    std::erase(entry.providers, load.folder);
    entry.providers.push_back(load.folder);
    loadSources_[{key, load.folder}] = copy.source;
  }
}

// The career's saves go back into its folder, and the files the record does not know are
// deleted by name as before, unless a loaded folder still provides them.
void DeploymentPlanner::planUnloadSteps(const std::vector<UnloadPlan>& unloads) {
  std::set<std::string> deleted;
  for (const auto& unload : unloads) {
    for (const auto& save : unload.savesBack) {
      change_.copyOver(save.source, save.target, "Deleting " + save.name);
    }
    for (const auto& path : unload.deletes) {
      if (handledByRecord(path) || !deleted.insert(pathKey(path)).second) continue;
      change_.remove(path, "Deleting " + pathToText(path.filename()), StepPolicy::BestEffort);
    }
  }
}

// True when the record decides what becomes of `path`: it is a file the click takes from a
// provider, or one another loaded folder still provides.
bool DeploymentPlanner::handledByRecord(const fs::path& path) const {
  const auto file = recordPathOf(st_, path);
  if (!file) return false;
  const auto touched = touchedIndex_.find(recordKey(*file));
  if (touched != touchedIndex_.end()) return !touched_[touched->second].leftToCareer;
  const auto* entry = record_.find(*file);
  return entry && !entry->providers.empty();
}

void DeploymentPlanner::planFileSteps() {
  for (const auto& touched : touched_) {
    if (!touched.leftToCareer) planFile(touched);
  }
  for (const auto& copy : untracked_) {
    change_.copyOver(copy.source, copy.target, "Please wait- copying: :" + copy.name);
  }
  record_.dropUnprovided();
}

void DeploymentPlanner::planFile(const Touched& touched) {
  const auto key = recordKey(touched.file);
  auto* entry = record_.find(touched.file);
  while (entry && !entry->providers.empty()) {
    const auto& top = entry->providers.back();
    if (top == touched.topBefore && !reloaded_.contains(key)) return;
    if (const auto source = sourceOf(top, touched.file)) {
      planKeeping(touched);
      change_.copyOver(*source, deployedTarget(st_, touched.file),
                       "Please wait- copying: :" + std::string(recordFileName(touched.file)));
      return;
    }
    // A provider that lost the file since it was loaded cannot give it back.
    entry->providers.pop_back();
  }
  if (!touched.topBefore.empty()) planLastGone(touched);
}

// The last folder providing a file is gone: a kept original comes back, else the file goes.
void DeploymentPlanner::planLastGone(const Touched& touched) {
  const auto target = deployedTarget(st_, touched.file);
  const std::string name(recordFileName(touched.file));
  change_.remove(target, "Deleting " + name, StepPolicy::BestEffort);
  const auto* entry = record_.find(touched.file);
  const auto stored = storedOriginal(st_, touched.file);
  if (entry && entry->original == Original::Kept && change_.isFile(stored)) {
    change_.rename(stored, target, "Putting back " + name, StepPolicy::BestEffort);
  }
}

// A game file that the copy replaces goes into the store first, by a rename: no copy.
void DeploymentPlanner::planKeeping(const Touched& touched) {
  if (!keepNow_.contains(recordKey(touched.file))) return;
  createStoreFolders(touched.file);
  change_.rename(deployedTarget(st_, touched.file), storedOriginal(st_, touched.file));
}

void DeploymentPlanner::createStoreFolders(std::string_view file) {
  fs::path folder = st_.GameDir / nameToPath(kOriginalsStoreName);
  std::size_t start = 0;
  while (true) {
    if (storeFolders_.insert(pathKey(folder)).second) change_.createFolder(folder);
    const auto slash = file.find('\\', start);
    if (slash == std::string_view::npos) return;
    folder /= nameToPath(file.substr(start, slash - start));
    start = slash + 1;
  }
}

std::optional<fs::path> DeploymentPlanner::sourceOf(const std::string& folder,
                                                    const std::string& file) {
  const auto loading = loadSources_.find({recordKey(file), folder});
  if (loading != loadSources_.end()) return loading->second;
  auto found = providerFolders_.find(folder);
  if (found == providerFolders_.end()) {
    found =
        providerFolders_.emplace(folder, FolderIndex(st_.SelectorDir / nameToPath(folder))).first;
  }
  const auto name = found->second.find(recordFileName(file));
  if (!name) return std::nullopt;
  const auto source = found->second.dir() / nameToPath(*name);
  if (!change_.isFile(source)) return std::nullopt;
  return source;
}

}  // namespace

void addDeployment(GameChange& change, const FormState& state, DeploymentRecord& record,
                   const std::vector<UnloadPlan>& unloads, const std::vector<LoadPlan>& loads) {
  DeploymentPlanner planner(change, state, record);
  for (const auto& unload : unloads) planner.withdraw(unload);
  for (const auto& load : loads) planner.provide(load);
  planner.planUnloadSteps(unloads);
  for (const auto& load : loads) {
    for (const auto& folder : load.newFolders) change.createFolder(folder);
  }
  planner.planFileSteps();
  change.replaceWith(deploymentRecordPath(state), record.text());
}

}  // namespace kvo
