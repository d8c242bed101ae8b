#pragma once

#include <optional>

#include "platform/listing.h"
#include "state/form_state.h"
#include "state/load_record.h"
#include "state/shell.h"

namespace kvo {

// What every subsystem works on: the window's state, the way to the player, the record of the
// loaded selection, and the game folder's listing for the operation in hand.
class Core final {
 public:
  explicit Core(Shell& shellRef) : shell(shellRef), record(state, shellRef) {}
  Core(const Core&) = delete;
  Core& operator=(const Core&) = delete;

  // The game folder listed once for the whole operation, and again only when the folder
  // changed behind it; an operation that changes the game folder notes its changes in it.
  FolderIndex& gameFolder();
  // Drops the listing, so that the next use lists the game folder again.
  void forgetGameFolder() { gameFolder_.reset(); }

  FormState state;
  Shell& shell;
  LoadRecord record;

 private:
  std::optional<FolderIndex> gameFolder_;
};

}  // namespace kvo
