#include "transaction/transaction.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

#include "platform/entry_ops.h"
#include "platform/failure_words.h"
#include "platform/file_names.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/on_cores.h"
#include "transaction/fresh_copies.h"
#include "transaction/kill_point.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool isFileOrLink(EntryKind kind) {
  return kind == EntryKind::File || kind == EntryKind::Link;
}

std::error_code errc(std::errc value) {
  return std::make_error_code(value);
}

// Whether the journal can hold the name: on Windows one that is no proper UTF-16 cannot be
// written as UTF-8; elsewhere a name is bytes, kept as they are.
bool journalCanRecord(const fs::path& path) {
#ifdef _WIN32
  std::string text;
  return pathToJournalText(path, text);
#else
  (void)path;
  return true;
#endif
}

// The key of a planned path, without taking the text apart where it is its own key already:
// planned paths are absolute and normal, and on Linux names are told apart as spelled.
std::string keyOf(const fs::path::string_type& text) {
#ifdef _WIN32
  return pathKey(fs::path(text));
#else
  return isLexicallyNormal(text) ? text : pathKey(fs::path(text));
#endif
}

// The key of `text`, as a view of the text itself where it is its own key, else made in
// `scratch`.
std::string_view keyView(const fs::path::string_type& text, std::string& scratch) {
#ifndef _WIN32
  if (isLexicallyNormal(text)) return text;
#endif
  scratch = keyOf(text);
  return scratch;
}

}  // namespace

fs::path journalFileIn(const fs::path& selectorDir) {
  return selectorDir / "kvo.journal";
}

FileTransaction::FileTransaction(fs::path root, fs::path journalFile)
    : root_(absoluteNormal(root)), journalFile_(absoluteNormal(journalFile)) {}

FileTransaction::~FileTransaction() {
  if (stage_ == Stage::Committed) finish();
}

void FileTransaction::copyOver(const fs::path& from, const fs::path& to, StepPolicy policy) {
  plan(StepKind::Copy, to, from, {}, policy);
}

void FileTransaction::linkOver(const fs::path& from, const fs::path& to, StepPolicy policy) {
  planText(StepKind::Copy, to.native(), from.native(), {}, policy, CopyBy::Link);
}

void FileTransaction::remove(const fs::path& path, StepPolicy policy) {
  plan(StepKind::Remove, path, {}, {}, policy);
}

void FileTransaction::rename(const fs::path& from, const fs::path& to, StepPolicy policy) {
  plan(StepKind::Rename, to, from, {}, policy);
}

void FileTransaction::replaceWith(const fs::path& path, std::string bytes, StepPolicy policy) {
  plan(StepKind::Replace, path, {}, std::move(bytes), policy);
}

void FileTransaction::keepReadOnly(std::size_t index) {
  if (index < plan_.size()) plan_[index].keepReadOnly = true;
}

void FileTransaction::createFolder(const fs::path& path, StepPolicy policy) {
  plan(StepKind::CreateFolder, path, {}, {}, policy);
}

bool FileTransaction::runs(std::size_t index) const {
  const auto& planned = plan_.at(index);
  if (planned.skip) return false;
  return stage_ != Stage::Committed && stage_ != Stage::Over ? stage_ == Stage::Checked
                                                             : planned.done || planned.afterCommit;
}

void FileTransaction::setBytes(std::size_t index, std::string bytes) {
  auto& planned = plan_.at(index);
  if (planned.step.kind != StepKind::Replace || stage_ == Stage::Committed ||
      stage_ == Stage::Over) {
    return;
  }
  planned.step.size = bytes.size();
  planned.step.hash = journalHash(bytes);
  planned.bytes = std::move(bytes);
}

void FileTransaction::plan(StepKind kind, const fs::path& target, const fs::path& source,
                           std::string bytes, StepPolicy policy) {
  planText(kind, target.native(), source.native(), std::move(bytes), policy);
}

