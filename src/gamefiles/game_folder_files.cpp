#include "gamefiles/game_folder_files.h"

#include <array>
#include <optional>
#include <system_error>

#include "gamefiles/install_names.h"
#include "gamefiles/pnames.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// The bytes of `path`, or the sentence saying why they cannot be read.
std::optional<std::string> readGameFile(const GameFileReader& game, const fs::path& path,
                                        std::string& error) {
  std::error_code ec;
  auto bytes = game.read(path, ec, read_limit::kPlaneMenu);
  if (!bytes) error = describeFailure("read", path, ec);
  return bytes;
}

PlaneNameFiles failed(std::string error) {
  return {{}, std::move(error)};
}

// The current bytes of the three menu files and how messages name them.
struct MenuFilesRead {
  MenuFileTexts bytes;
  MenuFileTexts shown;
  std::string error;
};

MenuFilesRead readMenuFiles(const GameFileReader& game) {
  MenuFilesRead read;
  for (std::size_t i = 0; i < kMenuSideCount; ++i) {
    const auto path = menuPath(game, menuSideOf(i));
    auto bytes = readGameFile(game, path, read.error);
    if (!bytes) return read;
    read.bytes[i] = std::move(*bytes);
    read.shown[i] = displayPath(path);
  }
  return read;
}

}  // namespace

fs::path DiskGameFiles::resolve(std::string_view name) const {
  return resolveNoCase(gameDir_, name);
}

std::optional<std::string> DiskGameFiles::read(const fs::path& path, std::error_code& ec,
                                               std::size_t limit) const {
  return readFileBytes(path, ec, limit);
}

fs::path pnamesPath(const GameFileReader& game) {
  return game.resolve(kPnamesFileName);
}

fs::path menuPath(const GameFileReader& game, MenuSide side) {
  return game.resolve(menuFileName(side));
}

std::string LoadPnamesFrom(Pnameform& form, const GameFileReader& game) {
  const auto path = pnamesPath(game);
  std::string error;
  const auto bytes = readGameFile(game, path, error);
  if (!bytes) {
    form.Grid.setTexts({});
    return error;
  }
  return form.LoadPnames(*bytes, displayPath(path));
}

std::string PmenseeFrom(Pmnuform& form, const GameFileReader& game) {
  const auto path = menuPath(game, form.side());
  std::string error;
  if (const auto bytes = readGameFile(game, path, error)) {
    return form.Pmensee(*bytes, displayPath(path));
  }
  // Emptied as after any failed Pmensee, so that nothing stale can be written back.
  form.Pmensee({});
  return error;
}

PlaneNameFiles planeNameFiles(const GameFileReader& game, int slot, std::string_view name,
                              Pnameform& names, Pmnuform& menus) {
  if (auto error = LoadPnamesFrom(names, game); !error.empty()) return failed(error);
  if (auto error = setPlaneName(names.Grid, slot, name); !error.empty()) return failed(error);
  PlaneNameFiles out;
  const auto pnames = pnamesPath(game);
  auto saved = names.SavePnames(displayPath(pnames));
  if (!saved.ok()) return failed(saved.error);
  out.files.push_back({pnames, std::move(saved.bytes)});

  const auto current = readMenuFiles(game);
  if (!current.error.empty()) return failed(current.error);
  const std::array<std::string_view, kMenuSideCount> views{current.bytes[0], current.bytes[1],
                                                           current.bytes[2]};
  auto menusOut = refillMenus(menus, names.Grid, views, current.shown);
  if (!menusOut.ok()) return failed(menusOut.error);
  for (std::size_t i = 0; i < kMenuSideCount; ++i) {
    out.files.push_back({menuPath(game, menuSideOf(i)), std::move(menusOut.bytes[i])});
  }
  return out;
}

}  // namespace kvo
