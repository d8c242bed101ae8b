#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_read_stream.h"

namespace kvo {

namespace {

std::error_code errnoCode() {
  return std::error_code(errno, std::generic_category());
}

}  // namespace

FileReadStream::FileReadStream(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error_ = errnoCode();
    return;
  }
  handle_ = fd;
}

FileReadStream::~FileReadStream() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::error_code FileReadStream::read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (handle_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
  while (true) {
    const ssize_t read = ::read(static_cast<int>(handle_), buffer, size);
    if (read >= 0) {
      got = static_cast<std::size_t>(read);
      return {};
    }
    if (errno != EINTR) return errnoCode();
  }
}

}  // namespace kvo
