#include "gamefiles/pnames.h"

#include <cstdint>

#include "platform/binary_io.h"

namespace kvo {

namespace {

std::string damaged(std::string_view fileName, const std::string& why) {
  return std::string(fileName) + " is damaged: " + why + ".";
}

std::string endsAt(std::size_t size) {
  return "the file ends at offset " + std::to_string(size);
}

// The offset table entry of string `index`, counted from the end of the header.
std::uint32_t tableEntry(std::string_view bytes, std::size_t index) {
  std::uint32_t entry = 0;
  readU32LE(bytes, kPnamesHeaderSize + 4 * index, entry);
  return entry;
}

std::string checkLayout(std::string_view bytes, std::string_view fileName) {
  const std::size_t size = bytes.size();
  if (size < kPnamesHeaderSize) {
    return damaged(fileName, endsAt(size) + ", inside its 8-byte header");
  }
  std::uint32_t body = 0;
  std::uint32_t count = 0;
  readU32LE(bytes, 0, body);
  readU32LE(bytes, 4, count);
  if (count < kPnamesMinimumNames) {
    return std::string(fileName) + " holds " + std::to_string(count) +
           " names (the count at offset 4); the game needs one for each of its 30 plane slots.";
  }
  // 64-bit sums: a damaged count or size must not wrap around into a small, plausible number.
  const std::uint64_t tableEnd = kPnamesHeaderSize + 4ULL * count;
  if (tableEnd > size) {
    return damaged(fileName, "the offset table of its " + std::to_string(count) +
                                 " names would end at offset " + std::to_string(tableEnd) +
                                 ", but " + endsAt(size));
  }
  const std::uint64_t bodyEnd = kPnamesHeaderSize + std::uint64_t{body};
  if (bodyEnd > size) {
    return damaged(fileName, "the size at offset 0 says it runs to offset " +
                                 std::to_string(bodyEnd) + ", but " + endsAt(size));
  }
  return {};
}

// Each string runs from its own entry to the next one (the last one to the body's end), must
// at least hold its closing zero byte, and must end within the body.
std::string checkEntry(std::string_view fileName, std::size_t index, std::uint64_t start,
                       std::uint64_t next, std::uint64_t body) {
  if (next > body) {
    return damaged(fileName, "the offset table entry at offset " +
                                 std::to_string(kPnamesHeaderSize + 4 * (index + 1)) +
                                 " points to offset " + std::to_string(kPnamesHeaderSize + next) +
                                 ", past the end of the strings at offset " +
                                 std::to_string(kPnamesHeaderSize + body));
  }
  if (next > start) return {};
  return damaged(fileName, "the offset table entry at offset " +
                               std::to_string(kPnamesHeaderSize + 4 * index) + " puts string " +
                               std::to_string(index) + " at offset " +
                               std::to_string(kPnamesHeaderSize + start) +
                               ", which leaves no room for it before offset " +
                               std::to_string(kPnamesHeaderSize + next));
}

}  // namespace

PnamesRead readPnames(std::string_view bytes, std::string_view fileName) {
  PnamesRead read;
  read.error = checkLayout(bytes, fileName);
  if (!read.ok()) return read;
  std::uint32_t body = 0;
  std::uint32_t count = 0;
  readU32LE(bytes, 0, body);
  readU32LE(bytes, 4, count);
  read.names.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t start = tableEntry(bytes, i);
    const std::uint64_t next = i + 1 < count ? tableEntry(bytes, i + 1) : body;
    read.error = checkEntry(fileName, i, start, next, body);
    if (!read.ok()) {
      read.names.clear();
      return read;
    }
    // The last byte of each span is taken as its zero byte and not read; the length of the last
    // string comes from the body size alone, so a generous size hands it the bytes after it.
    read.names.emplace_back(bytes.substr(kPnamesHeaderSize + start, next - start - 1));
  }
  return read;
}

std::string writePnames(std::span<const std::string> names) {
  const std::size_t tableSize = 4 * names.size();
  std::size_t body = tableSize;
  for (const auto& name : names) body += name.size() + 1;
  std::string bytes;
  bytes.reserve(kPnamesHeaderSize + body);
  appendU32LE(bytes, static_cast<std::uint32_t>(body));
  appendU32LE(bytes, static_cast<std::uint32_t>(names.size()));
  std::size_t entry = tableSize;
  for (const auto& name : names) {
    appendU32LE(bytes, static_cast<std::uint32_t>(entry));
    entry += name.size() + 1;
  }
  for (const auto& name : names) {
    bytes += name;
    bytes += '\0';
  }
  return bytes;
}

}  // namespace kvo
