#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gamefiles/file_bytes.h"

namespace kvo {

// The three plane-selection menus of the game, in the order of the window's option buttons.
enum class MenuSide { B, A, G };

inline constexpr std::size_t kMenuSideCount = 3;
inline constexpr std::size_t kMenuHeaderSize = 35;
inline constexpr std::size_t kMenuTailSize = 15;
inline constexpr std::size_t kMenuLongTailSize = 17;
// The most records any side has (G); B and A have two fewer.
inline constexpr std::size_t kMenuMaxRecords = 11;
// One length byte holds the name's length plus its zero byte.
inline constexpr std::size_t kMenuMaxNameLength = 254;

// The side behind option button `index` (0 B, 1 A, 2 G).
MenuSide menuSideOf(std::size_t index);
// The file of a side in the game folder: "picplnb.mnu", "picplna.mnu" or "picplng.mnu".
std::string_view menuFileName(MenuSide side);
// Records in a side's file: 9 for B and A, 11 for G.
std::size_t menuRecordCount(MenuSide side);
// Tail bytes of record `record` of a side: 17 for the last but one, 15 for every other.
std::size_t menuTailSize(MenuSide side, std::size_t record);

// One entry of a plane menu.
struct MenuRecord {
  std::string name;  // up to its first zero byte
  std::string tail;  // the bytes after the name, carried unchanged

  // The record's length field: the name's characters plus its zero byte.
  std::size_t length() const { return name.size() + 1; }
};

// One plane-menu file as read.
struct PlaneMenuFile {
  MenuSide side = MenuSide::B;
  std::string header;               // kMenuHeaderSize bytes, carried unchanged
  std::vector<MenuRecord> records;  // menuRecordCount(side) of them
};

// A read plane-menu file, or why its bytes cannot be one.
struct PlaneMenuRead {
  PlaneMenuFile menu;
  std::string error;  // names the file and the offset; empty when `menu` holds the file

  bool ok() const { return error.empty(); }
};

// Reads a side's menu file from its bytes; `fileName` (default: the side's file) names it in
// messages. Bytes after the last record are not part of the menu.
PlaneMenuRead ReadPlaneMenu(MenuSide side, std::string_view bytes, std::string_view fileName = {});

// The bytes of a menu file: header, then each record's length, name and tail; refused when a
// name does not fit its length byte or the header or a tail is not the size its place needs.
FileBytes WritePlaneMenu(const PlaneMenuFile& menu, std::string_view fileName = {});

// Bytes as the window shows them: each byte's decimal value preceded by one blank.
std::string bytesAsText(std::string_view bytes);

}  // namespace kvo
