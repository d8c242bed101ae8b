#include "archive/archive_reader.h"

#include <archive.h>
#include <archive_entry.h>

#include <array>
#include <cerrno>

#include "archive/archive_system.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

// Large blocks keep the system calls few; libarchive passes stored data through in them.
constexpr std::size_t kBlockSize = 256 * 1024;

// libarchive reports a damaged or unknown archive with these; any other number is the
// system's own reason.
bool isSystemErrno(int number) {
  return number > 0 && number != EILSEQ && number != EINVAL;
}

std::string archiveReason(std::string_view said) {
  if (said.find("Unrecognized archive format") != std::string_view::npos) {
    return "it is not a zip, 7z, rar or tar archive";
  }
  if (said.find("assphrase") != std::string_view::npos ||
      said.find("ncrypt") != std::string_view::npos) {
    return "it is protected by a password";
  }
  std::string reason = "the archive is damaged or packed in a way that cannot be unpacked";
  if (!said.empty()) reason.append(" (").append(said).append(")");
  return reason;
}

EntryType typeOf(struct archive_entry* entry) {
  if (archive_entry_hardlink(entry) || archive_entry_symlink(entry)) return EntryType::Link;
  switch (archive_entry_filetype(entry)) {
    case AE_IFREG:
    case 0:  // formats that know only files and folders may leave the type unset
      return EntryType::File;
    case AE_IFDIR:
      return EntryType::Folder;
    case AE_IFLNK:
      return EntryType::Link;
    default:
      return EntryType::Other;
  }
}

bool sendZeros(std::uint64_t count, const std::function<bool(std::string_view)>& sink) {
  static const std::array<char, 64 * 1024> zeros{};
  while (count > 0) {
    const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(count, zeros.size()));
    if (!sink(std::string_view(zeros.data(), chunk))) return false;
    count -= chunk;
  }
  return true;
}

void enableFormats(struct archive* reader) {
  archive_read_support_format_zip(reader);
  archive_read_support_format_7zip(reader);
  archive_read_support_format_rar(reader);
  archive_read_support_format_rar5(reader);
  archive_read_support_format_tar(reader);
  archive_read_support_filter_gzip(reader);
  archive_read_support_filter_bzip2(reader);
  archive_read_support_filter_xz(reader);
  // Without the UTF-8 mark, zip and rar 4 names are in the DOS code page of the packer, as
  // Windows' own zip folders read them.
  archive_read_set_format_option(reader, "zip", "hdrcharset", "CP437");
  archive_read_set_format_option(reader, "rar", "hdrcharset", "CP437");
}

}  // namespace

ArchiveReader::ArchiveReader(const fs::path& file)
    : file_(file), names_(std::make_unique<Utf8Names>()) {
  if (!names_->ok()) {
    failure_ = "Could not read " + displayPath(file_) +
               ": the system offers no UTF-8 locale (C.UTF-8) to read its names in.";
    return;
  }
  std::error_code ec;
  if (fs::is_directory(file_, ec)) ec = std::make_error_code(std::errc::is_a_directory);
  if (!ec) ec = fileReadable(file_);
  if (ec) {
    failure_ = describeFailure("read", file_, ec);
    return;
  }
  const auto bytes = fs::file_size(file_, ec);
  fileBytes_ = ec ? 0 : bytes;
  archive_ = archive_read_new();
  if (!archive_) {
    failure_ = describeFailure("read", file_, std::make_error_code(std::errc::not_enough_memory));
    return;
  }
  enableFormats(archive_);
  if (openArchiveFile(archive_, file_, kBlockSize) != ARCHIVE_OK) fail();
}

ArchiveReader::~ArchiveReader() {
  if (archive_) archive_read_free(archive_);
}

void ArchiveReader::fail() {
  const int number = archive_errno(archive_);
  if (isSystemErrno(number)) {
    failure_ = describeFailure("read", file_, std::error_code(number, std::generic_category()));
    return;
  }
  const char* said = archive_error_string(archive_);
  failure_ = "Could not read " + displayPath(file_) + ": " + archiveReason(said ? said : "") + ".";
}

bool ArchiveReader::next(EntryHeader& header) {
  if (failed()) return false;
  struct archive_entry* entry = nullptr;
  const int result = archive_read_next_header(archive_, &entry);
  if (result == ARCHIVE_EOF) return false;
  // A warning is about the name, which is checked below, or about details the selector
  // does not keep.
  if (result < ARCHIVE_WARN) {
    fail();
    return false;
  }
  header = {};
  header.name = entryNameUtf8(entry);
  header.type = typeOf(entry);
  if (archive_entry_size_is_set(entry) && archive_entry_size(entry) >= 0) {
    header.size = static_cast<std::uint64_t>(archive_entry_size(entry));
  }
  header.encrypted = archive_entry_is_encrypted(entry) != 0;
  sparse_ = archive_entry_sparse_count(entry) > 0;
  size_ = header.size.value_or(0);
  return true;
}

bool ArchiveReader::readData(const std::function<bool(std::string_view)>& sink) {
  if (failed()) return false;
  std::uint64_t position = 0;
  while (true) {
    const void* block = nullptr;
    std::size_t size = 0;
    la_int64_t offset = 0;
    const int result = archive_read_data_block(archive_, &block, &size, &offset);
    if (result == ARCHIVE_EOF) break;
    // A warning here is a checksum that does not match: the bytes are not the packed ones.
    if (result != ARCHIVE_OK || offset < 0 || static_cast<std::uint64_t>(offset) < position) {
      if (result == ARCHIVE_OK) archive_set_error(archive_, EILSEQ, "overlapping data");
      fail();
      return false;
    }
    const auto start = static_cast<std::uint64_t>(offset);
    if (!sendZeros(start - position, sink)) return true;
    if (!sink(std::string_view(static_cast<const char*>(block), size))) return true;
    position = start + size;
  }
  // A sparse file may end in a hole, which no block reports.
  if (sparse_ && position < size_) sendZeros(size_ - position, sink);
  return true;
}

}  // namespace kvo
