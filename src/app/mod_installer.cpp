#include "app/mod_installer.h"

#include <algorithm>

#include "engine/folder_engine.h"
#include "planes/skin_panel.h"
#include "platform/listing.h"
#include "scripts/autoscripts.h"

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
  auto result = commitInstall(state_, game_, record_, shell_, plan);
  if (result.ok() && !result.outcome.planned) showInstalled(plan, result.outcome);
  return result;
}

InstallOutcome ModInstaller::install(const InstallRequest& request) {
  auto planning = planInstall(state_, record_, request);
  if (!planning.ok()) {
    InstallOutcome result;
    result.outcome = Outcome::refused(installAction(request.archive), planning.refusal);
    result.categoryUnknown = planning.categoryUnknown;
    return result;
  }
  return install(planning.plan);
}

void ModInstaller::showInstalled(const InstallPlan& plan, Outcome& outcome) {
  const auto refreshed = engine_.PopulateFolderGrid();
  outcome.passedOver.add(refreshed.passedOver);
  const auto folder = firstOfKind(plan, TargetKind::ModFolder);
  if (!folder.empty()) makeCurrentFolder(folder);
  const auto skin = firstOfKind(plan, TargetKind::SkinFolder);
  if (!skin.empty()) skins_.rebuildSkinGrid(skin);
  if (!firstOfKind(plan, TargetKind::Autoscript).empty()) scripts_.refreshScriptLists();
}

void ModInstaller::makeCurrentFolder(const std::string& name) {
  auto& st = state_;
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
