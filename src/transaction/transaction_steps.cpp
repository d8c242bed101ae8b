#include "transaction/transaction_steps.h"

#include <unordered_set>

#include "platform/entry_ops.h"
#include "platform/file_ops.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool entryThere(const fs::path& path) {
  std::error_code ec;
  return entryKind(path, ec) != EntryKind::None || ec;
}

bool missing(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory;
}

// Moves what is at the target aside; a target that went away meanwhile needs no room.
std::error_code setAside(const StepPlace& place, StepTrace& trace) {
  auto ec = renameNoReplace(place.target, place.aside);
  if (!ec) trace.setAside = true;
  return missing(ec) ? std::error_code() : ec;
}

// Puts the fresh file at the target, making room first when something is there (also
// something that arrived after the check).
std::error_code placeFresh(const JournalStep& step, const StepPlace& place, StepTrace& trace) {
  bool roomMade = false;
  if (step.targetExisted) {
    if (auto ec = setAside(place, trace)) return ec;
    roomMade = true;
  }
  auto ec = renameNoReplace(place.fresh, place.target);
  if (ec == std::errc::file_exists && !roomMade) {
    if (auto asideEc = setAside(place, trace)) return asideEc;
    ec = renameNoReplace(place.fresh, place.target);
  }
  if (!ec) trace.placedNew = true;
  return ec;
}

// A link appears whole in one call, so unlike a copy it needs no name of its own before it
// goes in place. Where none can be made, the bytes are copied the way a copy step does.
std::error_code linkInPlace(const JournalStep& step, const StepPlace& place, StepTrace& trace) {
  if (step.targetExisted) {
    if (auto ec = setAside(place, trace)) return ec;
  }
  auto ec = linkToNewFile(place.source, place.target);
  if (ec == std::errc::file_exists && !trace.setAside) {
    // Something arrived after the check: it waits aside as an old file would.
    if (auto asideEc = setAside(place, trace)) return asideEc;
    ec = linkToNewFile(place.source, place.target);
  }
  if (!ec) {
    trace.placedNew = true;
    return {};
  }
  if (auto copyEc = copyToNewFile(place.source, place.fresh)) return copyEc;
  trace.copiedInstead = true;
  trace.wroteFresh = true;
  return placeFresh(step, place, trace);
}

std::error_code runFolder(const JournalStep& step, const StepPlace& place, StepTrace& trace) {
  if (step.targetExisted) return {};
  auto ec = makeOneFolder(place.target);
  if (ec == std::errc::file_exists) {
    std::error_code kindEc;
    if (entryKind(place.target, kindEc) == EntryKind::Folder) return {};
    return std::make_error_code(std::errc::not_a_directory);
  }
  if (!ec) trace.createdFolder = true;
  return ec;
}

std::optional<std::string> removeIfThere(const fs::path& path) {
  auto ec = unlinkEntry(path);
  if (!ec || missing(ec)) return std::nullopt;
  return describeFailure("delete", path, ec);
}

std::optional<std::string> putBack(const StepPlace& place, bool replacing) {
  auto ec = replacing ? renameReplacing(place.aside, place.target)
                      : renameNoReplace(place.aside, place.target);
  if (!ec) return std::nullopt;
  return describeFailure("put back", place.target, ec) + " It is kept as " +
         displayPath(place.aside) + ".";
}

std::optional<std::string> undoFileStep(const StepPlace& place, const StepTrace& done) {
  auto problem = done.wroteFresh ? removeIfThere(place.fresh) : std::nullopt;
  if (done.setAside && entryThere(place.aside)) {
    // What is at the target now came after the old file was moved aside: the new copy.
    if (auto failed = putBack(place, true)) return failed;
  } else if (done.placedNew) {
    if (auto failed = removeIfThere(place.target)) return failed;
  }
  return problem;
}

}  // namespace

StepPlace placeOfStep(const fs::path& root, const Journal& journal, std::size_t index) {
  return placeOfStep(root, journal.steps[index], journal.id, index);
}

StepPlace placeOfStep(const fs::path& root, const JournalStep& step, std::string_view id,
                      std::size_t index) {
  StepPlace place;
  place.target = root / step.target;
  if (step.kind == StepKind::Copy) place.source = step.source;
  if (step.kind == StepKind::Rename) place.source = root / step.source;
  place.aside = asidePath(place.target, id, index);
  place.fresh = newFilePath(place.target, id, index);
  return place;
}

std::error_code placeCopy(const JournalStep& step, const StepPlace& place, StepTrace& trace) {
  trace.wroteFresh = true;
  return placeFresh(step, place, trace);
}

