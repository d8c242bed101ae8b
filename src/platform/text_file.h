#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace kvo {

// Whole file as bytes; nullopt and `ec` set when it cannot be read.
std::optional<std::string> readFileBytes(const std::filesystem::path& path, std::error_code& ec);

// Splits 8-bit text into lines ending in CR LF, CR or LF. A last line without an ending is
// kept; an ending at the very end adds no empty line.
std::vector<std::string> splitLines(std::string_view bytes);

// The fields of `text` between each `separator` (one field when there is none).
std::vector<std::string_view> splitAt(std::string_view text, char separator);

// Each line followed by CR LF.
std::string joinLinesCrLf(std::span<const std::string> lines);

// Lines of a text file; nullopt and `ec` set when it cannot be read.
std::optional<std::vector<std::string>> readTextLines(const std::filesystem::path& path,
                                                      std::error_code& ec);

}  // namespace kvo
