#include <map>

#include "app/selector.h"
#include "engine/file_progress.h"
#include "engine/folder_engine.h"
#include "engine/mod_files.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// The game folders an unload deletes from, each listed once however many names are looked up.
class GameListings final {
 public:
  explicit GameListings(fs::path gameDir) : gameDir_(std::move(gameDir)) {}

  const FolderIndex& folder(GameTarget target) {
    auto found = indexes_.find(target);
    if (found == indexes_.end()) {
      found = indexes_.emplace(target, FolderIndex(targetFolder(gameDir_, target))).first;
    }
    return found->second;
  }

 private:
  fs::path gameDir_;
  std::map<GameTarget, FolderIndex> indexes_;
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
void FolderEngine::moveCareerSavesBack(const fs::path& careerFolder,
                                       std::vector<std::string>& problems) {
  const auto saveDir = targetFolder(s_.state.GameDir, GameTarget::Savedata);
  if (!folderExists(saveDir)) return;
  std::error_code ec;
  const auto saves = listFiles(saveDir, "*.sve", ec);
  if (ec) problems.push_back(describeFailure("read the folder", saveDir, ec));
  const FolderIndex career(careerFolder);
  for (const auto& name : saves) {
    const auto source = saveDir / nameToPath(name);
    const auto target = careerFolder / nameToPath(career.find(name).value_or(name));
    if (auto copyEc = copyFileOver(source, target)) {
      problems.push_back(
          describeFailure("move " + displayPath(source) + " back to", target, copyEc));
    } else if (auto deleteEc = deleteEvenReadOnly(source)) {
      problems.push_back(describeFailure("delete", source, deleteEc));
    }
  }
}

void FolderEngine::deleteCopies(const fs::path& modFolder, std::vector<std::string>& problems) {
  std::error_code ec;
  const auto names = listFiles(modFolder, "*.*", ec);
  if (ec) problems.push_back(describeFailure("read the folder", modFolder, ec));
  FileProgress progress(s_, static_cast<int>(names.size()));
  GameListings game(s_.state.GameDir);
  int done = 0;
  for (const auto& name : names) {
    ++done;
    const auto& index = game.folder(unloadTarget(name));
    const auto found = index.find(name);
    if (!found) continue;
    progress.step("Deleting " + *found, done);
    const auto file = index.dir() / nameToPath(*found);
    auto deleteEc = deleteEvenReadOnly(file);
    // A folder of that name is not a copy of the file; the file list never showed it.
    if (deleteEc && deleteEc != std::errc::is_a_directory) {
      problems.push_back(describeFailure("delete", file, deleteEc));
    }
  }
}

bool FolderEngine::MoveOut(const fs::path& modFolder) {
  const auto folderName = pathToText(modFolder.filename());
  std::vector<std::string> problems;
  if (isCareerFolderName(folderName)) moveCareerSavesBack(modFolder, problems);
  if (modFolder != s_.state.GameDir) {
    deleteCopies(modFolder, problems);
    RecordLoadedFolders();
  }
  if (problems.empty()) return true;
  std::string text = folderName + " is unloaded, but not everything could be removed:\r\n";
  for (const auto& problem : problems) text += "\r\n" + problem;
  s_.shell.message(text, Icon::Exclamation, "KVO");
  return false;
}

}  // namespace kvo
