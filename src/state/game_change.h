#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "state/core.h"
#include "state/problems.h"
#include "transaction/transaction.h"

namespace kvo {

// What a change of the game folder says while EAW runs from it.
inline constexpr std::string_view kGameRunningText =
    "EAW is running. Close the game before changing its files.";

// The file name of the journal a change keeps in the selector folder while it runs.
inline constexpr std::string_view kJournalName = "Unfinished change.kvo";

// The journal of the game folder's selector folder.
std::filesystem::path journalPath(const FormState& state);

// One user action's change of the game folder and of the selector's files: its steps and,
// when asked, FoldersLoaded.txt as the grids' marks give it afterwards, committed as one
// transaction. A failure leaves every file as it was; the caller puts its marks back.
// Each step has the caption the window shows while it runs ("Deleting NAME"); empty for none.
class GameChange final {
 public:
  explicit GameChange(Core& core);
  GameChange(const GameChange&) = delete;
  GameChange& operator=(const GameChange&) = delete;

  void copyOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::string caption, StepPolicy policy = StepPolicy::AllOrNothing);
  void remove(const std::filesystem::path& path, std::string caption,
              StepPolicy policy = StepPolicy::AllOrNothing);
  void rename(const std::filesystem::path& from, const std::filesystem::path& to,
              std::string caption = {}, StepPolicy policy = StepPolicy::AllOrNothing);
  void replaceWith(const std::filesystem::path& path, std::string bytes,
                   StepPolicy policy = StepPolicy::AllOrNothing);
  void createFolder(const std::filesystem::path& path);
  // Plans FoldersLoaded.txt from the marks the grids have now, as the change's last step.
  void recordSelection();
  // A sentence on something the change leaves alone on purpose (a file a damaged record
  // names); a commit that goes ahead adds it to its problems.
  void passOver(std::string sentence) { passedOver_.push_back(std::move(sentence)); }
  bool empty() const { return transaction_.size() == 0; }

  // Checks and commits every step. True when the change happened: the set-aside files and
  // the journal are gone, and `problems` holds what best-effort steps could not do. False:
  // nothing changed and failure() says why in one message. A change of the game's files is
  // refused while EAW runs from the game folder; one of the selector's own files is not.
  bool commit(Problems& problems);
  const std::string& failure() const { return failure_; }

 private:
  Core& core_;
  FileTransaction transaction_;
  std::vector<std::string> captions_;
  std::string selectionText_;
  bool withRecord_ = false;
  std::string failure_;
  std::vector<std::string> passedOver_;
  bool touchesGame_ = false;  // a step outside the selector folder
  void note(const std::filesystem::path& path);
};

}  // namespace kvo
