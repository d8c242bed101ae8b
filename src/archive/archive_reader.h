#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "archive/entry_reader.h"

struct archive;

namespace kvo {

class Utf8Names;

// One zip, 7z, rar (4 and 5) or tar (plain, gzip, bzip2, xz) archive, read entry by entry
// from its start. Names come as Windows would read them: zip names without the UTF-8 mark in
// code page 437, 7z names from UTF-16. Use it on one thread only.
class ArchiveReader final : public EntryReader {
 public:
  // Opens `file`; failed() tells whether that went wrong.
  explicit ArchiveReader(const std::filesystem::path& file);
  ~ArchiveReader() override;
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Reads the next entry's header; false at the end and after a failure.
  bool next(EntryHeader& header) override;
  // Hands the current entry's bytes to `sink`, holes of sparse files as zeros.
  bool readData(const std::function<bool(std::string_view bytes)>& sink) override;
  // The archive file's size.
  std::uint64_t sourceBytes() const override { return fileBytes_; }

 private:
  void fail();

  std::filesystem::path file_;
  std::unique_ptr<Utf8Names> names_;
  struct archive* archive_ = nullptr;
  std::uint64_t fileBytes_ = 0;
  bool sparse_ = false;     // of the current entry
  std::uint64_t size_ = 0;  // of the current entry, as claimed
};

}  // namespace kvo
