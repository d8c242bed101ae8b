#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/entry_ops.h"
#include "platform/name_slots.h"
#include "platform/path_guard.h"
#include "transaction/fresh_copies.h"
#include "transaction/journal.h"
#include "transaction/transaction_steps.h"

namespace kvo {

// How a failing step is taken: the whole transaction undone, or reported and passed over
// (an unload deletes what it can).
enum class StepPolicy { AllOrNothing, BestEffort };

// How a copy step puts its file in place: its bytes copied, or a hard link of the source
// where the disk allows one (a copy where it does not).
enum class CopyBy { Bytes, Link };

// The journal every transaction of the selector keeps, "kvo.journal" in the selector folder.
std::filesystem::path journalFileIn(const std::filesystem::path& selectorDir);

// Called after each planned step with its number (1 for the first planned) and the number
// planned; the deletes that come after the commit point are reported last.
using TransactionProgress = std::function<void(std::size_t step, std::size_t total)>;

// The place of a step that no step has (a failure of the journal itself).
inline constexpr std::size_t kNoStep = static_cast<std::size_t>(-1);

struct TransactionReport {
  std::string failure;                  // the one sentence naming the file and the reason
  std::vector<std::string> notPutBack;  // after a failure: what could not be undone
  std::vector<std::string> skipped;     // best-effort steps refused or failed, one each
  std::size_t failedStep = kNoStep;     // the planned step (0-based) the failure is about
  std::string reason{};                 // the failure's reason alone ("the disk is full")
  std::size_t copiedInstead = 0;        // link steps done that had to copy their file
  bool ok() const { return failure.empty(); }
};

// One change of the game folder: steps planned, checked, then committed in order so that
// either all of them happen or the folder is put back byte for byte.
//
// Use: plan the steps (the load record's new bytes as the last replaceWith, so that it is
// part of the change) -> check() -> commit() -> finish().
//
// - Nothing is changed outside `root`, nor through a folder between `root` and a target that
//   is a link; such a step is refused. A target that is itself a link is acted on as the
//   link: copied over, written over or deleted, the link goes and the file it pointed to
//   stays as it was. A copy's source must be a regular file, not a link.
// - Before the first change commit() writes the journal (flushed to the disk with its
//   folder). A file a step overwrites or deletes is renamed aside in its own folder; a new
//   file is written under a temporary name and renamed into place when whole, so a full
//   disk never leaves a truncated target; a hard link, whole from the start, goes straight
//   into place.
// - A failing all-or-nothing step undoes every step before it in reverse order, removes
//   the journal and reports one sentence.
// - When every step is done, commit() flushes the disk and appends the committed mark to
//   the journal. That is the commit point: a crash before it is undone at the next start
//   (recoverInterruptedTransaction), a crash after it is finished there.
// - Best-effort deletes that nothing later depends on run after the commit point, without
//   setting anything aside (deletesAfterCommit): an unload of thousands of files costs one
//   delete each, and its failures are reported one by one as before.
// - finish() removes what was set aside, then the journal.
class FileTransaction final {
 public:
  // A transaction that may change files below `root`, journaled in `journalFile` (a file
  // in the selector folder below `root` that must not exist yet).
  FileTransaction(std::filesystem::path root, std::filesystem::path journalFile);
  // Finishes a committed transaction that finish() was not called for.
  ~FileTransaction();
  FileTransaction(const FileTransaction&) = delete;
  FileTransaction& operator=(const FileTransaction&) = delete;