void FileTransaction::planText(StepKind kind, fs::path::string_type target,
                               fs::path::string_type source, std::string bytes, StepPolicy policy,
                               CopyBy by) {
  if (stage_ == Stage::Committed || stage_ == Stage::Over) return;
  stage_ = Stage::Planning;
  Planned planned;
  planned.step.kind = kind;
  planned.step.bestEffort = policy == StepPolicy::BestEffort;
  planned.step.link = kind == StepKind::Copy && by == CopyBy::Link;
  planned.target = absoluteNormalText(std::move(target));
  if (!source.empty()) planned.source = absoluteNormalText(std::move(source));
  if (kind == StepKind::Replace) {
    planned.step.size = bytes.size();
    planned.step.hash = journalHash(bytes);
  }
  planned.bytes = std::move(bytes);
  plan_.push_back(std::move(planned));
}

TransactionReport FileTransaction::check() {
  if (stage_ == Stage::Committed || stage_ == Stage::Over) return checkReport_;
  checkReport_ = {};
  checkedFolders_.clear();
  writableFolders_.clear();
  plannedFolders_.clear();
  lastFolderPassed_.clear();
  touched_.clear();
  renamedAway_.clear();
  removedAway_.clear();
  stage_ = Stage::Checked;
  if (plan_.empty()) return checkReport_;
  if (auto ec = checkJournal()) {
    checkReport_.failure = describeFailure("write", journalFile_, ec);
    checkReport_.reason = failureReason(ec);
    return checkReport_;
  }
  // No step may change the journal.
  touched_.insert(NameSlots::hashOf(pathKey(journalFile_)), static_cast<std::uint64_t>(plan_.size())
                                                                << 1);
  const auto probes = probeEntries();
  // Only a rename asks which names the steps before it freed.
  const bool renames = std::any_of(plan_.begin(), plan_.end(), [](const Planned& planned) {
    return planned.step.kind == StepKind::Rename;
  });
  for (std::size_t i = 0; i < plan_.size(); ++i) {
    auto& planned = plan_[i];
    planned.skip = false;
    planned.sourceUnmarked = probes[i].source.nothingToClear;
    auto ec = checkStep(planned, probes[i]);
    if (!ec) ec = checkTouchedOnce(i, false);
    if (!ec && planned.step.kind == StepKind::Rename) {
      ec = checkTouchedOnce(i, true);
      if (!ec) renamedAway_.insert(keyOf(planned.source));
    }
    if (!ec && planned.step.kind == StepKind::Remove && renames) {
      removedAway_.insert(keyOf(planned.target));
    }
    if (!ec) continue;
    planned.skip = true;
    if (!planned.step.bestEffort) {
      checkReport_.failure = failureOf(planned, ec);
      checkReport_.reason = failureReason(ec);
      checkReport_.failedStep = i;
      dropCheckBookkeeping();
      return checkReport_;
    }
    checkReport_.skipped.push_back(failureOf(planned, ec));
  }
  dropCheckBookkeeping();
  return checkReport_;
}

// What the check kept of every name is of no use once it is over, and a change of 100,000
// files needs the room for its journal and its history.
void FileTransaction::dropCheckBookkeeping() {
  touched_.clear();
  decltype(renamedAway_)().swap(renamedAway_);
  decltype(removedAway_)().swap(removedAway_);
}

// A change of thousands of files waits on the file system for each of them: asked on every
// core at once, the answers come in a fraction of the time, and nothing is changed by asking.
std::vector<FileTransaction::Probes> FileTransaction::probeEntries() const {
  std::vector<Probes> probes(plan_.size());
  // In runs of neighbouring steps, which mostly share their folders: each run's probers keep
  // the folders open that its steps' targets and sources lie in.
  constexpr std::size_t kRun = 256;
  forEachOnCores((plan_.size() + kRun - 1) / kRun, [&](std::size_t run, bool) {
    Probers probers;
    const auto end = std::min(plan_.size(), (run + 1) * kRun);
    for (auto n = run * kRun; n < end; ++n) {
      try {
        probes[n] = probeStep(plan_[n], probers);
      } catch (const std::bad_alloc&) {
        probes[n].target.ec = errc(std::errc::not_enough_memory);
      }
    }
  });
  return probes;
}

