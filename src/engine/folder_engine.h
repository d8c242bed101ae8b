#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "state/problems.h"

namespace kvo {

class Core;
class AltPlanes;

// The mod folder engine: the folder grid `Unigrid`, loading and unloading folders.
class FolderEngine final {
 public:
  FolderEngine(Core& core, AltPlanes& planes) : s_(core), planes_(planes) {}

  // Fills `Unigrid` with the mod folders among `folderNames` (the selector folder's
  // subfolders), grouped by the codes of the kvo.ini `categoryLines`.
  void fillFolderGrid(const std::vector<std::string>& categoryLines,
                      const std::vector<std::string>& folderNames);
  // Marks the rows named by one FoldersLoaded.txt line by replaying their click; true when
  // a row matched.
  bool replayFolderLine(const std::string& line);
  // Rebuilds the grid from disk and re-applies FoldersLoaded.txt ("Refresh!").
  void PopulateFolderGrid();

  // Load, unload or swap the folder of the grid's current row (a click or Enter on `Unigrid`).
  void Unigrid_Click();
  // Unloads the folder of `CurrentRow`.
  void Udel();
  // Copies the mod folder's files into the game folder, all or none; false after a failure,
  // which one message reports (naming `swappedOut` when a swap had already unloaded it).
  bool MoveIn(const std::filesystem::path& modFolder, std::string_view swappedOut = {});
  // Deletes the mod folder's files from the game folder; false when some could not go.
  bool MoveOut(const std::filesystem::path& modFolder);

  // The category filter: a click on `List3` entry `index`.
  void List3_Click(int index);
  // Shows the description and picture of the folder of `Unigrid` row `row` (pointer over it).
  void previewRow(int row);
  // Takes the folder preview away again (pointer over `List3` or `LoadFrame`).
  void resetPreview();

  // True while a load, unload or refresh runs, so that a click arriving meanwhile is refused.
  bool busy() const { return busy_; }

 private:
  class Batch;
  // The click itself, also run by the replay of FoldersLoaded.txt inside a refresh.
  void clickCurrentRow();
  void clickCareerRow(int row);
  void clickLoadedRow(const std::string& code);
  void clickUnloadedRow(int row, const std::string& code);
  void unloadOtherRow(int other);
  void showPlanesOf(const std::filesystem::path& folder);
  bool folderStillThere(int row);
  void markRow(int row, bool loaded);
  void moveCareerSavesBack(const std::filesystem::path& careerFolder, Problems& problems);
  void deleteCopies(const std::filesystem::path& modFolder, Problems& problems);

  Core& s_;
  AltPlanes& planes_;
  bool busy_ = false;
};

}  // namespace kvo
