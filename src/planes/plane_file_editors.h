#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "gamefiles/plane_menu.h"
#include "gamefiles/pmnuform.h"
#include "gamefiles/pnameform.h"
#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/outcome.h"

namespace kvo {

// The names the player changed in an editor window and has not saved yet: entry -> new name.
using EditedNames = std::map<int, std::string>;

// The two working windows over pnames.str and the plane menus of the game folder, as the
// plane install uses them and as the player may open them as editors. Every write is one
// change of the game folder. A save reads the file again and changes only the entries the
// player edited, so that what changed the file meanwhile (a plane install) is kept; a file
// that is not there is never made by an editor.
class PlaneFileEditors final {
 public:
  PlaneFileEditors(FormState& state, GameFolder& game) : state_(state), game_(game) {}

  // Fills the plane-name grid from the game folder's pnames.str.
  Outcome LoadPnames();
  // Writes the names `edited` into pnames.str as it is now, every other name as it is there;
  // refused (nothing written) when the file is missing or cannot be read or written.
  Outcome SavePnames(const EditedNames& edited);
  // Reads the menu of the side whose option button is on.
  Outcome Pmensee();
  // Turns the option button of `side` on and reads that side's menu.
  Outcome Pmensee(MenuSide side);
  // Writes the names `edited` into the menu file of `side` as it is now, every other entry as
  // it is there; refused (nothing written) when the file is missing or cannot be read or
  // written. Only that side's file changes.
  Outcome pmenwrite(MenuSide side, const EditedNames& edited);

  Pnameform pnameform;
  Pmnuform pmnuform;

 private:
  Outcome replaceGameFile(std::string action, const std::filesystem::path& path, std::string bytes);
  FormState& state_;
  GameFolder& game_;
};

}  // namespace kvo
