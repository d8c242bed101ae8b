#include "archive/entry_names.h"

#include <array>

namespace kvo {

namespace {

constexpr std::string_view kLeadsOut = "leads out of the folder it is unpacked into";

bool isSeparator(char c) {
  return c == '/' || c == '\\';
}

bool isDrive(std::string_view part) {
  const auto letter = part.empty() ? '\0' : part[0];
  const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
  return isLetter && part.size() >= 2 && part[1] == ':';
}

bool forbiddenInWindowsName(char32_t c) {
  return c < 0x20 || std::u32string_view(U"\\/:*?\"<>|").find(c) != std::u32string_view::npos;
}

char32_t upperAscii(char32_t c) {
  return c >= U'a' && c <= U'z' ? c - 0x20 : c;
}

// Windows keeps these names for devices, also with an extension ("con.txt").
bool isDeviceName(std::u32string_view name) {
  const auto base = name.substr(0, name.find(U'.'));
  std::u32string upper;
  for (const char32_t c : base) upper += upperAscii(c);
  for (const std::u32string_view device : {U"CON", U"PRN", U"AUX", U"NUL"}) {
    if (upper == device) return true;
  }
  if (upper.size() != 4) return false;
  const auto stem = std::u32string_view(upper).substr(0, 3);
  const char32_t digit = upper[3];
  const bool port = stem == U"COM" || stem == U"LPT";
  const bool portDigit = (digit >= U'0' && digit <= U'9') || digit == U'\u00B9' ||
                         digit == U'\u00B2' || digit == U'\u00B3';
  return port && portDigit;
}

// The number of bytes of the UTF-8 sequence that `lead` begins, 0 for a byte that begins none.
int sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

std::optional<char32_t> decodeSequence(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  char32_t c = bytes.size() == 1 ? lead : lead & (0x7F >> bytes.size());
  for (std::size_t i = 1; i < bytes.size(); ++i) {
    const auto next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[bytes.size()] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    return std::nullopt;
  }
  return c;
}

// Latin Extended-A pairs its letters as upper case and lower case neighbours; which of the
// two is upper changes from block to block.
char32_t upperLatinExtendedA(char32_t c) {
  const bool evenUpper =
      (c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
  const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if (evenUpper && c % 2 == 1) return c - 1;
  if (oddUpper && c % 2 == 0) return c - 1;
  return c;
}

char32_t upperCase(char32_t c) {
  if (c < 0x80) return upperAscii(c);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) return upperLatinExtendedA(c);
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if ((c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x44F)) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

std::optional<std::u32string> decodeUtf8(std::string_view text) {
  std::u32string decoded;
  decoded.reserve(text.size());
  while (!text.empty()) {
    const auto length =
        static_cast<std::size_t>(sequenceLength(static_cast<unsigned char>(text[0])));
    if (length == 0 || length > text.size()) return std::nullopt;
    const auto c = decodeSequence(text.substr(0, length));
    if (!c) return std::nullopt;
    decoded += *c;
    text.remove_prefix(length);
  }
  return decoded;
}

std::string encodeUtf8(std::u32string_view text) {
  std::string encoded;
  encoded.reserve(text.size());
  for (const char32_t c : text) {
    if (c < 0x80) {
      encoded += static_cast<char>(c);
      continue;
    }
    const int length = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    constexpr std::array<unsigned char, 5> kLead = {0, 0, 0xC0, 0xE0, 0xF0};
    encoded +=
        static_cast<char>(kLead[static_cast<std::size_t>(length)] | (c >> (6 * (length - 1))));
    for (int i = length - 2; i >= 0; --i) {
      encoded += static_cast<char>(0x80 | ((c >> (6 * i)) & 0x3F));
    }
  }
  return encoded;
}

std::string entryPartProblem(std::string_view part) {
  const auto decoded = decodeUtf8(part);
  if (!decoded) return "is not UTF-8 text";
  for (const char32_t c : *decoded) {
    if (forbiddenInWindowsName(c)) {
      return "holds a character Windows does not allow in names "
             "(\\ / : * ? \" < > | or a control character)";
    }
  }
  if (!decoded->empty() && (decoded->back() == U' ' || decoded->back() == U'.')) {
    return "ends with a space or a full stop, which Windows would drop";
  }
  if (isDeviceName(*decoded)) return "is the name of a device on Windows";
  return {};
}

EntryPath mapEntryName(std::string_view utf8Name) {
  EntryPath path;
  if (!utf8Name.empty() && isSeparator(utf8Name[0])) {
    path.problem = kLeadsOut;
    return path;
  }
  while (!utf8Name.empty()) {
    std::size_t end = 0;
    while (end < utf8Name.size() && !isSeparator(utf8Name[end])) ++end;
    const auto part = utf8Name.substr(0, end);
    utf8Name.remove_prefix(end == utf8Name.size() ? end : end + 1);
    if (part.empty() || part == ".") continue;
    if (part == ".." || (path.parts.empty() && isDrive(part))) {
      path.problem = kLeadsOut;
      return path;
    }
    if (path.problem.empty()) path.problem = entryPartProblem(part);
    path.parts.emplace_back(part);
  }
  return path;
}

std::string foldCase(std::string_view utf8Name) {
  const auto decoded = decodeUtf8(utf8Name);
  if (!decoded) return std::string(utf8Name);
  std::u32string folded;
  folded.reserve(decoded->size());
  for (const char32_t c : *decoded) folded += upperCase(c);
  return encodeUtf8(folded);
}

bool heldByWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
  // The printable characters Windows-1252 puts at 0x80..0x9F in place of Latin-1's controls.
  constexpr std::u32string_view kUpperHalf =
      U"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D"
      U"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178";
  return kUpperHalf.find(c) != std::u32string_view::npos;
}

}  // namespace kvo
