#include "archive/archive_limits.h"

#include <array>
#include <cstdio>

namespace kvo {

std::string unpackedSizeProblem(std::uint64_t bytes, std::uint64_t archiveBytes,
                                const ArchiveLimits& limits) {
  if (bytes > limits.maxTotalBytes) {
    return "it would unpack to more than " + sizeText(limits.maxTotalBytes);
  }
  // A small add-on may pack very well; only a large one is a danger.
  if (bytes > limits.ratioFreeBytes && bytes / limits.maxRatio > archiveBytes) {
    return "it would unpack to more than " + std::to_string(limits.maxRatio) +
           " times its own size, as archives made to fill the disk do";
  }
  return {};
}

std::string entryCountProblem(std::size_t entries, const ArchiveLimits& limits) {
  if (entries <= limits.maxEntries) return {};
  return "it holds more than " + std::to_string(limits.maxEntries) + " entries";
}

std::string sizeText(std::uint64_t bytes) {
  constexpr std::array<const char*, 4> kUnits = {"KB", "MB", "GB", "TB"};
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  for (value /= 1024; value >= 1024 && unit + 1 < kUnits.size(); value /= 1024) ++unit;
  std::array<char, 32> text{};
  const bool whole =
      value >= 100 || value == static_cast<double>(static_cast<std::uint64_t>(value));
  std::snprintf(text.data(), text.size(), whole ? "%.0f %s" : "%.1f %s", value, kUnits[unit]);
  return text.data();
}

}  // namespace kvo
