#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct archive;

namespace kvo {

class Utf8Names;

enum class EntryType { File, Folder, Link, Other };

// What an archive says of one entry before its bytes are read.
struct EntryHeader {
  std::optional<std::string> name;  // UTF-8; nullopt when it cannot be read as text
  EntryType type = EntryType::File;
  std::optional<std::uint64_t> size;  // as the archive claims it
  bool encrypted = false;
};

// One zip, 7z, rar (4 and 5) or tar (plain, gzip, bzip2, xz) archive, read entry by entry
// from its start. Names come as Windows would read them: zip names without the UTF-8 mark in
// code page 437, 7z names from UTF-16. Use it on one thread only.
class ArchiveReader final {
 public:
  // Opens `file`; failed() tells whether that went wrong.
  explicit ArchiveReader(const std::filesystem::path& file);
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Reads the next entry's header; false at the end and after a failure.
  bool next(EntryHeader& header);

  // Hands the current entry's bytes in order to `sink` (holes of sparse files as zeros),
  // until the entry ends or `sink` returns false. False after a failure.
  bool readData(const std::function<bool(std::string_view bytes)>& sink);

  bool failed() const { return !failure_.empty(); }
  // One sentence naming the archive and the reason.
  const std::string& failure() const { return failure_; }

 private:
  void fail();

  std::filesystem::path file_;
  std::unique_ptr<Utf8Names> names_;
  struct archive* archive_ = nullptr;
  std::string failure_;
  bool sparse_ = false;     // of the current entry
  std::uint64_t size_ = 0;  // of the current entry, as claimed
};

}  // namespace kvo
