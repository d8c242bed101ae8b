#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace kvo {

// An existing file read piece by piece, for files too large to hold in memory (a file of a
// mod folder being copied in). It is opened only when its name is not a link.
class FileReadStream final {
 public:
  // Opens `path`; error() says why when that failed.
  explicit FileReadStream(const std::filesystem::path& path);
  ~FileReadStream();
  FileReadStream(const FileReadStream&) = delete;
  FileReadStream& operator=(const FileReadStream&) = delete;

  // Why the file could not be opened; no error when it was.
  const std::error_code& error() const { return error_; }
  // Reads up to `size` bytes into `buffer`; `got` is 0 at the end of the file.
  std::error_code read(char* buffer, std::size_t size, std::size_t& got);

 private:
  std::intptr_t handle_ = -1;
  std::error_code error_;
};

}  // namespace kvo
