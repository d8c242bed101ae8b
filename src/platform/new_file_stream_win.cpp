#include <windows.h>

#include <cerrno>

#include "platform/new_file_stream.h"

namespace kvo {

namespace {

std::error_code lastError() {
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    return std::error_code(EEXIST, std::generic_category());
  }
  return std::error_code(static_cast<int>(error), std::system_category());
}

HANDLE handleOf(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

NewFileStream::NewFileStream(const std::filesystem::path& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = lastError();
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

NewFileStream::~NewFileStream() {
  if (handle_ != -1) CloseHandle(handleOf(handle_));
}

std::error_code NewFileStream::write(std::string_view bytes) {
  if (handle_ == -1) return std::make_error_code(std::errc::bad_file_descriptor);
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(handleOf(handle_), bytes.data(), chunk, &written, nullptr)) return lastError();
    bytes.remove_prefix(written);
  }
  return {};
}

std::error_code NewFileStream::close() {
  if (handle_ == -1) return std::make_error_code(std::errc::bad_file_descriptor);
  const HANDLE file = handleOf(handle_);
  handle_ = -1;
  return CloseHandle(file) ? std::error_code() : lastError();
}

}  // namespace kvo
