#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gamefiles/game_folder_files.h"
#include "state/game_change.h"

namespace kvo {

// A file of a skin folder going into the game folder.
struct PlacedCopy {
  std::filesystem::path source;
  std::filesystem::path target;
};

// One skin's files going out of the game folder.
struct SkinUnload {
  std::string skin;
  // The skin's files in the game folder by name, which go when the record does not know them
  // (a skin loaded before the record knew skins).
  std::vector<std::filesystem::path> byName;
  // The names that stay where they are (flight files without "Include flt files").
  std::function<bool(std::string_view name)> stays;
};

// How the files that plane installs, fuel buttons and skins put into the game folder join the
// deployment record, so that verify knows them, and an unload or Reset All gives back what was
// there before (the game's own file, kept, or a loaded folder's).
class PlacementRecord {
 public:
  virtual ~PlacementRecord() = default;
  // Plans writing `files` whole for the loaded folder `owner` whose plane they install.
  virtual void planWrites(GameChange& change, const std::string& owner,
                          std::vector<GameFileWrite> files) = 0;
  // Plans copying an installed plane's own file `source` over or to `target` for `owner`.
  virtual void planCopy(GameChange& change, const std::string& owner,
                        const std::filesystem::path& source, const std::filesystem::path& target,
                        std::string caption) = 0;
  // Plans the skins `unloads` going out and the skin `skin` (if not empty) with `copies` coming
  // in, as one step of the record.
  virtual void planSkins(GameChange& change, const std::vector<SkinUnload>& unloads,
                         const std::string& skin, const std::vector<PlacedCopy>& copies) = 0;
  // Plans the record's skin `from` to be called `to`, its files the same.
  virtual void planRenameSkin(GameChange& change, const std::string& from,
                              const std::string& to) = 0;
};

}  // namespace kvo
