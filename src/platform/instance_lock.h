#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace kvo {

// Holds the one-selector-per-game-folder lock for as long as it lives. The operating system
// drops the lock when the process ends, so a crashed selector never blocks the next start.
class InstanceLock final {
 public:
  // What an attempt to take the lock came to: the lock, another selector holding it, or the
  // reason it cannot be taken at all.
  struct Attempt {
    std::unique_ptr<InstanceLock> lock;
    // When the lock cannot be taken: one message naming the lock file, the reason and what
    // the player can do. Empty when taken or held by another selector.
    std::string problem;
    bool heldElsewhere() const { return !lock && problem.empty(); }
  };

  // The lock for `gameDir`. It is the file "kvo.lock" in the selector folder KVO128 (found in
  // any letter case, made when missing), so every process that changes this game folder meets
  // the same one whatever its environment: flock on Linux, a byte-range lock (LockFileEx) on
  // Windows. A selector never runs without it: a lock file that is a link, not a regular file,
  // unreadable, or on a disk without locks is a problem. One that another user left (a start
  // with sudo) and nobody holds is replaced by a rename, never written through.
  static Attempt acquire(const std::filesystem::path& gameDir);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // The name of the lock file in the selector folder.
  static constexpr const char* kFileName = "kvo.lock";

 private:
  struct Handle;
  explicit InstanceLock(std::unique_ptr<Handle> handle);
  // The lock file of `gameDir`, its selector folder made when missing; or the problem.
  static std::filesystem::path lockFile(const std::filesystem::path& gameDir, std::string& problem);
  // Takes the lock at `file`, a path whose folder is known to be a real folder.
  static Attempt lockAt(const std::filesystem::path& file);
  // Puts a fresh, locked file in place of a lock file of another user that nobody holds.
  static Attempt replaceForeign(const std::filesystem::path& file);
  std::unique_ptr<Handle> handle_;
};

// The message for a lock file that cannot be taken: the file, why, and what to do.
std::string lockProblem(const std::filesystem::path& file, std::string_view reason,
                        std::string_view whatToDo);

}  // namespace kvo
