#include "platform/file_ops.h"

#include "platform/entry_ops.h"
#include "platform/failure_words.h"
#include "platform/journal.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool missing(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

// True when `from` and `to` name the same entry in different letter case on a folder that
// ignores case, where a rename only changes the spelling.
bool sameEntry(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (entryKind(to, ec) == EntryKind::Link) return false;
  return fs::equivalent(from, to, ec) && !ec;
}

}  // namespace

std::error_code copyFileOver(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (entryKind(to, ec) == EntryKind::Folder)
    return std::make_error_code(std::errc::is_a_directory);
  // The copy is made beside the target and renamed over it when whole, so a full disk
  // leaves the old file as it was.
  const auto fresh = newFilePath(to, newTransactionId(), 0);
  if (auto copyEc = copyToNewFile(from, fresh)) return copyEc;
  if (auto renameEc = renameReplacing(fresh, to)) {
    unlinkEntry(fresh);
    return renameEc;
  }
  return {};
}

std::error_code deleteFile(const fs::path& path) {
  auto ec = unlinkEntry(path);
  return missing(ec) ? std::error_code() : ec;
}

std::error_code renamePath(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (entryKind(from, ec) == EntryKind::None) {
    return ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory);
  }
  auto renameEc = renameNoReplace(from, to);
  if (renameEc == std::errc::file_exists && sameEntry(from, to)) {
    return renameReplacing(from, to);
  }
  return renameEc;
}

std::error_code makeNormal(const fs::path& path) {
  return clearReadOnly(path);
}

std::error_code createFolder(const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  if (ec) return ec;
  if (!fs::is_directory(path, ec)) return std::make_error_code(std::errc::not_a_directory);
  return {};
}

std::string describeFailure(std::string_view action, const fs::path& file,
                            const std::error_code& ec) {
  std::string text = "Could not ";
  text.append(action);
  text += ' ';
  text += displayPath(file);
  text += ": ";
  text += failureReason(ec);
  text += '.';
  return text;
}

std::string displayPath(const fs::path& path) {
  return pathToText(fs::path(path).make_preferred());
}

}  // namespace kvo
