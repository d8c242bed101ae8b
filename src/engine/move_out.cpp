#include <iterator>
#include <map>
#include <optional>

#include "app/selector.h"
#include "engine/file_progress.h"
#include "engine/folder_engine.h"
#include "engine/mod_files.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// The files of the game folders an unload deletes from, each folder listed once however many
// names are looked up. Like the old window's file list they hold files only, no folders.
class GameListings final {
 public:
  explicit GameListings(fs::path gameDir) : gameDir_(std::move(gameDir)) {}

  // The folder's one file named `name` in any letter case. None when two or more answer to
  // it (a folder of a case-sensitive file system may hold both), since the name then does not
  // say which is the copy.
  std::optional<fs::path> onlyMatch(GameTarget target, std::string_view name) {
    auto found = listings_.find(target);
    if (found == listings_.end()) {
      Listing listing{targetFolder(gameDir_, target), {}};
      for (auto& file : listFiles(listing.dir, "*.*")) {
        listing.byUpperName.emplace(toUpperAscii(file), std::move(file));
      }
      found = listings_.emplace(target, std::move(listing)).first;
    }
    const auto& [dir, byUpperName] = found->second;
    const auto [first, last] = byUpperName.equal_range(toUpperAscii(name));
    if (first == last || std::next(first) != last) return std::nullopt;
    return dir / nameToPath(first->second);
  }

 private:
  struct Listing {
    fs::path dir;
    std::multimap<std::string, std::string> byUpperName;
  };
  fs::path gameDir_;
  std::map<GameTarget, Listing> listings_;
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
    const auto file = game.onlyMatch(unloadTarget(name), name);
    if (!file) continue;
    progress.step("Deleting " + pathToText(file->filename()), done);
    if (auto deleteEc = deleteEvenReadOnly(*file)) {
      problems.push_back(describeFailure("delete", *file, deleteEc));
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
