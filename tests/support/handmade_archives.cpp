#include "support/handmade_archives.h"

#include <array>

#include "archive/entry_names.h"

namespace kvo::test {

namespace {

void le16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void le32(std::string& out, std::uint32_t value) {
  le16(out, value & 0xFFFF);
  le16(out, value >> 16);
}

// RAR 5's variable-length numbers: seven bits a byte, low bits first.
void vint(std::string& out, std::uint64_t value) {
  do {
    const auto low = static_cast<char>(value & 0x7F);
    value >>= 7;
    out += static_cast<char>(low | (value ? 0x80 : 0));
  } while (value);
}

std::uint32_t size32(std::string_view bytes) {
  return static_cast<std::uint32_t>(bytes.size());
}

// DOS date and time: 14 November 2023, 12:00.
constexpr std::uint32_t kDosTime = (43u << 25) | (11u << 21) | (14u << 16) | (12u << 11);

void zipLocalHeader(std::string& out, const HandmadeEntry& entry, std::uint32_t crc,
                    std::uint32_t claimed) {
  le32(out, 0x04034b50);
  le16(out, 20);
  le16(out, entry.unicode ? 0x800 : 0);
  le16(out, 0);  // stored
  le32(out, kDosTime);
  le32(out, crc);
  le32(out, size32(entry.bytes));
  le32(out, claimed);
  le16(out, static_cast<std::uint32_t>(entry.name.size()));
  le16(out, 0);
  out += entry.name;
}

void zipCentralHeader(std::string& out, const HandmadeEntry& entry, std::uint32_t crc,
                      std::uint32_t claimed, std::uint32_t offset) {
  le32(out, 0x02014b50);
  le16(out, 20);  // made by MS-DOS
  le16(out, 20);
  le16(out, entry.unicode ? 0x800 : 0);
  le16(out, 0);
  le32(out, kDosTime);
  le32(out, crc);
  le32(out, size32(entry.bytes));
  le32(out, claimed);
  le16(out, static_cast<std::uint32_t>(entry.name.size()));
  le16(out, 0);
  le16(out, 0);
  le16(out, 0);
  le16(out, 0);
  le32(out, entry.folder ? 0x10 : 0x20);  // DOS attributes
  le32(out, offset);
  out += entry.name;
}

void rar4Header(std::string& out, std::string_view fields) {
  le16(out, crc32(fields) & 0xFFFF);
  out += fields;
}

// RAR 4's Unicode name: the plain name, a zero, then every UTF-16 unit written whole.
std::string rar4UnicodeName(std::string_view utf8) {
  const auto decoded = decodeUtf8(utf8).value_or(U"");
  std::string plain;
  for (const char32_t c : decoded) plain += c < 0x80 ? static_cast<char>(c) : '_';
  std::string encoded = plain + '\0' + '\0';  // then the high byte the encoding starts from
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    if (i % 4 == 0) encoded += static_cast<char>(0xAA);  // four "unit follows" flags
    le16(encoded, static_cast<std::uint32_t>(decoded[i]));
  }
  return encoded;
}

void rar5Header(std::string& out, std::string_view body) {
  std::string sized;
  vint(sized, body.size());
  sized += body;
  le32(out, crc32(sized));
  out += sized;
}

}  // namespace

std::uint32_t crc32(std::string_view bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> values{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      values[i] = c;
    }
    return values;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char b : bytes) crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::string storedZip(const std::vector<HandmadeEntry>& entries) {
  std::string out;
  std::string central;
  for (const auto& entry : entries) {
    const auto crc = crc32(entry.bytes);
    const auto claimed = entry.claimedSize.value_or(size32(entry.bytes));
    zipCentralHeader(central, entry, crc, claimed, size32(out));
    zipLocalHeader(out, entry, crc, claimed);
    out += entry.bytes;
  }
  const auto centralOffset = size32(out);
  out += central;
  le32(out, 0x06054b50);
  le16(out, 0);
  le16(out, 0);
  le16(out, static_cast<std::uint32_t>(entries.size()));
  le16(out, static_cast<std::uint32_t>(entries.size()));
  le32(out, size32(central));
  le32(out, centralOffset);
  le16(out, 0);
  return out;
}

std::string storedRar4(const std::vector<HandmadeEntry>& entries) {
  std::string out("Rar!\x1A\x07\x00", 7);
  std::string main;
  main += '\x73';
  le16(main, 0);
  le16(main, 13);
  le16(main, 0);
  le32(main, 0);
  rar4Header(out, main);
  for (const auto& entry : entries) {
    const auto name = entry.unicode ? rar4UnicodeName(entry.name) : entry.name;
    std::string fields;
    fields += '\x74';
    le16(fields, 0x8000 | (entry.unicode ? 0x200 : 0) | (entry.folder ? 0xE0 : 0));
    le16(fields, 32 + static_cast<std::uint32_t>(name.size()));
    le32(fields, size32(entry.bytes));
    le32(fields, size32(entry.bytes));
    fields += '\x02';  // packed on Windows
    le32(fields, crc32(entry.bytes));
    le32(fields, kDosTime);
    fields += '\x1D';  // needs RAR 2.9 to unpack
    fields += '\x30';  // stored
    le16(fields, static_cast<std::uint32_t>(name.size()));
    le32(fields, entry.folder ? 0x10 : 0x20);
    fields += name;
    rar4Header(out, fields);
    out += entry.bytes;
  }
  std::string end;
  end += '\x7B';
  le16(end, 0x4000);
  le16(end, 7);
  rar4Header(out, end);
  return out;
}

std::string storedRar5(const std::vector<HandmadeEntry>& entries) {
  std::string out("Rar!\x1A\x07\x01\x00", 8);
  std::string main;
  vint(main, 1);  // main archive header
  vint(main, 0);
  vint(main, 0);
  rar5Header(out, main);
  for (const auto& entry : entries) {
    std::string file;
    vint(file, 2);    // file header
    vint(file, 0x2);  // a data area follows
    vint(file, entry.bytes.size());
    vint(file, (entry.folder ? 0x1 : 0) | 0x4);  // CRC32 present
    vint(file, entry.bytes.size());
    vint(file, entry.folder ? 0x10 : 0x20);
    le32(file, crc32(entry.bytes));
    vint(file, 0);  // stored, version 0
    vint(file, 0);  // packed on Windows
    vint(file, entry.name.size());
    file += entry.name;
    rar5Header(out, file);
    out += entry.bytes;
  }
  std::string end;
  vint(end, 5);
  vint(end, 0);
  vint(end, 0);
  rar5Header(out, end);
  return out;
}

}  // namespace kvo::test
