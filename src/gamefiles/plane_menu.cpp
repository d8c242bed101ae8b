#include "gamefiles/plane_menu.h"

#include <cstdint>

#include "platform/binary_io.h"

namespace kvo {

namespace {

// The length field is 4 bytes, of which the game's files use only the lowest.
constexpr std::size_t kLengthFieldSize = 4;

std::string nameOr(std::string_view fileName, MenuSide side) {
  return std::string(fileName.empty() ? menuFileName(side) : fileName);
}

// Bytes of a record besides its name: the length field, the name's zero byte and the tail.
std::size_t recordOverhead(MenuSide side, std::size_t record) {
  return kLengthFieldSize + 1 + menuTailSize(side, record);
}

std::string shortFile(const std::string& file, std::size_t record, std::size_t start,
                      std::size_t size) {
  return file + " is damaged: record " + std::to_string(record) + " starts at offset " +
         std::to_string(start) + " and runs past the end of the file at offset " +
         std::to_string(size) + ".";
}

// Reads the record at `start`; false when the file ends before its tail does.
bool readRecord(std::string_view bytes, MenuSide side, std::size_t record, std::size_t& start,
                MenuRecord& out) {
  std::uint8_t length = 0;
  if (!readU8(bytes, start, length)) return false;
  const std::size_t size = length + recordOverhead(side, record) - 1;
  if (bytes.size() - start < size) return false;
  const std::string_view name = bytes.substr(start + kLengthFieldSize, length);
  out.name = std::string(name.substr(0, name.find('\0')));
  out.tail =
      std::string(bytes.substr(start + kLengthFieldSize + length, menuTailSize(side, record)));
  start += size;
  return true;
}

std::string checkForWriting(const PlaneMenuFile& menu, const std::string& file) {
  if (menu.header.size() != kMenuHeaderSize || menu.records.size() != menuRecordCount(menu.side)) {
    return "The menu for " + file + " is incomplete: it was not read from a whole file.";
  }
  for (std::size_t k = 0; k < menu.records.size(); ++k) {
    const auto& record = menu.records[k];
    if (record.name.size() > kMenuMaxNameLength) {
      return "The name \"" + record.name + "\" has " + std::to_string(record.name.size()) +
             " characters; " + file + " holds names of at most " +
             std::to_string(kMenuMaxNameLength) + ".";
    }
    if (record.tail.size() != menuTailSize(menu.side, k)) {
      return "The menu for " + file + " is incomplete: record " + std::to_string(k) +
             " was not read from a whole file.";
    }
  }
  return {};
}

}  // namespace

MenuSide menuSideOf(std::size_t index) {
  return index == 0 ? MenuSide::B : index == 1 ? MenuSide::A : MenuSide::G;
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

std::size_t menuRecordCount(MenuSide side) {
  return side == MenuSide::G ? kMenuMaxRecords : kMenuMaxRecords - 2;
}

std::size_t menuTailSize(MenuSide side, std::size_t record) {
  return record + 2 == menuRecordCount(side) ? kMenuLongTailSize : kMenuTailSize;
}

PlaneMenuRead ReadPlaneMenu(MenuSide side, std::string_view bytes, std::string_view fileName) {
  PlaneMenuRead read;
  read.menu.side = side;
  const std::string file = nameOr(fileName, side);
  if (bytes.size() < kMenuHeaderSize) {
    read.error = file + " is damaged: it ends at offset " + std::to_string(bytes.size()) +
                 ", inside its " + std::to_string(kMenuHeaderSize) + "-byte header.";
    return read;
  }
  read.menu.header = std::string(bytes.substr(0, kMenuHeaderSize));
  read.menu.records.resize(menuRecordCount(side));
  std::size_t start = kMenuHeaderSize;
  for (std::size_t k = 0; k < read.menu.records.size(); ++k) {
    if (!readRecord(bytes, side, k, start, read.menu.records[k])) {
      read.error = shortFile(file, k, start, bytes.size());
      read.menu = PlaneMenuFile{side, {}, {}};
      return read;
    }
  }
  return read;
}

FileBytes WritePlaneMenu(const PlaneMenuFile& menu, std::string_view fileName) {
  FileBytes out;
  out.error = checkForWriting(menu, nameOr(fileName, menu.side));
  if (!out.ok()) return out;
  out.bytes = menu.header;
  for (const auto& record : menu.records) {
    appendU32LE(out.bytes, static_cast<std::uint32_t>(record.length()));
    out.bytes += record.name;
    out.bytes += '\0';
    out.bytes += record.tail;
  }
  return out;
}

std::string bytesAsText(std::string_view bytes) {
  std::string text;
  for (const char byte : bytes) {
    text += ' ';
    text += std::to_string(static_cast<unsigned char>(byte));
  }
  return text;
}

}  // namespace kvo
