#include "planes/loadout_patch.h"

#include <cmath>
#include <cstdint>

#include "gamefiles/legacy_number.h"
#include "platform/text_file.h"

namespace kvo {

namespace {

// Editors often leave blank lines after the last number; they carry nothing.
std::vector<std::string> meaningfulLines(std::string_view text) {
  auto lines = splitLines(text);
  while (!lines.empty() && lines.back().find_first_not_of(" \t") == std::string::npos) {
    lines.pop_back();
  }
  return lines;
}

std::string badLine(std::size_t index, const std::string& text, std::string_view expected) {
  // A hostile file's megabyte line must not make a megabyte message.
  const std::string shown = text.size() <= 60 ? text : text.substr(0, 60) + "...";
  return "line " + std::to_string(index + 1) + " holds \"" + shown + "\", which is not " +
         std::string(expected);
}

// A 1-based file position as a 0-based offset; false when the line is no such position.
bool readPosition(const std::string& line, std::size_t& offset) {
  const double value = parseLegacyNumber(line);
  if (!std::isfinite(value) || value < 1 || value > 2147483647.0 || value != std::floor(value)) {
    return false;
  }
  offset = static_cast<std::size_t>(value) - 1;
  return true;
}

bool readValue(const std::string& line, std::uint8_t& value) {
  const auto number = readLegacyNumber(line);
  return number && toByteRoundEven(*number, value);
}

constexpr std::string_view kPositionText = "a file position from 1 on";
constexpr std::string_view kValueText = "a byte value from 0 to 255";

}  // namespace

LoadoutPatch readLoxPatch(std::string_view text) {
  LoadoutPatch patch;
  const auto lines = meaningfulLines(text);
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    std::size_t offset = 0;
    std::uint8_t value = 0;
    if (!readPosition(lines[i], offset)) {
      patch.problem = badLine(i, lines[i], kPositionText);
    } else if (i + 1 == lines.size()) {
      patch.problem = "its last position, line " + std::to_string(i + 1) + ", has no value";
    } else if (!readValue(lines[i + 1], value)) {
      patch.problem = badLine(i + 1, lines[i + 1], kValueText);
    }
    if (!patch.problem.empty()) return patch;
    patch.bytes.push_back({offset, value});
  }
  return patch;
}

LoadoutPatch readSequentialPatch(std::string_view text) {
  LoadoutPatch patch;
  const auto lines = meaningfulLines(text);
  if (lines.empty()) return patch;
  std::size_t offset = 0;
  if (!readPosition(lines[0], offset)) {
    patch.problem = badLine(0, lines[0], kPositionText);
    return patch;
  }
  for (std::size_t i = 1; i < lines.size(); ++i, ++offset) {
    std::uint8_t value = 0;
    if (!readValue(lines[i], value)) {
      patch.problem = badLine(i, lines[i], kValueText);
      return patch;
    }
    patch.bytes.push_back({offset, value});
  }
  return patch;
}

}  // namespace kvo
