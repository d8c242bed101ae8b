#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kvo {

// Whole file as bytes, when it is a regular file (a link to one is followed) of at most
// `limit` bytes; nullopt and `ec` set when it cannot be read, is not a regular file
// (Refusal::NotRegularFile: a FIFO, a device) or is larger (Refusal::TooLarge). The open
// never waits for a FIFO's writer. The limits of the selector's files are in read_limits.h.
std::optional<std::string> readFileBytes(const std::filesystem::path& path, std::error_code& ec,
                                         std::size_t limit);

// Splits 8-bit text into lines ending in CR LF, CR or LF. A last line without an ending is
// kept; an ending at the very end adds no empty line.
std::vector<std::string> splitLines(std::string_view bytes);

// Calls `visit(line)` for each line as splitLines cuts them, without copying any.
template <typename Visit>
void forEachLine(std::string_view bytes, Visit visit) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    const auto end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      visit(bytes.substr(start));
      return;
    }
    visit(bytes.substr(start, end - start));
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
}

// The fields of `text` between each `separator` (one field when there is none).
std::vector<std::string_view> splitAt(std::string_view text, char separator);

// Each line followed by CR LF.
std::string joinLinesCrLf(std::span<const std::string> lines);

// Lines of a text file read as readFileBytes does; nullopt and `ec` set when it cannot be read.
std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& path,
                                                      std::error_code& ec, std::size_t limit);

// True when the two regular files hold the same bytes, compared a block at a time; false
// when either cannot be read.
bool sameFileBytes(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace kvo
