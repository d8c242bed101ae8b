#include "archive/entry_reader.h"

#include "archive/archive_reader.h"
#include "archive/folder_reader.h"

namespace kvo {

bool isFolderSource(const std::filesystem::path& source) {
  // The player dropped what the link points to; only links inside the folder are refused.
  std::error_code ec;
  return std::filesystem::is_directory(source, ec);
}

std::unique_ptr<EntryReader> openEntryReader(const std::filesystem::path& source) {
  if (isFolderSource(source)) return std::make_unique<FolderReader>(source);
  return std::make_unique<ArchiveReader>(source);
}

}  // namespace kvo
