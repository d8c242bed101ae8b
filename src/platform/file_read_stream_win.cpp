#include <windows.h>

#include "platform/entry_ops.h"
#include "platform/file_read_stream.h"
#include "platform/windows_error.h"

namespace kvo {

namespace {

HANDLE handleOf(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

FileReadStream::FileReadStream(const std::filesystem::path& path) {
  // A cloud placeholder is a reparse point too, yet an ordinary file to the player: only a
  // real link is refused, and the file is opened as the player's programs open it.
  std::error_code ec;
  if (entryKind(path, ec) == EntryKind::Link) {
    error_ = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return;
  }
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error_ = lastWindowsError();
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
}

FileReadStream::~FileReadStream() {
  if (handle_ != -1) CloseHandle(handleOf(handle_));
}

std::error_code FileReadStream::read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (handle_ == -1) return std::make_error_code(std::errc::bad_file_descriptor);
  const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!ReadFile(handleOf(handle_), buffer, chunk, &read, nullptr)) return lastWindowsError();
  got = read;
  return {};
}

}  // namespace kvo
