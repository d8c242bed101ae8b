#include "planes/plane_file_editors.h"

#include "gamefiles/game_folder_files.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {

Outcome PlaneFileEditors::replaceGameFile(std::string action, const std::filesystem::path& path,
                                          std::string bytes) {
  GameChange change(state_, std::move(action));
  change.replaceWith(path, std::move(bytes));
  auto outcome = game_.commit(change);
  if (outcome.ok() && !outcome.planned) {
    outcome.done = "Saved " + pathToText(path.filename()) + ".";
  }
  return outcome;
}

Outcome PlaneFileEditors::LoadPnames() {
  return Outcome::refused("read pnames.str",
                          LoadPnamesFrom(pnameform, DiskGameFiles(state_.GameDir)));
}

Outcome PlaneFileEditors::SavePnames() {
  const auto path = pnamesPath(DiskGameFiles(state_.GameDir));
  auto bytes = pnameform.SavePnames(displayPath(path));
  if (!bytes.ok()) return Outcome::refused("save pnames.str", bytes.error);
  return replaceGameFile("save pnames.str", path, std::move(bytes.bytes));
}

Outcome PlaneFileEditors::Pmensee() {
  return Outcome::refused("read a plane menu",
                          PmenseeFrom(pmnuform, DiskGameFiles(state_.GameDir)));
}

Outcome PlaneFileEditors::pmenwrite() {
  const auto path = menuPath(DiskGameFiles(state_.GameDir), pmnuform.side());
  const auto action = "save " + pathToText(path.filename());
  auto bytes = pmnuform.pmenwrite(displayPath(path));
  if (!bytes.ok()) return Outcome::refused(action, bytes.error);
  return replaceGameFile(action, path, std::move(bytes.bytes));
}

}  // namespace kvo