FileTransaction::Probes FileTransaction::probeStep(const Planned& planned, Probers& probers) {
  Probes probes;
  probes.target.kind = probers.targets.facts(planned.target, probes.target.ec).kind;
  const auto kind = planned.step.kind;
  if (kind != StepKind::Copy && kind != StepKind::Rename) return probes;
  auto& source = probes.source;
  // A copy checked before keeps its source in its step.
  const auto& path = planned.source.empty() ? planned.step.source : planned.source;
  const auto facts = probers.sources.facts(path, source.ec);
  source.kind = facts.kind;
  source.nothingToClear = facts.nothingToClear;
  if (kind == StepKind::Copy && !source.ec && source.kind == EntryKind::File &&
      !facts.surelyReadable) {
    source.unreadable = fileReadable(fs::path(path));
  }
  return probes;
}

std::error_code FileTransaction::checkJournal() {
  if (auto ec = checkPlace(root_, journalFile_, &checkedFolders_)) return ec;
  std::error_code ec;
  if (entryKind(journalFile_, ec) != EntryKind::None) return Refusal::EarlierChangePending;
  if (ec) return ec;
  return checkFolderOf(journalFile_);
}

std::error_code FileTransaction::checkStep(Planned& planned, const Probes& probes) {
  auto& step = planned.step;
  if (auto ec = checkTarget(planned, probes.target)) return ec;
  if (step.kind == StepKind::Copy || step.kind == StepKind::Rename) {
    if (auto ec = checkSource(planned, probes.source)) return ec;
  }
  if (step.kind == StepKind::CreateFolder) {
    plannedFolders_.insert(keyOf(planned.target));
    if (step.targetExisted) planned.skip = true;
    return {};
  }
  if (step.kind == StepKind::Remove && !step.targetExisted) {
    planned.skip = true;  // nothing to delete
    return {};
  }
  return checkFolderOf(planned.target);
}

std::error_code FileTransaction::checkTarget(Planned& planned, const Probe& probe) {
  auto& step = planned.step;
  auto below = pathBelow(root_, planned.target);
  if (!below) return Refusal::Outside;
  step.target = std::move(*below);
  if (auto ec = checkPlaceBelow(root_, step.target, &checkedFolders_)) return ec;
  if (!journalCanRecord(step.target)) return Refusal::NotRecordable;
  // A name Windows cannot hold would be a trap for the game and the next load (a name with
  // "\" stands for a path there); deleting one that is there already stays possible.
  if (step.kind != StepKind::Remove &&
      !windowsNameProblem(pathToText(step.target.filename())).empty()) {
    return Refusal::ForbiddenName;
  }
  if (probe.ec) return probe.ec;
  const auto kind = probe.kind;
  switch (step.kind) {
    case StepKind::Copy:
    case StepKind::Replace:
    case StepKind::Remove:
      if (kind == EntryKind::Folder) return errc(std::errc::is_a_directory);
      if (kind == EntryKind::Other) return errc(std::errc::invalid_argument);
      step.targetExisted = isFileOrLink(kind);
      return {};
    case StepKind::Rename:
      // A name an earlier rename frees may take the next one (a swap of two folders).
      if (kind != EntryKind::None && !renamedAway_.contains(keyOf(planned.target)) &&
          !removedAway_.contains(keyOf(planned.target))) {
        return errc(std::errc::file_exists);
      }
      return {};
    case StepKind::CreateFolder:
      if (kind != EntryKind::None && kind != EntryKind::Folder) {
        return errc(std::errc::not_a_directory);
      }
      step.targetExisted = kind == EntryKind::Folder;
      return {};
  }
  return {};
}

