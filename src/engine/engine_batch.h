#pragma once

#include "engine/folder_engine.h"

namespace kvo {

// One user action of the engine (a click, a refresh): refuses clicks that arrive while it
// runs, and reports a failed write of FoldersLoaded.txt once at its end, and only when the
// last write failed, since every later write replaces the whole file.
class FolderEngine::Batch final {
 public:
  explicit Batch(FolderEngine& engine);
  ~Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  FolderEngine& e_;
  bool wasBusy_;
};

}  // namespace kvo
