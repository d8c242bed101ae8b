#include <algorithm>

#include "planes/skin_files.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr const char* kClickPictures = "mypic;skinpic;*.jpg;*.bmp";
constexpr const char* kHoverPictures = "mypic;skinpic;*.jpg;*.bmp;*.gif";
constexpr const char* kHangOnTitle = "Hang On...........";

}  // namespace

void SkinPanel::showPreview(int row, const char* picturePatterns) {
  auto& st = state_;
  const auto folder = skinFolder(row);
  st.Text10.clear();
  st.Image2 = st.BackgroundPicture;
  if (const auto contents = findNoCase(folder, "contents.txt")) {
    std::error_code ec;
    if (const auto lines = readTextLines(*contents, ec, read_limit::kDescription)) {
      for (const auto& line : *lines) st.Text10 += line + "\r\n";
    } else {
      // A preview must not stop the player with a message box; the box shows why instead.
      st.Text10 = describeFailure("read", *contents, ec);
    }
  }
  const auto pictures = listFiles(folder, picturePatterns);
  if (!pictures.empty()) st.Image2 = folder / nameToPath(pictures.front());
}

void SkinPanel::PreviewSkinRow(int r) {
  auto& st = state_;
  if (!st.SkinGridReady || r < 1 || r >= st.SK1.rows()) return;
  showPreview(r, kClickPictures);
  st.Text3 = st.SK1.text(r, 0);
}

void SkinPanel::SK1_MouseMove(int row) {
  const auto& grid = state_.SK1;
  if (row == lastHoverRow_ || row < 1 || row >= grid.rows() || !grid.rowVisible(row)) return;
  showPreview(row, kHoverPictures);
  lastHoverRow_ = row;
}

Outcome SkinPanel::RenameSkin(int r, const std::string& newName) {
  auto& grid = state_.SK1;
  const std::string oldName = grid.text(r, 0);
  GameChange change(state_, "rename skin " + oldName + " to " + newName);
  const auto refuse = [&](std::string why) {
    return Outcome::refused(change.action(), std::move(why), Icon::Exclamation, kHangOnTitle);
  };
  if (r < 1 || r >= grid.rows()) return refuse("Choose the skin to rename first.");
  if (const auto problem = skinNameProblem(newName); !problem.empty()) return refuse(problem);
  const auto root = resolveNoCase(state_.SelectorDir, "Skinfolder");
  const bool ignoresCase = folderIgnoresCase(root);
  for (int j = 1; j < grid.rows(); ++j) {
    const auto& other = grid.text(j, 0);
    // Where case is ignored, a name differing only in case is the same folder to the system.
    if (other == newName || (ignoresCase && j != r && equalsNoCase(other, newName))) {
      return refuse("This name is already in use");
    }
  }
  change.rename(skinFolder(r), root / nameToPath(newName));
  grid.setText(r, 0, newName);
  // A loaded skin is recorded by name; the record must follow the rename to survive a restart.
  if (grid.text(r, 1) == "S") record_.RecordLoadedFolders(change);
  // The files it put into the game folder stay its own under the new name.
  if (placements_) placements_->planRenameSkin(change, oldName, newName);
  auto outcome = game_.commit(change);
  if (!outcome.ok() || outcome.planned) {
    grid.setText(r, 0, oldName);
    return outcome;
  }
  outcome.done = "Renamed the skin folder " + oldName + " to " + newName + ".";
  return outcome;
}

void SkinPanel::Frame9_MouseMove() {
  state_.Image2 = state_.BackgroundPicture;
}

}  // namespace kvo
