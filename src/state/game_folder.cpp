#include "state/game_folder.h"

#include <algorithm>
#include <new>

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/on_cores.h"
#include "platform/path_guard.h"
#include "platform/running_game.h"
#include "platform/text_file.h"
#include "state/file_progress.h"
#include "state/history.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// A name below the game folder as the history and a dry run write it, with "\" between parts.
std::string shownName(const fs::path& below) {
  auto text = pathToText(below);
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// True when `path` lies below `folder` as the two are spelled; planned paths are built from
// the folders themselves.
bool spelledBelow(const fs::path& folder, const fs::path& path) {
  const auto& base = folder.native();
  const auto& text = path.native();
  return text.size() > base.size() + 1 && text.compare(0, base.size(), base) == 0 &&
         (text[base.size()] == fs::path::preferred_separator || text[base.size()] == '/');
}

std::string shownSource(const fs::path& gameDir, const fs::path& source) {
  if (!spelledBelow(gameDir, source)) return displayPath(source);
  return shownName(fs::path(source.native().substr(gameDir.native().size() + 1)));
}

// The read-only marks that could not be cleared, one name a line.
std::string clearReadOnlyOf(const std::vector<fs::path>& files) {
  std::vector<char> failed(files.size(), 0);
  forEachOnCores(files.size(), [&](std::size_t n, bool) {
    try {
      failed[n] = clearReadOnly(files[n]) ? 1 : 0;
    } catch (const std::bad_alloc&) {
      failed[n] = 1;
    }
  });
  std::string names;
  for (std::size_t n = 0; n < files.size(); ++n) {
    if (failed[n]) names += "\r\n" + pathToText(files[n].filename());
  }
  return names;
}

}  // namespace

FolderIndex& GameFolder::listing() {
  if (!listing_ || listing_->dir() != state_.GameDir || listing_->stale()) {
    listing_.emplace(state_.GameDir);
  }
  return *listing_;
}

bool GameFolder::touchesGame(const GameChange& change) const {
  for (const auto& step : change.steps()) {
    if (step.dropped) continue;
    if (!spelledBelow(state_.SelectorDir, step.target)) return true;
    if (step.kind == StepKind::Rename && !spelledBelow(state_.SelectorDir, step.source)) {
      return true;
    }
  }
  return false;
}

Changes GameFolder::changesOf(const GameChange& change, const std::vector<std::size_t>& live,
                              const FileTransaction& transaction) const {
  Changes changes;
  for (std::size_t i = 0; i < live.size(); ++i) {
    if (!transaction.runs(i)) continue;
    const auto& step = transaction.checkedStep(i);
    ChangedFile file{step.kind, shownName(step.target), {}, step.targetExisted};
    if (step.kind == StepKind::Copy) file.from = shownSource(state_.GameDir, step.source);
    if (step.kind == StepKind::Rename) file.from = shownName(step.source);
    changes.files.push_back(std::move(file));
  }
  changes.marks = changedMarks(change.marksBefore(), loadedMarks(state_));
  return changes;
}

Outcome GameFolder::commit(GameChange& change) {
  Outcome outcome;
  outcome.action = change.action();
  outcome.planned = dryRun_;
  outcome.passedOver.add(change.passedOver());
  FileTransaction transaction(state_.GameDir, journalPath(state_));
  const auto live = planSteps(change, transaction);
  if (live.empty()) {
    outcome.changes.marks = changedMarks(change.marksBefore(), loadedMarks(state_));
    if (!dryRun_ && change.recordShown()) record_.showSelection(*change.recordShown());
    return outcome;
  }
  // The game reads its files while it runs; changing them under it breaks the mission.
  if (touchesGame(change) && gameRunningFrom(state_.GameDir)) {
    outcome.failure = kGameRunningText;
    return outcome;
  }
  const std::size_t historyStep = live.size();
  const auto history = historyPath(state_);
  if (!dryRun_) transaction.replaceWith(history, {});
  const auto checked = transaction.check();
  if (!checked.ok()) {
    outcome.failure = checked.failure;
    if (checked.failedStep < live.size()) change.noteFailedStep(live[checked.failedStep]);
    return outcome;
  }
  outcome.changes = changesOf(change, live, transaction);
  if (dryRun_) return outcome;
  // The entry names the steps the check found to do, and is written with them.
  std::error_code ec;
  const auto older = readFileBytes(history, ec).value_or(std::string());
  transaction.setBytes(
      historyStep,
      withHistoryEntry(older, historyEntry(historyTime(), outcome.action, outcome.changes)));
  commitChecked(change, live, transaction, outcome);
  return outcome;
}

