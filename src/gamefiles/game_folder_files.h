#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "gamefiles/plane_menu.h"
#include "gamefiles/pmnuform.h"
#include "gamefiles/pnameform.h"

namespace kvo {

// How the game folder's files are found and read: as they are on the disk, or as a planned
// change will leave them.
class GameFileReader {
 public:
  virtual ~GameFileReader() = default;
  // The game folder's file `name` in the letter case it has (or the name itself when missing).
  virtual std::filesystem::path resolve(std::string_view name) const = 0;
  // The bytes of the file, read within `limit` (see read_limits.h); nullopt and `ec` when it
  // is not there, is larger or cannot be read.
  virtual std::optional<std::string> read(const std::filesystem::path& path, std::error_code& ec,
                                          std::size_t limit) const = 0;
};

// The game folder's files as they are on the disk.
class DiskGameFiles final : public GameFileReader {
 public:
  explicit DiskGameFiles(std::filesystem::path gameDir) : gameDir_(std::move(gameDir)) {}
  std::filesystem::path resolve(std::string_view name) const override;
  std::optional<std::string> read(const std::filesystem::path& path, std::error_code& ec,
                                  std::size_t limit) const override;

 private:
  std::filesystem::path gameDir_;
};

// pnames.str of the game folder, spelled as it is there (or as the game names it when missing).
std::filesystem::path pnamesPath(const GameFileReader& game);
// A side's menu file of the game folder, spelled as it is there.
std::filesystem::path menuPath(const GameFileReader& game, MenuSide side);

// LoadPnames from the game folder's pnames.str; the error naming the file, or "".
std::string LoadPnamesFrom(Pnameform& form, const GameFileReader& game);
// Pmensee from the game folder's file of the selected side; the error naming the file, or "".
std::string PmenseeFrom(Pmnuform& form, const GameFileReader& game);

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
PlaneNameFiles planeNameFiles(const GameFileReader& game, int slot, std::string_view name,
                              Pnameform& names, Pmnuform& menus);

}  // namespace kvo
