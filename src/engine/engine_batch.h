#pragma once

#include "engine/folder_engine.h"
#include "state/core.h"

namespace kvo {

// One user action of the engine (a click, a refresh): refuses clicks that arrive while it
// runs, and writes FoldersLoaded.txt once at its end.
class FolderEngine::Batch final {
 public:
  explicit Batch(FolderEngine& engine);
  ~Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  FolderEngine& e_;
  bool wasBusy_;
  LoadRecord::Batch record_;
};

}  // namespace kvo
