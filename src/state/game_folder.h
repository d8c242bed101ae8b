#pragma once

#include <optional>

#include "platform/listing.h"
#include "state/form_state.h"
#include "state/game_change.h"
#include "state/load_record.h"
#include "state/outcome.h"
#include "state/shell.h"

namespace kvo {

// The game folder as operations change it: its listing for the operation in hand, and the
// one way its files change, committing a planned GameChange as one transaction. In a dry run
// the same call checks the change and tells what it would do, changing nothing.
class GameFolder final {
 public:
  GameFolder(FormState& state, LoadRecord& record, Shell& shell)
      : state_(state), record_(record), shell_(shell) {}
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  // The game folder listed once for the whole operation, and again only when the folder
  // changed behind it.
  FolderIndex& listing();
  // Drops the listing, so that the next use lists the game folder again.
  void forgetListing() { listing_.reset(); }

  // From now on commit() only checks (true), or commits again (false).
  void setDryRun(bool on) { dryRun_ = on; }
  bool dryRun() const { return dryRun_; }

  // Checks `change` and commits it as one transaction, with FoldersLoaded.txt and one entry of
  // the history as its last steps; the progress shows in the caption meanwhile. The outcome
  // names every file and mark changed, or the one reason nothing changed (a failed step of a
  // set names its entry, see GameChange::failedOrigin). A change of the game's files is
  // refused while EAW runs from the game folder. In a dry run: the same checks, the outcome
  // `planned`, nothing written.
  Outcome commit(GameChange& change);

 private:
  Changes changesOf(const GameChange& change, const std::vector<std::size_t>& live,
                    const FileTransaction& transaction) const;
  bool touchesGame(const GameChange& change) const;
  std::vector<std::size_t> planSteps(GameChange& change, FileTransaction& transaction) const;
  void commitChecked(GameChange& change, const std::vector<std::size_t>& live,
                     FileTransaction& transaction, Outcome& outcome);
  bool runSteps(GameChange& change, const std::vector<std::size_t>& live,
                FileTransaction& transaction, Outcome& outcome);

  FormState& state_;
  LoadRecord& record_;
  Shell& shell_;
  std::optional<FolderIndex> listing_;
  bool dryRun_ = false;
};

// A dry run for as long as it lives: GameFolder::commit only checks.
class DryRun final {
 public:
  explicit DryRun(GameFolder& game) : game_(game), was_(game.dryRun()) { game.setDryRun(true); }
  ~DryRun() { game_.setDryRun(was_); }
  DryRun(const DryRun&) = delete;
  DryRun& operator=(const DryRun&) = delete;

 private:
  GameFolder& game_;
  bool was_;
};

// A file below the game folder of `state` as the history and a dry run name it: relative to the
// game folder, "\" between the parts; a file elsewhere by its full path.
std::string shownName(const FormState& state, const std::filesystem::path& file);

// Writes a file of the selector folder whole as a change of its own that no history keeps (a
// first start's kvo.ini); a file that is a link is refused and left as it is. One sentence
// naming the file and the reason, or "".
std::string writeSelectorFile(const FormState& state, const std::filesystem::path& file,
                              std::string bytes);

}  // namespace kvo
