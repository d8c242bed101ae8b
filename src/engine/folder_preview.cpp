#include "engine/folder_engine.h"
#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

void FolderEngine::previewRow(int row) {
  auto& st = state_;
  if (row == st.lastHoveredRow) return;
  st.lastHoveredRow = row;
  st.MyLabel.clear();
  st.Text9.clear();
  st.MyImage.clear();
  st.ConflictText.clear();
  if (row < 1 || row >= st.Unigrid.rows()) return;
  const auto folder = nameToPath(st.Unigrid.text(row, 0));
  if (const auto contents = findNoCase(folder, "contents.txt"); contents && fileExists(*contents)) {
    std::error_code ec;
    if (auto lines = readTextLines(*contents, ec, read_limit::kDescription)) {
      for (const auto& line : *lines) st.MyLabel += line + "\r\n";
    } else {
      // A modal box on every pointer move would be worse than the note in place of the text.
      st.MyLabel = describeFailure("read", *contents, ec);
    }
    st.Text9 = st.MyLabel;
  }
  const auto pictures = listFiles(folder, "mypic;skinpic;*.jpg;*.bmp;*.gif");
  if (!pictures.empty()) st.MyImage = folder / nameToPath(pictures.front());
  if (st.Unigrid.text(row, 2) != "S") st.ConflictText = conflictText(row);
}

std::string FolderEngine::conflictText(int row) {
  const auto plan = planClick(row);
  if (!plan.ok()) return "It cannot be loaded: " + plan.failure.substr(0, plan.failure.find('\r'));
  std::vector<std::string> replaced;
  for (const auto& mark : plan.changes.marks) {
    if (mark.grid == "Unigrid" && !mark.loaded) replaced.push_back(mark.name);
  }
  std::vector<std::string> overwritten;
  for (const auto& file : plan.changes.files) {
    if (file.kind == StepKind::Copy && file.replaced) overwritten.push_back(file.file);
  }
  const std::string text = replaced.empty() ? "" : "Replaces " + nameList(replaced) + ". ";
  return text + (overwritten.empty() ? "Overwrites no file."
                                     : "Overwrites " + nameList(overwritten) + ".");
}

std::vector<Conflict> FolderEngine::conflictsOf(int row) {
  if (row < 1 || row >= state_.Unigrid.rows()) return {};
  return loadConflicts(state_, game_.listing(), nameToPath(state_.Unigrid.text(row, 0)));
}

void FolderEngine::previewAgain() {
  const int row = state_.lastHoveredRow;
  if (row < 1) return;
  state_.lastHoveredRow = -1;
  previewRow(row);
}

void FolderEngine::resetPreview() {
  auto& st = state_;
  st.MyLabel.clear();
  st.ConflictText.clear();
  st.MyImage = st.BackgroundPicture;
  // Coming back to the same row brings its preview back.
  st.lastHoveredRow = -1;
}

}  // namespace kvo
