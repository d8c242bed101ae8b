#include "planes/plane_file_editors.h"

#include "gamefiles/game_folder_files.h"
#include "platform/file_ops.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {

bool PlaneFileEditors::refuse(const std::string& text) {
  s_.shell.message(text, Icon::Critical, "KVO");
  return false;
}

bool PlaneFileEditors::replaceGameFile(const std::filesystem::path& path, std::string bytes) {
  GameChange change(s_);
  change.replaceWith(path, std::move(bytes));
  Problems problems;
  if (!change.commit(problems)) return refuse(change.failure());
  problems.report(s_.shell);
  return true;
}

bool PlaneFileEditors::LoadPnames() {
  const auto error = LoadPnamesFrom(pnameform, s_.state.GameDir);
  return error.empty() || refuse(error);
}

bool PlaneFileEditors::SavePnames() {
  const auto path = pnamesPath(s_.state.GameDir);
  auto bytes = pnameform.SavePnames(displayPath(path));
  if (!bytes.ok()) return refuse(bytes.error);
  return replaceGameFile(path, std::move(bytes.bytes));
}

bool PlaneFileEditors::Pmensee() {
  const auto error = PmenseeFrom(pmnuform, s_.state.GameDir);
  return error.empty() || refuse(error);
}

bool PlaneFileEditors::pmenwrite() {
  const auto path = menuPath(s_.state.GameDir, pmnuform.side());
  auto bytes = pmnuform.pmenwrite(displayPath(path));
  if (!bytes.ok()) return refuse(bytes.error);
  return replaceGameFile(path, std::move(bytes.bytes));
}

}  // namespace kvo
