#include <algorithm>
#include <map>
#include <set>

#include "engine/clean_up.h"
#include "engine/deployment.h"
#include "engine/mod_files.h"
#include "platform/entry_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Works out, file by file, what one click leaves in the game folder, and plans only the
// difference from what is there now.
class DeploymentPlanner final {
 public:
  DeploymentPlanner(GameChange& change, const FormState& state, const FolderIndex& game,
                    DeploymentRecord& record)
      : change_(change), st_(state), record_(record), lookup_(state, game, change) {}

  void withdraw(const UnloadPlan& unload);
  void takeListing(const UnloadPlan& unload);
  void provide(const LoadPlan& load);
  void planUnloadSteps(const std::vector<UnloadPlan>& unloads);
  void planFileSteps();
  bool handledByRecord(const fs::path& path) const;
  void noteDroppedLines(const std::vector<UnloadPlan>& unloads);
  void passOverNotes();

 private:
  struct Touched {
    std::size_t place = 0;  // of the file's entry in the record, which keeps its places
    std::string file;
    std::string topBefore;  // the provider in place before the click; empty for none
    bool leftToCareer = false;
    // The folders this click loads that have the file, with their file: (folder, source),
    // both held by the loads' plans, which outlive the planner.
    std::vector<std::pair<const std::string*, const PathText*>> loadedFrom;
  };
  Touched& touch(const DeployedFile& entry);
  void planFile(const Touched& touched);
  void planLastGone(const Touched& touched);
  void planCareerOriginal(const Touched& touched);
  void planKeeping(const Touched& touched, const fs::path& target);
  std::optional<fs::path> sourceOf(const std::string& folder, const Touched& touched);
  const FolderIndex& providerFolder(const std::string& folder);
  bool mayDelete(const Touched& touched, bool keptOriginal);
  void createStoreFolders(std::string_view file);
  CopyBy copyBy(std::string_view file) const;

  GameChange& change_;
  const FormState& st_;
  DeploymentRecord& record_;
  std::vector<Touched> touched_;
  // By the place of the record's entry: the touched file's index + 1; 0 for none yet.
  std::vector<std::size_t> touchedAt_;
  std::set<std::string> keepNow_;   // keys of game files going into the store
  std::set<std::string> reloaded_;  // keys whose provider in place was loaded again
  std::vector<FileCopy> untracked_;
  std::map<std::string, FolderIndex> providerFolders_;
  std::set<std::string> storeFolders_;
  DeployedLookup lookup_;
  std::vector<std::string> notes_;
};

// A damaged or hostile record could name thousands of files; the player reads a few.
constexpr std::size_t kNotesShown = 20;

DeploymentPlanner::Touched& DeploymentPlanner::touch(const DeployedFile& entry) {
  // Every entry handed in is one of the record's, which only grows while the click is planned.
  const auto place = static_cast<std::size_t>(&entry - record_.files().data());
  if (place >= touchedAt_.size()) touchedAt_.resize(record_.files().size(), 0);
  auto& at = touchedAt_[place];
  if (at == 0) {
    touched_.push_back(
        {place, entry.file, entry.providers.empty() ? "" : entry.providers.back(), false, {}});
    at = touched_.size();
  }
  return touched_[at - 1];
}

void DeploymentPlanner::withdraw(const UnloadPlan& unload) {
  std::set<std::string> careerSaves;
  for (const auto& save : unload.savesBack) {
    if (auto file = recordPathOf(st_, save.source)) careerSaves.insert(recordKey(*file));
  }
  const auto ofFolder = [&](const std::string& p) { return providedBy(p, unload.folder); };
  for (auto& entry : record_.files()) {
    auto& providers = entry.providers;
    if (std::none_of(providers.begin(), providers.end(), ofFolder)) continue;
    if (unload.stays && unload.stays(recordFileName(entry.file))) continue;
    auto& touched = touch(entry);
    // The career step takes its saves out of Savedata itself.
    if (careerSaves.contains(recordKey(entry.file))) touched.leftToCareer = true;
    std::erase_if(providers, ofFolder);
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
    auto& touched = touch(entry);
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
    // The copy undoes what an install or a fuel button wrote into the file.
    std::erase_if(entry.providers,
                  [&](const std::string& p) { return p == load.folder || !patchOwner(p).empty(); });
    entry.providers.push_back(load.folder);
    const auto same = [&](const auto& from) { return *from.first == load.folder; };
    if (auto at = std::find_if(touched.loadedFrom.begin(), touched.loadedFrom.end(), same);
        at != touched.loadedFrom.end()) {
      at->second = &copy.source;
    } else {
      touched.loadedFrom.emplace_back(&load.folder, &copy.source);
    }
  }
}

