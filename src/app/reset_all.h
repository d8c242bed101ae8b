#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>
#include "state/problems.h"

namespace kvo {

class Core;
class AltPlanes;
class SkinPanel;

// "Reset All", the clean-up by CleanUp.ini and "Del MSN".
class ResetAll final {
 public:
  ResetAll(Core& core, AltPlanes& planes, SkinPanel& skins)
      : s_(core), planes_(planes), skins_(skins) {}

  // Marks every folder, skin and plane as not loaded, sweeps the game folder and puts the
  // spare eaw.exe back ("Reset All").
  void Command1_Click();
  // Deletes the game's default missions from its save folder ("Del MSN").
  void delmsn_Click();

 private:
  void unmarkAll();
  void unmarkFolders();
  std::optional<std::filesystem::path> spareExe() const;
  Core& s_;
  AltPlanes& planes_;
  SkinPanel& skins_;
};

}  // namespace kvo
