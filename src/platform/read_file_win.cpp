#include "platform/text_file.h"
#include "platform/windows_error.h"

namespace kvo {

namespace {

class ReadHandle final {
 public:
  explicit ReadHandle(HANDLE handle) : handle_(handle) {}
  ~ReadHandle() {
    if (valid()) CloseHandle(handle_);
  }
  ReadHandle(const ReadHandle&) = delete;
  ReadHandle& operator=(const ReadHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::optional<std::string> readFileBytes(const std::filesystem::path& path, std::error_code& ec) {
  ec.clear();
  ReadHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    ec = lastWindowsError();
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  while (true) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
      ec = lastWindowsError();
      return std::nullopt;
    }
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return bytes;
}

}  // namespace kvo
