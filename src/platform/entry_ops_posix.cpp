#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/entry_ops.h"
#include "platform/failure_words.h"
#include "platform/path_guard.h"

#ifdef __linux__
#include <sys/sendfile.h>
#endif

namespace kvo {
namespace fs = std::filesystem;

namespace {

std::error_code errnoCode(int value = errno) {
  return std::error_code(value, std::generic_category());
}

class Descriptor final {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  // Closes now: a failed close may be the first report of a failed write (NFS, quotas).
  std::error_code close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? std::error_code() : errnoCode();
  }

 private:
  int fd_;
};

std::error_code writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errnoCode();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code copyByReading(int in, int out) {
  static thread_local char buffer[1 << 17];
  while (true) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errnoCode();
    }
    if (got == 0) return {};
    if (auto ec = writeAll(out, std::string_view(buffer, static_cast<std::size_t>(got)))) {
      return ec;
    }
  }
}

// The kernel copies without a trip through this process where it can; file systems that
// cannot (or older kernels) fall back to reading and writing. A file whose size the system
// reports as 0 (/proc) is read to its end.
std::error_code copyData(int in, int out, off_t size) {
#ifdef __linux__
  off_t left = size;
  while (left > 0) {
    const ssize_t sent =
        ::copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
          errno == EBADF) {
        if (left != size) return errnoCode();  // a half-done kernel copy is not resumed
        return copyByReading(in, out);
      }
      return errnoCode();
    }
    if (sent == 0) return {};  // the file shrank meanwhile; what is there is copied
    left -= sent;
  }
  if (size > 0) return {};
#else
  (void)size;
#endif
  return copyByReading(in, out);
}

std::error_code syncFolderOf(const fs::path& file) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return errnoCode();
  if (::fsync(dir.get()) != 0 && errno != EINVAL) return errnoCode();
  return {};
}

}  // namespace

EntryKind entryKind(const fs::path& path, std::error_code& ec) {
  return entryFacts(path.native(), ec).kind;
}

namespace {

EntryFacts factsOf(const struct stat& info) {
  EntryFacts facts;
  facts.kind = S_ISLNK(info.st_mode)   ? EntryKind::Link
               : S_ISREG(info.st_mode) ? EntryKind::File
               : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                       : EntryKind::Other;
  if (facts.kind != EntryKind::File) return facts;
  // The owner's bits are the owner's rights, access lists or not; anyone else's may differ.
  static const uid_t us = ::geteuid();
  facts.surelyReadable = info.st_uid == us && (info.st_mode & S_IRUSR) != 0;
  facts.nothingToClear = (info.st_mode & S_IWUSR) != 0;
  return facts;
}

EntryFacts missingOr(std::error_code& ec) {
  if (errno != ENOENT && errno != ENOTDIR) ec = errnoCode();
  return {};
}

}  // namespace

EntryFacts entryFacts(const fs::path::string_type& path, std::error_code& ec) {
  ec.clear();
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return missingOr(ec);
  return factsOf(info);
}

EntryProber::~EntryProber() {
  if (folderHandle_ >= 0) ::close(folderHandle_);
}

