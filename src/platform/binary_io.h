#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvo {

// Little-endian reads that refuse to go past the end of the data.
bool readU8(std::string_view bytes, std::size_t offset, std::uint8_t& out);
bool readU16LE(std::string_view bytes, std::size_t offset, std::uint16_t& out);
bool readU32LE(std::string_view bytes, std::size_t offset, std::uint32_t& out);

void appendU32LE(std::string& bytes, std::uint32_t value);

// One byte to write at a 0-based offset of a file (the game's 1-based positions minus one).
struct BytePatch {
  std::size_t offset;
  std::uint8_t value;
};

}  // namespace kvo
