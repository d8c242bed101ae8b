#include "state/game_folder.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/on_cores.h"
#include "platform/path_guard.h"
#include "platform/read_limits.h"
#include "platform/running_game.h"
#include "platform/text_file.h"
#include "state/file_progress.h"
#include "state/history.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// A name below the game folder as the history and a dry run write it, with "\" between parts.
std::string shownBelow(const fs::path& below) {
  auto text = pathToText(below);
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// True when `path` lies below `folder` as the two are spelled; planned paths are built from
// the folders themselves.
bool spelledBelow(const fs::path& folder, const PathText& text) {
  const auto& base = folder.native();
  return text.size() > base.size() + 1 && text.compare(0, base.size(), base) == 0 &&
         (text[base.size()] == fs::path::preferred_separator || text[base.size()] == '/');
}

std::string shownSource(const fs::path& gameDir, const fs::path& source) {
  if (!spelledBelow(gameDir, source.native())) return displayPath(source);
  return shownBelow(fs::path(source.native().substr(gameDir.native().size() + 1)));
}

// The read-only marks that could not be cleared, one name a line. The files the copies read
// without a mark (most of them) are not asked about again.
std::string clearReadOnlyOf(const std::vector<GameChange::FolderFiles>& folders,
                            const std::unordered_set<FileTransaction::PathView>& withoutMarks) {
  std::string names;
  for (const auto& group : folders) {
    const auto& folder = group.folder;
    const auto& files = group.names;
    std::vector<char> failed(files.size(), 0);
    forEachOnCores(files.size(), [&](std::size_t n, bool) {
      try {
        PathText file = folder.native();
        file += fs::path::preferred_separator;
        file += nameToPath(files[n]).native();
        if (withoutMarks.contains(file)) return;
        failed[n] = clearReadOnly(fs::path(std::move(file))) ? 1 : 0;
      } catch (const std::bad_alloc&) {
        failed[n] = 1;
      }
    });
    for (std::size_t n = 0; n < files.size(); ++n) {
      if (failed[n]) names += "\r\n" + files[n];
    }
  }
  return names;
}

// The failure as the player reads it. A change that says what it leaves undone to the file the
// player changed leads with that and the real reason ("eaw.ini was not saved: the disk is
// full."); when the journal or the history failed, the transaction's sentence follows.
std::string failureSentence(const GameChange& change, const TransactionReport& report,
                            std::size_t ownSteps) {
  if (change.notDone().empty() || report.reason.empty()) return report.failure;
  std::string text = change.notDone() + ": " + report.reason + ".";
  if (report.failedStep >= ownSteps) text += "\r\n" + report.failure;
  return text;
}

// Read-only files, a folder on another disk or a disk without links: said once for the load.
std::string copiedInsteadNotice(std::size_t count) {
  return count == 1 ? std::string("1 file was copied, since it could not be linked.")
                    : std::to_string(count) + " files were copied, since they could not be linked.";
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
  changes.files.reserve(live.size());
  const auto& steps = change.steps();
  std::size_t handed = 0;  // the live steps passed so far: the place of the next one
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].dropped) continue;
    // A dry run leaves the prepared steps out of the transaction and shows them as planned.
    const bool inTransaction = handed < live.size() && live[handed] == i;
    if (inTransaction && !transaction.runs(handed++)) continue;
    if (!inTransaction && !steps[i].prepared) continue;
    if (const auto* shown = change.shownAs(i)) {
      changes.files.insert(changes.files.end(), shown->begin(), shown->end());
      continue;
    }
    const auto& step = transaction.checkedStep(handed - 1);
    ChangedFile file{step.kind, shownBelow(step.target), {}, step.targetExisted};
    if (step.kind == StepKind::Copy) file.from = shownSource(state_.GameDir, step.source);
    if (step.kind == StepKind::Rename) file.from = shownBelow(step.source);
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
  // Asked before the steps are handed over, which takes their paths with them.
  const bool touchesTheGame = touchesGame(change);
  FileTransaction transaction(state_.GameDir, journalPath(state_));
  const auto live = planSteps(change, transaction);
  if (live.empty() && (!dryRun_ || change.empty())) {
    outcome.changes.marks = changedMarks(change.marksBefore(), loadedMarks(state_));
    if (!dryRun_ && change.recordShown()) record_.showSelection(*change.recordShown());
    return outcome;
  }
  // The game reads its files while it runs; changing them under it breaks the mission.
  if (touchesTheGame && gameRunningFrom(state_.GameDir)) {
    outcome.failure = kGameRunningText;
    return outcome;
  }
  const std::size_t historyStep = live.size();
  const auto history = historyPath(state_);
  if (!dryRun_) transaction.replaceWith(history, {});
  const auto checked = transaction.check();
  if (!checked.ok()) {
    outcome.failure = failureSentence(change, checked, live.size());
    if (checked.failedStep < live.size()) change.noteFailedStep(live[checked.failedStep]);
    return outcome;
  }
  outcome.changes = changesOf(change, live, transaction);
  if (dryRun_) return outcome;
  // The entry names the steps the check found to do, and is written with them. The older
  // entries are let go before the commit, which a change of many files needs the room for.
  {
    std::error_code ec;
    // A history too large to read is not kept: the new entry starts it again.
    const auto older = readFileBytes(history, ec, read_limit::kHistory).value_or(std::string());
    transaction.setBytes(
        historyStep,
        withHistoryEntry(older, historyEntry(historyTime(), outcome.action, outcome.changes)));
  }
  shell_.changeStarts(outcome.changes);
  commitChecked(change, live, transaction, outcome);
  return outcome;
}

