#include <algorithm>

#include "planes/skin_files.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr const char* kClickPictures = "mypic;skinpic;*.jpg;*.bmp";
constexpr const char* kHoverPictures = "mypic;skinpic;*.jpg;*.bmp;*.gif";
constexpr const char* kHangOnTitle = "Hang On...........";

}  // namespace

void SkinPanel::showPreview(int row, const char* picturePatterns) {
  auto& st = s_.state;
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

void SkinPanel::PreviewSkinRow() {
  auto& st = s_.state;
  const int r = st.SK1.row;
  if (!st.SkinGridReady || r < 1 || r >= st.SK1.rows()) return;
  showPreview(r, kClickPictures);
  st.Text3 = st.SK1.text(r, 0);
}

void SkinPanel::SK1_MouseMove(int row) {
  const auto& grid = s_.state.SK1;
  if (row == lastHoverRow_ || row < 1 || row >= grid.rows() || !grid.rowVisible(row)) return;
  showPreview(row, kHoverPictures);
  lastHoverRow_ = row;
}

void SkinPanel::RenameSkin() {
  auto& st = s_.state;
  auto& grid = st.SK1;
  const int r = grid.row;
  const std::string newName = st.Text3;
  if (r < 1 || r >= grid.rows()) {
    s_.shell.message("Choose the skin to rename first.", Icon::Exclamation, kHangOnTitle);
    return;
  }
  if (const auto problem = skinNameProblem(newName); !problem.empty()) {
    s_.shell.message(problem, Icon::Exclamation, kHangOnTitle);
    return;
  }
  const auto root = resolveNoCase(st.SelectorDir, "Skinfolder");
  const bool ignoresCase = folderIgnoresCase(root);
  for (int j = 1; j < grid.rows(); ++j) {
    const auto& other = grid.text(j, 0);
    // Where case is ignored, a name differing only in case is the same folder to the system.
    if (other == newName || (ignoresCase && j != r && equalsNoCase(other, newName))) {
      s_.shell.message("This name is already in use", Icon::Exclamation, kHangOnTitle);
      return;
    }
  }
  const auto from = skinFolder(r);
  const std::string oldName = grid.text(r, 0);
  GameChange change(s_);
  change.rename(from, root / nameToPath(newName));
  grid.setText(r, 0, newName);
  // A loaded skin is recorded by name; the record must follow the rename to survive a restart.
  if (grid.text(r, 1) == "S" && st.GridReady) change.recordSelection();
  Problems problems;
  if (!change.commit(problems)) {
    grid.setText(r, 0, oldName);
    s_.shell.message(change.failure(), Icon::Critical, "KVO");
    return;
  }
  problems.report(s_.shell, {}, Icon::Critical);
}

void SkinPanel::Frame9_MouseMove() {
  s_.state.Image2 = s_.state.BackgroundPicture;
}

}  // namespace kvo
