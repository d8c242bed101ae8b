#pragma once

#include <filesystem>
#include <memory>

namespace kvo {

// Holds the one-selector-per-game-folder lock for as long as it lives. The operating system
// drops the lock when the process ends, so a crashed selector never blocks the next start.
class InstanceLock final {
 public:
  // The lock for `gameDir`, or nullptr when another live process (or another lock object of
  // this process) holds it already. When the lock itself cannot be made (no writable lock
  // folder, no locking) a lock that guards nothing is returned, so the selector still starts.
  // Linux: flock on "kvo-<hash>.lock" in $XDG_RUNTIME_DIR or the temporary folder; Windows: a
  // named mutex; both named by a hash of the canonical game folder path.
  static std::unique_ptr<InstanceLock> acquire(const std::filesystem::path& gameDir);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  struct Handle;
  explicit InstanceLock(std::unique_ptr<Handle> handle);
  std::unique_ptr<Handle> handle_;
};

}  // namespace kvo
