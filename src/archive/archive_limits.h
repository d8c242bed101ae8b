#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvo {

// Bounds an archive must stay within, against archives made to fill the disk ("bombs").
struct ArchiveLimits {
  std::uint64_t maxTotalBytes = 20ull << 30;   // unpacked, all entries together
  std::uint64_t maxRatio = 200;                // unpacked bytes per byte of archive...
  std::uint64_t ratioFreeBytes = 64ull << 20;  // ...counted once more than this is unpacked
  std::size_t maxEntries = 100'000;
};

// Why unpacking `bytes` from an archive of `archiveBytes` is refused ("it would unpack to
// more than 20 GB"); empty when it is not.
std::string unpackedSizeProblem(std::uint64_t bytes, std::uint64_t archiveBytes,
                                const ArchiveLimits& limits);

// Why an archive of `entries` entries is refused; empty when it is not.
std::string entryCountProblem(std::size_t entries, const ArchiveLimits& limits);

// A size as a person reads it: "640 bytes", "12 KB", "1.5 GB".
std::string sizeText(std::uint64_t bytes);

}  // namespace kvo
