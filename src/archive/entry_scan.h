#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "archive/archive_layout.h"
#include "archive/archive_limits.h"
#include "archive/entry_reader.h"

namespace kvo {

// One entry of the archive as the plan keeps it.
struct ScannedEntry {
  std::string name;  // UTF-8, as the archive gives it
  EntryType type = EntryType::File;
  std::optional<std::uint64_t> size;
  ArchivePath parts;  // the selector's 8-bit names; empty for the archive's top itself
};

// Checks an archive's entries one by one as its directory is read: names that lead out of
// the new folder or that Windows cannot keep, links and devices, two names Windows cannot
// tell apart, and the count and claimed sizes against the limits.
class EntryScan final {
 public:
  explicit EntryScan(const ArchiveLimits& limits) : limits_(limits) {}

  // Takes the next entry; why the archive is refused, or empty.
  std::string add(const EntryHeader& header);
  // After the last entry: why the sizes the archive claims are refused, or empty.
  std::string finish(std::uint64_t archiveBytes) const;

  const std::vector<ScannedEntry>& entries() const { return entries_; }
  // Hands the entries over once the scan is done, instead of copying a long list.
  std::vector<ScannedEntry> takeEntries() { return std::move(entries_); }
  std::uint64_t claimedBytes() const { return claimedBytes_; }

 private:
  struct Seen {
    bool folder = false;
    std::string name;  // the first spelling met
  };
  std::string checkType(const EntryHeader& header, const std::string& shown) const;
  std::string checkUnique(const std::vector<std::string>& parts, bool folder);
  std::string notePath(const std::string& key, const std::string& name, bool folder);

  const ArchiveLimits& limits_;
  std::vector<ScannedEntry> entries_;
  std::unordered_map<std::string, Seen> seen_;  // by the letter-case-folded UTF-8 path
  std::uint64_t claimedBytes_ = 0;
};

}  // namespace kvo
