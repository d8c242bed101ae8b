#pragma once

#include <filesystem>
#include <string>

#include "gamefiles/pmnuform.h"
#include "gamefiles/pnameform.h"

namespace kvo {

class Core;

// The two working windows over pnames.str and the plane menus of the game folder, as the
// plane install uses them and as the player may open them as editors. Every write goes
// through one change of the game folder; a failure is told to the player in one message.
class PlaneFileEditors final {
 public:
  explicit PlaneFileEditors(Core& core) : s_(core) {}

  // Fills the plane-name grid from the game folder's pnames.str; false after a message.
  bool LoadPnames();
  // Writes the plane-name grid back to pnames.str; false (nothing written) after a message.
  bool SavePnames();
  // Reads the menu of the side whose option button is on; false after a message.
  bool Pmensee();
  // Writes the controls back to that side's menu file; false (nothing written) after a message.
  bool pmenwrite();

  Pnameform pnameform;
  Pmnuform pmnuform;

 private:
  bool replaceGameFile(const std::filesystem::path& path, std::string bytes);
  bool refuse(const std::string& text);
  Core& s_;
};

}  // namespace kvo