std::error_code FileTransaction::checkSource(Planned& planned, const Probe& probe) {
  auto& step = planned.step;
  if (probe.ec) return probe.ec;
  const auto kind = probe.kind;
  if (step.kind == StepKind::Rename) {
    const auto below = pathBelow(root_, planned.source);
    if (!below) return Refusal::Outside;
    step.source = below->native();
    if (auto placeEc = checkPlace(root_, planned.source, &checkedFolders_)) return placeEc;
    if (kind == EntryKind::None) return errc(std::errc::no_such_file_or_directory);
  } else {
    if (kind == EntryKind::Link) return Refusal::SourceIsLink;
    if (kind == EntryKind::None) return errc(std::errc::no_such_file_or_directory);
    if (kind == EntryKind::Folder) return errc(std::errc::is_a_directory);
    if (kind != EntryKind::File) return errc(std::errc::invalid_argument);
    if (probe.unreadable) return probe.unreadable;
    // Held once, in the step: a load of many thousand files keeps each name once.
    if (!planned.source.empty()) step.source = std::move(planned.source);
  }
  if (!journalCanRecord(step.source)) return Refusal::NotRecordable;
  return {};
}

std::error_code FileTransaction::checkFolderOf(const fs::path::string_type& path) {
#ifndef _WIN32
  // Most steps of a load write into the folder of the step before.
  const auto slash = path.rfind('/');
  if (slash != std::string::npos && slash == lastFolderPassed_.size() &&
      path.compare(0, slash, lastFolderPassed_) == 0) {
    return {};
  }
#endif
  return checkFolderOf(fs::path(path));
}

std::error_code FileTransaction::checkFolderOf(const fs::path& path) {
  const fs::path folder = path.parent_path();
  const std::string key = pathKey(folder);
  if (!plannedFolders_.contains(key) && !writableFolders_.contains(key)) {
    std::error_code ec;
    const auto kind = entryKind(folder, ec);
    if (ec) return ec;
    if (kind == EntryKind::Link) return Refusal::BehindLink;
    if (kind != EntryKind::Folder) return Refusal::MissingFolder;
    if (auto writeEc = folderAcceptsWrites(folder)) return writeEc;
    writableFolders_.insert(key);
  }
  lastFolderPassed_ = folder.native();
  return {};
}

// A rename may take the name that an earlier rename moved away or an earlier delete freed (a
// kept original going back in place of a copy); a copy may take the name that an earlier
// rename moved away (a game file going into the originals store before a copy replaces it).
bool FileTransaction::takesFreedName(const Planned& earlier, const Planned& later,
                                     const fs::path::string_type& path) const {
  const auto key = keyOf(path);
  if (keyOf(later.target) != key) return false;
  const auto earlierKind = earlier.step.kind;
  const bool movedAway = earlierKind == StepKind::Rename && keyOf(earlier.source) == key;
  const bool deleted = earlierKind == StepKind::Remove;
  switch (later.step.kind) {
    case StepKind::Rename:
      return movedAway || deleted;
    case StepKind::Copy:
    case StepKind::Replace:
      return movedAway;
    default:
      return false;
  }
}

// The name a slot of touched_ stands for: a step's target or a rename's old name, or the
// journal.
bool FileTransaction::touchedNameIs(std::uint64_t number, std::string_view key) const {
  const auto index = static_cast<std::size_t>(number >> 1);
  if (index >= plan_.size()) return pathKey(journalFile_) == key;
  const auto& planned = plan_[index];
  std::string scratch;
  return keyView((number & 1) != 0 ? planned.source : planned.target, scratch) == key;
}

std::error_code FileTransaction::checkTouchedOnce(std::size_t index, bool source) {
  auto& planned = plan_[index];
  const auto& path = source ? planned.source : planned.target;
  std::string scratch;
  const auto key = keyView(path, scratch);
  const auto hash = NameSlots::hashOf(key);
  const std::uint64_t number = (static_cast<std::uint64_t>(index) << 1) | (source ? 1 : 0);
  auto* found = touched_.find(hash, [&](std::uint64_t n) { return touchedNameIs(n, key); });
  if (found == nullptr) {
    touched_.insert(hash, number);
    return {};
  }
  const auto earlier = static_cast<std::size_t>(*found >> 1);
  if (earlier < plan_.size() && takesFreedName(plan_[earlier], planned, path)) {
    *found = number;
    return {};
  }
  // Two sweeps may both name one file for deleting; the first deletes it.
  if (planned.step.kind == StepKind::Remove && earlier < plan_.size() &&
      plan_[earlier].step.kind == StepKind::Remove) {
    planned.skip = true;
    return {};
  }
  return Refusal::TouchedTwice;
}

