#pragma once

#include <filesystem>
#include <string>

#include "gamefiles/pmnuform.h"
#include "gamefiles/pnameform.h"
#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/outcome.h"

namespace kvo {

// The two working windows over pnames.str and the plane menus of the game folder, as the
// plane install uses them and as the player may open them as editors. Every write is one
// change of the game folder.
class PlaneFileEditors final {
 public:
  PlaneFileEditors(FormState& state, GameFolder& game) : state_(state), game_(game) {}

  // Fills the plane-name grid from the game folder's pnames.str.
  Outcome LoadPnames();
  // Writes the plane-name grid back to pnames.str; refused (nothing written) when it cannot.
  Outcome SavePnames();
  // Reads the menu of the side whose option button is on.
  Outcome Pmensee();
  // Writes the controls back to that side's menu file; refused (nothing written) when it cannot.
  Outcome pmenwrite();

  Pnameform pnameform;
  Pmnuform pmnuform;

 private:
  Outcome replaceGameFile(std::string action, const std::filesystem::path& path, std::string bytes);
  FormState& state_;
  GameFolder& game_;
};

}  // namespace kvo
