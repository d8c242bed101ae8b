#include "archive/folder_reader.h"

#include <algorithm>
#include <exception>

#include "archive/entry_names.h"
#include "platform/entry_ops.h"
#include "platform/file_ops.h"
#include "platform/file_read_stream.h"

namespace kvo {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;

// The name as UTF-8, as an archive gives it; nullopt when it is no text (bytes on Linux
// that are not UTF-8, a broken UTF-16 name on Windows).
std::optional<std::string> utf8NameOf(const fs::path& name) {
  try {
    const auto utf8 = name.u8string();
    std::string text(utf8.begin(), utf8.end());
    if (!decodeUtf8(text)) return std::nullopt;
    return text;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

EntryType typeOf(EntryKind kind) {
  switch (kind) {
    case EntryKind::File:
      return EntryType::File;
    case EntryKind::Folder:
      return EntryType::Folder;
    case EntryKind::Link:
      return EntryType::Link;
    default:
      return EntryType::Other;
  }
}

}  // namespace

FolderReader::FolderReader(const fs::path& folder) : folder_(folder) {
  if (folder_.filename().empty()) {
    failure_ = "Could not read " + displayPath(folder_) +
               ": a whole drive cannot be added as one mod folder.";
  }
}

bool FolderReader::next(EntryHeader& header) {
  if (failed()) return false;
  current_.clear();
  if (!started_) {
    started_ = true;
    return describe(folder_, utf8NameOf(folder_.filename()), header);
  }
  while (!levels_.empty()) {
    auto& level = levels_.back();
    if (level.done == level.children.size()) {
      levels_.pop_back();
      continue;
    }
    const auto& child = level.children[level.done++];
    auto name = utf8NameOf(child);
    if (name) name = level.name + "/" + *name;
    return describe(level.dir / child, std::move(name), header);
  }
  return false;
}

// Fills `header` for the entry at `path` and goes down into it when it is a folder. A folder
// whose name is no text is not entered: the plan refuses the source at its name.
bool FolderReader::describe(const fs::path& path, std::optional<std::string> name,
                            EntryHeader& header) {
  header = {};
  header.name = std::move(name);
  std::error_code ec;
  const auto kind = entryKind(path, ec);
  if (!ec && kind == EntryKind::None) {
    ec = std::make_error_code(std::errc::no_such_file_or_directory);
  }
  if (ec) {
    failure_ = describeFailure("read", path, ec);
    return false;
  }
  header.type = typeOf(kind);
  if (kind == EntryKind::Folder) return !header.name || enter(path, *header.name);
  if (kind != EntryKind::File) return true;
  const auto size = fs::file_size(path, ec);
  if (ec) {
    failure_ = describeFailure("read", path, ec);
    return false;
  }
  header.size = size;
  fileBytes_ += size;
  current_ = path;
  return true;
}

bool FolderReader::enter(const fs::path& dir, const std::string& name) {
  Level level{dir, name, {}, 0};
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    level.children.push_back(it->path().filename());
  }
  if (ec) {
    failure_ = describeFailure("read the folder", dir, ec);
    return false;
  }
  // The unpacking reads the folder again and must meet its entries in the planned order.
  std::sort(level.children.begin(), level.children.end());
  levels_.push_back(std::move(level));
  return true;
}

bool FolderReader::readData(const std::function<bool(std::string_view)>& sink) {
  if (failed()) return false;
  if (current_.empty()) return true;
  FileReadStream in(current_);
  if (in.error()) {
    failure_ = describeFailure("read", current_, in.error());
    return false;
  }
  std::string block(kBlockSize, '\0');
  while (true) {
    std::size_t got = 0;
    if (auto ec = in.read(block.data(), block.size(), got)) {
      failure_ = describeFailure("read", current_, ec);
      return false;
    }
    if (got == 0 || !sink(std::string_view(block.data(), got))) return true;
  }
}

}  // namespace kvo
