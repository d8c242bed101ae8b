#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "demo_game.h"

namespace kvo::demo {
namespace {

// Filler stands in for the bytes the selector never interprets. It must differ between records
// and files, so that a patch written to the wrong place shows up as changed bytes.
char filler(unsigned seed, std::size_t index) {
  const auto i = static_cast<unsigned>(index);
  return static_cast<char>((seed * 131U + i * 29U + (i >> 3U)) & 0xFFU);
}

void appendU16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFFU));
  out.push_back(static_cast<char>((value >> 8U) & 0xFFU));
}

void appendU32(std::string& out, unsigned value) {
  appendU16(out, value & 0xFFFFU);
  appendU16(out, value >> 16U);
}

void putFuel(std::string& bytes, std::size_t at, std::uint16_t fuel) {
  bytes[at] = static_cast<char>(fuel & 0xFFU);
  bytes[at + 1] = static_cast<char>(fuel >> 8U);
}

void putArtCode(std::string& bytes, std::size_t at, std::string_view code) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = i < code.size() ? code[i] : ' ';
}

unsigned seedOf(std::string_view text) {
  unsigned seed = 7;
  for (char c : text) seed = seed * 31U + static_cast<unsigned char>(c);
  return seed;
}

constexpr std::size_t kMenuHeaderSize = 35;
constexpr std::size_t kMenuTailSize = 15;
constexpr std::size_t kMenuLongTailSize = 17;

// Menu entries past the plane slots the selector refills: names of no slot.
const std::array<std::string_view, 4> kOtherMenuNames = {"Recon Flight", "Transport Flight",
                                                         "Random Aircraft", "Training Flight"};

// Which slot's name each menu entry shows: the entries the selector refills come first.
std::vector<int> menuSlots(MenuSide side) {
  switch (side) {
    case MenuSide::B:
      return {13, 11, 10, 9, 14, 12};
    case MenuSide::A:
      return {5, 3, 4, 2, 0, 1};
    case MenuSide::G:
      return {18, 17, 22, 23, 16, 24, 20, 19};
  }
  return {};
}

}  // namespace

std::vector<std::string> defaultPlaneNames() {
  return {"P-38H Lightning",
          "P-38J Lightning",
          "P-47C Thunderbolt",
          "P-47D Thunderbolt",
          "P-51B Mustang",
          "P-51D Mustang",
          "B-17G Fortress",
          "B-24J Liberator",
          "B-26B Marauder",
          "Hurricane Mk IIc",
          "Spitfire Mk IIa",
          "Spitfire Mk IX",
          "Spitfire Mk XIV",
          "Typhoon Mk Ib",
          "Tempest Mk V",
          "Mosquito FB Mk VI",
          "Bf 109E-4",
          "Bf 109G-6",
          "Bf 109K-4",
          "Bf 110C-4",
          "Bf 110G-2",
          "Me 410A-1",
          "Fw 190A-8",
          "Fw 190D-9",
          "Me 262A-1a",
          "Ju 88A-4",
          "Ju 88C-6",
          "Ju 87B-2 Stuka",
          "He 111H-16",
          "V-1 Flying Bomb",
          std::string(kOtherMenuNames[0]),
          std::string(kOtherMenuNames[1]),
          std::string(kOtherMenuNames[2]),
          std::string(kOtherMenuNames[3])};
}

FuelTable defaultFuel() {
  FuelTable fuel{};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    fuel[static_cast<std::size_t>(slot)] = static_cast<std::uint16_t>(500 + 73 * slot);
  }
  return fuel;
}

std::string makePlanesDat(const FuelTable& fuel) {
  std::string bytes;
  bytes.reserve(kPlaneRecordSize * kSlotCount);
  for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
    const std::size_t base = bytes.size();
    for (std::size_t i = 0; i < kPlaneRecordSize; ++i) {
      bytes.push_back(filler(static_cast<unsigned>(slot) + 1U, i));
    }
    bytes[base + 4] = static_cast<char>(slot);
    putFuel(bytes, base + 40, fuel[slot]);
    putArtCode(bytes, base + 168, kPlaneCodes[slot]);
  }
  return bytes;
}

std::string makeLoadoutDat(std::size_t size) {
  std::string bytes;
  bytes.reserve(size);
  for (std::size_t i = 0; i < size; ++i) bytes.push_back(filler(977U, i));
  return bytes;
}

std::string makePnamesStr(const std::vector<std::string>& names) {
  const auto count = static_cast<unsigned>(names.size());
  unsigned body = 4U * count;
  for (const auto& name : names) body += static_cast<unsigned>(name.size()) + 1U;
  std::string bytes;
  appendU32(bytes, body);
  appendU32(bytes, count);
  unsigned offset = 4U * count;
  for (const auto& name : names) {
    appendU32(bytes, offset);
    offset += static_cast<unsigned>(name.size()) + 1U;
  }
  for (const auto& name : names) {
    bytes += name;
    bytes.push_back('\0');
  }
  return bytes;
}