// Hands the live steps of `change` to the transaction; their indexes in planning order. A
// commit takes their paths and bytes over, so that a change of many thousand files holds each
// name once; a dry run copies them, leaving the change as it was for a commit after it. A dry
// run has not prepared what the prepared steps need, so they stay out of its check.
std::vector<std::size_t> GameFolder::planSteps(GameChange& change,
                                               FileTransaction& transaction) const {
  std::vector<std::size_t> live;
  if (dryRun_) {
    const auto& steps = change.steps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const auto& step = steps[i];
      if (step.dropped || step.prepared) continue;
      live.push_back(i);
      transaction.planText(step.kind, step.target, step.source, step.bytes, step.policy, step.by);
      if (step.keepReadOnly) transaction.keepReadOnly(live.size() - 1);
    }
    return live;
  }
  auto& steps = change.stepsForCommit();
  for (std::size_t i = 0; i < steps.size(); ++i) {
    auto& step = steps[i];
    if (step.dropped) continue;
    live.push_back(i);
    transaction.planText(step.kind, std::move(step.target), std::move(step.source),
                         std::move(step.bytes), step.policy, step.by);
    if (step.keepReadOnly) transaction.keepReadOnly(live.size() - 1);
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
  if (const auto stillReadOnly =
          clearReadOnlyOf(change.writableAfter(), transaction.sourcesWithoutMarks());
      !stillReadOnly.empty()) {
    if (!outcome.notice.empty()) outcome.notice += "\r\n";
    outcome.notice +=
        "The folder is loaded, but these of its files stay read-only:" + stillReadOnly;
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
    outcome.failure = failureSentence(change, report, live.size());
    for (const auto& line : report.notPutBack) outcome.failure += "\r\n" + line;
    if (report.failedStep < live.size()) change.noteFailedStep(live[report.failedStep]);
    outcome.changes = {};
    return false;
  }
  for (const auto& line : report.skipped) outcome.passedOver.add(line);
  if (report.copiedInstead > 0) outcome.notice = copiedInsteadNotice(report.copiedInstead);
  return true;
}

std::string shownName(const FormState& state, const fs::path& file) {
  return shownSource(state.GameDir, file);
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
