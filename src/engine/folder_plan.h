#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/listing.h"
#include "state/form_state.h"
#include "state/game_change.h"
#include "state/problems.h"

namespace kvo {

// One file a load or an unload copies.
struct FileCopy {
  PathText source;
  PathText target;
  std::string name;           // as the caption shows it
  bool targetExists = false;  // the game folder has a file of that name already
};

// What loading a mod folder copies into the game folder, worked out before anything moves.
struct LoadPlan {
  std::string folder;                             // the mod folder's name
  std::filesystem::path modFolder;                // the mod folder itself
  std::vector<std::filesystem::path> newFolders;  // Savedata or Music when missing
  std::vector<FileCopy> copies;
  std::string problem;  // why the folder cannot be loaded; empty when it can
};

// What unloading a mod folder takes out of the game folder.
struct UnloadPlan {
  std::string folder;               // the mod folder's name
  std::vector<FileCopy> savesBack;  // a career's saves, back into its folder
  std::vector<PathText> deletes;
  // The files (by name) that stay where they are and remain the folder's in the record; none
  // when not set. A skin's flight files without "Include flt files".
  std::function<bool(std::string_view name)> stays;
  std::string refusal;  // why the folder cannot be unloaded at all
  Problems problems;    // what the unload goes on without (a folder that cannot be listed)
  // The mod folder as the plan listed it, for the record's planning to ask again.
  std::optional<FolderIndex> listing;
};

// Why `modFolder` must not be loaded or unloaded at all (a link, or the game folder itself);
// empty when it may.
std::string refusedModFolder(const std::filesystem::path& modFolder, const FormState& state);

// What a plan of folder moves reads the game folder through: its listing, and the steps of the
// change planned so far, which may have brought or taken files.
struct PlannedFolder {
  const FormState& state;
  const FolderIndex& game;
  const GameChange& change;
};

// The copies of loading `modFolder`, into the game folder's spellings as `at` leaves them.
LoadPlan planLoad(const std::filesystem::path& modFolder, const PlannedFolder& at);

// The deletes of unloading `modFolder`: each copy found by its name, in any letter case, when
// exactly one file answers to it; and for a career folder its saves going back first.
UnloadPlan planUnload(const std::filesystem::path& modFolder, const PlannedFolder& at);

}  // namespace kvo
