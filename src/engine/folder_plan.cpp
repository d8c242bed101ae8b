#include "engine/folder_plan.h"

#include <map>
#include <set>

#include "engine/mod_files.h"
#include "platform/entry_ops.h"
#include "platform/file_names.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// The game folders a load or an unload works in, each listed once (the game folder itself
// through the operation's one listing).
class TargetFolders final {
 public:
  explicit TargetFolders(const FolderIndex& game) : game_(game) {}

  const FolderIndex& game() const { return game_; }

  // The listing of `target`'s folder; an empty one when the folder is not there yet.
  const FolderIndex& folder(GameTarget target) {
    if (target == GameTarget::GameFolder) return game_;
    auto found = subfolders_.find(target);
    if (found == subfolders_.end()) {
      found = subfolders_.emplace(target, FolderIndex(targetFolder(game_, target))).first;
    }
    return found->second;
  }

 private:
  const FolderIndex& game_;
  std::map<GameTarget, FolderIndex> subfolders_;
};

// What the player hears of a mod folder that could not be listed.
std::string unlistedFolder(const fs::path& folder, const std::error_code& ec) {
  return describeFailure("read the folder", folder, ec);
}

std::vector<std::string> folderFiles(const fs::path& folder, std::string& problem) {
  std::error_code ec;
  auto names = listFiles(folder, "*.*", ec);
  if (ec) problem = unlistedFolder(folder, ec);
  return names;
}

void planCareerSaves(const fs::path& careerFolder, TargetFolders& targets, UnloadPlan& plan) {
  const auto& saves = targets.folder(GameTarget::Savedata);
  if (!folderExists(saves.dir())) return;
  const FolderIndex career(careerFolder);
  // Every save in the game's save folder belongs to the career being unloaded, whichever
  // folder brought it, so all of them go back into it.
  for (const auto& name : saves.files("*.sve")) {
    const auto target = careerFolder / nameToPath(career.find(name).value_or(name));
    plan.savesBack.push_back({(saves.dir() / nameToPath(name)).native(), target.native(), name});
  }
}

}  // namespace

std::string refusedModFolder(const fs::path& modFolder, const FormState& state) {
  std::error_code ec;
  if (fs::is_symlink(modFolder, ec)) {
    return displayPath(modFolder) +
           " is a link to another folder. Linked folders are neither loaded nor unloaded, so "
           "that no file outside the game folder is ever touched.";
  }
  if (fs::equivalent(modFolder, state.GameDir, ec)) {
    return displayPath(modFolder) + " is the game folder itself, so it is not loaded or unloaded.";
  }
  return {};
}

LoadPlan planLoad(const fs::path& modFolder, const PlannedFolder& at) {
  LoadPlan plan;
  plan.folder = pathToText(modFolder.filename());
  plan.modFolder = modFolder;
  plan.problem = refusedModFolder(modFolder, at.state);
  if (!plan.problem.empty()) return plan;
  const auto names = folderFiles(modFolder, plan.problem);
  if (!plan.problem.empty()) return plan;
  TargetFolders targets(at.game);
  std::set<GameTarget> created;
  for (const auto& name : names) {
    if (staysInModFolder(name)) continue;
    // Unpacked on Linux from an archive made on Windows, "KVO128\\kvo.ini" is one name here
    // and a path there: nothing of such a folder is copied.
    if (const auto why = windowsNameProblem(name); !why.empty()) {
      plan.problem = "The file \"" + name + "\" of " + plan.folder + " cannot be loaded: " + why +
                     ". Rename it in " + displayPath(modFolder) + " first.";
      plan.copies.clear();
      plan.newFolders.clear();
      return plan;
    }
    const auto where = loadTarget(name);
    const auto& folder = targets.folder(where);
    if (where != GameTarget::GameFolder && !folderExists(folder.dir()) &&
        created.insert(where).second) {
      plan.newFolders.push_back(folder.dir());
    }
    const auto there = at.change.find(folder, name);
    plan.copies.push_back({joinedText(modFolder, name),
                           joinedText(folder.dir(), there.value_or(name)), name,
                           there.has_value()});
  }
  return plan;
}

UnloadPlan planUnload(const fs::path& modFolder, const PlannedFolder& at) {
  UnloadPlan plan;
  plan.folder = pathToText(modFolder.filename());
  plan.refusal = refusedModFolder(modFolder, at.state);
  if (!plan.refusal.empty()) return plan;
  TargetFolders targets(at.game);
  if (isCareerFolderName(pathToText(modFolder.filename()))) {
    planCareerSaves(modFolder, targets, plan);
    for (const auto& save : plan.savesBack) plan.deletes.push_back(save.source);
  }
  const auto& listing = plan.listing.emplace(modFolder);
  if (listing.error()) {
    plan.problems.add(unlistedFolder(modFolder, listing.error()));
  }
  for (const auto& name : listing.files("*.*")) {
    const auto& folder = targets.folder(unloadTarget(name));
    // Only a name that one file answers to says which file is the copy.
    if (auto found = at.change.onlyFile(folder, name)) {
      plan.deletes.push_back(joinedText(folder.dir(), *found));
    }
  }
  return plan;
}

}  // namespace kvo
