#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/listing.h"
#include "platform/name_slots.h"
#include "state/form_state.h"
#include "state/outcome.h"
#include "transaction/transaction.h"

namespace kvo {

class FolderIndex;

// What a change of the game folder says while EAW runs from it.
inline constexpr std::string_view kGameRunningText =
    "EAW is running. Close the game before changing its files.";

// The file name of the journal a change keeps in the selector folder while it runs.
inline constexpr std::string_view kJournalName = "Unfinished change.kvo";

// The journal of the game folder's selector folder.
std::filesystem::path journalPath(const FormState& state);

// One step of a planned change. Its paths are kept as text: a change may copy many thousand
// files, and a path's list of parts would cost several times each name.
struct PlannedStep {
  StepKind kind = StepKind::Copy;
  StepPolicy policy = StepPolicy::AllOrNothing;
  CopyBy by = CopyBy::Bytes;  // Copy: its bytes, or a hard link where the disk allows
  bool dropped = false;       // folded into a later step of the same file
  bool prepared = false;      // needs what the operation makes just before it commits
  std::uint32_t origin = 0;   // the entry of a set that planned it (see GameChange::setOrigin)
  PathText target;
  PathText source;            // Copy: the file copied; Rename: the old name
  std::string bytes;          // Replace: the new contents
  std::string caption;        // what the window's caption says while it runs ("Deleting NAME")
  bool keepReadOnly = false;  // Replace: the new file keeps the old one's read-only mark
};

// One user action's change of the game folder and of the selector's files, planned before
// anything moves: its steps, the marks of the grids before it, and the game folder as the
// steps will leave it, so that a step planned later sees what an earlier one does (a plane
// install reads the planes.dat that a flight model's load brings). GameFolder::commit makes it
// one transaction, or in a dry run tells what it would do.
//
// The transaction touches a file once, so two steps on one file fold into the step that
// leaves the file as the two would: a later write replaces an earlier write or delete, a
// delete takes back an earlier write, and a rename undoes the rename the other way. A rename
// into a name that a later step writes or deletes is dropped, so that what it would have
// moved stays where it is (a kept original stays in its store).
class GameChange final {
 public:
  // A change for the player's `action` ("click T-Normandy") on the game folder of `state`,
  // whose loaded marks it notes as they are before anything is planned.
  GameChange(const FormState& state, std::string action);

  // What the player asked for, as the history names it.
  const std::string& action() const { return action_; }
  // The planned steps, folded ones included (see PlannedStep::dropped).
  const std::deque<PlannedStep>& steps() const { return steps_; }
  // True when no step is left to do.
  bool empty() const;
  // The steps for the commit that runs them (not a dry run), which takes their paths and bytes
  // over; what planning looked names up by goes. The change can then only tell about itself
  // (its action, its marks, a failed entry), not be planned on or committed again.
  std::deque<PlannedStep>& stepsForCommit();
  // The loaded marks of the three grids before the change.
  const std::vector<ChangedMark>& marksBefore() const { return marksBefore_; }

