#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_set>

#include "archive/entry_reader.h"
#include "archive/install_plan.h"
#include "state/form_state.h"
#include "state/shell.h"

namespace kvo {

// Unpacks the entries a plan gives a target (from an archive, or copied from a folder) into a
// staging folder: target i into the subfolder (or, for an autoscript, the file) named i. Each
// entry must be the one the plan read, and no entry may hold more bytes than the archive
// claims or break the limits.
class ArchiveUnpacker final {
 public:
  ArchiveUnpacker(FormState& state, Shell& shell, const InstallPlan& plan,
                  std::filesystem::path staging, const ArchiveLimits& limits);

  // Unpacks everything; the one sentence why it stopped, or empty.
  std::string run();

  // Where target `index` is unpacked to.
  static std::filesystem::path placeOf(const std::filesystem::path& staging, std::size_t index);

 private:
  std::string unpackEntry(EntryReader& reader, const PlannedEntry& planned);
  std::string writeFile(EntryReader& reader, const PlannedEntry& planned,
                        const std::filesystem::path& place);
  std::error_code makeFolders(const std::filesystem::path& folder);
  std::string refusal(std::string_view reason) const;

  FormState& state_;
  Shell& shell_;
  const InstallPlan& plan_;
  std::filesystem::path staging_;
  const ArchiveLimits& limits_;
  std::uint64_t unpackedBytes_ = 0;
  std::unordered_set<std::string> madeFolders_;  // by pathKey
};

}  // namespace kvo
