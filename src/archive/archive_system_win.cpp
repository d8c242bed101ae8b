#include <windows.h>

#include <archive.h>
#include <archive_entry.h>
#include <cwchar>

#include "archive/archive_system.h"

namespace kvo {

// libarchive on Windows converts names to UTF-16 itself, whatever the code page.
Utf8Names::Utf8Names() = default;
Utf8Names::~Utf8Names() = default;

bool Utf8Names::ok() const {
  return true;
}

int openArchiveFile(struct archive* reader, const std::filesystem::path& file,
                    std::size_t blockSize) {
  return archive_read_open_filename_w(reader, file.c_str(), blockSize);
}

std::optional<std::string> entryNameUtf8(struct archive_entry* entry) {
  const wchar_t* name = archive_entry_pathname_w(entry);
  if (!name) return std::nullopt;
  const int wideLength = static_cast<int>(wcslen(name));
  if (wideLength == 0) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, wideLength, nullptr,
                                         0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, name, wideLength, utf8.data(), length, nullptr,
                      nullptr);
  return utf8;
}

}  // namespace kvo
