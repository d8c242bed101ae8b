#include "platform/binary_io.h"

namespace kvo {

namespace {

bool fits(std::string_view bytes, std::size_t offset, std::size_t count) {
  return offset <= bytes.size() && bytes.size() - offset >= count;
}

std::uint8_t byteAt(std::string_view bytes, std::size_t offset) {
  return static_cast<std::uint8_t>(bytes[offset]);
}

}  // namespace

bool readU8(std::string_view bytes, std::size_t offset, std::uint8_t& out) {
  if (!fits(bytes, offset, 1)) return false;
  out = byteAt(bytes, offset);
  return true;
}

bool readU16LE(std::string_view bytes, std::size_t offset, std::uint16_t& out) {
  if (!fits(bytes, offset, 2)) return false;
  out = static_cast<std::uint16_t>(byteAt(bytes, offset) | (byteAt(bytes, offset + 1) << 8));
  return true;
}

bool readU32LE(std::string_view bytes, std::size_t offset, std::uint32_t& out) {
  if (!fits(bytes, offset, 4)) return false;
  out = static_cast<std::uint32_t>(byteAt(bytes, offset)) |
        (static_cast<std::uint32_t>(byteAt(bytes, offset + 1)) << 8) |
        (static_cast<std::uint32_t>(byteAt(bytes, offset + 2)) << 16) |
        (static_cast<std::uint32_t>(byteAt(bytes, offset + 3)) << 24);
  return true;
}

void appendU32LE(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
}

}  // namespace kvo
