#include "platform/text_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file_ops.h"
#include "platform/path_guard.h"

#ifdef _WIN32
#include "platform/windows_error.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvo {
namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

class FileHandle final {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) {
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closes now so that the file can be renamed; false when closing failed.
  bool close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};
#else
std::error_code errnoCode() {
  return std::error_code(errno, std::generic_category());
}

class FileDescriptor final {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; a failed close may be the first report of a failed write.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
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
#endif

// A name for the temporary file that no other writer (thread or process) picks at once.
fs::path temporaryNameFor(const fs::path& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  const unsigned long pid = GetCurrentProcessId();
#else
  const auto pid = static_cast<unsigned long>(::getpid());
#endif
  const auto ticks =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::string suffix = ".kvo-tmp-" + std::to_string(pid) + "-" + std::to_string(counter++) + "-" +
                       std::to_string(ticks % 1000000007ULL) + "-" + std::to_string(attempt);
  fs::path name = target.filename();
  name += suffix;
  return target.parent_path() / name;
}

}  // namespace

namespace {

#ifdef _WIN32
// The file opened for reading when it is a regular file on a disk, with its size.
FileHandle openRegularFile(const fs::path& path, std::uint64_t& size, std::error_code& ec) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    ec = lastWindowsError();
    return file;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ec = Refusal::NotRegularFile;
    return FileHandle(INVALID_HANDLE_VALUE);
  }
  size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return file;
}

// Up to `count` bytes; fewer only at the end of the file.
std::size_t readSome(FileHandle& file, char* buffer, std::size_t count, std::error_code& ec) {
  DWORD got = 0;
  const DWORD chunk = count > 0x40000000u ? 0x40000000u : static_cast<DWORD>(count);
  if (!ReadFile(file.get(), buffer, chunk, &got, nullptr)) ec = lastWindowsError();
  return got;
}
#else
// The file opened for reading when it is a regular file, with its size. O_NONBLOCK lets the
// open of a FIFO return at once, so that its type can refuse it.
FileDescriptor openRegularFile(const fs::path& path, std::uint64_t& size, std::error_code& ec) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) {
    ec = errnoCode();
    return file;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    ec = errnoCode();
    return FileDescriptor(-1);
  }
  if (!S_ISREG(info.st_mode)) {
    ec = Refusal::NotRegularFile;
    return FileDescriptor(-1);
  }
  size = static_cast<std::uint64_t>(info.st_size);
  return file;
}

std::size_t readSome(FileDescriptor& file, char* buffer, std::size_t count, std::error_code& ec) {
  while (true) {
    const ssize_t got = ::read(file.get(), buffer, count);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) {
      ec = errnoCode();
      return 0;
    }
  }
}
#endif

}  // namespace

std::optional<std::string> readFileBytes(const fs::path& path, std::error_code& ec,
                                         std::size_t limit) {
  ec.clear();
  std::uint64_t size = 0;
  auto file = openRegularFile(path, size, ec);
  if (ec) return std::nullopt;
  if (size > limit) {
    ec = Refusal::TooLarge;
    return std::nullopt;
  }
  // The size said is a hint: a file that grows while read is cut at the limit and refused.
  std::string bytes;
  bytes.resize(static_cast<std::size_t>(size));
  std::size_t filled = 0;
  while (true) {
    if (filled == bytes.size()) {
      if (bytes.size() > limit) {
        ec = Refusal::TooLarge;
        return std::nullopt;
      }
      bytes.resize(std::min<std::size_t>(limit + 1, std::max<std::size_t>(4096, bytes.size() * 2)));
    }
    const auto got = readSome(file, bytes.data() + filled, bytes.size() - filled, ec);
    if (ec) return std::nullopt;
    if (got == 0) break;
    filled += got;
  }
  if (filled > limit) {
    ec = Refusal::TooLarge;
    return std::nullopt;
  }
  bytes.resize(filled);
  return bytes;
}

