#include "engine/engine_batch.h"
#include "engine/folder_engine.h"
#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/category_table.h"
#include "state/core.h"

namespace kvo {
namespace fs = std::filesystem;

void FolderEngine::PopulateFolderGrid() {
  if (busy_) return;
  Batch batch(*this);
  auto& st = s_.state;
  st.GridReady = false;
  Problems problems;
  std::error_code ec;
  const auto folders = listFolders(st.SelectorDir, ec);
  if (ec) problems.add(describeFailure("read the folder", st.SelectorDir, ec));
  const auto iniLines = readTextLinesNoting(resolveNoCase(st.SelectorDir, "kvo.ini"), problems,
                                            read_limit::kCategoryTable);
  Problems ignored;
  fillFolderGrid(usableCategoryLines(iniLines, ignored), folders, problems);
  // Replaying a flight-model folder refills the plane grid; its installed planes are marked
  // again so that the next save of the selection keeps them.
  s_.record.replay(
      s_.record.names(problems),
      {.folder = [this](const std::string& name) { return replayFolderLine(name); },
       .skin = {},
       .plane = [this](const std::string& name) { return planes_.markLoadedPlane(name); }});
  st.Unigrid.visible = true;
  // The rebuilt rows all show, so the filter starts again from "Show ALL" as at start-up
  // rather than go on naming a category it no longer applies.
  List3_Click(0);
  st.GridReady = true;
  problems.report(s_.shell, "Refresh could not read everything:");
}

}  // namespace kvo
