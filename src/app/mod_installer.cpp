#include "app/mod_installer.h"

#include <algorithm>

#include "engine/folder_engine.h"
#include "planes/skin_panel.h"
#include "platform/listing.h"
#include "scripts/autoscripts.h"
#include "state/core.h"

namespace kvo {

namespace {

// The name of the first target of `kind`, as its grid lists it; empty when there is none.
std::string firstOfKind(const InstallPlan& plan, TargetKind kind) {
  const auto found =
      std::find_if(plan.targets.begin(), plan.targets.end(),
                   [kind](const InstallTarget& target) { return target.kind == kind; });
  return found == plan.targets.end() ? std::string() : pathToText(found->path.filename());
}

}  // namespace

InstallOutcome ModInstaller::install(const InstallPlan& plan) {
  auto outcome = commitInstall(s_, plan);
  if (outcome.ok()) showInstalled(plan);
  return outcome;
}

void ModInstaller::showInstalled(const InstallPlan& plan) {
  engine_.PopulateFolderGrid();
  const auto folder = firstOfKind(plan, TargetKind::ModFolder);
  if (!folder.empty()) makeCurrentFolder(folder);
  const auto skin = firstOfKind(plan, TargetKind::SkinFolder);
  if (!skin.empty()) skins_.rebuildSkinGrid(skin);
  if (!firstOfKind(plan, TargetKind::Autoscript).empty()) scripts_.refreshScriptLists();
}

void ModInstaller::makeCurrentFolder(const std::string& name) {
  auto& st = s_.state;
  auto& grid = st.Unigrid;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 1) != name) continue;
    grid.row = r;
    grid.col = 1;
    // "Show ALL" hides the "C-" career sets; their own category shows them.
    if (!grid.rowVisible(r)) {
      const auto code =
          std::find(st.CategoryCodes.begin(), st.CategoryCodes.end(), name.substr(0, 1));
      if (code != st.CategoryCodes.end()) {
        engine_.List3_Click(static_cast<int>(code - st.CategoryCodes.begin()) + 2);
      }
    }
    return;
  }
}

}  // namespace kvo