  // Plans a copy of the regular file `from` (anywhere) over or to `to` (below the root).
  void copyOver(const std::filesystem::path& from, const std::filesystem::path& to,
                StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans putting the regular file `from` at `to` as a hard link of it: the same step as
  // copyOver in every other way, and a copy where no link can be made (counted in the report).
  void linkOver(const std::filesystem::path& from, const std::filesystem::path& to,
                StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans deleting a file (or a link itself); one that is not there is no failure.
  void remove(const std::filesystem::path& path, StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans renaming a file or folder; nothing may be at `to`.
  void rename(const std::filesystem::path& from, const std::filesystem::path& to,
              StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans replacing (or creating) the file `path` whole with `bytes`.
  void replaceWith(const std::filesystem::path& path, std::string bytes,
                   StepPolicy policy = StepPolicy::AllOrNothing);
  // The new file of the planned Replace step `index` keeps the read-only mark of the file it
  // replaces (a player's read-only eaw.ini stays read-only); other steps ignore it.
  void keepReadOnly(std::size_t index);
  // Plans creating a folder whose parent exists or is planned before; one there is kept.
  void createFolder(const std::filesystem::path& path,
                    StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans a step of `kind` as the calls above do, on paths held as text (`source` empty but
  // for a copy or a rename, `bytes` but for a replace), which the transaction takes over;
  // `by` says how a copy puts its file in place.
  void planText(StepKind kind, std::filesystem::path::string_type target,
                std::filesystem::path::string_type source, std::string bytes, StepPolicy policy,
                CopyBy by = CopyBy::Bytes);

  // The number of planned steps; progress counts them in planning order.
  std::size_t size() const { return plan_.size(); }
  // After check(): whether planned step `index` (0-based) changes anything; after commit():
  // whether it did. A step with nothing to do, or a best-effort step refused or failed, does not.
  bool runs(std::size_t index) const;
  // Planned step `index` as check() found it: its target (and a rename's old name) below the
  // root, and whether something was at the target.
  const JournalStep& checkedStep(std::size_t index) const { return plan_.at(index).step; }
  // Gives the planned Replace step `index` its bytes after check(), so that a step may
  // describe the others (a history of the change); nothing is checked again.
  void setBytes(std::size_t index, std::string bytes);

  // Checks every step without changing anything: targets below the root and not behind a
  // link, sources readable regular files, folders there and writable, no file touched twice.
  TransactionReport check();

  // Runs check() if needed, then the steps; see the class comment.
  TransactionReport commit(const TransactionProgress& progress = {});

  // Removes what the committed steps set aside and then the journal; one sentence for each
  // file that could not be removed.
  std::vector<std::string> finish();

  // After commit(): the sources of the copies done whose check saw no mark that clearReadOnly
  // would clear, as their text, so that clearing the marks of a loaded folder asks again only
  // of the others. The texts are the transaction's own: valid while it lives.
  using PathView = std::basic_string_view<std::filesystem::path::value_type>;
  std::unordered_set<PathView> sourcesWithoutMarks() const;

 private:
  // What the file system said of one name, asked for every step at once before the check.
  struct Probe {
    EntryKind kind = EntryKind::None;
    std::error_code ec;
    std::error_code unreadable;   // sources of copies only
    bool nothingToClear = false;  // sources of copies only: seen without a read-only mark
  };
  // The probes of one step, held only while the steps are checked.
  struct Probes {
    Probe target;
    Probe source;
  };
  struct Planned {
    JournalStep step;
    // As given, made absolute; kept as text, since a path's list of parts would cost more
    // than the name for each of many thousand steps.
    std::filesystem::path::string_type target;
    std::filesystem::path::string_type source;
    std::string bytes;
    bool skip = false;  // refused (best effort) or nothing to do
    std::size_t journalIndex = 0;
    StepTrace trace;
    bool done = false;
    bool afterCommit = false;     // a delete run after the commit point, see deletesAfterCommit
    bool keepReadOnly = false;    // see keepReadOnly()
    bool sourceUnmarked = false;  // a copy's source was seen without a read-only mark
  };
  enum class Stage { Planning, Checked, Committed, Over };

  void plan(StepKind kind, const std::filesystem::path& target, const std::filesystem::path& source,
            std::string bytes, StepPolicy policy);
  std::vector<Probes> probeEntries() const;
  struct Probers {
    EntryProber targets;
    EntryProber sources;
  };
  static Probes probeStep(const Planned& planned, Probers& probers);
  std::error_code checkStep(Planned& planned, const Probes& probes);
  std::error_code checkTarget(Planned& planned, const Probe& probe);
  std::error_code checkSource(Planned& planned, const Probe& probe);
  void dropCheckBookkeeping();
  std::error_code checkFolderOf(const std::filesystem::path& path);
  std::error_code checkFolderOf(const std::filesystem::path::string_type& path);
  // Checks that step `index` is the only one touching its target (or, with `source`, a
  // rename's old name), unless it takes a name an earlier step freed.
  std::error_code checkTouchedOnce(std::size_t index, bool source);
  bool touchedNameIs(std::uint64_t number, std::string_view key) const;
  bool takesFreedName(const Planned& earlier, const Planned& later,
                      const std::filesystem::path::string_type& path) const;
  std::error_code checkJournal();
  std::string failureOf(const Planned& planned, const std::error_code& ec) const;
  bool writeJournal(TransactionReport& report);
  bool runSteps(const TransactionProgress& progress, TransactionReport& report);
  static bool copiesToFreeName(const Planned& planned);
  std::size_t endOfFreeCopies(std::size_t first) const;
  std::error_code runFreeCopy(Planned& planned) const;
  bool runFreeCopies(std::size_t first, std::size_t end, const TransactionProgress& progress,
                     TransactionReport& report);
  // For each step, its place among the copy steps made ahead (not links), whose plan indices
  // `copies` gets.
  std::vector<std::size_t> copyOrdinals(std::vector<std::size_t>& copies) const;
  // Once the journal is written the steps are named by it alone: the paths given for planning
  // go, so that a change of many thousand files holds few names at once.
  void dropPlannedPaths();
  void runDeletesAfterCommit(const TransactionProgress& progress, TransactionReport& report);
  void undoDone(TransactionReport& report);
  // The names a step works on, worked out from the journal each time they are needed.
  StepPlace placeOf(const Planned& planned) const;

  std::filesystem::path root_;
  std::filesystem::path journalFile_;
  // A deque: growing it never copies the steps planned so far.
  std::deque<Planned> plan_;
  Journal journal_;
  bool journaled_ = false;
  Stage stage_ = Stage::Planning;
  TransactionReport checkReport_;
  CheckedFolders checkedFolders_;
  std::unordered_set<std::string> writableFolders_;
  std::unordered_set<std::string> plannedFolders_;
  std::filesystem::path::string_type lastFolderPassed_;  // the folder checkFolderOf passed last
  // Every name checked so far: the last step touching it, times two, plus one for a rename's
  // old name (see touchedNameIs).
  NameSlots touched_;
  std::unordered_set<std::string> renamedAway_;  // sources of the renames checked so far
  std::unordered_set<std::string> removedAway_;  // targets of the deletes checked so far
};

}  // namespace kvo
