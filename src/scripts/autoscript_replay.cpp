#include "engine/folder_engine.h"
#include "planes/alt_planes.h"
#include "planes/skin_panel.h"
#include "planes/state_restore.h"
#include "platform/listing.h"
#include "scripts/autoscripts.h"
#include "scripts/script_files.h"
#include "scripts/set_entries.h"

namespace kvo {

namespace {

std::string counted(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::size_t marksIn(const Changes& changes, std::string_view grid, bool loaded) {
  std::size_t count = 0;
  for (const auto& mark : changes.marks) count += mark.grid == grid && mark.loaded == loaded;
  return count;
}

}  // namespace

Outcome Autoscripts::PreviewAutoscript(const std::string& file, bool withPlan) {
  auto& st = state_;
  st.List2.clear();
  st.ScriptPlan.clear();
  if (file.empty()) return {};
  std::string problem;
  const auto entries = readScriptEntries(scriptsDir() / nameToPath(file), problem);
  if (!entries) return Outcome::refused("preview " + file, problem, Icon::Exclamation);
  for (const auto& entry : *entries) st.List2.items.push_back(entryName(entry));
  if (!withPlan) return {};
  const DryRun dry(game_);
  st.ScriptPlan = setPlanSummary(RunAutoscript(st.List2.items));
  return {};
}

Outcome Autoscripts::RunAutoscript(const std::vector<std::string>& entries) {
  if (entries.empty()) return {};
  return ApplySet(entries, "run autoscript");
}

Outcome Autoscripts::RunAutoscriptFile(const std::string& file) {
  if (file.empty()) return {};
  auto read = PreviewAutoscript(file, false);
  if (!read.ok()) return read;
  return RunAutoscript(state_.List2.items);
}

Outcome Autoscripts::ApplySet(std::span<const std::string> entries, std::string action,
                              const std::function<void(GameChange&)>& planFirst) {
  StateRestore restore(state_, planes_);
  GameChange change(state_, std::move(action));
  if (planFirst) planFirst(change);
  if (auto why = planSet(entries, change); !why.empty()) {
    return Outcome::refused(change.action(), why);
  }
  record_.RecordLoadedFolders(change);
  auto outcome = game_.commit(change);
  if (!outcome.ok()) {
    const auto& entry = change.failedOrigin();
    outcome.failure += "\r\n\r\n" + (entry.empty() ? "" : "The entry " + entry + " failed, so ") +
                       "nothing of this set was loaded; the game folder is as it was.";
    return outcome;
  }
  if (!outcome.planned) restore.keep();
  outcome.done = selectionSentence(outcome.changes);
  if (outcome.done.empty()) outcome.done = "Everything the set names is loaded already.";
  outcome.passedOverHeading = "The set is loaded, but not everything could be done:";
  return outcome;
}

std::string Autoscripts::planSet(std::span<const std::string> entries, GameChange& change) {
  for (const auto& entry : entries) {
    const auto key = entryKey(entry);
    if (key.empty()) continue;
    change.setOrigin(entry);
    auto why = applyFolders(key, change);
    if (why.empty()) why = applySkins(key, change);
    // Tested for every entry: a flight-model folder listed earlier has shown its planes.
    if (why.empty() && state_.Frame6Visible) why = applyPlanes(key, change);
    if (!why.empty()) {
      return why + "\r\n\r\nThe entry " + entry +
             " cannot be loaded, so nothing of this set was loaded; the game folder is as it was.";
    }
  }
  change.setOrigin({});
  return {};
}

std::string Autoscripts::applyFolders(const std::string& key, GameChange& change) {
  const auto& grid = state_.Unigrid;
  const int rows = grid.rows();
  for (int r = 1; r < rows; ++r) {
    if (entryKey(grid.text(r, 1)) != key || !grid.text(r, 2).empty()) continue;
    if (auto why = engine_.planRowClick(r, change); !why.empty()) return why;
  }
  return {};
}

std::string Autoscripts::applySkins(const std::string& key, GameChange& change) {
  const auto& grid = state_.SK1;
  const int rows = grid.rows();
  for (int r = 1; r < rows; ++r) {
    if (entryKey(grid.text(r, 0)) != key || !grid.text(r, 1).empty()) continue;
    if (auto why = skins_.planSkinRow(r, change); !why.empty()) return why;
  }
  return {};
}

std::string Autoscripts::applyPlanes(const std::string& key, GameChange& change) {
  const auto& grid = state_.G1;
  const int rows = grid.rows();
  // Row 0 is the heading, never a plane.
  for (int r = 1; r < rows; ++r) {
    if (entryKey(grid.text(r, 0)) != key || !grid.text(r, 4).empty()) continue;
    if (auto why = planes_.planPlaneRow(r, change); !why.empty()) return why;
  }
  return {};
}

std::string setPlanSummary(const Outcome& plan) {
  if (!plan.ok()) return "It cannot be loaded: " + plan.failure.substr(0, plan.failure.find('\r'));
  const auto& changes = plan.changes;
  if (changes.empty()) return "Everything it names is loaded already, or matches nothing.";
  std::string text =
      "Loading it unloads " + counted(marksIn(changes, "Unigrid", false), "folder", "folders") +
      " and loads " + counted(marksIn(changes, "Unigrid", true), "folder", "folders");
  if (const auto skins = marksIn(changes, "SK1", true))
    text += ", " + counted(skins, "skin", "skins");
  if (const auto planes = marksIn(changes, "G1", true)) {
    text += ", " + counted(planes, "plane", "planes");
  }
  std::vector<std::string> replaced;
  for (const auto& file : changes.files) {
    const auto top = toUpperAscii(file.file.substr(0, file.file.find('\\') + 1));
    const bool ours = top == "KVO128\\" || top == "KVO ORIGINALS\\";
    const bool writes = file.kind == StepKind::Copy || file.kind == StepKind::Replace;
    if (writes && file.replaced && !ours) replaced.push_back(file.file);
  }
  text += ". It replaces ";
  return text + (replaced.empty() ? "no game file." : nameList(replaced) + ".");
}

}  // namespace kvo