std::string_view menuFileName(MenuSide side) {
  switch (side) {
    case MenuSide::B:
      return "picplnb.mnu";
    case MenuSide::A:
      return "picplna.mnu";
    case MenuSide::G:
      return "picplng.mnu";
  }
  return {};
}

int menuRecordCount(MenuSide side) {
  return side == MenuSide::G ? 11 : 9;
}

std::string makeMenuFile(MenuSide side, const std::vector<std::string>& names) {
  const unsigned seed = 50U + static_cast<unsigned>(side);
  std::string bytes;
  for (std::size_t i = 0; i < kMenuHeaderSize; ++i) bytes.push_back(filler(seed, i));
  const auto count = static_cast<std::size_t>(menuRecordCount(side));
  for (std::size_t k = 0; k < count; ++k) {
    const std::string name = k < names.size() ? names[k] : std::string();
    appendU32(bytes, static_cast<unsigned>(name.size()) + 1U);
    bytes += name;
    bytes.push_back('\0');
    // The last but one record of every menu carries two more tail bytes.
    const std::size_t tail = k + 2 == count ? kMenuLongTailSize : kMenuTailSize;
    for (std::size_t i = 0; i < tail; ++i)
      bytes.push_back(filler(seed + 7U * static_cast<unsigned>(k), i));
  }
  return bytes;
}

std::vector<std::string> defaultMenuNames(MenuSide side) {
  const auto planes = defaultPlaneNames();
  std::vector<std::string> names;
  for (int slot : menuSlots(side)) names.push_back(planes[static_cast<std::size_t>(slot)]);
  for (std::size_t i = 0; names.size() < static_cast<std::size_t>(menuRecordCount(side)); ++i) {
    names.emplace_back(kOtherMenuNames[i % kOtherMenuNames.size()]);
  }
  return names;
}

std::string makeKvoRecord(std::string_view name, int slot, std::string_view artCode,
                          std::uint16_t fuel) {
  // Lines 2..169 are record bytes 4..171, so record offset n sits at index n - 4 here.
  std::string record(168, '\0');
  const unsigned seed = seedOf(name);
  for (std::size_t i = 0; i < record.size(); ++i) record[i] = filler(seed, i + 4);
  record[0] = static_cast<char>(slot);
  putFuel(record, 36, fuel);
  putArtCode(record, 164, artCode);
  std::vector<std::string> lines{std::string(name)};
  for (char byte : record) lines.push_back(std::to_string(static_cast<unsigned char>(byte)));
  return crlfLines(lines);
}

std::string makeLoxPatch(const std::vector<std::pair<int, int>>& positionValues) {
  std::vector<std::string> lines;
  for (const auto& [position, value] : positionValues) {
    lines.push_back(std::to_string(position));
    lines.push_back(std::to_string(value));
  }
  return crlfLines(lines);
}

std::string makeLo1Patch(int startPosition, const std::vector<int>& values) {
  std::vector<std::string> lines{std::to_string(startPosition)};
  for (int value : values) lines.push_back(std::to_string(value));
  return crlfLines(lines);
}

std::string crlfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string makeBmp(int width, int height, std::uint32_t rgb) {
  const auto w = static_cast<unsigned>(width);
  const auto h = static_cast<unsigned>(height);
  const unsigned rowSize = (3U * w + 3U) & ~3U;
  const unsigned pixelBytes = rowSize * h;
  std::string bytes = "BM";
  appendU32(bytes, 54U + pixelBytes);
  appendU32(bytes, 0);
  appendU32(bytes, 54);
  for (unsigned field : {40U, w, h}) appendU32(bytes, field);
  appendU16(bytes, 1);   // planes
  appendU16(bytes, 24);  // bits per pixel
  for (unsigned field : {0U, pixelBytes, 2835U, 2835U, 0U, 0U}) appendU32(bytes, field);
  for (unsigned y = 0; y < h; ++y) {
    for (unsigned x = 0; x < w; ++x) {
      const std::uint32_t colour = (x + y) % 8U < 2U ? 0xFFFFFFU : rgb;
      for (unsigned shift : {0U, 8U, 16U}) bytes.push_back(static_cast<char>(colour >> shift));
    }
    bytes.append(rowSize - 3U * w, '\0');
  }
  return bytes;
}

std::string makeGif(std::uint32_t rgb) {
  std::string bytes = "GIF89a";
  appendU16(bytes, 1);
  appendU16(bytes, 1);
  // Global colour table of two entries; the one pixel uses entry 0.
  bytes += {'\x80', '\0', '\0'};
  for (unsigned shift : {16U, 8U, 0U}) bytes.push_back(static_cast<char>(rgb >> shift));
  bytes.append(3, '\0');
  bytes += ',';
  for (unsigned field : {0U, 0U, 1U, 1U}) appendU16(bytes, field);
  bytes.push_back('\0');
  // LZW with 2-bit minimum code size: clear code, index 0, end code, packed into 0x44 0x01.
  bytes += {'\x02', '\x02', '\x44', '\x01', '\0', ';'};
  return bytes;
}

}  // namespace kvo::demo
