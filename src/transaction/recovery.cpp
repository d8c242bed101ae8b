#include "transaction/recovery.h"

#include <ctime>
#include <map>
#include <set>

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/listing.h"
#include "platform/path_guard.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"
#include "transaction/journal.h"
#include "transaction/transaction_steps.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPutBack =
    "The last change to the game folder was interrupted; the files it had changed were put "
    "back as they were.";
constexpr std::string_view kNothingChanged =
    "The last change to the game folder was interrupted before it changed any file; the game "
    "folder is as it was.";
constexpr std::string_view kFinished =
    "The last change to the game folder was interrupted after all its files were in place; it "
    "was finished.";
constexpr std::string_view kNotAllPutBack =
    "The last change to the game folder was interrupted, and not every file it had changed "
    "could be put back:";
constexpr std::string_view kNotAllFinished =
    "The last change to the game folder was interrupted after all its files were in place, "
    "but finishing it left these:";
constexpr std::string_view kCutShort =
    "The last change to the game folder was interrupted, and its record is cut short: the "
    "files it names were put back as they were, but what it did beyond them cannot be told.";

EntryKind kindOf(const fs::path& path) {
  std::error_code ec;
  return entryKind(path, ec);
}

bool entryThere(const fs::path& path) {
  std::error_code ec;
  return entryKind(path, ec) != EntryKind::None || ec;
}

bool holdsBytesHashed(const fs::path& file, const JournalStep& step) {
  std::error_code ec;
  if (kindOf(file) != EntryKind::File) return false;
  const auto bytes = readFileBytes(file, ec, step.size);
  return bytes && bytes->size() == step.size && journalHash(*bytes) == step.hash;
}

// Whether the file at the target is provably the one the step wrote, so that removing it
// loses nothing: the copy's source still holds the same bytes, or the bytes match the
// length and hash the journal recorded.
bool provablyOurs(const JournalStep& step, const StepPlace& place) {
  switch (step.kind) {
    case StepKind::Copy:
      return kindOf(place.target) == EntryKind::File && sameFileBytes(place.target, place.source);
    case StepKind::Replace:
      return holdsBytesHashed(place.target, step);
    case StepKind::Rename:
      return kindOf(place.source) == EntryKind::None && kindOf(place.target) != EntryKind::None;
    case StepKind::CreateFolder:
      return !step.targetExisted && kindOf(place.target) == EntryKind::Folder;
    case StepKind::Remove:
      return false;
  }
  return false;
}

// After the commit point anything of the transaction's own names may still lie about.
StepTrace whatMayBeLeft() {
  StepTrace done;
  done.wroteFresh = true;
  done.setAside = true;
  return done;
}

// For each step, the earlier rename of the same journal that moved its target's file away
// (a game file going into the store of kept files before a copy takes its name), if any.
std::vector<std::optional<std::size_t>> freedByEarlierRename(const Journal& journal) {
  std::vector<std::optional<std::size_t>> freedBy(journal.steps.size());
  std::map<std::string, std::size_t> renamedAway;
  for (std::size_t i = 0; i < journal.steps.size(); ++i) {
    const auto& step = journal.steps[i];
    const auto found = renamedAway.find(pathKey(step.target));
    if (found != renamedAway.end()) freedBy[i] = found->second;
    if (step.kind == StepKind::Rename) renamedAway[pathKey(step.source)] = i;
  }
  return freedBy;
}

struct Recovery {
  const fs::path& root;
  const Journal& journal;
  std::vector<std::string> problems;
  bool anyStepRan = false;  // the disk shows that some step began
};

