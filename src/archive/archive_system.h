#pragma once

#include <filesystem>
#include <optional>
#include <string>

struct archive;
struct archive_entry;

// The per-system part of reading archives: how libarchive is handed a path, and how it is
// made to give names as UTF-8.
namespace kvo {

// While it lives, libarchive converts the names of the archives this thread reads to UTF-8.
// (On Linux libarchive converts into the thread's locale, which need not be a UTF-8 one.)
class Utf8Names final {
 public:
  Utf8Names();
  ~Utf8Names();
  Utf8Names(const Utf8Names&) = delete;
  Utf8Names& operator=(const Utf8Names&) = delete;
  // False when the system offers no UTF-8 locale to convert into.
  bool ok() const;

 private:
  void* utf8_ = nullptr;
  void* previous_ = nullptr;
};

// archive_read_open_filename for a path of this system.
int openArchiveFile(struct archive* reader, const std::filesystem::path& file,
                    std::size_t blockSize);

// The entry's name as UTF-8, or nullopt when the archive's name cannot be read as text.
std::optional<std::string> entryNameUtf8(struct archive_entry* entry);

}  // namespace kvo
