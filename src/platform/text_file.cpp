#include "platform/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>

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

 private:
  int fd_;
};
#endif

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
      // Read to its size, a file is almost always at its end: a small read says so without
      // doubling the buffer first.
      char more[4096];
      const auto got = readSome(file, more, sizeof more, ec);
      if (ec) return std::nullopt;
      if (got == 0) break;
      if (filled + got > limit) {
        ec = Refusal::TooLarge;
        return std::nullopt;
      }
      bytes.append(more, got);
      filled += got;
      continue;
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

}  // namespace kvo
