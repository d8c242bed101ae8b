#include "scripts/set_entries.h"

#include <algorithm>

#include "platform/listing.h"
#include "platform/text_file.h"

namespace kvo {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads one entry of `line` from `pos` on and leaves `pos` after the comma that ends it, or
// past the line's end.
std::string nextEntry(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  const bool quoted = pos < line.size() && line[pos] == '"';
  std::string entry;
  std::size_t rest = pos;
  if (quoted) {
    const std::size_t end = std::min(line.find('"', pos + 1), line.size());
    entry = std::string(line.substr(pos + 1, end - pos - 1));
    // Whatever follows the closing quote up to the next comma belongs to no entry.
    rest = end;
  }
  const std::size_t stop = std::min(line.find(',', rest), line.size());
  if (!quoted) entry = std::string(line.substr(pos, stop - pos));
  pos = stop + 1;
  return entry;
}

}  // namespace

std::vector<std::string> readSetEntries(std::string_view bytes) {
  std::vector<std::string> entries;
  forEachLine(bytes, [&](std::string_view line) {
    std::size_t pos = 0;
    // A comma at the end of a line leaves one more, empty entry before the line end.
    while (pos <= line.size() && entries.size() < kMaxSetEntries) {
      entries.push_back(nextEntry(line, pos));
    }
  });
  return entries;
}

std::string entryName(std::string_view entry) {
  const std::size_t cut = entry.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? entry : entry.substr(cut + 1));
}

std::string entryKey(std::string_view name) {
  if (name.empty()) return {};
  return std::string(1, name.front()) + toUpperAscii(name.substr(1));
}

}  // namespace kvo