EntryFacts EntryProber::facts(const fs::path::string_type& path, std::error_code& ec) {
  const auto slash = path.rfind('/');
  // The root's entries and a path ending in "/" have no name to look up from a folder.
  if (slash == std::string::npos || slash == 0 || slash + 1 == path.size()) {
    return entryFacts(path, ec);
  }
  if (slash != folder_.size() || path.compare(0, slash, folder_) != 0) {
    if (folderHandle_ >= 0) ::close(folderHandle_);
    folder_.assign(path, 0, slash);
    folderHandle_ = ::open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  // A folder that cannot be opened gets the answer the whole path gets.
  if (folderHandle_ < 0) return entryFacts(path, ec);
  ec.clear();
  struct stat info {};
  if (::fstatat(folderHandle_, path.c_str() + slash + 1, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return missingOr(ec);
  }
  return factsOf(info);
}

namespace {

// Opens `from` for a copy when it is a regular file; `info` then holds what fstat said.
std::error_code openCopySource(const fs::path& from, Descriptor& in, struct stat& info) {
  // O_NONBLOCK: a FIFO put in the source's place meanwhile must not hang the copy.
  in = Descriptor(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (in.get() < 0) return errnoCode();
  if (::fstat(in.get(), &info) != 0) return errnoCode();
  if (S_ISDIR(info.st_mode)) return errnoCode(EISDIR);
  if (!S_ISREG(info.st_mode)) return errnoCode(EINVAL);
  return {};
}

}  // namespace

std::error_code copyToNewFile(const fs::path& from, const fs::path& to) {
  Descriptor in(-1);
  struct stat info {};
  if (auto ec = openCopySource(from, in, info)) return ec;
  const mode_t mode = (info.st_mode & 0777) | S_IWUSR;
  Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (out.get() < 0) return errnoCode();
  auto ec = copyData(in.get(), out.get(), info.st_size);
  if (!ec) ec = out.close();
  if (ec) ::unlink(to.c_str());
  return ec;
}

#ifdef O_TMPFILE
namespace {

// Whether nameless files can be named here at all; see nameNamelessFile.
std::atomic<bool> namelessFilesNamed{true};

// Names the nameless file open as `fd`. Linux 6.10 and later let whoever opened the file name
// it directly; before, that needs a privilege, and the name goes through the descriptor's
// entry under /proc, a slower lookup, which is then used for good. Without /proc no copy is
// made nameless again.
std::error_code nameNamelessFile(int fd, const fs::path& to) {
  static std::atomic<bool> directly{true};
  if (directly.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0) return {};
    if (errno != ENOENT && errno != EPERM) return errnoCode();
    directly.store(false, std::memory_order_relaxed);
  }
  const auto self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return {};
  if (errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    namelessFilesNamed.store(false, std::memory_order_relaxed);
    return std::make_error_code(std::errc::operation_not_supported);
  }
  return errnoCode();
}

}  // namespace
#endif

std::error_code copyIntoFreeName(const fs::path& from, const fs::path& to) {
#ifdef O_TMPFILE
  if (!namelessFilesNamed.load(std::memory_order_relaxed)) {
    return std::make_error_code(std::errc::operation_not_supported);
  }
  Descriptor in(-1);
  struct stat info {};
  if (auto ec = openCopySource(from, in, info)) return ec;
  const mode_t mode = (info.st_mode & 0777) | S_IWUSR;
  const auto folder = to.parent_path();
  Descriptor out(
      ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
  if (out.get() < 0) {
    // Older kernels take the flag for O_DIRECTORY; some file systems have no nameless files.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
      return std::make_error_code(std::errc::operation_not_supported);
    }
    return errnoCode();
  }
  if (auto ec = copyData(in.get(), out.get(), info.st_size)) return ec;
  if (auto ec = nameNamelessFile(out.get(), to)) return ec;
  if (auto ec = out.close()) {
    ::unlink(to.c_str());
    return ec;
  }
  return {};
#else
  (void)from;
  (void)to;
  return std::make_error_code(std::errc::operation_not_supported);
#endif
}

std::error_code linkToNewFile(const fs::path& from, const fs::path& to) {
  // Without AT_SYMLINK_FOLLOW a link at `from` would be linked as the link it is; what was
  // linked is looked at through the new name, which is the same file, and taken back when it
  // is no regular file or a read-only one. One call fewer than asking first, for each file.
  if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) != 0) return errnoCode();
  struct stat made {};
  std::error_code refused;
  if (::lstat(to.c_str(), &made) != 0) {
    refused = errnoCode();
  } else if (S_ISDIR(made.st_mode)) {
    refused = errnoCode(EISDIR);
  } else if (!S_ISREG(made.st_mode)) {
    refused = errnoCode(EINVAL);
  } else if ((made.st_mode & S_IWUSR) == 0) {
    refused = Refusal::ReadOnlySource;
  }
  if (refused) ::unlink(to.c_str());
  return refused;
}

std::error_code writeNewFile(const fs::path& to, std::string_view bytes, const fs::path& modeOf) {
  mode_t mode = 0666;
  bool keepMode = false;
  struct stat info {};
  if (!modeOf.empty() && ::lstat(modeOf.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
    mode = (info.st_mode & 07777) | S_IWUSR;
    keepMode = true;
  }
  Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        keepMode ? 0600 : mode));
  if (out.get() < 0) return errnoCode();
  auto ec = writeAll(out.get(), bytes);
  // The replacement keeps the old file's mode exactly, whatever the umask says.
  if (!ec && keepMode && ::fchmod(out.get(), mode) != 0) ec = errnoCode();
  if (!ec) ec = out.close();
  if (ec) ::unlink(to.c_str());
  return ec;
}

std::error_code renameNoReplace(const fs::path& from, const fs::path& to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return {};
  }
  if (errno != EINVAL && errno != ENOSYS) return errnoCode();
#endif
  // A file system without the no-replace flag: a check right before is the best there is.
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) return errnoCode(EEXIST);
  if (::rename(from.c_str(), to.c_str()) != 0) return errnoCode();
  return {};
}

std::error_code renameReplacing(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return errnoCode();
  // Renaming a name over another name of the same file does nothing at all; the old name
  // must still go, or a set-aside file would outlive its transaction.
  struct stat left {};
  struct stat kept {};
  if (::lstat(from.c_str(), &left) == 0 && ::lstat(to.c_str(), &kept) == 0 &&
      left.st_dev == kept.st_dev && left.st_ino == kept.st_ino && ::unlink(from.c_str()) != 0) {
    return errnoCode();
  }
  return {};
}