// What the disk proves that step `index` did, the steps after it being undone already. Files
// carrying the transaction's id are its own; a file at the target must be proven. A target
// an earlier rename moved away was free when the step ran, whatever the journal found there
// at the check; the rename ran when its own target is there.
StepTrace whatTheDiskProves(Recovery& recovery, std::size_t index, const StepPlace& place,
                            std::optional<std::size_t> freedBy) {
  const auto& step = recovery.journal.steps[index];
  bool freed = false;
  if (freedBy) freed = entryThere(placeOfStep(recovery.root, recovery.journal, *freedBy).target);
  const bool wasFree = !step.targetExisted || freed;
  StepTrace done;
  done.wroteFresh = true;
  done.setAside = true;
  done.renamed = step.kind == StepKind::Rename && provablyOurs(step, place);
  done.createdFolder = step.kind == StepKind::CreateFolder && provablyOurs(step, place);
  const bool fileStep = step.kind == StepKind::Copy || step.kind == StepKind::Replace;
  done.placedNew = fileStep && wasFree && provablyOurs(step, place);
  if (entryThere(place.aside) || entryThere(place.fresh) || done.placedNew || done.renamed ||
      done.createdFolder) {
    recovery.anyStepRan = true;
  }
  // A file in a free place that is not the step's own: the step may have run and its source
  // changed since, or the player put it there. Either way it stays, and the player is told.
  if (fileStep && wasFree && !done.placedNew && !entryThere(place.aside) &&
      entryThere(place.target)) {
    recovery.problems.push_back("Could not tell whether " + displayPath(place.target) +
                                " is the interrupted change's copy, so it was left as it is.");
  }
  return done;
}

std::error_code placeAllowed(const fs::path& root, const JournalStep& step,
                             const StepPlace& place) {
  if (auto ec = checkPlace(root, place.target)) return ec;
  if (step.kind == StepKind::Rename) return checkPlace(root, place.source);
  return {};
}

// A delete due after the commit point that the crash came before.
std::optional<std::string> deleteLeftOver(const JournalStep& step, const StepPlace& place) {
  if (auto ec = deleteAfterCommit(place)) return stepFailure(step, place, ec);
  return std::nullopt;
}

void finishSteps(Recovery& recovery) {
  const auto& steps = recovery.journal.steps;
  const auto afterCommit = deletesAfterCommit(recovery.journal);
  for (std::size_t index = 0; index < steps.size(); ++index) {
    const auto& step = steps[index];
    const auto place = placeOfStep(recovery.root, recovery.journal, index);
    if (auto ec = placeAllowed(recovery.root, step, place)) {
      recovery.problems.push_back(describeFailure("finish the change at", place.target, ec));
      continue;
    }
    const auto left = afterCommit[index] ? deleteLeftOver(step, place)
                                         : forwardStep(step, place, whatMayBeLeft());
    if (left) recovery.problems.push_back(*left);
  }
}

void undoSteps(Recovery& recovery) {
  const auto& steps = recovery.journal.steps;
  const auto freedBy = freedByEarlierRename(recovery.journal);
  for (std::size_t index = steps.size(); index-- > 0;) {
    const auto& step = steps[index];
    const auto place = placeOfStep(recovery.root, recovery.journal, index);
    if (auto ec = placeAllowed(recovery.root, step, place)) {
      recovery.problems.push_back(describeFailure("put back", place.target, ec));
      continue;
    }
    const auto done = whatTheDiskProves(recovery, index, place, freedBy[index]);
    if (auto left = undoStep(step, place, done)) recovery.problems.push_back(*left);
  }
}

// Files carrying the transaction's id beside the targets the cut record names: they belong
// to steps it no longer names, and only the player can tell what they are.
void noteLeftovers(Recovery& recovery) {
  std::set<std::string> folders;
  const std::string id = recovery.journal.id;
  for (std::size_t index = 0; index < recovery.journal.steps.size(); ++index) {
    const auto place = placeOfStep(recovery.root, recovery.journal, index);
    if (!checkPlace(recovery.root, place.target))
      folders.insert(pathToText(place.target.parent_path()));
  }
  for (const auto& folder : folders) {
    const auto dir = nameToPath(folder);
    for (const auto& name : listFiles(dir, "*." + id + "-*.kvo-old;*." + id + "-*.kvo-new")) {
      recovery.problems.push_back("Left as it is: " + displayPath(dir / nameToPath(name)) + ".");
    }
  }
}

