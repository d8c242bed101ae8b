#include "transaction/recovery.h"

#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "transaction/journal.h"
#include "platform/path_guard.h"
#include "platform/text_file.h"
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

EntryKind kindOf(const fs::path& path) {
  std::error_code ec;
  return entryKind(path, ec);
}

std::optional<std::string> contentsOf(const fs::path& file) {
  if (kindOf(file) != EntryKind::File) return std::nullopt;
  std::error_code ec;
  return readFileBytes(file, ec);
}

// Whether the file at the target is provably the one the step wrote, so that removing it
// loses nothing: the copy's source still holds the same bytes, or the bytes match the
// length and hash the journal recorded.
bool provablyOurs(const JournalStep& step, const StepPlace& place) {
  switch (step.kind) {
    case StepKind::Copy: {
      const auto copy = contentsOf(place.target);
      if (!copy) return false;
      std::error_code ec;
      const auto source = readFileBytes(place.source, ec);
      return source && *source == *copy;
    }
    case StepKind::Replace: {
      std::error_code ec;
      if (kindOf(place.target) != EntryKind::File || fs::file_size(place.target, ec) != step.size) {
        return false;
      }
      const auto bytes = contentsOf(place.target);
      return bytes && journalHash(*bytes) == step.hash;
    }
    case StepKind::Rename:
      return kindOf(place.source) == EntryKind::None && kindOf(place.target) != EntryKind::None;
    case StepKind::CreateFolder:
      return !step.targetExisted;
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

// Files carrying the transaction's id are its own; the rest must be proven.
StepTrace whatTheDiskProves(const JournalStep& step, const StepPlace& place) {
  const bool proven = !step.targetExisted && provablyOurs(step, place);
  StepTrace done;
  done.wroteFresh = true;
  done.setAside = true;
  done.placedNew = proven;
  done.renamed = step.kind == StepKind::Rename && provablyOurs(step, place);
  done.createdFolder = proven;
  return done;
}

std::error_code placeAllowed(const fs::path& root, const JournalStep& step,
                             const StepPlace& place) {
  if (auto ec = checkPlace(root, place.target)) return ec;
  if (step.kind == StepKind::Rename) return checkPlace(root, place.source);
  return {};
}

enum class Direction { Back, Forward, BackByNamesOnly };

// A delete due after the commit point that the crash came before.
std::optional<std::string> deleteLeftOver(const JournalStep& step, const StepPlace& place) {
  if (auto ec = deleteAfterCommit(place)) return stepFailure(step, place, ec);
  return std::nullopt;
}

void recoverSteps(const fs::path& root, const Journal& journal, Direction direction,
                  std::vector<std::string>& problems) {
  const auto afterCommit = deletesAfterCommit(journal);
  for (std::size_t n = journal.steps.size(); n-- > 0;) {
    const std::size_t index = direction == Direction::Forward ? journal.steps.size() - 1 - n : n;
    const auto& step = journal.steps[index];
    const auto place = placeOfStep(root, journal, index);
    if (auto ec = placeAllowed(root, step, place)) {
      problems.push_back(describeFailure("put back", place.target, ec));
      continue;
    }
    std::optional<std::string> left;
    switch (direction) {
      case Direction::Forward:
        left = afterCommit[index] ? deleteLeftOver(step, place)
                                  : forwardStep(step, place, whatMayBeLeft());
        break;
      case Direction::Back:
        left = undoStep(step, place, whatTheDiskProves(step, place));
        break;
      case Direction::BackByNamesOnly:
        left = undoByNamesOnly(step, place);
        break;
    }
    if (left) problems.push_back(*left);
  }
}

// A journal nothing can be told from stays beside, out of the way of the next transaction.
void keepUnreadable(const fs::path& journalFile, RecoveryResult& result) {
  fs::path kept = journalFile;
  kept += ".unreadable";
  result.message =
      "The last change to the game folder was interrupted, and its record cannot be made out; "
      "the game folder was left as it is";
  if (auto ec = renameReplacing(journalFile, kept)) {
    result.problems.push_back(describeFailure("rename", journalFile, ec));
    result.message += ".";
  } else {
    result.message += ", and the record was kept as " + displayPath(kept) + ".";
  }
}

Direction directionFor(JournalState state) {
  if (state == JournalState::Committed) return Direction::Forward;
  if (state == JournalState::Complete) return Direction::Back;
  return Direction::BackByNamesOnly;
}

void recoverFromBytes(const fs::path& root, const fs::path& journalFile, std::string_view bytes,
                      RecoveryResult& result) {
  const auto reading = readJournal(bytes);
  if (reading.state == JournalState::Unreadable) {
    keepUnreadable(journalFile, result);
    return;
  }
  if (reading.state == JournalState::CutBeforeId) {
    result.message = kNothingChanged;
  } else {
    const auto direction = directionFor(reading.state);
    recoverSteps(root, reading.journal, direction, result.problems);
    result.message = direction == Direction::Forward ? kFinished : kPutBack;
  }
  if (!result.problems.empty()) {
    // The journal stays, so that the next start tries once more.
    result.problems.push_back("The selector tries again at its next start.");
    return;
  }
  if (auto ec = unlinkEntry(journalFile)) {
    result.problems.push_back(describeFailure("delete", journalFile, ec));
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
  } else if (kind != EntryKind::File) {
    keepUnreadable(journalFile, result);
  } else if (const auto bytes = readFileBytes(journalFile, ec)) {
    recoverFromBytes(absoluteNormal(root), journalFile, *bytes, result);
  } else {
    result.message =
        "The last change to the game folder was interrupted, and its record cannot be read (" +
        describeFailure("read", journalFile, ec) + "); the game folder was left as it is.";
  }
  for (const auto& problem : result.problems) result.message += "\r\n" + problem;
  return result;
}

}  // namespace kvo