std::error_code unlinkEntry(const fs::path& path) {
  if (::unlink(path.c_str()) == 0) return {};
  const int error = errno;
  struct stat info {};
  // Linux says EISDIR, POSIX allows EPERM for a folder.
  if ((error == EPERM || error == EISDIR) && ::lstat(path.c_str(), &info) == 0 &&
      S_ISDIR(info.st_mode)) {
    return errnoCode(EISDIR);
  }
  return errnoCode(error);
}

std::error_code makeOneFolder(const fs::path& path) {
  if (::mkdir(path.c_str(), 0777) != 0) return errnoCode();
  return {};
}

std::error_code removeEmptyFolder(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errnoCode();
  if (!S_ISDIR(info.st_mode)) return errnoCode(ENOTDIR);
  if (::rmdir(path.c_str()) != 0) return errnoCode();
  return {};
}

namespace {

// Sets the mode of the entry itself, never of a file a link points to.
std::error_code setModeNoFollow(const fs::path& path, mode_t mode) {
  // AT_SYMLINK_NOFOLLOW closes the gap in which the file could be swapped for a link.
  if (::fchmodat(AT_FDCWD, path.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0) return {};
  if (errno != EOPNOTSUPP && errno != ENOTSUP) return errnoCode();
  // Without /proc the C library cannot do the above; an fd opened without following does.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return errnoCode();
  if (::fchmod(fd.get(), mode) != 0) return errnoCode();
  return {};
}

}  // namespace

std::error_code clearReadOnly(const fs::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errnoCode();
  if (S_ISLNK(info.st_mode)) return errnoCode(ELOOP);
  if ((info.st_mode & S_IWUSR) != 0) return {};
  // The mode belongs to the file, not the name: another name of it may lie anywhere.
  if (S_ISREG(info.st_mode) && info.st_nlink > 1) return Refusal::SharedByHardLink;
  return setModeNoFollow(path, (info.st_mode & 07777) | S_IWUSR);
}

bool hasReadOnlyMark(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         (info.st_mode & S_IWUSR) == 0;
}

std::error_code copyReadOnlyMark(const fs::path& original, const fs::path& fresh) {
  struct stat info {};
  if (::lstat(original.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      (info.st_mode & S_IWUSR) != 0) {
    return {};
  }
  return setModeNoFollow(fresh, info.st_mode & 07777);
}

std::error_code folderAcceptsWrites(const fs::path& dir) {
  if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errnoCode();
  return {};
}

std::error_code fileReadable(const fs::path& file) {
  if (::faccessat(AT_FDCWD, file.c_str(), R_OK, AT_EACCESS) != 0) return errnoCode();
  return {};
}

std::error_code writeNewFileDurably(const fs::path& file, std::string_view bytes) {
  Descriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (out.get() < 0) return errnoCode();
  auto ec = writeAll(out.get(), bytes);
  if (!ec && ::fsync(out.get()) != 0) ec = errnoCode();
  if (!ec) ec = out.close();
  if (!ec) ec = syncFolderOf(file);
  if (ec) ::unlink(file.c_str());
  return ec;
}

std::error_code appendDurably(const fs::path& file, std::string_view bytes) {
  Descriptor out(::open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
  if (out.get() < 0) return errnoCode();
  struct stat info {};
  if (::fstat(out.get(), &info) != 0) return errnoCode();
  auto ec = writeAll(out.get(), bytes);
  if (!ec && ::fsync(out.get()) != 0) ec = errnoCode();
  if (ec && ::ftruncate(out.get(), info.st_size) == 0) ::fsync(out.get());
  if (!ec) ec = out.close();
  return ec;
}

void flushDiskOf(const fs::path& path) {
#ifdef __linux__
  Descriptor dir(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (dir.get() >= 0) ::syncfs(dir.get());
#else
  (void)path;
  ::sync();
#endif
}

bool isLexicallyNormal(const std::string& text) {
  if (text.empty() || text.back() == '/') return text == "/";
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view part(text.data() + start, end - start);
    // An empty part is the root's own slash only at the very start.
    if ((part.empty() && start != 0) || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

std::string pathKey(const fs::path& path) {
  // Normalising costs a list of parts per call; most paths here are normal already.
  if (isLexicallyNormal(path.native())) return path.native();
  return path.lexically_normal().native();
}

bool pathToJournalText(const fs::path& path, std::string& text) {
  text = path.generic_string();
  return true;
}

std::optional<fs::path> pathFromJournalText(std::string_view text) {
  return fs::path(std::string(text));
}

std::optional<std::string> systemReason(const std::error_code& ec) {
  return errnoReason(ec.value());
}

unsigned long processNumber() {
  return static_cast<unsigned long>(::getpid());
}

}  // namespace kvo
