#pragma once

#include "gamefiles/game_folder_files.h"
#include "platform/listing.h"
#include "state/game_change.h"

namespace kvo {

// The game folder's files as a planned change will leave them, for the readers of game files:
// a plane install reads the planes.dat that a flight model's load in the same change brings.
class PlannedGameFiles final : public GameFileReader {
 public:
  PlannedGameFiles(const FolderIndex& game, const GameChange& change)
      : game_(game), change_(change) {}
  std::filesystem::path resolve(std::string_view name) const override;
  std::optional<std::string> read(const std::filesystem::path& path, std::error_code& ec,
                                  std::size_t limit) const override;

 private:
  const FolderIndex& game_;
  const GameChange& change_;
};

}  // namespace kvo
