#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kvo {

class Selector;

// The mod folder engine: the folder grid `Unigrid`, loading and unloading folders, and the
// load record `FoldersLoaded.txt`.
class FolderEngine final {
 public:
  explicit FolderEngine(Selector& selector) : s_(selector) {}

  // Fills `Unigrid` with the mod folders among `folderNames` (the selector folder's
  // subfolders), grouped by the codes of the kvo.ini `categoryLines`.
  void fillFolderGrid(const std::vector<std::string>& categoryLines,
                      const std::vector<std::string>& folderNames);
  // Marks the rows named by one FoldersLoaded.txt line by replaying their click; true when
  // a row matched.
  bool replayFolderLine(const std::string& line);
  // Rebuilds the grid from disk and re-applies FoldersLoaded.txt ("Refresh!").
  void PopulateFolderGrid();

  // Load, unload or swap the folder of the grid's current row.
  void Unigrid_Click();
  // Unloads the folder of `CurrentRow`.
  void Udel();
  // Copies the mod folder's files into the game folder (nothing while GridReady is False).
  bool MoveIn(const std::filesystem::path& modFolder);
  // Deletes the mod folder's files from the game folder.
  bool MoveOut(const std::filesystem::path& modFolder);
  // Rewrites FoldersLoaded.txt from the loaded marks of the three grids.
  void RecordLoadedFolders();

  // The category filter: a click on `List3` entry `index`.
  void List3_Click(int index);

 private:
  Selector& s_;
};

}  // namespace kvo