std::string FileTransaction::failureOf(const Planned& planned, const std::error_code& ec) const {
  if (planned.target.empty()) return stepFailure(planned.step, placeOf(planned), ec);
  StepPlace place;
  place.target = planned.target;
  // A copy's source lives in its step once checked.
  place.source = planned.source.empty() && planned.step.kind == StepKind::Copy
                     ? fs::path(planned.step.source)
                     : fs::path(planned.source);
  return stepFailure(planned.step, place, ec);
}

StepPlace FileTransaction::placeOf(const Planned& planned) const {
  // A delete after the commit point has nothing to set aside or write first.
  if (planned.afterCommit) return {root_ / planned.step.target, {}, {}, {}};
  return placeOfStep(root_, planned.step, journal_.id, planned.journalIndex);
}

TransactionReport FileTransaction::commit(const TransactionProgress& progress) {
  if (stage_ == Stage::Committed || stage_ == Stage::Over) {
    return {"This change of the game folder was made already.", {}, {}};
  }
  if (stage_ == Stage::Planning) check();
  TransactionReport report = checkReport_;
  if (!report.ok()) return report;
  // The steps lend themselves to the journal while it is written, rather than being copied:
  // a change of many thousand files holds each name once.
  journal_ = {newTransactionId(), {}};
  journal_.steps.reserve(static_cast<std::size_t>(
      std::count_if(plan_.begin(), plan_.end(), [](const Planned& p) { return !p.skip; })));
  for (auto& planned : plan_) {
    if (planned.skip) continue;
    planned.journalIndex = journal_.steps.size();
    journal_.steps.push_back(std::move(planned.step));
  }
  const auto afterCommit = deletesAfterCommit(journal_);
  const bool written = journal_.steps.empty() || writeJournal(report);
  for (auto& planned : plan_) {
    if (planned.skip) continue;
    planned.afterCommit = afterCommit[planned.journalIndex];
    planned.step = std::move(journal_.steps[planned.journalIndex]);
  }
  journal_.steps = {};  // its room too: the steps are back in the plan
  if (!written) return report;
  dropPlannedPaths();
  if (!runSteps(progress, report)) return report;
  if (journaled_) {
    // The new files must be on the disk before the mark lets a recovery drop the old ones.
    flushDiskOf(root_);
    if (auto ec = appendDurably(journalFile_, committedMark(journal_.id))) {
      report.failure = describeFailure("write", journalFile_, ec);
      report.reason = failureReason(ec);
      undoDone(report);
      return report;
    }
  }
  stage_ = Stage::Committed;
  killHereIfAsked("commit");
  runDeletesAfterCommit(progress, report);
  return report;
}

void FileTransaction::runDeletesAfterCommit(const TransactionProgress& progress,
                                            TransactionReport& report) {
  std::vector<std::size_t> due;
  for (std::size_t i = 0; i < plan_.size(); ++i) {
    if (plan_[i].afterCommit) due.push_back(i);
  }
  std::vector<std::error_code> results(due.size());
  std::vector<char> shown(due.size(), 0);
  forEachOnCores(due.size(), [&](std::size_t n, bool onCaller) {
    try {
      results[n] = deleteAfterCommit(placeOf(plan_[due[n]]));
    } catch (const std::bad_alloc&) {
      results[n] = std::make_error_code(std::errc::not_enough_memory);
    }
    if (onCaller && progress) {
      progress(due[n] + 1, plan_.size());
      shown[n] = 1;
    }
  });
  for (std::size_t n = 0; n < due.size(); ++n) {
    if (results[n]) {
      report.skipped.push_back(failureOf(plan_[due[n]], results[n]));
      plan_[due[n]].skip = true;
    }
    if (!shown[n] && progress) progress(due[n] + 1, plan_.size());
  }
}

bool FileTransaction::writeJournal(TransactionReport& report) {
  const auto text = formatJournal(journal_);
  std::error_code ec =
      text ? writeNewFileDurably(journalFile_, *text) : std::error_code(Refusal::NotRecordable);
  if (ec) {
    report.failure = describeFailure("write", journalFile_, ec);
    report.reason = failureReason(ec);
    stage_ = Stage::Over;
    return false;
  }
  journaled_ = true;
  return true;
}

