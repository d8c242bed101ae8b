#include "platform/binary_io.h"

#include <cerrno>

#ifdef _WIN32
#include "platform/windows_error.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kvo {

namespace {

bool fits(std::string_view bytes, std::size_t offset, std::size_t count) {
  return offset <= bytes.size() && bytes.size() - offset >= count;
}

std::uint8_t byteAt(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint8_t>(bytes[offset]);
}

}  // namespace

bool readU8(std::string_view bytes, std::size_t offset, std::uint8_t& out) {
  if (!fits(bytes, offset, 1)) return false;
  out = byteAt(bytes, offset);
  return true;
}

bool readU16LE(std::string_view bytes, std::size_t offset, std::uint16_t& out) {
  if (!fits(bytes, offset, 2)) return false;
  out = static_cast<std::uint16_t>(byteAt(bytes, offset) | (byteAt(bytes, offset + 1) << 8));
  return true;
}

bool readU32LE(std::string_view bytes, std::size_t offset, std::uint32_t& out) {
  if (!fits(bytes, offset, 4)) return false;
  out = static_cast<std::uint32_t>(byteAt(bytes, offset)) |
        (static_cast<std::uint32_t>(byteAt(bytes, offset + 1)) << 8) |
        (static_cast<std::uint32_t>(byteAt(bytes, offset + 2)) << 16) |
        (static_cast<std::uint32_t>(byteAt(bytes, offset + 3)) << 24);
  return true;
}

void appendU16LE(std::string& bytes, std::uint16_t value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>((value >> 8) & 0xFF);
}

void appendU32LE(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
}

std::error_code patchFileBytes(const std::filesystem::path& file,
                               std::span<const BytePatch> patches) {
#ifdef _WIN32
  HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return lastWindowsError();
  struct Closer {
    HANDLE handle;
    ~Closer() { CloseHandle(handle); }
  } closer{handle};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) return lastWindowsError();
  const auto fileSize = static_cast<unsigned long long>(size.QuadPart);
  for (const auto& patch : patches) {
    if (patch.offset >= fileSize) return std::make_error_code(std::errc::result_out_of_range);
  }
  for (const auto& patch : patches) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(patch.offset);
    if (!SetFilePointerEx(handle, position, nullptr, FILE_BEGIN)) return lastWindowsError();
    DWORD written = 0;
    if (!WriteFile(handle, &patch.value, 1, &written, nullptr)) return lastWindowsError();
    if (written != 1) return std::make_error_code(std::errc::io_error);
  }
  return {};
#else
  const int fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return std::error_code(errno, std::generic_category());
  struct Closer {
    int fd;
    ~Closer() {
      if (fd >= 0) ::close(fd);
    }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) return std::error_code(errno, std::generic_category());
  if (!S_ISREG(info.st_mode)) return std::make_error_code(std::errc::invalid_argument);
  const auto fileSize = static_cast<unsigned long long>(info.st_size);
  for (const auto& patch : patches) {
    if (patch.offset >= fileSize) return std::make_error_code(std::errc::result_out_of_range);
  }
  for (const auto& patch : patches) {
    while (true) {
      const ssize_t written = ::pwrite(fd, &patch.value, 1, static_cast<off_t>(patch.offset));
      if (written == 1) break;
      if (written < 0 && errno == EINTR) continue;
      return written < 0 ? std::error_code(errno, std::generic_category())
                         : std::make_error_code(std::errc::io_error);
    }
  }
  if (::close(closer.fd) != 0) {
    closer.fd = -1;
    return std::error_code(errno, std::generic_category());
  }
  closer.fd = -1;
  return {};
#endif
}

}  // namespace kvo
