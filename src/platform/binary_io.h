#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kvo {

// Little-endian reads that refuse to go past the end of the data.
bool readU8(std::string_view bytes, std::size_t offset, std::uint8_t& out);
bool readU16LE(std::string_view bytes, std::size_t offset, std::uint16_t& out);
bool readU32LE(std::string_view bytes, std::size_t offset, std::uint32_t& out);

void appendU16LE(std::string& bytes, std::uint16_t value);
void appendU32LE(std::string& bytes, std::uint32_t value);

// One byte to write at a 0-based offset of a file (the game's 1-based positions minus one).
struct BytePatch {
  std::size_t offset;
  std::uint8_t value;
};

// Writes the patches into an existing file in place. Every offset is checked against the
// file's size before the first byte is written, so a short file is left untouched (the
// error is then std::errc::result_out_of_range). Later patches of one offset win.
std::error_code patchFileBytes(const std::filesystem::path& file,
                               std::span<const BytePatch> patches);

}  // namespace kvo
