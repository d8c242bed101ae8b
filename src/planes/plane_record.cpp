#include "planes/plane_record.h"

#include <cmath>

#include "gamefiles/legacy_number.h"
#include "platform/text_file.h"

namespace kvo {

namespace {

constexpr std::size_t kFirstArtCodeLine = 166;
constexpr std::size_t kFuelLowLine = 38;

std::string_view trimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

void appendArtCodeCharacter(std::string_view line, std::string& artCode) {
  const double whole = std::floor(parseLegacyNumber(line));
  // A NUL would never match a skin's art code and cannot be shown, so it is left out.
  if (whole >= 1 && whole <= 255) artCode += static_cast<char>(static_cast<unsigned char>(whole));
}

// A line as a message quotes it: a hostile file's megabyte line must not make a megabyte box.
std::string shownLine(std::string_view text) {
  constexpr std::size_t kShown = 60;
  if (text.size() <= kShown) return "\"" + std::string(text) + "\"";
  return "\"" + std::string(text.substr(0, kShown)) + "...\"";
}

std::string lineProblem(std::size_t lineNumber, std::string_view text) {
  return "line " + std::to_string(lineNumber) + " holds " + shownLine(text) +
         ", which is not a byte value from 0 to 255";
}

// Collects record bytes until the first line that is not a byte value.
void readRecordBytes(const std::vector<std::string>& lines, PlaneRecordFile& record) {
  const std::size_t last = std::min(lines.size(), kPlaneRecordLines);
  for (std::size_t i = 1; i < last; ++i) {
    std::uint8_t value = 0;
    const auto number = readLegacyNumber(lines[i]);
    if (!number || !toByteRoundEven(*number, value)) {
      record.problem = lineProblem(i + 1, lines[i]);
      return;
    }
    record.recordBytes.push_back(value);
  }
}

std::string firstProblem(const std::vector<std::string>& lines, const PlaneRecordFile& record) {
  if (lines.size() < kPlaneRecordLines) {
    return "it has " + std::to_string(lines.size()) + " lines where a plane record needs " +
           std::to_string(kPlaneRecordLines);
  }
  if (!record.problem.empty()) return record.problem;
  if (record.slot < 0) {
    return "its slot " + shownLine(record.slotText) + " is not a plane slot from 0 to 29";
  }
  if (trimSpaces(record.name).empty()) return "its first line names no aircraft";
  return {};
}

}  // namespace

int PlaneRecordFile::fuel() const {
  const std::size_t low = kFuelLowLine - 2;
  if (recordBytes.size() <= low + 1) return 0;
  return recordBytes[low + 1] * 256 + recordBytes[low];
}

PlaneRecordFile readPlaneRecord(std::string_view bytes) {
  PlaneRecordFile record;
  // Only the lines a record has are kept: a file of line ends must not become a list of them.
  std::vector<std::string> lines;
  forEachLine(bytes, [&](std::string_view line) {
    if (lines.size() < kPlaneRecordLines) lines.emplace_back(line);
  });
  if (!lines.empty()) record.name = lines[0];
  if (lines.size() > 1) record.slotText = lines[1];
  for (std::size_t line = kFirstArtCodeLine; line <= kPlaneRecordLines && line <= lines.size();
       ++line) {
    appendArtCodeCharacter(lines[line - 1], record.artCode);
  }
  readRecordBytes(lines, record);
  // The grid files a plane under the slot line's own value; a fraction, rounded here, would
  // write the record into another slot than the one the grid lists it under.
  const double slotValue = parseLegacyNumber(record.slotText);
  if (!record.recordBytes.empty() && slotValue == std::floor(slotValue) && slotValue >= 0 &&
      slotValue < kPlaneSlotCount) {
    record.slot = static_cast<int>(slotValue);
  }
  record.problem = firstProblem(lines, record);
  return record;
}

std::vector<BytePatch> planeRecordPatches(const PlaneRecordFile& record) {
  std::vector<BytePatch> patches;
  if (!record.usable()) return patches;
  const std::size_t base = kPlanesDatRecordSize * static_cast<std::size_t>(record.slot) + 4;
  for (std::size_t k = 0; k < record.recordBytes.size(); ++k) {
    patches.push_back({base + k, record.recordBytes[k]});
  }
  return patches;
}

std::size_t fuelOffset(int slot) {
  return kPlanesDatRecordSize * static_cast<std::size_t>(slot) + 40;
}

}  // namespace kvo
