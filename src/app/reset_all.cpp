#include "app/reset_all.h"

#include "engine/clean_up.h"
#include "engine/deployment.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "state/core.h"
#include "state/game_change.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameExe = "eaw.exe";

}  // namespace

// One change: the loaded skins' files, the sweep, the emptied record and the spare eaw.exe.
// A file that cannot be deleted or copied is reported and the rest goes on; only a change
// that cannot start at all (its journal) leaves every mark as it was.
void ResetAll::Command1_Click() {
  auto& st = s_.state;
  st.Label8.clear();
  st.Label8Visible = false;
  const std::string savedCaption = st.caption;
  st.GridReady = true;
  s_.shell.setCaption("Please wait... cleaning up");
  Problems failures;
  GameChange change(s_);
  skins_.planUnloadAll(change, failures);
  const auto spare = spareExe();
  const auto deployed = readDeployment(s_);
  CleanUp(s_.gameFolder(), st.SelectorDir, change, failures, spare ? kGameExe : "");
  addOriginalsBack(change, st, deployed);
  change.replaceWith(deploymentRecordPath(st), DeploymentRecord{}.text(), StepPolicy::BestEffort);
  change.replaceWith(s_.record.path(), "", StepPolicy::BestEffort);
  if (spare) {
    change.copyOver(*spare, s_.gameFolder().resolve(kGameExe), {}, StepPolicy::BestEffort);
  }
  const bool done = change.commit(failures);
  s_.shell.setCaption(savedCaption);
  if (!done) {
    s_.record.showSelection(s_.record.selectionText());
    s_.shell.message(change.failure(), Icon::Critical, "KVO");
    return;
  }
  s_.record.written("");
  unmarkAll();
  failures.report(s_.shell, "Reset All could not do everything:", Icon::Critical);
}

void ResetAll::unmarkAll() {
  auto& st = s_.state;
  unmarkFolders();
  skins_.unmarkAll();
  planes_.forgetRows();
  st.Text2.clear();
  st.GridReady = true;
  st.List1.index = 1;
  skins_.FilterGrids(1);
  st.Frame6Visible = false;
}

void ResetAll::unmarkFolders() {
  auto& grid = s_.state.Unigrid;
  grid.col = 1;
  for (int r = 1; r < grid.rows(); ++r) {
    for (int c = 0; c < grid.cols(); ++c) grid.setBack(r, c, s_.state.DefaultCellColour);
    if (grid.text(r, 2) == "S") grid.setText(r, 2, "");
  }
}

std::optional<fs::path> ResetAll::spareExe() const {
  auto spare = findNoCase(s_.state.SelectorDir, kGameExe);
  if (!spare || !fileExists(*spare)) return std::nullopt;
  return spare;
}

void ResetAll::delmsn_Click() {
  const auto saveDir = resolveNoCase(s_.state.GameDir, "savedata");
  Problems failures;
  GameChange change(s_);
  // Each file is tried once: listing again after a failed delete would never end.
  for (const auto& name : listFiles(saveDir, "Default*.msn")) {
    change.remove(saveDir / nameToPath(name), {}, StepPolicy::BestEffort);
  }
  if (!change.commit(failures)) {
    s_.shell.message(change.failure(), Icon::Critical, "KVO");
    return;
  }
  failures.report(s_.shell, "Del MSN could not delete every default mission:", Icon::Critical);
}

}  // namespace kvo
