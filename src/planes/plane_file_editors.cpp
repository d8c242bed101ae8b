#include "planes/plane_file_editors.h"

#include "gamefiles/game_folder_files.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Why an editor does not save `path`, when it is not in the game folder: the game or a reset
// took it away, and an editor that made it anew would leave a file nothing put there.
std::string missingFile(const fs::path& path) {
  if (fileExists(path)) return {};
  const auto name = pathToText(path.filename());
  return name + " is not in the game folder, so it was not saved: the editor changes " + name +
         " where it is and never makes it.";
}

std::string noEntry(const std::string& file, int entry) {
  return file + " has no entry " + std::to_string(entry) + ", so it was not saved.";
}

}  // namespace

Outcome PlaneFileEditors::replaceGameFile(std::string action, const fs::path& path,
                                          std::string bytes) {
  const auto name = pathToText(path.filename());
  GameChange change(state_, std::move(action));
  change.setNotDone(name + " was not saved");
  change.replaceWith(path, std::move(bytes));
  auto outcome = game_.commit(change);
  if (outcome.ok() && !outcome.planned) outcome.done = "Saved " + name + ".";
  return outcome;
}

Outcome PlaneFileEditors::LoadPnames() {
  return Outcome::refused("read pnames.str",
                          LoadPnamesFrom(pnameform, DiskGameFiles(state_.GameDir)));
}

Outcome PlaneFileEditors::SavePnames(const EditedNames& edited) {
  const std::string action = "save pnames.str";
  const DiskGameFiles game(state_.GameDir);
  const auto path = pnamesPath(game);
  if (auto missing = missingFile(path); !missing.empty()) {
    return Outcome::refused(action, missing, Icon::Exclamation);
  }
  if (auto error = LoadPnamesFrom(pnameform, game); !error.empty()) {
    return Outcome::refused(action, error);
  }
  for (const auto& [row, name] : edited) {
    if (!pnameform.Grid.setText(row, name)) {
      return Outcome::refused(action, noEntry(pathToText(path.filename()), row));
    }
  }
  auto bytes = pnameform.SavePnames(displayPath(path));
  if (!bytes.ok()) return Outcome::refused(action, bytes.error);
  return replaceGameFile(action, path, std::move(bytes.bytes));
}

Outcome PlaneFileEditors::Pmensee() {
  return Outcome::refused("read a plane menu",
                          PmenseeFrom(pmnuform, DiskGameFiles(state_.GameDir)));
}

Outcome PlaneFileEditors::Pmensee(MenuSide side) {
  pmnuform.setCountryBut(static_cast<int>(side));
  return Pmensee();
}

Outcome PlaneFileEditors::pmenwrite(MenuSide side, const EditedNames& edited) {
  const DiskGameFiles game(state_.GameDir);
  const auto path = menuPath(game, side);
  const auto name = pathToText(path.filename());
  const auto action = "save " + name;
  if (auto missing = missingFile(path); !missing.empty()) {
    return Outcome::refused(action, missing, Icon::Exclamation);
  }
  pmnuform.setCountryBut(static_cast<int>(side));
  if (auto error = PmenseeFrom(pmnuform, game); !error.empty()) {
    return Outcome::refused(action, error);
  }
  for (const auto& [entry, text] : edited) {
    if (entry < 0 || static_cast<std::size_t>(entry) >= menuRecordCount(side)) {
      return Outcome::refused(action, noEntry(name, entry));
    }
    pmnuform.setBmnutb(entry, text);
  }
  auto bytes = pmnuform.pmenwrite(displayPath(path));
  if (!bytes.ok()) return Outcome::refused(action, bytes.error);
  return replaceGameFile(action, path, std::move(bytes.bytes));
}

}  // namespace kvo
