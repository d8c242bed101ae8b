#include "platform/text_file.h"

#include <string>

namespace kvo {
namespace fs = std::filesystem;

std::vector<std::string> splitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(bytes.substr(start, i - start));
      ++i;
      if (c == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

std::vector<std::string_view> splitAt(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const auto at = text.find(separator, start);
    fields.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return fields;
    start = at + 1;
  }
}

std::string joinLinesCrLf(std::span<const std::string> lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::optional<std::vector<std::string>> readTextLines(const fs::path& path, std::error_code& ec) {
  auto bytes = readFileBytes(path, ec);
  if (!bytes) return std::nullopt;
  return splitLines(*bytes);
}

}  // namespace kvo
