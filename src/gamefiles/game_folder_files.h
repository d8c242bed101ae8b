#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "gamefiles/plane_menu.h"
#include "gamefiles/pmnuform.h"
#include "gamefiles/pnameform.h"

namespace kvo {

// pnames.str of the game folder, spelled as it is there (or as the game names it when missing).
std::filesystem::path pnamesPath(const std::filesystem::path& gameDir);
// A side's menu file of the game folder, spelled as it is there.
std::filesystem::path menuPath(const std::filesystem::path& gameDir, MenuSide side);

// LoadPnames from the game folder's pnames.str; the error naming the file, or "".
std::string LoadPnamesFrom(Pnameform& form, const std::filesystem::path& gameDir);
// Pmensee from the game folder's file of the selected side; the error naming the file, or "".
std::string PmenseeFrom(Pmnuform& form, const std::filesystem::path& gameDir);

// A game file and the whole new content it is to get.
struct GameFileWrite {
  std::filesystem::path path;
  std::string bytes;
};

// The new plane-name file and menus of one plane install, or why they cannot be built.
struct PlaneNameFiles {
  std::vector<GameFileWrite> files;  // pnames.str, then the B, A and G menus
  std::string error;                 // names the file; empty when all four may be written

  bool ok() const { return error.empty(); }
};

// What installing the plane `name` into `slot` does to pnames.str and the three menus of the
// game folder: their new bytes, for the caller to commit together. Nothing is written here.
PlaneNameFiles planeNameFiles(const std::filesystem::path& gameDir, int slot, std::string_view name,
                              Pnameform& names, Pmnuform& menus);

}  // namespace kvo
