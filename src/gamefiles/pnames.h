#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

inline constexpr std::string_view kPnamesFileName = "pnames.str";
// Body size and string count, each 4 bytes.
inline constexpr std::size_t kPnamesHeaderSize = 8;
// The game looks each plane's name up by its slot, so a shorter table is of no use to it.
inline constexpr std::size_t kPnamesMinimumNames = 30;

// The strings of a plane-name table in file order, or why the bytes are not a usable table.
struct PnamesRead {
  std::vector<std::string> names;
  std::string error;  // names the file and the offset; empty when `names` is the table

  bool ok() const { return error.empty(); }
};

// Reads the bytes of a pnames.str; `fileName` is how a message names the file.
PnamesRead readPnames(std::string_view bytes, std::string_view fileName = kPnamesFileName);

// The bytes of a pnames.str holding `names` in order (all fields 32-bit; under 4 GiB in all).
std::string writePnames(std::span<const std::string> names);

}  // namespace kvo
