#include "planes/skin_files.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/core.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// A skin folder that cannot be listed (gone, or not a folder any more) must not pass for an
// empty one: the player would believe the skin was loaded or taken out.
std::vector<std::string> skinFiles(const fs::path& folder, Problems& failures) {
  std::error_code ec;
  auto names = listFiles(folder, "*.*", ec);
  if (ec) failures.add(describeFailure("read the folder", folder, ec));
  return names;
}

}  // namespace

fs::path SkinPanel::skinFolder(int row) const {
  const auto& st = s_.state;
  return resolveNoCase(st.SelectorDir, "Skinfolder") / nameToPath(st.SK1.text(row, 0));
}

void SkinPanel::markSkin(int row, bool loaded) {
  auto& st = s_.state;
  st.SK1.setText(row, 1, loaded ? "S" : "");
  st.SK1.setBack(row, 0, loaded ? kLoadedSkin : st.DefaultCellColour);
}

void SkinPanel::unloadSkinFiles(int row, FolderIndex& game, Problems& failures) {
  const auto folder = skinFolder(row);
  for (const auto& name : skinFiles(folder, failures)) {
    if (!skinFileIsDeleted(name, s_.state.Check5)) continue;
    // Game folders copied from Windows hold names in any letter case.
    const auto found = game.find(name);
    if (!found) continue;
    const auto target = game.dir() / nameToPath(*found);
    if (auto ec = deleteFile(target)) {
      failures.add(describeFailure("delete", target, ec));
    } else {
      game.erase(*found);
    }
  }
}

void SkinPanel::copySkinFiles(int row, Problems& failures) {
  const auto folder = skinFolder(row);
  auto& game = s_.gameFolder();
  for (const auto& name : skinFiles(folder, failures)) {
    if (!skinFileIsCopied(name)) continue;
    const auto found = game.find(name);
    const auto target = game.dir() / nameToPath(found ? *found : name);
    if (auto ec = copyFileOver(folder / nameToPath(name), target)) {
      failures.add(describeFailure("copy", folder / nameToPath(name), ec));
    } else if (!found) {
      game.insert(name, false);
    }
  }
}

void SkinPanel::ApplySkinRow() {
  auto& st = s_.state;
  auto& grid = st.SK1;
  const int r = grid.row;
  if (r < 1 || r >= grid.rows()) return;
  Problems failures;
  if (grid.text(r, 1) == "S") {
    unloadSkinFiles(r, s_.gameFolder(), failures);
    markSkin(r, false);
    s_.record.RecordLoadedFolders();
    failures.report(s_.shell, {}, Icon::Critical);
    return;
  }
  if (!grid.text(r, 1).empty()) return;
  const std::string code = grid.text(r, 2);
  auto& game = s_.gameFolder();
  for (int j = 1; j < grid.rows(); ++j) {
    if (j == r || grid.text(j, 2) != code || grid.text(j, 1) != "S") continue;
    unloadSkinFiles(j, game, failures);
    markSkin(j, false);
  }
  copySkinFiles(r, failures);
  // Marked even when a copy failed: the files that did arrive come out again on unload.
  st.SkinGridReady = false;
  markSkin(r, true);
  st.SkinGridReady = true;
  s_.record.RecordLoadedFolders();
  failures.report(s_.shell, {}, Icon::Critical);
}

void SkinPanel::Skinkill() {
  auto& st = s_.state;
  Problems failures;
  auto& game = s_.gameFolder();
  for (int r = 1; r < st.SK1.rows(); ++r) {
    if (st.SK1.text(r, 1) != "S") continue;
    unloadSkinFiles(r, game, failures);
    markSkin(r, false);
  }
  s_.record.RecordLoadedFolders();
  failures.report(s_.shell, {}, Icon::Critical);
}

}  // namespace kvo