bool sameFileBytes(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  std::uint64_t sizeA = 0;
  std::uint64_t sizeB = 0;
  auto fileA = openRegularFile(a, sizeA, ec);
  if (ec) return false;
  auto fileB = openRegularFile(b, sizeB, ec);
  if (ec || sizeA != sizeB) return false;
  std::string blockA(1 << 16, '\0');
  std::string blockB(1 << 16, '\0');
  while (true) {
    const auto gotA = readSome(fileA, blockA.data(), blockA.size(), ec);
    if (ec) return false;
    std::size_t gotB = 0;
    while (gotB < gotA) {
      const auto more = readSome(fileB, blockB.data() + gotB, gotA - gotB, ec);
      if (ec || more == 0) return false;
      gotB += more;
    }
    if (gotA == 0) return readSome(fileB, blockB.data(), 1, ec) == 0 && !ec;
    if (std::string_view(blockA).substr(0, gotA) != std::string_view(blockB).substr(0, gotB)) {
      return false;
    }
  }
}

std::vector<std::string> splitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(bytes.substr(start, i - start));
      ++i;
      if (c == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

std::vector<std::string_view> splitAt(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const auto at = text.find(separator, start);
    fields.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return fields;
    start = at + 1;
  }
}

std::string joinLinesCrLf(std::span<const std::string> lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::optional<std::vector<std::string>> readTextLines(const fs::path& path, std::error_code& ec,
                                                      std::size_t limit) {
  auto bytes = readFileBytes(path, ec, limit);
  if (!bytes) return std::nullopt;
  return splitLines(*bytes);
}

std::error_code replaceFileAtomically(const fs::path& target, std::string_view bytes) {
  std::error_code ec;
  const auto status = fs::symlink_status(target, ec);
  // Writing through a link would change a file that may lie anywhere, so a link is refused;
  // the rename below replaces only the entry itself, should one appear meanwhile.
  if (fs::is_symlink(status)) return Refusal::TargetIsLink;
  const bool targetExists = fs::exists(status);

#ifdef _WIN32
  fs::path temporary;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = temporaryNameFor(target, attempt);
    handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
      return lastWindowsError();
  }
  if (handle == INVALID_HANDLE_VALUE) return lastWindowsError();
  FileHandle file(handle);
  auto fail = [&temporary](std::error_code error) {
    DeleteFileW(temporary.c_str());
    return error;
  };
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const DWORD chunk = rest.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(rest.size());
    DWORD written = 0;
    if (!WriteFile(file.get(), rest.data(), chunk, &written, nullptr)) {
      const auto error = lastWindowsError();
      file.close();
      return fail(error);
    }
    rest.remove_prefix(written);
  }
  if (!FlushFileBuffers(file.get())) {
    const auto error = lastWindowsError();
    file.close();
    return fail(error);
  }
  if (!file.close()) return fail(lastWindowsError());
  // A read-only target would refuse to be replaced.
  if (targetExists) {
    if (auto error = makeNormal(target)) return fail(error);
  }
  if (!MoveFileExW(temporary.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(lastWindowsError());
  }
  return {};
#else
  mode_t mode = 0666;
  if (targetExists) {
    struct stat info {};
    // The new file keeps the old one's permissions, writable by its owner.
    if (::lstat(target.c_str(), &info) == 0) mode = (info.st_mode & 07777) | S_IWUSR;
  }
  fs::path temporary;
  int fd = -1;
  for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = temporaryNameFor(target, attempt);
    // A new file gets the usual 0666 less the umask; a replacement gets the old mode below.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                targetExists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return errnoCode();
  }
  if (fd < 0) return errnoCode();
  FileDescriptor file(fd);
  auto fail = [&temporary](std::error_code error) {
    ::unlink(temporary.c_str());
    return error;
  };
  if (auto error = writeAll(file.get(), bytes)) return fail(error);
  if (targetExists && ::fchmod(file.get(), mode) != 0) return fail(errnoCode());
  if (::fsync(file.get()) != 0) return fail(errnoCode());
  if (!file.close()) return fail(errnoCode());
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errnoCode());
  // Make the rename itself durable; a failure here no longer endangers either file.
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return {};
#endif
}

std::error_code writeTextLinesAtomically(const fs::path& target,
                                         std::span<const std::string> lines) {
  return replaceFileAtomically(target, joinLinesCrLf(lines));
}

}  // namespace kvo