// The career's saves go back into its folder, and the files the record does not know are
// deleted by name as before, unless a loaded folder still provides them.
void DeploymentPlanner::planUnloadSteps(const std::vector<UnloadPlan>& unloads) {
  std::set<std::string> deleted;
  for (const auto& unload : unloads) {
    std::set<std::string> careerSaves;
    for (const auto& save : unload.savesBack) {
      change_.copyOver(save.source, save.target, "Deleting " + save.name);
      careerSaves.insert(pathKey(fs::path(save.source)));
    }
    for (const auto& text : unload.deletes) {
      const fs::path path(text);
      if (handledByRecord(path) || !deleted.insert(pathKey(path)).second) continue;
      const auto name = pathToText(path.filename());
      // Saves and the player's own files of the clean-up list stay, unless a career takes
      // its saves back.
      if (!careerSaves.contains(pathKey(path)) &&
          (isSaveName(name) || isProtectedFromCleanUp(name))) {
        continue;
      }
      change_.remove(path, "Deleting " + name, StepPolicy::BestEffort);
    }
  }
}

// True when the record decides what becomes of `path`: it is a file the click takes from a
// provider, or one another loaded folder still provides.
bool DeploymentPlanner::handledByRecord(const fs::path& path) const {
  const auto file = recordPathOf(st_, path);
  if (!file) return false;
  const auto* entry = record_.find(*file);
  if (!entry) return false;
  const auto place = static_cast<std::size_t>(entry - record_.files().data());
  if (place < touchedAt_.size() && touchedAt_[place] != 0) {
    return !touched_[touchedAt_[place] - 1].leftToCareer;
  }
  return !entry->providers.empty();
}

void DeploymentPlanner::planFileSteps() {
  for (const auto& touched : touched_) {
    if (touched.leftToCareer) {
      planCareerOriginal(touched);
    } else {
      planFile(touched);
    }
  }
  for (const auto& copy : untracked_) {
    change_.copyOver(copy.source, copy.target, "Please wait- copying: :" + copy.name);
  }
  record_.dropUnprovided();
}

void DeploymentPlanner::planFile(const Touched& touched) {
  const auto key = recordKey(touched.file);
  auto* entry = &record_.files()[touched.place];
  while (!entry->providers.empty()) {
    const auto& top = entry->providers.back();
    if (top == touched.topBefore && !reloaded_.contains(key)) return;
    if (const auto source = sourceOf(top, touched)) {
      const auto found = lookup_.find(touched.file);
      if (found.ambiguous) {
        notes_.push_back(ambiguousNote(touched.file));
        return;
      }
      const auto target = found.path.value_or(deployedTarget(st_, touched.file));
      planKeeping(touched, target);
      change_.copyOver(*source, target,
                       "Please wait- copying: :" + std::string(recordFileName(touched.file)),
                       StepPolicy::AllOrNothing, copyBy(touched.file));
      return;
    }
    // A provider that lost the file since it was loaded cannot give it back.
    entry->providers.pop_back();
  }
  if (!touched.topBefore.empty()) planLastGone(touched);
}

// Whether the file the last provider leaves may go: never a save or a protected name (unless
// its kept original takes its place), and only when the folder really holds a file of that
// name, whatever the record says.
bool DeploymentPlanner::mayDelete(const Touched& touched, bool keptOriginal) {
  const std::string name(recordFileName(touched.file));
  if (isSaveName(name)) return false;
  if (isProtectedFromCleanUp(name) && !keptOriginal) return false;
  if (providerFolder(touched.topBefore).find(name)) return true;
  notes_.push_back("FilesLoaded.txt names " + touched.file + " as a file of " + touched.topBefore +
                   ", which that folder does not hold, so it was left in the game folder.");
  return false;
}

// The player's own save that a career's save of the same name replaced comes back once the
// career takes its save home.
void DeploymentPlanner::planCareerOriginal(const Touched& touched) {
  const auto* entry = &record_.files()[touched.place];
  const auto stored = storedOriginal(st_, touched.file);
  if (!entry->providers.empty() || entry->original != Original::Kept || !change_.isFile(stored)) {
    return;
  }
  change_.rename(stored, deployedTarget(st_, touched.file),
                 "Putting back " + std::string(recordFileName(touched.file)),
                 StepPolicy::BestEffort);
}

