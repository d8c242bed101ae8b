#include "platform/file_ops.h"

#include "platform/entry_ops.h"
#include "platform/failure_words.h"
#include "platform/listing.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

bool missing(const std::error_code& ec) {
  return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

}  // namespace

std::error_code deleteFile(const fs::path& path) {
  auto ec = unlinkEntry(path);
  return missing(ec) ? std::error_code() : ec;
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
