#pragma once

#include <string>

#include "archive/install.h"

namespace kvo {

class Autoscripts;
class Core;
class FolderEngine;
class SkinPanel;

// Adding a mod from the window: the install, then the grids and lists that show what it
// brought. Nothing it brings is loaded.
class ModInstaller final {
 public:
  ModInstaller(Core& core, FolderEngine& engine, SkinPanel& skins, Autoscripts& scripts)
      : s_(core), engine_(engine), skins_(skins), scripts_(scripts) {}

  // Commits `plan` (commitInstall). After an install the folder grid is read again as
  // "Refresh!" reads it, the skin grid when a skin came and the autoscript lists when a
  // script came; the first new mod folder becomes the current row of the folder grid, under
  // a category filter that shows it, and the first new skin that of the skin grid.
  InstallOutcome install(const InstallPlan& plan);

 private:
  void showInstalled(const InstallPlan& plan);
  void makeCurrentFolder(const std::string& name);

  Core& s_;
  FolderEngine& engine_;
  SkinPanel& skins_;
  Autoscripts& scripts_;
};

}  // namespace kvo
