#include "app/reset_all.h"

#include <algorithm>

#include "engine/clean_up.h"
#include "engine/deployment.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "planes/state_restore.h"
#include "platform/file_ops.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameExe = "eaw.exe";
constexpr std::string_view kCleaningUp = "Please wait... cleaning up";

std::string fileCount(std::size_t count) {
  if (count == 0) return "no file";
  return count == 1 ? "1 file" : std::to_string(count) + " files";
}

// "a, b and c".
std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) text += i + 1 == parts.size() ? " and " : ", ";
    text += parts[i];
  }
  return text;
}

}  // namespace

Outcome ResetAll::Command1_Click() {
  StateRestore restore(state_, planes_);
  GameChange change(state_, "Reset All");
  planResetAll(change);
  auto outcome = game_.commit(change);
  if (!outcome.ok() || outcome.planned) return outcome;
  restore.keep();
  outcome.done = describe(outcome.changes);
  outcome.passedOverHeading = "Reset All could not do everything:";
  return outcome;
}

// One change: the loaded skins' files, the sweep, the kept originals back, the emptied records
// and the spare eaw.exe. A file that cannot be deleted or copied is passed over.
void ResetAll::planResetAll(GameChange& change) {
  auto& st = state_;
  st.GridReady = true;
  const auto spare = spareExe();
  const auto deployed = readDeployment({st, game_.listing(), change});
  skins_.planUnloadAll(change);
  Problems failures;
  CleanUp(game_.listing(), st.SelectorDir, change, failures, spare ? kGameExe : "",
          std::string(kCleaningUp));
  change.passOver(failures);
  addOriginalsBack(change, st, game_.listing(), deployed);
  change.replaceWith(deploymentRecordPath(st), DeploymentRecord{}.text(), StepPolicy::BestEffort);
  record_.clear(change);
  if (spare) {
    const auto target = change.find(game_.listing(), kGameExe).value_or(std::string(kGameExe));
    change.copyOver(*spare, st.GameDir / nameToPath(target), {}, StepPolicy::BestEffort);
  }
  unmarkAll();
}

std::string ResetAll::describe(const Changes& changes) const {
  std::vector<std::string> parts;
  if (const auto unloaded = changes.unloaded(); !unloaded.empty()) {
    parts.push_back("unloaded " + nameList(unloaded));
  }
  std::size_t deleted = 0;
  bool spareBack = false;
  for (const auto& file : changes.files) {
    // A kept original going back in place of the copy leaves a file of that name.
    const bool putBack = std::ranges::any_of(changes.files, [&](const ChangedFile& other) {
      return other.kind == StepKind::Rename && other.file == file.file;
    });
    if (file.kind == StepKind::Remove && !putBack && file.file.find('\\') == std::string::npos) {
      ++deleted;
    }
    if (file.kind == StepKind::Copy && equalsNoCase(file.file, kGameExe)) spareBack = true;
  }
  parts.push_back("deleted " + fileCount(deleted) + " from the game folder");
  if (spareBack)
    parts.push_back("put eaw.exe back from " + pathToText(state_.SelectorDir.filename()));
  return "Reset All " + joined(parts) + ".";
}

void ResetAll::unmarkAll() {
  auto& st = state_;
  unmarkFolders();
  skins_.unmarkAll();
  planes_.forgetRows();
  st.Text2.clear();
  // The skin grid shows only loaded skins from now on, and none is loaded.
  st.Text3.clear();
  st.Text10.clear();
  st.Image2 = st.BackgroundPicture;
  st.Label8.clear();
  st.Label8Visible = false;
  st.GridReady = true;
  st.List1.index = 1;
  skins_.FilterGrids(1);
  st.Frame6Visible = false;
}

void ResetAll::unmarkFolders() {
  auto& grid = state_.Unigrid;
  grid.col = 1;
  for (int r = 1; r < grid.rows(); ++r) {
    for (int c = 0; c < grid.cols(); ++c) grid.setBack(r, c, state_.DefaultCellColour);
    if (grid.text(r, 2) == "S") grid.setText(r, 2, "");
  }
}

std::optional<fs::path> ResetAll::spareExe() const {
  auto spare = findNoCase(state_.SelectorDir, kGameExe);
  if (!spare || !fileExists(*spare)) return std::nullopt;
  return spare;
}

Outcome ResetAll::delmsn_Click() {
  const auto saveDir = resolveNoCase(state_.GameDir, "savedata");
  GameChange change(state_, "Del MSN");
  const auto missions = listFiles(saveDir, "Default*.msn");
  // Each file is tried once: listing again after a failed delete would never end.
  for (const auto& name : missions) {
    change.remove(saveDir / nameToPath(name), {}, StepPolicy::BestEffort);
  }
  auto outcome = game_.commit(change);
  if (!outcome.ok() || outcome.planned) return outcome;
  outcome.passedOverHeading = "Del MSN could not delete every default mission:";
  const auto folder = pathToText(saveDir.filename());
  std::vector<std::string> deleted;
  for (const auto& file : outcome.changes.files) {
    deleted.push_back(file.file.substr(file.file.find('\\') + 1));
  }
  if (missions.empty()) {
    outcome.done = "Del MSN found no default mission in " + folder + ".";
  } else if (deleted.empty()) {
    outcome.done = "Del MSN deleted no default mission.";
  } else {
    outcome.done = "Del MSN deleted " + nameList(deleted) + " from " + folder + ".";
  }
  return outcome;
}

}  // namespace kvo