// Hands the live steps of `change` to the transaction; their indexes in planning order.
std::vector<std::size_t> GameFolder::planSteps(const GameChange& change,
                                               FileTransaction& transaction) {
  const auto& steps = change.steps();
  std::vector<std::size_t> live;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const auto& step = steps[i];
    if (step.dropped) continue;
    live.push_back(i);
    switch (step.kind) {
      case StepKind::Copy:
        transaction.copyOver(step.source, step.target, step.policy);
        break;
      case StepKind::Remove:
        transaction.remove(step.target, step.policy);
        break;
      case StepKind::Rename:
        transaction.rename(step.source, step.target, step.policy);
        break;
      case StepKind::Replace:
        transaction.replaceWith(step.target, step.bytes, step.policy);
        break;
      case StepKind::CreateFolder:
        transaction.createFolder(step.target, step.policy);
        break;
    }
  }
  return live;
}

void GameFolder::commitChecked(GameChange& change, const std::vector<std::size_t>& live,
                               FileTransaction& transaction, Outcome& outcome) {
  if (!runSteps(change, live, transaction, outcome)) return;
  for (auto& line : transaction.finish()) outcome.passedOver.add(std::move(line));
  if (!outcome.passedOver.empty()) outcome.changes = changesOf(change, live, transaction);
  if (change.recordShown()) {
    const auto at = std::find(live.begin(), live.end(), change.recordStep());
    if (at != live.end() && transaction.runs(static_cast<std::size_t>(at - live.begin()))) {
      record_.written(*change.recordShown());
    } else {
      record_.showSelection(*change.recordShown());
    }
  }
  // The folder's own files lose their read-only mark too, as the game's tools expect.
  if (const auto stillReadOnly = clearReadOnlyOf(change.writableAfter()); !stillReadOnly.empty()) {
    outcome.notice = "The folder is loaded, but these of its files stay read-only:" + stillReadOnly;
  }
}

// Commits with the steps' captions and a progress bar; false when nothing changed.
bool GameFolder::runSteps(GameChange& change, const std::vector<std::size_t>& live,
                          FileTransaction& transaction, Outcome& outcome) {
  const auto& steps = change.steps();
  int through = 0;
  FileProgress progress(state_, shell_, static_cast<int>(transaction.size()));
  // Deletes after the commit point report last, so the bar counts steps as they come.
  const auto report = transaction.commit([&](std::size_t step, std::size_t) {
    if (step == 0 || step > live.size()) return;
    ++through;
    const auto& caption = steps[live[step - 1]].caption;
    if (!caption.empty()) progress.step(caption, through);
  });
  // Whatever happened, the game folder is not what the listing says any more.
  forgetListing();
  if (!report.ok()) {
    outcome.failure = report.failure;
    for (const auto& line : report.notPutBack) outcome.failure += "\r\n" + line;
    if (report.failedStep < live.size()) change.noteFailedStep(live[report.failedStep]);
    outcome.changes = {};
    return false;
  }
  for (const auto& line : report.skipped) outcome.passedOver.add(line);
  return true;
}

std::string writeSelectorFile(const FormState& state, const fs::path& file, std::string bytes) {
  std::error_code ec;
  if (entryKind(file, ec) == EntryKind::Link) {
    return describeFailure("write", file, Refusal::TargetIsLink);
  }
  FileTransaction transaction(state.GameDir, journalPath(state));
  transaction.replaceWith(file, std::move(bytes));
  const auto report = transaction.commit();
  if (!report.ok()) return report.failure;
  const auto left = transaction.finish();
  return left.empty() ? std::string() : left.front();
}

}  // namespace kvo
