#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/instance_lock.h"

namespace kvo {
namespace fs = std::filesystem;

struct InstanceLock::Handle {
  int fd = -1;
  ~Handle() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

// The lock file opened without following a link; -1 when there is none that this user owns.
int openLockFile(const fs::path& file) {
  // O_CLOEXEC keeps the game started from the selector from inheriting the lock.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  // A lock file another user made could be held by that user to keep this one out.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::acquire(const fs::path& gameDir) {
  auto handle = std::make_unique<Handle>();
  const auto file = lockFile(gameDir);
  if (file) handle->fd = openLockFile(*file);
  // Without a lock file nothing can be detected; the selector still starts.
  if (handle->fd < 0) return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
  // flock belongs to the open file description, so a second open in this same process
  // conflicts too, and the kernel drops it when the holder dies.
  int result;
  do {
    result = ::flock(handle->fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  // Any other failure (a file system without locks) cannot detect anything; start anyway.
  if (result != 0 && errno == EWOULDBLOCK) return nullptr;
  return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(handle)));
}

InstanceLock::~InstanceLock() = default;

InstanceLock::InstanceLock(std::unique_ptr<Handle> handle) : handle_(std::move(handle)) {}

}  // namespace kvo
