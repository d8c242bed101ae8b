#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "engine/deployment_check.h"
#include "engine/folder_plan.h"
#include "state/form_state.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/outcome.h"
#include "state/problems.h"

namespace kvo {

class AltPlanes;

// The unloads and loads of one click, as MoveOut and MoveIn plan them for the deployment.
struct FolderMoves {
  std::vector<UnloadPlan> unloads;
  std::vector<LoadPlan> loads;
};

// The mod folder engine: the folder grid `Unigrid`, loading and unloading folders.
class FolderEngine final {
 public:
  FolderEngine(FormState& state, GameFolder& game, LoadRecord& record, AltPlanes& planes)
      : state_(state), game_(game), record_(record), planes_(planes) {}

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
  // What the last replays could not read (a flight model's planes.dat).
  const Problems& replayProblems() const { return replayProblems_; }
  // Rebuilds the grid from disk and re-applies FoldersLoaded.txt ("Refresh!").
  Outcome PopulateFolderGrid();

  // Loads, unloads or swaps the folder of `Unigrid` row `row` (a click or Enter): one change
  // of the game folder and the record, all of it or none.
  Outcome Unigrid_Click(int row);
  // What Unigrid_Click(row) would do, planned and checked; nothing changes.
  Outcome planClick(int row);
  // Plans the click on `row` into `change`, as the steps planned so far leave the game folder,
  // and marks the rows as the click leaves them (a flight model's load fills the plane grid).
  // The reason the click cannot be made, or "". Unigrid_Click and the replays plan by it.
  std::string planRowClick(int row, GameChange& change);
  // Plans loading the mod folder into `moves`: its copies into the game folder as `change`
  // leaves it. The reason it cannot be loaded, or "".
  std::string MoveIn(const std::filesystem::path& modFolder, GameChange& change,
                     FolderMoves& moves);
  // Plans unloading the mod folder into `moves`: its files out of the game folder, a career's
  // saves back into it. The reason it cannot be unloaded at all, or "".
  std::string MoveOut(const std::filesystem::path& modFolder, GameChange& change,
                      FolderMoves& moves);

  // The category filter: a click on `List3` entry `index`.
  void List3_Click(int index);
  // Shows the description and picture of the folder of `Unigrid` row `row` (pointer over it),
  // and what a click on it would replace and overwrite.
  void previewRow(int row);
  // Takes the folder preview away again (pointer over `List3` or `LoadFrame`).
  void resetPreview();
  // Previews the row under the pointer anew after a change, which may have changed what a
  // click on it would replace and overwrite.
  void previewAgain();
  // What a click on `row` would do, from its own plan, checked and not made: which folder it
  // replaces and which files it overwrites, or why it cannot be made.
  std::string conflictText(int row);
  // The files loading the folder of `row` would overwrite, and who provides each now.
  std::vector<Conflict> conflictsOf(int row);

 private:
  struct Click {
    std::vector<int> unloadRows;
    int loadRow = 0;
  };
  Click decideClick(int row) const;
  std::string folderGone(int row) const;
  void markOnly(int row);
  std::string showPlanesOf(const std::filesystem::path& folder);
  void markRow(int row, bool loaded);
  std::filesystem::path folderOfRow(int row) const;
  std::string clickFailure(const std::string& failure, const Click& click) const;

  FormState& state_;
  GameFolder& game_;
  LoadRecord& record_;
  AltPlanes& planes_;
  std::vector<std::string> replayRefused_;
  Problems replayProblems_;
};

}  // namespace kvo