// The last folder providing a file is gone: a kept original comes back, else the file goes.
void DeploymentPlanner::planLastGone(const Touched& touched) {
  const std::string name(recordFileName(touched.file));
  const auto* entry = &record_.files()[touched.place];
  const bool keptOnce = entry->original == Original::Kept;
  const auto stored = keptOnce ? storedOriginal(st_, touched.file) : fs::path();
  const bool kept = keptOnce && change_.isFile(stored);
  if (!patchOwner(baseProvider(touched.topBefore)).empty()) {
    // What an install wrote into a game file it did not keep is all that is left of that file.
    if (!kept && entry->original != Original::None) return;
  } else if (!mayDelete(touched, kept)) {
    return;
  }
  const auto found = lookup_.find(touched.file);
  if (found.ambiguous) {
    notes_.push_back(ambiguousNote(touched.file));
    return;
  }
  if (found.path) change_.remove(*found.path, "Deleting " + name, StepPolicy::BestEffort);
  if (kept) {
    change_.rename(stored, found.path.value_or(deployedTarget(st_, touched.file)),
                   "Putting back " + name, StepPolicy::BestEffort);
  }
}

// A game file that the copy replaces goes into the store first, by a rename: no copy.
void DeploymentPlanner::planKeeping(const Touched& touched, const fs::path& target) {
  if (!keepNow_.contains(recordKey(touched.file))) return;
  createStoreFolders(touched.file);
  change_.rename(target, storedOriginal(st_, touched.file));
}

// With linking chosen, a file goes in as a second name of the folder's own, unless the game
// writes it: a write through the link would change the folder's file too.
CopyBy DeploymentPlanner::copyBy(std::string_view file) const {
  return st_.DeployByLink && !gameWritesFile(file) ? CopyBy::Link : CopyBy::Bytes;
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

// The folder an unload listed is asked again for each file it leaves: once listed is enough.
void DeploymentPlanner::takeListing(const UnloadPlan& unload) {
  if (!unload.listing || unload.listing->error()) return;
  if (providerFolderPath(st_, unload.folder) != unload.listing->dir()) return;
  providerFolders_.try_emplace(unload.folder, *unload.listing);
}

const FolderIndex& DeploymentPlanner::providerFolder(const std::string& folder) {
  auto found = providerFolders_.find(folder);
  if (found == providerFolders_.end()) {
    const auto dir = providerFolderPath(st_, folder).value_or(st_.SelectorDir / nameToPath(folder));
    found = providerFolders_.emplace(folder, FolderIndex(dir)).first;
  }
  return found->second;
}

std::optional<fs::path> DeploymentPlanner::sourceOf(const std::string& folder,
                                                    const Touched& touched) {
  const std::string& file = touched.file;
  for (const auto& [loaded, source] : touched.loadedFrom) {
    if (*loaded == folder) return fs::path(*source);
  }
  // No folder holds what a patch wrote, and what a Reset All left is no longer loaded: neither
  // can be copied again.
  if (!patchOwner(folder).empty() || baseProvider(folder) != folder) return std::nullopt;
  const auto& index = providerFolder(folder);
  const auto name = index.find(recordFileName(file));
  if (!name) return std::nullopt;
  const auto source = index.dir() / nameToPath(*name);
  if (!change_.isFile(source)) return std::nullopt;
  return source;
}

// Lines of the record that name no place a load puts a file, for a folder being unloaded:
// they are dropped, and the player hears of them once.
void DeploymentPlanner::noteDroppedLines(const std::vector<UnloadPlan>& unloads) {
  for (const auto& line : record_.dropped()) {
    const auto fields = splitAt(line, '\t');
    for (std::size_t f = 2; f < fields.size(); ++f) {
      const bool unloading = std::any_of(unloads.begin(), unloads.end(), [&](const auto& unload) {
        return unload.folder == fields[f];
      });
      if (!unloading) continue;
      notes_.push_back("FilesLoaded.txt names " + std::string(fields[0]) + " as a file of " +
                       std::string(fields[f]) +
                       ", but no load puts a file there, so it was left as it is.");
      break;
    }
  }
}

void DeploymentPlanner::passOverNotes() {
  for (std::size_t i = 0; i < notes_.size() && i < kNotesShown; ++i) change_.passOver(notes_[i]);
  if (notes_.size() > kNotesShown) {
    change_.passOver("... and " + std::to_string(notes_.size() - kNotesShown) +
                     " more files FilesLoaded.txt names wrongly, all left as they are.");
  }
}

}  // namespace

void addDeployment(GameChange& change, const FormState& state, const FolderIndex& game,
                   DeploymentRecord& record, const std::vector<UnloadPlan>& unloads,
                   const std::vector<LoadPlan>& loads) {
  DeploymentPlanner planner(change, state, game, record);
  planner.noteDroppedLines(unloads);
  for (const auto& unload : unloads) {
    planner.takeListing(unload);
    planner.withdraw(unload);
  }
  for (const auto& load : loads) planner.provide(load);
  planner.planUnloadSteps(unloads);
  for (const auto& load : loads) {
    for (const auto& folder : load.newFolders) change.createFolder(folder);
  }
  planner.planFileSteps();
  planner.passOverNotes();
  change.replaceWith(deploymentRecordPath(state), record.text());
}

}  // namespace kvo
