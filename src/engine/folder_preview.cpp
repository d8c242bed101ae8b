#include "engine/deployment_check.h"
#include "engine/folder_engine.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/core.h"

namespace kvo {
namespace fs = std::filesystem;

void FolderEngine::previewRow(int row) {
  auto& st = s_.state;
  if (row == st.lastHoveredRow) return;
  st.lastHoveredRow = row;
  st.MyLabel.clear();
  st.Text9.clear();
  st.MyImage.clear();
  st.ConflictText.clear();
  if (row < 1 || row >= st.Unigrid.rows()) return;
  const auto folder = nameToPath(st.Unigrid.text(row, 0));
  if (st.Unigrid.text(row, 2) != "S") st.ConflictText = conflictSummary(loadConflicts(s_, folder));
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
}

void FolderEngine::resetPreview() {
  auto& st = s_.state;
  st.MyLabel.clear();
  st.ConflictText.clear();
  st.MyImage = st.BackgroundPicture;
  // Coming back to the same row brings its preview back.
  st.lastHoveredRow = -1;
}

}  // namespace kvo
