#pragma once

#include <filesystem>
#include <optional>

#include "engine/deployment_record.h"
#include "state/form_state.h"
#include "state/game_change.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/outcome.h"
#include "state/shell.h"

namespace kvo {

class AltPlanes;
class SkinPanel;

// "Reset All", the clean-up by CleanUp.ini and "Del MSN".
class ResetAll final {
 public:
  ResetAll(FormState& state, GameFolder& game, LoadRecord& record, SkinPanel& skins,
           AltPlanes& planes)
      : state_(state), game_(game), record_(record), skins_(skins), planes_(planes) {}

  // Marks every folder, skin and plane as not loaded, sweeps the game folder, puts the kept
  // game files and the spare eaw.exe back ("Reset All"), as one change. A file that cannot be
  // deleted or copied is passed over; only a change that cannot start changes nothing.
  Outcome Command1_Click();
  // The window's question before Reset All, from its dry run: how many files it deletes from
  // the game folder and which of them are the game's own (no load or install put them there).
  std::string confirmation();
  // Asks `shell` the confirmation question, then does Reset All on a yes; nothing on a no.
  Outcome confirmedReset(Shell& shell);
  // Plans Reset All into `change` and unmarks every row (also before a package's entries).
  void planResetAll(GameChange& change);
  // Deletes the game's default missions from its save folder ("Del MSN").
  Outcome delmsn_Click();

 private:
  void unmarkAll();
  void planGiveBack(GameChange& change);
  void planRecordedDeletes(GameChange& change, const DeploymentRecord& deployed);
  void keepWhatStayed(const DeploymentRecord& before, Outcome& outcome);
  void unmarkFolders();
  std::optional<std::filesystem::path> spareExe() const;
  std::string describe(const Changes& changes) const;

  FormState& state_;
  GameFolder& game_;
  LoadRecord& record_;
  SkinPanel& skins_;
  AltPlanes& planes_;
};

}  // namespace kvo
