#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "gamefiles/game_folder_files.h"

namespace kvo {

// Everything installing one alternative plane does to the game folder, built whole in memory
// and checked, so that the caller can commit it as one change or leave every file alone.
struct PlaneInstallPlan {
  std::string name;  // the aircraft name, trimmed
  int slot = -1;
  int fuel = 0;                      // the full fuel the plane record carries
  std::vector<GameFileWrite> files;  // planes.dat, pnames.str, B, A, G menus, loadout.dat
  std::optional<std::filesystem::path> flightModel;  // the folder's one *.flt
  std::string error;  // one sentence naming the file and the line or offset; empty when ok

  bool ok() const { return error.empty(); }
};

// Plans installing the plane of folder `planeDir` into the game folder whose files `game`
// reads; `names` and `menus` are the working windows that rebuild pnames.str and the menus.
PlaneInstallPlan planPlaneInstall(const std::filesystem::path& planeDir, const GameFileReader& game,
                                  Pnameform& names, Pmnuform& menus);

// The game folder's planes.dat read whole and checked to hold all 30 plane records; nullopt
// and the sentence why a plane's record cannot go into it in `error` if not.
std::optional<std::string> readPlanesDat(const GameFileReader& game, std::filesystem::path& path,
                                         std::string& error);

}  // namespace kvo
