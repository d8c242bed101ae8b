#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>
#include "state/problems.h"

namespace kvo {

class Core;
class GameChange;

// The skin grid `SK1`, the plane filter `List1` and the skin folders.
class SkinPanel final {
 public:
  explicit SkinPanel(Core& core) : s_(core) {}

  // Fills `List1` and `SK1` from the skin folders (start-up).
  void buildSkinGrid();
  // Reads the skin folders again after one was added, keeping the loaded marks and the plane
  // filter; the row named `current` (if any) becomes the current row.
  void rebuildSkinGrid(const std::string& current);
  // Marks every skin row whose name ends the load-record `line`; true when one matched.
  bool markLoadedSkin(const std::string& line);
  // The plane filter: a click on `List1` entry `index`.
  void FilterGrids(int index);

  // Loads the skin of `SK1`'s current row (unloading loaded skins of its art code first), or
  // unloads it when it is loaded (double-click or Enter).
  void ApplySkinRow();
  // Shows the current row's description and picture and offers its name for renaming (click).
  void PreviewSkinRow();
  // Shows the description and picture of the row under the pointer.
  void SK1_MouseMove(int row);
  // Unloads every loaded skin ("Clear all skins").
  void Skinkill();
  // The pointer over the skin panel takes away the skin preview.
  void Frame9_MouseMove();
  // Renames the current row's skin folder to `Text3` ("Re-Name").
  void RenameSkin();

  // The skin folder of an `SK1` row.
  std::filesystem::path skinFolder(int row) const;
  // Plans into `change` the best-effort deletes that unload every loaded skin.
  void planUnloadAll(GameChange& change, Problems& failures);
  // Takes the loaded mark off every skin row.
  void unmarkAll();

 private:
  void unloadRow(int row);
  void loadRow(int row);
  void planUnload(int row, GameChange& change, Problems& failures,
                  const std::set<std::string>& spared);
  void planCopies(int row, const std::vector<std::string>& names, GameChange& change);
  void markSkin(int row, bool loaded);
  void showPreview(int row, const char* picturePatterns);
  void showFuel(int slot);
  Core& s_;
  int lastHoverRow_ = 0;
};

}  // namespace kvo
