#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "transaction/journal.h"

// Running, undoing and finishing one step of a file transaction; shared by the transaction
// itself and by the recovery of one that a crash interrupted.
namespace kvo {

// The full names one step works on.
struct StepPlace {
  std::filesystem::path target;
  std::filesystem::path source;  // Copy: the file copied; Rename: the old name
  std::filesystem::path aside;   // where what was at the target waits for the end
  std::filesystem::path fresh;   // where a new file is written before it goes in place
};

// The names of step `index` of `journal`, whose paths are below `root`.
StepPlace placeOfStep(const std::filesystem::path& root, const Journal& journal, std::size_t index);
// The same for `step`, step `index` of the transaction `id`.
StepPlace placeOfStep(const std::filesystem::path& root, const JournalStep& step,
                      std::string_view id, std::size_t index);

// What a step really did, so that undoing it touches nothing else. Recovery, which cannot
// know, says what the files on the disk prove.
struct StepTrace {
  bool wroteFresh = false;     // the new file was (begun to be) written under its own name
  bool setAside = false;       // what was at the target went aside
  bool placedNew = false;      // the target now holds the file this step wrote
  bool renamed = false;        // a Rename happened
  bool createdFolder = false;  // a CreateFolder made the folder
  bool copiedInstead = false;  // a link step copied its file, since no link could be made
};

// The rest of a Copy step whose new file is written already at `place.fresh`.
std::error_code placeCopy(const JournalStep& step, const StepPlace& place, StepTrace& trace);

// Runs the step; `bytes` are the new contents of a Replace, whose new file with
// `keepReadOnly` carries the read-only mark of the file it replaces before it goes in place. A
// Copy that links puts the link straight at its target (after setting aside what is there), a
// copy where none can be made. After a failure the step may be half done, and undoStep puts it
// back.
std::error_code runStep(const JournalStep& step, const StepPlace& place, std::string_view bytes,
                        StepTrace& trace, bool keepReadOnly = false);

// Puts back what the step changed, as far as `done` says it did. Nullopt, or one sentence on
// what stayed changed.
std::optional<std::string> undoStep(const JournalStep& step, const StepPlace& place,
                                    const StepTrace& done);

// Undoes the step as far as the files carrying the transaction's id allow, for a journal
// whose end is missing: the new file goes, the old one returns where nothing took its place.
std::optional<std::string> undoByNamesOnly(const JournalStep& step, const StepPlace& place);

// Removes what a done step left beside its target (the old file, a stray new one), as far
// as `done` says there is any.
std::optional<std::string> forwardStep(const JournalStep& step, const StepPlace& place,
                                       const StepTrace& done);
// False when `done` says forwardStep would find nothing to remove, so that a change of many
// thousand files need not work out the places of each.
bool leavesSomethingBeside(const JournalStep& step, const StepTrace& done);

// For each step of the journal, whether it is a delete that runs after the commit point: a
// best-effort delete of a file that was there, with no later step taking its name and no
// later rename that could move it. Such a delete needs no room aside, since nothing ever
// puts it back: a failure before the commit point finds the file untouched, a crash after
// it finishes the delete.
std::vector<bool> deletesAfterCommit(const Journal& journal);

// Runs a delete that comes after the commit point (also when a start finishes one).
std::error_code deleteAfterCommit(const StepPlace& place);

// The sentence for a failure of the step, naming its target and the reason.
std::string stepFailure(const JournalStep& step, const StepPlace& place, const std::error_code& ec);

}  // namespace kvo