std::error_code runStep(const JournalStep& step, const StepPlace& place, std::string_view bytes,
                        StepTrace& trace, bool keepReadOnly) {
  switch (step.kind) {
    case StepKind::Copy:
      if (step.link) return linkInPlace(step, place, trace);
      if (auto ec = copyToNewFile(place.source, place.fresh)) return ec;
      return placeCopy(step, place, trace);
    case StepKind::Replace:
      if (auto ec = writeNewFile(place.fresh, bytes, place.target)) return ec;
      trace.wroteFresh = true;
      // Marked before it takes the name, so that no moment, not even a crash, shows the file
      // writable; a recovery that removes or keeps it needs to know nothing of the mark.
      if (keepReadOnly) {
        if (auto ec = copyReadOnlyMark(place.target, place.fresh)) return ec;
      }
      return placeFresh(step, place, trace);
    case StepKind::Remove:
      return step.targetExisted ? setAside(place, trace) : std::error_code();
    case StepKind::Rename:
      if (auto ec = renameNoReplace(place.source, place.target)) return ec;
      trace.renamed = true;
      return {};
    case StepKind::CreateFolder:
      return runFolder(step, place, trace);
  }
  return std::make_error_code(std::errc::invalid_argument);
}

std::optional<std::string> undoStep(const JournalStep& step, const StepPlace& place,
                                    const StepTrace& done) {
  switch (step.kind) {
    case StepKind::Copy:
    case StepKind::Replace:
      return undoFileStep(place, done);
    case StepKind::Remove:
      if (done.setAside && entryThere(place.aside)) return putBack(place, false);
      return std::nullopt;
    case StepKind::Rename:
      if (!done.renamed) return std::nullopt;
      if (auto ec = renameNoReplace(place.target, place.source)) {
        return describeFailure("rename " + displayPath(place.target) + " back to", place.source,
                               ec);
      }
      return std::nullopt;
    case StepKind::CreateFolder:
      if (!done.createdFolder) return std::nullopt;
      // A folder that holds files the steps did not put there stays.
      if (auto ec = removeEmptyFolder(place.target);
          ec && !missing(ec) && ec != std::errc::directory_not_empty) {
        return describeFailure("remove the folder", place.target, ec);
      }
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::string> undoByNamesOnly(const JournalStep& step, const StepPlace& place) {
  if (step.kind != StepKind::Copy && step.kind != StepKind::Replace &&
      step.kind != StepKind::Remove) {
    return std::nullopt;
  }
  auto problem = step.kind == StepKind::Remove ? std::nullopt : removeIfThere(place.fresh);
  if (!entryThere(place.aside)) return problem;
  return putBack(place, false);
}

bool leavesSomethingBeside(const JournalStep& step, const StepTrace& done) {
  if (step.kind == StepKind::Rename || step.kind == StepKind::CreateFolder) return false;
  return done.setAside || (done.wroteFresh && !done.placedNew);
}

std::optional<std::string> forwardStep(const JournalStep& step, const StepPlace& place,
                                       const StepTrace& done) {
  if (step.kind == StepKind::Rename || step.kind == StepKind::CreateFolder) return std::nullopt;
  auto aside = done.setAside ? removeIfThere(place.aside) : std::nullopt;
  // A new file that went into place has no name of its own left.
  const bool freshLeft = done.wroteFresh && !done.placedNew;
  auto fresh = freshLeft ? removeIfThere(place.fresh) : std::nullopt;
  return aside ? aside : fresh;
}

std::vector<bool> deletesAfterCommit(const Journal& journal) {
  std::vector<bool> after(journal.steps.size(), false);
  std::unordered_set<std::string> laterTargets;
  bool renameFollows = false;
  for (std::size_t i = journal.steps.size(); i-- > 0;) {
    const auto& step = journal.steps[i];
    auto key = pathKey(step.target);
    after[i] = step.kind == StepKind::Remove && step.bestEffort && step.targetExisted &&
               !renameFollows && !laterTargets.contains(key);
    if (step.kind == StepKind::Rename) renameFollows = true;
    laterTargets.insert(std::move(key));
  }
  return after;
}

std::error_code deleteAfterCommit(const StepPlace& place) {
  auto ec = unlinkEntry(place.target);
  return missing(ec) ? std::error_code() : ec;
}

std::string stepFailure(const JournalStep& step, const StepPlace& place,
                        const std::error_code& ec) {
  switch (step.kind) {
    case StepKind::Copy:
      return describeFailure("copy " + displayPath(place.source) + " to", place.target, ec);
    case StepKind::Remove:
      return describeFailure("delete", place.target, ec);
    case StepKind::Rename:
      return describeFailure("rename " + displayPath(place.source) + " to", place.target, ec);
    case StepKind::Replace:
      return describeFailure("write", place.target, ec);
    case StepKind::CreateFolder:
      return describeFailure("create the folder", place.target, ec);
  }
  return describeFailure("change", place.target, ec);
}

}  // namespace kvo
