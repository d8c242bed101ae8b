#include "archive/entry_scan.h"

#include <limits>

#include "archive/entry_names.h"
#include "archive/selector_text.h"

namespace kvo {

namespace {

std::string quotedName(std::string_view utf8Name) {
  return "\"" + displayName(utf8Name) + "\"";
}

std::string joined(const std::vector<std::string>& parts, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count; ++i) path += (i ? "/" : "") + parts[i];
  return path;
}

}  // namespace

std::string EntryScan::add(const EntryHeader& header) {
  if (auto problem = entryCountProblem(entries_.size() + 1, limits_); !problem.empty()) {
    return problem;
  }
  if (!header.name) {
    return "the name of its entry " + std::to_string(entries_.size() + 1) +
           " cannot be read as text";
  }
  const auto& name = *header.name;
  const auto shown = quotedName(name);
  if (auto problem = checkType(header, shown); !problem.empty()) return problem;
  auto path = mapEntryName(name);
  if (!path.problem.empty()) return shown + " " + path.problem;
  ScannedEntry entry{name, header.type, header.size, {}};
  for (const auto& part : path.parts) {
    auto text = selectorTextOf(part);
    if (!text) return shown + " holds characters that the game's 8-bit names cannot hold";
    entry.parts.push_back(std::move(*text));
  }
  if (!path.parts.empty()) {
    if (auto problem = checkUnique(path.parts, header.type == EntryType::Folder);
        !problem.empty()) {
      return problem;
    }
  }
  if (header.type == EntryType::File && header.size) {
    const auto room = std::numeric_limits<std::uint64_t>::max() - claimedBytes_;
    claimedBytes_ += std::min(*header.size, room);
  }
  entries_.push_back(std::move(entry));
  return {};
}

std::string EntryScan::finish(std::uint64_t archiveBytes) const {
  return unpackedSizeProblem(claimedBytes_, archiveBytes, limits_);
}

std::string EntryScan::checkType(const EntryHeader& header, const std::string& shown) const {
  if (header.encrypted) return shown + " is protected by a password";
  switch (header.type) {
    case EntryType::Link:
      return shown + " is a link, which could lead out of the new folder";
    case EntryType::Other:
      return shown + " is a device or another special file";
    default:
      return {};
  }
}

// Windows keeps one of two names that differ only in letter case, and a name cannot be a
// file and a folder at once; the folders on the way count as folders.
std::string EntryScan::checkUnique(const std::vector<std::string>& parts, bool folder) {
  std::string key;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    key += (i ? "/" : "") + foldCase(parts[i]);
    const bool last = i + 1 == parts.size();
    auto problem = notePath(key, joined(parts, i + 1), last ? folder : true);
    if (!problem.empty()) return problem;
  }
  return {};
}

std::string EntryScan::notePath(const std::string& key, const std::string& name, bool folder) {
  const auto [found, isNew] = seen_.try_emplace(key, Seen{folder, name});
  if (isNew) return {};
  const auto& seen = found->second;
  if (seen.folder != folder) {
    return quotedName(seen.folder ? seen.name : name) + " is both a file and a folder";
  }
  if (seen.name != name) {
    return quotedName(seen.name) + " and " + quotedName(name) +
           " differ only in letter case, which Windows cannot keep apart";
  }
  if (!folder) return quotedName(name) + " is in the archive twice";
  return {};
}

}  // namespace kvo
