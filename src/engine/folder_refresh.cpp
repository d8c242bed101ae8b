#include "engine/folder_engine.h"
#include "planes/alt_planes.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "state/category_table.h"

namespace kvo {
namespace fs = std::filesystem;

Outcome FolderEngine::PopulateFolderGrid() {
  auto& st = state_;
  st.GridReady = false;
  Outcome outcome;
  outcome.action = "Refresh!";
  auto& problems = outcome.passedOver;
  std::error_code ec;
  const auto folders = listFolders(st.SelectorDir, ec);
  if (ec) problems.add(describeFailure("read the folder", st.SelectorDir, ec));
  const auto iniLines = readTextLinesNoting(resolveNoCase(st.SelectorDir, "kvo.ini"), problems,
                                            read_limit::kCategoryTable);
  Problems ignored;
  fillFolderGrid(usableCategoryLines(iniLines, ignored), folders, problems);
  // Replaying a flight-model folder refills the plane grid; its installed planes are marked
  // again so that the next save of the selection keeps them.
  record_.replay(
      record_.names(problems),
      {.folder = [this](const std::string& name) { return replayFolderLine(name); },
       .skin = {},
       .plane = [this](const std::string& name) { return planes_.markLoadedPlane(name); }});
  problems.add(replayProblems_);
  st.Unigrid.visible = true;
  // The rebuilt rows all show, so the filter starts again from "Show ALL" as at start-up
  // rather than go on naming a category it no longer applies.
  List3_Click(0);
  st.GridReady = true;
  outcome.passedOverHeading = "Refresh could not read everything:";
  outcome.done =
      "Refresh! lists " + std::to_string(std::max(st.Unigrid.rows() - 1, 0)) + " mod folders.";
  return outcome;
}

}  // namespace kvo
