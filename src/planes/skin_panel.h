#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "planes/placement_record.h"
#include "state/form_state.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/outcome.h"

namespace kvo {

// The skin grid `SK1`, the plane filter `List1` and the skin folders.
class SkinPanel final {
 public:
  SkinPanel(FormState& state, GameFolder& game, LoadRecord& record)
      : state_(state), game_(game), record_(record) {}

  // Fills `List1` and `SK1` from the skin folders (start-up).
  void buildSkinGrid();
  // Reads the skin folders again after one was added, keeping the loaded marks and the plane
  // filter; the row named `current` (if any) becomes the current row.
  void rebuildSkinGrid(const std::string& current);
  // Marks every skin row whose name ends the load-record `line`; true when one matched.
  bool markLoadedSkin(const std::string& line);
  // The plane filter: a click on `List1` entry `index`.
  void FilterGrids(int index);

  // Loads the skin of `SK1` row `row` (unloading loaded skins of its art code first), or
  // unloads it when it is loaded (double-click or Enter).
  Outcome ApplySkinRow(int row);
  // Plans ApplySkinRow(row) into `change` as the steps planned so far leave the game folder,
  // and marks the rows as it leaves them. Why the skin cannot be loaded, or "".
  std::string planSkinRow(int row, GameChange& change);
  // Shows the description and picture of `SK1` row `row` and offers its name for renaming
  // (click).
  void PreviewSkinRow(int row);
  // Shows the description and picture of the row under the pointer.
  void SK1_MouseMove(int row);
  // Unloads every loaded skin ("Clear all skins").
  Outcome Skinkill();
  // The pointer over the skin panel takes away the skin preview.
  void Frame9_MouseMove();
  // Renames the skin folder of `SK1` row `row` to `newName` ("Re-Name").
  Outcome RenameSkin(int row, const std::string& newName);

  // The skin folder of an `SK1` row.
  std::filesystem::path skinFolder(int row) const;
  // Plans into `change` the best-effort deletes that unload every loaded skin; `everything`
  // takes their flight files too, whatever "Include flt files" says (Reset All).
  void planUnloadAll(GameChange& change, bool everything = false);
  // From now on skins load and unload through `placements` (null: by name, unrecorded).
  void setPlacements(PlacementRecord* placements) { placements_ = placements; }
  // Takes the loaded mark off every skin row.
  void unmarkAll();

 private:
  void planUnload(int row, GameChange& change, const std::set<std::string>& spared);
  std::optional<SkinUnload> skinUnload(int row, GameChange& change, bool everything);
  void planRecordedLoad(int row, GameChange& change, const std::vector<std::string>& copied);
  void noteReplacedData(GameChange& change, const std::vector<std::string>& copied);
  void unmarkUndoneInstalls();
  std::string planLoad(int row, GameChange& change);
  void markSkin(int row, bool loaded);
  void showPreview(int row, const char* picturePatterns);
  void showFuel(int slot);
  Outcome commitMarked(GameChange& change);

  FormState& state_;
  GameFolder& game_;
  LoadRecord& record_;
  PlacementRecord* placements_ = nullptr;
  // The game's flight data files that the skin being loaded replaces, for its report.
  std::vector<std::string> replacedData_;
  bool undidInstalls_ = false;
  int lastHoverRow_ = 0;
};

}  // namespace kvo
