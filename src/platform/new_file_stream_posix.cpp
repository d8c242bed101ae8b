#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/new_file_stream.h"

namespace kvo {

namespace {

std::error_code errnoCode() {
  return std::error_code(errno, std::generic_category());
}

}  // namespace

NewFileStream::NewFileStream(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    error_ = errnoCode();
    return;
  }
  handle_ = fd;
}

NewFileStream::~NewFileStream() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

std::error_code NewFileStream::write(std::string_view bytes) {
  if (handle_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
  while (!bytes.empty()) {
    const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errnoCode();
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code NewFileStream::close() {
  if (handle_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
  const int fd = static_cast<int>(handle_);
  handle_ = -1;
  return ::close(fd) == 0 ? std::error_code() : errnoCode();
}

}  // namespace kvo
