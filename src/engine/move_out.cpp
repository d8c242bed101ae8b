#include <iterator>
#include <map>
#include <optional>

#include "engine/folder_engine.h"
#include "engine/mod_files.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/core.h"
#include "state/file_progress.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// The game folders an unload deletes from, each listed once however many names are looked up
// (the game folder itself through the operation's one listing).
class GameListings final {
 public:
  explicit GameListings(Core& core) : game_(core.gameFolder()) {}

  // The folder's one file named `name` in any letter case. None when two or more answer to
  // it (a folder of a case-sensitive file system may hold both), since the name then does not
  // say which is the copy.
  std::optional<fs::path> onlyMatch(GameTarget target, std::string_view name) {
    auto& folder = index(target);
    if (auto found = folder.onlyFile(name)) return folder.dir() / nameToPath(*found);
    return std::nullopt;
  }

  // Notes that `file` of `target`'s folder is gone.
  void forget(GameTarget target, const fs::path& file) {
    index(target).erase(pathToText(file.filename()));
  }

 private:
  FolderIndex& index(GameTarget target) {
    // The one listing taken before the first delete; each delete is noted in it.
    if (target == GameTarget::GameFolder) return game_;
    auto found = subfolders_.find(target);
    if (found == subfolders_.end()) {
      found = subfolders_.emplace(target, FolderIndex(targetFolder(game_, target))).first;
    }
    return found->second;
  }
  FolderIndex& game_;
  std::map<GameTarget, FolderIndex> subfolders_;
};

// Deletes a file the player may have made read-only, which Windows refuses to delete.
std::error_code deleteEvenReadOnly(const fs::path& file) {
  auto ec = deleteFile(file);
  if (!ec || ec == std::errc::is_a_directory) return ec;
  if (makeNormal(file)) return ec;
  return deleteFile(file);
}

}  // namespace

// Every save in the game's save folder belongs to the career being unloaded, whichever
// folder brought it, so all of them go back into it.
void FolderEngine::moveCareerSavesBack(const fs::path& careerFolder, Problems& problems) {
  const auto saveDir = targetFolder(s_.gameFolder(), GameTarget::Savedata);
  if (!folderExists(saveDir)) return;
  std::error_code ec;
  const auto saves = listFiles(saveDir, "*.sve", ec);
  if (ec) problems.add(describeFailure("read the folder", saveDir, ec));
  const FolderIndex career(careerFolder);
  for (const auto& name : saves) {
    const auto source = saveDir / nameToPath(name);
    const auto target = careerFolder / nameToPath(career.find(name).value_or(name));
    if (auto copyEc = copyFileOver(source, target)) {
      problems.add(describeFailure("move " + displayPath(source) + " back to", target, copyEc));
    } else if (auto deleteEc = deleteEvenReadOnly(source)) {
      problems.add(describeFailure("delete", source, deleteEc));
    }
  }
}

void FolderEngine::deleteCopies(const fs::path& modFolder, Problems& problems) {
  std::error_code ec;
  const auto names = listFiles(modFolder, "*.*", ec);
  if (ec) problems.add(describeFailure("read the folder", modFolder, ec));
  FileProgress progress(s_, static_cast<int>(names.size()));
  GameListings game(s_);
  int done = 0;
  for (const auto& name : names) {
    ++done;
    const auto file = game.onlyMatch(unloadTarget(name), name);
    if (!file) continue;
    progress.step("Deleting " + pathToText(file->filename()), done);
    if (auto deleteEc = deleteEvenReadOnly(*file)) {
      problems.add(describeFailure("delete", *file, deleteEc));
    } else {
      game.forget(unloadTarget(name), *file);
    }
  }
}

bool FolderEngine::MoveOut(const fs::path& modFolder) {
  const auto folderName = pathToText(modFolder.filename());
  Problems problems;
  if (isCareerFolderName(folderName)) moveCareerSavesBack(modFolder, problems);
  if (modFolder != s_.state.GameDir) {
    deleteCopies(modFolder, problems);
    s_.record.RecordLoadedFolders();
  }
  if (problems.empty()) return true;
  problems.report(s_.shell, folderName + " is unloaded, but not everything could be removed:");
  return false;
}

}  // namespace kvo