namespace {

constexpr std::size_t kNoCopy = static_cast<std::size_t>(-1);

std::error_code placeCopied(FreshCopies& copies, std::size_t ordinal, const JournalStep& step,
                            const StepPlace& place, StepTrace& trace) {
  if (auto ec = copies.take(ordinal)) return ec;
  return placeCopy(step, place, trace);
}

// Fresh files written ahead for steps that will not run now.
void dropCopiesAhead(FreshCopies& copies, TransactionReport& report) {
  for (const auto& fresh : copies.stop()) {
    if (auto ec = unlinkEntry(fresh); ec && ec != std::errc::no_such_file_or_directory) {
      report.notPutBack.push_back(describeFailure("delete", fresh, ec));
    }
  }
}

}  // namespace

void FileTransaction::dropPlannedPaths() {
  // Given back, not only emptied: a string keeps its room when it is assigned an empty one.
  for (auto& planned : plan_) {
    fs::path::string_type().swap(planned.target);
    fs::path::string_type().swap(planned.source);
  }
}

std::vector<std::size_t> FileTransaction::copyOrdinals(std::vector<std::size_t>& copies) const {
  std::vector<std::size_t> ordinals(plan_.size(), kNoCopy);
  for (std::size_t i = 0; i < plan_.size(); ++i) {
    const auto& planned = plan_[i];
    // A link is made by its step itself: one call, nothing worth doing ahead; copies into free
    // names run side by side (runFreeCopies).
    if (planned.skip || planned.step.kind != StepKind::Copy || planned.step.link) continue;
    if (copiesToFreeName(planned)) continue;
    ordinals[i] = copies.size();
    copies.push_back(i);
  }
  return ordinals;
}

bool FileTransaction::runSteps(const TransactionProgress& progress, TransactionReport& report) {
  std::vector<std::size_t> copyIndices;
  const auto ordinals = copyOrdinals(copyIndices);
  FreshCopies copies(copyIndices.size(), [this, &copyIndices](std::size_t n) {
    auto place = placeOf(plan_[copyIndices[n]]);
    return std::make_pair(std::move(place.source), std::move(place.fresh));
  });
  for (std::size_t i = 0; i < plan_.size(); ++i) {
    auto& planned = plan_[i];
    if (planned.afterCommit) continue;
    if (copiesToFreeName(planned)) {
      const std::size_t end = endOfFreeCopies(i);
      if (!runFreeCopies(i, end, progress, report)) {
        dropCopiesAhead(copies, report);
        undoDone(report);
        return false;
      }
      i = end - 1;
      continue;
    }
    if (!planned.skip) {
      const auto place = placeOf(planned);
      auto ec =
          ordinals[i] == kNoCopy
              ? runStep(planned.step, place, planned.bytes, planned.trace, planned.keepReadOnly)
              : placeCopied(copies, ordinals[i], planned.step, place, planned.trace);
      if (ec) {
        if (auto left = undoStep(planned.step, place, planned.trace)) {
          report.notPutBack.push_back(*left);
        }
        if (!planned.step.bestEffort) {
          report.failure = failureOf(planned, ec);
          report.reason = failureReason(ec);
          report.failedStep = i;
          dropCopiesAhead(copies, report);
          undoDone(report);
          return false;
        }
        report.skipped.push_back(failureOf(planned, ec));
        planned.skip = true;
      } else {
        planned.done = true;
        if (planned.trace.copiedInstead) ++report.copiedInstead;
      }
    }
    if (progress) progress(i + 1, plan_.size());
  }
  dropCopiesAhead(copies, report);
  return true;
}

bool FileTransaction::copiesToFreeName(const Planned& planned) {
  return !planned.skip && !planned.afterCommit && planned.step.kind == StepKind::Copy &&
         !planned.step.targetExisted;
}

