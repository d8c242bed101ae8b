#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace kvo {

// A new file written piece by piece, for data too large to hold in memory (an entry of an
// archive). It is created only where nothing is, not through a link at its name, with the
// usual permissions.
class NewFileStream final {
 public:
  // Creates `path`; error() says why when that failed.
  explicit NewFileStream(const std::filesystem::path& path);
  // Closes the file if close() was not called.
  ~NewFileStream();
  NewFileStream(const NewFileStream&) = delete;
  NewFileStream& operator=(const NewFileStream&) = delete;

  // Why the file could not be created; no error when it was.
  const std::error_code& error() const { return error_; }
  // Appends `bytes`.
  std::error_code write(std::string_view bytes);
  // Closes the file; a failed close may be the first report of a failed write.
  std::error_code close();

 private:
  std::intptr_t handle_ = -1;
  std::error_code error_;
};

}  // namespace kvo
