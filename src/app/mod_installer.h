#pragma once

#include <string>

#include "archive/install.h"
#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/load_record.h"
#include "state/shell.h"

namespace kvo {

class Autoscripts;
class FolderEngine;
class SkinPanel;

// Adding a mod: the install, then the grids and lists that show what it brought. Nothing it
// brings is loaded.
class ModInstaller final {
 public:
  ModInstaller(FormState& state, GameFolder& game, LoadRecord& record, Shell& shell,
               FolderEngine& engine, SkinPanel& skins, Autoscripts& scripts)
      : state_(state),
        game_(game),
        record_(record),
        shell_(shell),
        engine_(engine),
        skins_(skins),
        scripts_(scripts) {}

  // Commits `plan` (commitInstall). After an install the folder grid is read again as
  // "Refresh!" reads it, the skin grid when a skin came and the autoscript lists when a
  // script came; the first new mod folder becomes the current row of the folder grid, under
  // a category filter that shows it, and the first new skin that of the skin grid.
  InstallOutcome install(const InstallPlan& plan);
  // Plans the install `request` asks for, then install() of its plan (kvo install).
  InstallOutcome install(const InstallRequest& request);

 private:
  void showInstalled(const InstallPlan& plan, Outcome& outcome);
  void makeCurrentFolder(const std::string& name);

  FormState& state_;
  GameFolder& game_;
  LoadRecord& record_;
  Shell& shell_;
  FolderEngine& engine_;
  SkinPanel& skins_;
  Autoscripts& scripts_;
};

}  // namespace kvo