  // Each planning call returns the index of its step, or kNoStep when it folded into none;
  // `caption` is what the window's caption says while the step runs.
  // Plans copying the file `from` over or to `to`, `by` its bytes or a hard link.
  std::size_t copyOver(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string caption, StepPolicy policy = StepPolicy::AllOrNothing,
                       CopyBy by = CopyBy::Bytes);
  // Plans deleting the file at `path`.
  std::size_t remove(const std::filesystem::path& path, std::string caption,
                     StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans renaming `from` to the free name `to`.
  std::size_t rename(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string caption = {}, StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans writing the file at `path` whole with `bytes`.
  std::size_t replaceWith(const std::filesystem::path& path, std::string bytes,
                          StepPolicy policy = StepPolicy::AllOrNothing);
  // The file that the Replace step `step` writes keeps the read-only mark of the file it
  // replaces; kNoStep and other steps are ignored.
  void keepReadOnly(std::size_t step);
  // Plans making the folder `path` (its parent there or planned before).
  std::size_t createFolder(const std::filesystem::path& path);
  // Plans renaming `from` to `to` where one of them lies in a scratch folder that the operation
  // fills only once it commits (an archive unpacked into a staging folder). The outcome and the
  // history show the step as the files `shown` it makes appear or go, never by the scratch
  // names; a dry run, which prepares nothing, checks the other steps alone and shows it so.
  std::size_t renamePrepared(const std::filesystem::path& from, const std::filesystem::path& to,
                             std::vector<ChangedFile> shown);
  // The files a prepared step shows as, or nullptr for a step that shows as itself.
  const std::vector<ChangedFile>* shownAs(std::size_t step) const;

  // What a failure leaves undone to the file the player changed ("eaw.ini was not saved"): a
  // failed commit then leads with it and the real reason, also when the journal or the history
  // could not be written. "" (the default) leaves the failure as the transaction says it.
  void setNotDone(std::string sentence) { notDone_ = std::move(sentence); }
  const std::string& notDone() const { return notDone_; }

  // Names the entry of a set whose steps follow; "" for none.
  void setOrigin(std::string origin);
  // The entry whose step failed the last commit; "" when it was none of them.
  const std::string& failedOrigin() const { return failedOrigin_; }
  // Notes that step `step` (an index of steps()) made the commit fail.
  void noteFailedStep(std::size_t step);

  // Notes that the step `step` writes FoldersLoaded.txt as `shown` (kNoStep: the record holds
  // it already); the window shows the selection once the change is made.
  void noteRecord(std::string shown, std::size_t step);
  // The selection the record shows once the change is made; none when it plans no record.
  const std::optional<std::string>& recordShown() const { return recordShown_; }
  // The step writing FoldersLoaded.txt, or kNoStep.
  std::size_t recordStep() const { return recordStep_; }

  // Notes what planning passed over (a folder that could not be listed); the outcome tells it.
  void passOver(std::string sentence) { passedOver_.add(std::move(sentence)); }
  // Notes every sentence of `problems` as passed over.
  void passOver(const Problems& problems) { passedOver_.add(problems); }
  // What planning passed over.
  const Problems& passedOver() const { return passedOver_; }

  // Files of one folder, named as its listing gives them.
  struct FolderFiles {
    std::filesystem::path folder;
    std::vector<std::string> names;
  };
  // The files `names` of `folder` lose their read-only mark once the change is made (a loaded
  // folder's own files).
  void makeWritableAfter(std::filesystem::path folder, std::vector<std::string> names) {
    writable_.push_back({std::move(folder), std::move(names)});
  }
  // The files makeWritableAfter noted.
  const std::vector<FolderFiles>& writableAfter() const { return writable_; }

  // The name `name` has in the listed folder as the steps leave it (any letter case), or
  // nullopt when there is nothing of that name.
  std::optional<std::string> find(const FolderIndex& folder, std::string_view name) const;
  // The folder's one file answering to `name` as the steps leave it, see FolderIndex::onlyFile.
  std::optional<std::string> onlyFile(const FolderIndex& folder, std::string_view name) const;
  // Every regular file of the listed folder answering to `name` as the steps leave it, see
  // FolderIndex::filesNamed; a name the change writes or deletes answers with its one outcome.
  std::vector<std::string> filesNamed(const FolderIndex& folder, std::string_view name) const;
  // True when a regular file will be at `path`.
  bool isFile(const std::filesystem::path& path) const;
  // The bytes the file at `path` will hold, read within `limit` as readFileBytes does; nullopt
  // and `ec` when there will be none or it cannot be read.
  std::optional<std::string> read(const std::filesystem::path& path, std::error_code& ec,
                                  std::size_t limit) const;

 private:
  // The step before a step that touched the same name: as the target, and as a rename's old
  // name. Each name's steps form a chain from the last one back.
  struct Earlier {
    std::size_t onTarget = kNoStep;
    std::size_t onSource = kNoStep;
  };
  enum class Planned { Untouched, File, Folder, Absent };

  std::size_t add(PlannedStep step, std::string key);
  // Drops the earlier steps that a new write of the name `key` makes needless.
  void foldIntoWrite(const std::string& key);
  // The last step, dropped or not, that touched the name `key`; kNoStep for none.
  std::size_t lastTouch(const std::string& key) const;
  // The step before `step` that touched the name `key`, which `step` touched.
  std::size_t earlierOn(std::size_t step, const std::string& key) const;
  // The last step not dropped that touched the name `key`.
  std::optional<std::size_t> lastOn(const std::string& key) const;
  bool readSince(std::size_t step, const std::string& key) const;
  void noteRead(std::size_t step) const;
  bool isTarget(std::size_t step, const std::string& key) const;
  // The slot of the name `key` in lastTouch_, or nullptr.
  std::uint64_t* touchSlot(const std::string& key, std::size_t hash) const;
  // Notes that step `index` touched the name `key` (as its source when `asSource`); returns the
  // step that touched it before, or kNoStep.
  std::size_t noteTouch(const std::string& key, std::size_t index, bool asSource);
  Planned plannedAt(const PathText& path, const PlannedStep** by) const;
  void drop(std::size_t step) { steps_[step].dropped = true; }

  std::string action_;
  std::string notDone_;
  std::filesystem::path gameDir_;
  std::vector<ChangedMark> marksBefore_;
  // Deques: growing them never copies the steps planned so far.
  std::deque<PlannedStep> steps_;
  std::deque<Earlier> earlier_;
  // By name, as touchKey gives it: the last step touching it, times two, plus one when the name
  // is that step's source (a rename's old name).
  mutable NameSlots lastTouch_;
  // The copies that read each name inside the game folder, once a fold asked.
  mutable std::optional<std::unordered_map<std::string, std::vector<std::size_t>>> reads_;
  // The entries named by setOrigin, each once; a step keeps the place of its own.
  std::vector<std::string> origins_{std::string()};
  std::uint32_t origin_ = 0;
  std::string failedOrigin_;
  std::optional<std::string> recordShown_;
  std::size_t recordStep_ = kNoStep;
  std::vector<FolderFiles> writable_;
  Problems passedOver_;
  std::unordered_map<std::size_t, std::vector<ChangedFile>> shownAs_;
};

// The loaded marks of the three grids, in grid order; G1's only while its frame shows.
std::vector<ChangedMark> loadedMarks(const FormState& state);

// The marks that differ between `before` and `after`, set ones and cleared ones.
std::vector<ChangedMark> changedMarks(const std::vector<ChangedMark>& before,
                                      const std::vector<ChangedMark>& after);

}  // namespace kvo
