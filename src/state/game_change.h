#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

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

// One step of a planned change.
struct PlannedStep {
  StepKind kind = StepKind::Copy;
  std::filesystem::path target;
  std::filesystem::path source;  // Copy: the file copied; Rename: the old name
  std::string bytes;             // Replace: the new contents
  StepPolicy policy = StepPolicy::AllOrNothing;
  std::string caption;   // what the window's caption says while it runs ("Deleting NAME")
  std::string origin;    // the entry of a set that planned it, named when it fails
  bool dropped = false;  // folded into a later step of the same file
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
  const std::vector<PlannedStep>& steps() const { return steps_; }
  // True when no step is left to do.
  bool empty() const;
  // The loaded marks of the three grids before the change.
  const std::vector<ChangedMark>& marksBefore() const { return marksBefore_; }

  // Each planning call returns the index of its step, or kNoStep when it folded into none;
  // `caption` is what the window's caption says while the step runs.
  // Plans copying the file `from` over or to `to`.
  std::size_t copyOver(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string caption, StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans deleting the file at `path`.
  std::size_t remove(const std::filesystem::path& path, std::string caption,
                     StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans renaming `from` to the free name `to`.
  std::size_t rename(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string caption = {}, StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans writing the file at `path` whole with `bytes`.
  std::size_t replaceWith(const std::filesystem::path& path, std::string bytes,
                          StepPolicy policy = StepPolicy::AllOrNothing);
  // Plans making the folder `path` (its parent there or planned before).
  std::size_t createFolder(const std::filesystem::path& path);

  // Names the entry of a set whose steps follow; "" for none.
  void setOrigin(std::string origin) { origin_ = std::move(origin); }
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

  // Files whose read-only mark goes once the change is made (a loaded folder's own files).
  void makeWritableAfter(std::filesystem::path file) { writable_.push_back(std::move(file)); }
  // The files makeWritableAfter noted.
  const std::vector<std::filesystem::path>& writableAfter() const { return writable_; }

  // The name `name` has in the listed folder as the steps leave it (any letter case), or
  // nullopt when there is nothing of that name.
  std::optional<std::string> find(const FolderIndex& folder, std::string_view name) const;
  // The folder's one file answering to `name` as the steps leave it, see FolderIndex::onlyFile.
  std::optional<std::string> onlyFile(const FolderIndex& folder, std::string_view name) const;
  // True when a regular file will be at `path`.
  bool isFile(const std::filesystem::path& path) const;
  // The bytes the file at `path` will hold; nullopt and `ec` when there will be none or it
  // cannot be read.
  std::optional<std::string> read(const std::filesystem::path& path, std::error_code& ec) const;

 private:
  // The steps that touched one name, in planning order: as the target, or as the old name of a
  // rename.
  struct Touches {
    std::vector<std::size_t> steps;
  };
  enum class Planned { Untouched, File, Folder, Absent };

  std::size_t add(PlannedStep step, std::string key);
  // Drops the earlier steps that a new write of the name `key` makes needless.
  void foldIntoWrite(const std::string& key);
  const Touches* findTouches(const std::string& key) const;
  std::optional<std::size_t> lastOn(const Touches& touches) const;
  bool readSince(std::size_t step, const std::string& key) const;
  void noteRead(std::size_t step) const;
  bool isTarget(std::size_t step, const std::string& key) const;
  Planned plannedAt(const std::filesystem::path& path, const PlannedStep** by) const;
  void drop(std::size_t step) { steps_[step].dropped = true; }

  std::string action_;
  std::filesystem::path gameDir_;
  std::vector<ChangedMark> marksBefore_;
  std::vector<PlannedStep> steps_;
  std::vector<std::string> targetKeys_;  // the name each step's target is known by
  std::unordered_map<std::string, Touches> touches_;
  // The copies that read each name inside the game folder, once a fold asked.
  mutable std::optional<std::unordered_map<std::string, std::vector<std::size_t>>> reads_;
  std::string origin_;
  std::string failedOrigin_;
  std::optional<std::string> recordShown_;
  std::size_t recordStep_ = kNoStep;
  std::vector<std::filesystem::path> writable_;
  Problems passedOver_;
};

// The loaded marks of the three grids, in grid order; G1's only while its frame shows.
std::vector<ChangedMark> loadedMarks(const FormState& state);

// The marks that differ between `before` and `after`, set ones and cleared ones.
std::vector<ChangedMark> changedMarks(const std::vector<ChangedMark>& before,
                                      const std::vector<ChangedMark>& after);

}  // namespace kvo