// "Unfinished change 2024-05-01 18.13.58.kvo" beside the journal, for the player to look at;
// the next change can then go ahead.
std::optional<fs::path> putAside(const fs::path& journalFile, std::vector<std::string>& problems) {
  const std::time_t now = std::time(nullptr);
  char date[32] = "";
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(date, sizeof date, "%Y-%m-%d %H.%M.%S", local);
  }
  std::error_code ec;
  for (int n = 1; n < 100; ++n) {
    fs::path kept = journalFile.parent_path() / journalFile.stem();
    kept += std::string(" ") + date + (n > 1 ? " (" + std::to_string(n) + ")" : "");
    kept += journalFile.extension();
    ec = renameNoReplace(journalFile, kept);
    if (!ec) return kept;
    if (ec != std::errc::file_exists) break;
  }
  problems.push_back(describeFailure("rename", journalFile, ec));
  return std::nullopt;
}

void keepJournal(const fs::path& journalFile, std::string_view heading, RecoveryResult& result) {
  result.message = heading;
  for (const auto& problem : result.problems) result.message += "\r\n" + problem;
  std::vector<std::string> more;
  if (const auto kept = putAside(journalFile, more)) {
    result.message += "\r\nIts record was kept as " + displayPath(*kept) + ".";
  }
  for (const auto& problem : more) {
    result.message += "\r\n" + problem;
    result.problems.push_back(problem);
  }
}

void removeJournal(const fs::path& journalFile, std::string_view message, RecoveryResult& result) {
  result.message = message;
  if (auto ec = unlinkEntry(journalFile)) {
    result.problems.push_back(describeFailure("delete", journalFile, ec));
    result.message += "\r\n" + result.problems.back();
  }
}

constexpr std::string_view kUnreadable =
    "The last change to the game folder was interrupted, and its record cannot be made out; "
    "the game folder was left as it is.";

void recoverFromBytes(const fs::path& root, const fs::path& journalFile, std::string_view bytes,
                      RecoveryResult& result) {
  const auto reading = readJournal(bytes);
  Recovery recovery{root, reading.journal, {}, false};
  switch (reading.state) {
    case JournalState::Unreadable:
      return keepJournal(journalFile, kUnreadable, result);
    case JournalState::CutBeforeId:
      return removeJournal(journalFile, kNothingChanged, result);
    case JournalState::Committed:
      finishSteps(recovery);
      result.problems = recovery.problems;
      if (result.problems.empty()) return removeJournal(journalFile, kFinished, result);
      return keepJournal(journalFile, kNotAllFinished, result);
    case JournalState::Complete:
      undoSteps(recovery);
      result.problems = recovery.problems;
      if (result.problems.empty()) return removeJournal(journalFile, kPutBack, result);
      return keepJournal(journalFile, kNotAllPutBack, result);
    case JournalState::Truncated:
      // Written whole before any step runs, a record cut short means no step ran; unless the
      // disk says otherwise, as after damage to the record itself.
      undoSteps(recovery);
      if (!recovery.anyStepRan && recovery.problems.empty()) {
        return removeJournal(journalFile, kNothingChanged, result);
      }
      {
        const auto heading = recovery.problems.empty() ? kCutShort : kNotAllPutBack;
        noteLeftovers(recovery);
        result.problems = recovery.problems;
        return keepJournal(journalFile, heading, result);
      }
  }
}

}  // namespace

RecoveryResult recoverInterruptedTransaction(const fs::path& root, const fs::path& journalFile) {
  RecoveryResult result;
  std::error_code ec;
  const auto kind = entryKind(journalFile, ec);
  if (kind == EntryKind::None && !ec) return result;
  result.found = true;
  if (ec) {
    result.message = describeFailure("read", journalFile, ec);
    result.problems.push_back(result.message);
    return result;
  }
  const auto bytes =
      kind == EntryKind::File ? readFileBytes(journalFile, ec, read_limit::kJournal) : std::nullopt;
  if (!bytes) {
    // Kept aside, so that the next change is not refused for ever.
    if (kind == EntryKind::File)
      result.problems.push_back(describeFailure("read", journalFile, ec));
    keepJournal(journalFile, kUnreadable, result);
    return result;
  }
  recoverFromBytes(absoluteNormal(root), journalFile, *bytes, result);
  return result;
}

}  // namespace kvo
