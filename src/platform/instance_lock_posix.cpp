#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/failure_words.h"
#include "platform/instance_lock.h"
#include "platform/read_limits.h"
#include "platform/text_file.h"

namespace kvo {
namespace fs = std::filesystem;

struct InstanceLock::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

constexpr std::string_view kStartAgain = "Delete it, and start the selector again.";

std::error_code errnoCode(int value = errno) {
  return std::error_code(value, std::generic_category());
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether some process holds a lock on the file `info` describes, from the system's table of
// locks (the file itself may be one this user cannot open); nullopt when the table cannot be
// read.
std::optional<bool> lockedInSystemTable(const struct stat& info) {
  std::error_code ec;
  const auto table = readFileBytes("/proc/locks", ec, read_limit::kSystemTable);
  if (!table) return std::nullopt;
  for (const auto& line : splitLines(*table)) {
    // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:10952744 0 EOF": device in hex, then the inode.
    for (const auto field : splitAt(line, ' ')) {
      unsigned major = 0;
      unsigned minor = 0;
      unsigned long inode = 0;
      const std::string text(field);
      if (std::sscanf(text.c_str(), "%x:%x:%lu", &major, &minor, &inode) == 3 &&
          inode == info.st_ino && major == ::major(info.st_dev) && minor == ::minor(info.st_dev)) {
        return true;
      }
    }
  }
  return false;
}

// Locks the open lock file; the attempt says whether it is taken.
InstanceLock::Attempt lockOpened(const fs::path& file, int fd, bool& taken) {
  taken = false;
  struct stat info {};
  if (::fstat(fd, &info) != 0)
    return {nullptr, lockProblem(file, failureReason(errnoCode()), kStartAgain)};
  if (!S_ISREG(info.st_mode))
    return {nullptr, lockProblem(file, "it is not a regular file", kStartAgain)};
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0 && errno == EWOULDBLOCK) return {};
  if (result != 0) {
    return {nullptr,
            lockProblem(file, "the disk does not lock files (" + failureReason(errnoCode()) + ")",
                        "Keep the game folder on a local disk.")};
  }
  taken = true;
  return {};
}

}  // namespace

InstanceLock::Attempt InstanceLock::lockAt(const fs::path& file) {
  // A start that replaced the file between the open and the lock leaves a lock on a file that
  // no longer has the name; the next round opens the new one.
  for (int round = 0; round < 8; ++round) {
    // O_NONBLOCK: a FIFO in its place must not hang the start; O_CLOEXEC keeps the game started
    // from the selector from inheriting the lock. Anyone may read it, so that a lock file made
    // by a start with sudo still locks out the player's own selector and vice versa.
    auto handle = std::make_unique<Handle>();
    handle->fd =
        ::open(file.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (handle->fd < 0) {
      const int error = errno;
      if (error == EACCES || error == EPERM) return replaceForeign(file);
      if (error == ELOOP)
        return {nullptr, lockProblem(file, "it is a link to another place", kStartAgain)};
      return {nullptr, lockProblem(file, failureReason(errnoCode(error)), kStartAgain)};
    }
    bool taken = false;
    auto attempt = lockOpened(file, handle->fd, taken);
    if (!taken) return attempt;
    struct stat held {};
    struct stat named {};
    if (::fstat(handle->fd, &held) == 0 && ::lstat(file.c_str(), &named) == 0 &&
        sameFile(held, named)) {
      return {std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle))), {}};
    }
  }
  return {};
}

InstanceLock::Attempt InstanceLock::replaceForeign(const fs::path& file) {
  struct stat old {};
  if (::lstat(file.c_str(), &old) != 0)
    return {nullptr, lockProblem(file, failureReason(errnoCode()), kStartAgain)};
  if (old.st_uid == ::geteuid()) {
    return {nullptr, lockProblem(file, "it cannot be read (access is denied)",
                                 "Make it readable or delete it, and start the selector again.")};
  }
  const std::string asOwner =
      "Delete it as the user it belongs to (or with sudo), and start the selector again.";
  if (::faccessat(AT_FDCWD, file.parent_path().c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    return {nullptr, lockProblem(file, "it belongs to another user", asOwner)};
  }
  const auto before = lockedInSystemTable(old);
  if (!before)
    return {
        nullptr,
        lockProblem(
            file,
            "it belongs to another user, and whether that user's selector holds it cannot be told",
            asOwner)};
  if (*before) return {};  // another user's selector runs on this game folder
  // The new lock file is locked before it takes the name, so that no start finds it free.
  fs::path fresh = file;
  fresh += "." + std::to_string(::getpid()) + ".new";
  auto handle = std::make_unique<Handle>();
  handle->fd = ::open(fresh.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (handle->fd < 0)
    return {nullptr, lockProblem(file,
                                 "a new lock file cannot be made beside it (" +
                                     failureReason(errnoCode()) + ")",
                                 asOwner)};
  bool taken = false;
  auto attempt = lockOpened(fresh, handle->fd, taken);
  if (taken && ::rename(fresh.c_str(), file.c_str()) != 0) {
    attempt = {
        nullptr,
        lockProblem(file, "it cannot be replaced (" + failureReason(errnoCode()) + ")", asOwner)};
    taken = false;
  }
  if (!taken) {
    ::unlink(fresh.c_str());
    return attempt;
  }
  // A selector of that user that locked the old file just before the rename still runs.
  if (lockedInSystemTable(old).value_or(true)) return {};
  return {std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle))), {}};
}

InstanceLock::~InstanceLock() = default;

InstanceLock::InstanceLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

}  // namespace kvo
