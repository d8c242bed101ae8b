#include "app/category_table.h"
#include "app/selector.h"
#include "engine/engine_batch.h"
#include "engine/folder_engine.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

void FolderEngine::PopulateFolderGrid() {
  if (busy_) return;
  Batch batch(*this);
  auto& st = s_.state;
  st.GridReady = false;
  std::vector<std::string> problems;
  std::error_code ec;
  const auto folders = listFolders(st.SelectorDir, ec);
  if (ec) problems.push_back(describeFailure("read the folder", st.SelectorDir, ec));
  const auto iniLines = readTextLinesNoting(resolveNoCase(st.SelectorDir, "kvo.ini"), problems);
  std::vector<std::string> ignored;
  fillFolderGrid(usableCategoryLines(iniLines, ignored), folders);
  const auto record =
      readTextLinesNoting(resolveNoCase(st.SelectorDir, "FoldersLoaded.txt"), problems);
  for (const auto& line : record) {
    if (!line.empty()) replayFolderLine(line);
  }
  // Replaying a flight-model folder refills the plane grid; its installed planes are marked
  // again so that the next save of the selection keeps them.
  for (const auto& line : record) {
    if (!line.empty()) s_.planes.markLoadedPlane(line);
  }
  st.Unigrid.visible = true;
  st.GridReady = true;
  if (!problems.empty()) {
    std::string text = "Refresh could not read everything:\r\n";
    for (const auto& problem : problems) text += "\r\n" + problem;
    s_.shell.message(text, Icon::Exclamation, "KVO");
  }
}

}  // namespace kvo