std::size_t FileTransaction::endOfFreeCopies(std::size_t first) const {
  std::size_t end = first;
  while (end < plan_.size() && copiesToFreeName(plan_[end])) ++end;
  return end;
}

// A byte copy into a free name needs no name of its own beside the target where the file
// system can write it nameless, nor the step's other names worked out for it.
std::error_code FileTransaction::runFreeCopy(Planned& planned) const {
  if (!planned.step.link) {
    const auto ec = copyIntoFreeName(planned.step.source, root_ / planned.step.target);
    if (!ec) {
      planned.trace.placedNew = true;
      return {};
    }
    if (ec != std::errc::operation_not_supported && ec != std::errc::file_exists) return ec;
  }
  return runStep(planned.step, placeOf(planned), planned.bytes, planned.trace,
                 planned.keepReadOnly);
}

// Copies and links into names that were free at the check touch nothing another step reads
// (a source exists, their targets did not), so a run of them is made on every core at once;
// what they did is then taken in order, as if they had run one after the other. False after
// an all-or-nothing one failed, the others still done.
bool FileTransaction::runFreeCopies(std::size_t first, std::size_t end,
                                    const TransactionProgress& progress,
                                    TransactionReport& report) {
  std::vector<std::error_code> results(end - first);
  forEachOnCores(end - first, [&](std::size_t n, bool) {
    auto& planned = plan_[first + n];
    try {
      results[n] = runFreeCopy(planned);
    } catch (const std::bad_alloc&) {
      results[n] = errc(std::errc::not_enough_memory);
    }
  });
  for (std::size_t n = 0; n < results.size(); ++n) plan_[first + n].done = !results[n];
  for (std::size_t i = first; i < end; ++i) {
    auto& planned = plan_[i];
    if (const auto& ec = results[i - first]) {
      if (auto left = undoStep(planned.step, placeOf(planned), planned.trace)) {
        report.notPutBack.push_back(*left);
      }
      if (!planned.step.bestEffort) {
        report.failure = failureOf(planned, ec);
        report.reason = failureReason(ec);
        report.failedStep = i;
        return false;
      }
      report.skipped.push_back(failureOf(planned, ec));
      planned.skip = true;
    } else if (planned.trace.copiedInstead) {
      ++report.copiedInstead;
    }
    if (progress) progress(i + 1, plan_.size());
  }
  return true;
}

void FileTransaction::undoDone(TransactionReport& report) {
  for (std::size_t i = plan_.size(); i-- > 0;) {
    auto& planned = plan_[i];
    if (!planned.done) continue;
    planned.done = false;
    if (auto left = undoStep(planned.step, placeOf(planned), planned.trace)) {
      report.notPutBack.push_back(*left);
    }
  }
  stage_ = Stage::Over;
  if (!journaled_) return;
  if (!report.notPutBack.empty()) {
    // The journal stays, so that the next start tries once more.
    report.notPutBack.push_back("The selector tries again to put these back at its next start.");
    return;
  }
  if (auto ec = unlinkEntry(journalFile_)) {
    report.notPutBack.push_back(describeFailure("delete", journalFile_, ec));
  }
}

std::unordered_set<FileTransaction::PathView> FileTransaction::sourcesWithoutMarks() const {
  std::unordered_set<PathView> sources;
  sources.reserve(plan_.size());
  for (const auto& planned : plan_) {
    if (planned.done && planned.step.kind == StepKind::Copy && planned.sourceUnmarked) {
      sources.insert(planned.step.source);
    }
  }
  return sources;
}

std::vector<std::string> FileTransaction::finish() {
  std::vector<std::string> problems;
  if (stage_ != Stage::Committed) return problems;
  stage_ = Stage::Over;
  for (const auto& planned : plan_) {
    if (!planned.done || !leavesSomethingBeside(planned.step, planned.trace)) continue;
    if (auto left = forwardStep(planned.step, placeOf(planned), planned.trace))
      problems.push_back(*left);
  }
  if (journaled_) {
    if (auto ec = unlinkEntry(journalFile_)) {
      problems.push_back(describeFailure("delete", journalFile_, ec));
    }
  }
  return problems;
}

}  // namespace kvo
