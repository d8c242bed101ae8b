#include "app/reset_all.h"

#include <algorithm>
#include <set>

#include "engine/clean_up.h"
#include "engine/deployment.h"
#include "engine/folder_plan.h"
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
  const auto deployed = readDeployment({state_, game_.listing(), change});
  planResetAll(change);
  auto outcome = game_.commit(change);
  if (!outcome.ok() || outcome.planned) return outcome;
  restore.keep();
  if (!outcome.passedOver.empty()) keepWhatStayed(deployed, outcome);
  outcome.done = describe(outcome.changes);
  outcome.passedOverHeading = "Reset All could not do everything:";
  return outcome;
}

std::string ResetAll::confirmation() {
  const GameChange nothingYet(state_, {});
  const auto deployed = readDeployment({state_, game_.listing(), nothingYet});
  Outcome planned;
  {
    StateRestore restore(state_, planes_);
    GameChange change(state_, "Reset All");
    planResetAll(change);
    const DryRun dryRun(game_);
    planned = game_.commit(change);
  }
  std::size_t deleted = 0;
  std::vector<std::string> gameOwn;
  for (const auto& file : planned.changes.files) {
    if (file.kind != StepKind::Remove) continue;
    const bool putBack = std::ranges::any_of(planned.changes.files, [&](const ChangedFile& other) {
      return other.kind == StepKind::Rename && other.file == file.file;
    });
    if (putBack) continue;
    ++deleted;
    const auto* entry = deployed.find(file.file);
    if (!entry || entry->original != Original::None) gameOwn.push_back(file.file);
  }
  std::string text =
      "Reset All unloads everything and deletes " + fileCount(deleted) + " from the game folder";
  if (!gameOwn.empty()) {
    text += ", among them " + std::to_string(gameOwn.size()) + " that no load or install put " +
            "there: " + nameList(gameOwn, 6);
  }
  return text + ". Go on?";
}

Outcome ResetAll::confirmedReset(Shell& shell) {
  if (!shell.ask(confirmation(), "Reset All")) return {};
  return Command1_Click();
}

// One change: the loaded skins' files, the sweep, the kept originals back, the emptied records
// and the spare eaw.exe. A file that cannot be deleted or copied is passed over.
void ResetAll::planResetAll(GameChange& change) {
  auto& st = state_;
  st.GridReady = true;
  const auto spare = spareExe();
  const auto deployed = readDeployment({st, game_.listing(), change});
  skins_.planUnloadAll(change, true);
  if (st.KeepOriginals) {
    planGiveBack(change);
  } else {
    Problems failures;
    CleanUp(game_.listing(), st.SelectorDir, change, failures, spare ? kGameExe : "",
            std::string(kCleaningUp));
    change.passOver(failures);
    addOriginalsBack(change, st, game_.listing(), deployed);
    planRecordedDeletes(change, deployed);
    change.replaceWith(deploymentRecordPath(st), DeploymentRecord{}.text(), StepPolicy::BestEffort);
  }
  record_.clear(change);
  if (spare) {
    const auto target = change.find(game_.listing(), kGameExe).value_or(std::string(kGameExe));
    change.copyOver(*spare, st.GameDir / nameToPath(target), {}, StepPolicy::BestEffort);
  }
  unmarkAll();
}

// Every loaded folder unloads and every skin's and install's file goes through the record, so
// that the game folder is what it was before: kept game files back, nothing else swept.
void ResetAll::planGiveBack(GameChange& change) {
  const auto& st = state_;
  const auto& listing = game_.listing();
  const PlannedFolder at{st, listing, change};
  auto record = readDeployment(at);
  std::vector<UnloadPlan> unloads;
  std::set<std::string> unloading;
  const auto& grid = st.Unigrid;
  for (int r = 1; r < grid.rows(); ++r) {
    if (grid.text(r, 2) != "S") continue;
    auto plan = planUnload(nameToPath(grid.text(r, 0)), at);
    change.passOver(plan.problems);
    if (!plan.refusal.empty()) {
      change.passOver(plan.refusal);
      continue;
    }
    unloading.insert(plan.folder);
    unloads.push_back(std::move(plan));
  }
  // Skins unloaded earlier without their flight files still own them, and what an unfinished
  // Reset All left is still its provider's.
  for (const auto& entry : record.files()) {
    for (const auto& provider : entry.providers) {
      const bool unmarked = !skinOf(provider).empty() || baseProvider(provider) != provider;
      if (unmarked && unloading.insert(provider).second) {
        UnloadPlan plan;
        plan.folder = provider;
        unloads.push_back(std::move(plan));
      }
    }
  }
  addDeployment(change, st, listing, record, unloads, {});
}

// Without the store, what the record says a load put into the game folder goes as well, also
// where no pattern of the sweep names it; the game's own files it replaced stay.
void ResetAll::planRecordedDeletes(GameChange& change, const DeploymentRecord& deployed) {
  DeployedLookup lookup(state_, game_.listing(), change);
  for (const auto& entry : deployed.files()) {
    const auto name = recordFileName(entry.file);
    if (entry.original != Original::None || isSaveName(name) || isProtectedFromCleanUp(name)) {
      continue;
    }
    const auto found = lookup.find(entry.file);
    if (found.path) change.remove(*found.path, std::string(kCleaningUp), StepPolicy::BestEffort);
  }
}

// A Reset All that could not do everything keeps in the record what it left in the game folder
// (a copy it could not delete, a kept game file it could not put back), so that a later one
// still takes it away and puts the game's own file back.
void ResetAll::keepWhatStayed(const DeploymentRecord& before, Outcome& outcome) {
  game_.forgetListing();
  const GameChange nothingYet(state_, {});
  DeployedLookup lookup(state_, game_.listing(), nothingYet);
  DeploymentRecord left;
  for (const auto& entry : before.files()) {
    if (entry.providers.empty() || entry.original == Original::Replaced) continue;
    const bool stored =
        entry.original == Original::Kept && fileExists(storedOriginal(state_, entry.file));
    const bool copy = entry.original == Original::None && lookup.find(entry.file).path;
    if (!stored && !copy) continue;
    auto& kept = left.entry(entry.file);
    kept.original = entry.original;
    kept.providers = {leftProvider(entry.providers.back())};
  }
  if (left.files().empty()) return;
  if (auto failure = writeSelectorFile(state_, deploymentRecordPath(state_), left.text());
      !failure.empty()) {
    outcome.passedOver.add(failure);
  }
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
