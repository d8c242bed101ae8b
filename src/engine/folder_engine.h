#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "state/problems.h"

namespace kvo {

struct LoadPlan;

class Core;
class AltPlanes;

// The mod folder engine: the folder grid `Unigrid`, loading and unloading folders.
class FolderEngine final {
 public:
  FolderEngine(Core& core, AltPlanes& planes) : s_(core), planes_(planes) {}

  // Fills `Unigrid` with the mod folders among `folderNames` (the selector folder's
  // subfolders), grouped by the codes of the kvo.ini `categoryLines`.
  // A folder whose name holds a line break or a tab is not offered; `problems` names it.
  void fillFolderGrid(const std::vector<std::string>& categoryLines,
                      const std::vector<std::string>& folderNames, Problems& problems);
  // Marks the rows named by one FoldersLoaded.txt line, and nothing else: no file changes.
  // True when a row has that name. A second folder of a category that allows one is not
  // marked; replayRefused() names it.
  bool replayFolderLine(const std::string& line);
  // The names the last replays left unmarked, since their category allows one folder only.
  const std::vector<std::string>& replayRefused() const { return replayRefused_; }
  // Rebuilds the grid from disk and re-applies FoldersLoaded.txt ("Refresh!").
  void PopulateFolderGrid();

  // Load, unload or swap the folder of the grid's current row (a click or Enter on `Unigrid`):
  // one change of the game folder and the record, all of it or none.
  void Unigrid_Click();
  // Unloads the folder of `CurrentRow`.
  void Udel();
  // Copies the mod folder's files into the game folder, all or none; false after a failure,
  // which one message reports.
  bool MoveIn(const std::filesystem::path& modFolder);
  // Deletes the mod folder's files from the game folder and records the selection; false
  // when some could not go (one message lists them) or nothing could be done.
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
  struct Click {
    std::vector<int> unloadRows;
    int loadRow = 0;
  };
  void clickCurrentRow();
  Click decideClick(int row);
  bool applyClick(const Click& click);
  void markOnly(int row);
  void showPlanesOf(const std::filesystem::path& folder);
  bool folderStillThere(int row);
  void markRow(int row, bool loaded);
  std::filesystem::path folderOfRow(int row) const;
  void clearReadOnlyOfSources(const std::vector<LoadPlan>& loads);
  void reportFailedChange(const std::string& failure, const Click& click);

  Core& s_;
  AltPlanes& planes_;
  bool busy_ = false;
  std::vector<std::string> replayRefused_;
};

}  // namespace kvo
