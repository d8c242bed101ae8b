#include "state/core.h"

namespace kvo {

FolderIndex& Core::gameFolder() {
  if (!gameFolder_ || gameFolder_->dir() != state.GameDir || gameFolder_->stale()) {
    gameFolder_.emplace(state.GameDir);
  }
  return *gameFolder_;
}

}  // namespace kvo
