#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Archives built byte by byte, for what libarchive's writer cannot make: rar archives (4 and
// 5, files stored as they are), and zip entries whose names are raw bytes or whose claims lie.
namespace kvo::test {

struct HandmadeEntry {
  std::string name{};  // the bytes stored as the name ("/" between folders)
  std::string bytes{};
  bool folder = false;
  // zip: the UTF-8 mark; rar 4: the name given as UTF-8 and stored in Unicode beside a
  // plain one.
  bool unicode = false;
  std::optional<std::uint32_t> claimedSize{};  // zip: the unpacked size the archive claims
};

std::string storedZip(const std::vector<HandmadeEntry>& entries);
std::string storedRar4(const std::vector<HandmadeEntry>& entries);
std::string storedRar5(const std::vector<HandmadeEntry>& entries);

std::uint32_t crc32(std::string_view bytes);

}  // namespace kvo::test
