#pragma once

#include <filesystem>
#include <memory>
#include <optional>

namespace kvo {

// Holds the one-selector-per-game-folder lock for as long as it lives. The operating system
// drops the lock when the process ends, so a crashed selector never blocks the next start.
class InstanceLock final {
 public:
  // The lock for `gameDir`, or nullptr when another live process (or another lock object of
  // this process) holds it already. The lock is the file "kvo.lock" in the selector folder
  // KVO128 (found in any letter case, created when missing), so every process that changes
  // this game folder meets the same one whatever its environment: flock on Linux, a byte-range
  // lock (LockFileEx) on Windows. Only its owner may open it (mode 0600), so another
  // user cannot hold it. Where no lock can be made (no game folder, a selector folder that
  // is a link or cannot be created, a lock file of another user) a lock that guards nothing
  // is returned, so the selector still starts.
  static std::unique_ptr<InstanceLock> acquire(const std::filesystem::path& gameDir);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

 private:
  struct Handle;
  explicit InstanceLock(std::unique_ptr<Handle> handle);
  // The lock file of `gameDir`, its selector folder made when missing; nullopt when there
  // is no place for one that is not reached through a link.
  static std::optional<std::filesystem::path> lockFile(const std::filesystem::path& gameDir);
  std::unique_ptr<Handle> handle_;
};

}  // namespace kvo
