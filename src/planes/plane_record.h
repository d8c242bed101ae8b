#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/binary_io.h"

namespace kvo {

inline constexpr std::size_t kPlanesDatRecordSize = 216;
inline constexpr int kPlaneSlotCount = 30;
// Lines of a plane record file: the aircraft name, then record bytes 4..171 one per line.
inline constexpr std::size_t kPlaneRecordLines = 169;

// A plane record file (*.kvo) as far as it could be read.
struct PlaneRecordFile {
  std::string name;      // line 1 as written
  std::string slotText;  // line 2 as written
  std::string artCode;   // characters of lines 166..169, as far as they are byte values
  std::vector<std::uint8_t> recordBytes;  // record bytes 4.. up to the first unusable line
  int slot = -1;                          // 0..29, or -1 when line 2 gives no slot
  std::string problem;                    // why it cannot be installed; empty when it can

  bool usable() const { return problem.empty(); }
  // The full fuel the record carries (its bytes 40 and 41); 0 when it does not reach them.
  int fuel() const;
};

// Reads a plane record file's text; never fails, but says in `problem` what is wrong with it.
PlaneRecordFile readPlaneRecord(std::string_view bytes);

// The bytes the record writes into the game's planes.dat (0-based offsets of its slot's record);
// empty unless the record is usable.
std::vector<BytePatch> planeRecordPatches(const PlaneRecordFile& record);

// 0-based offset of a slot's fuel field in planes.dat (its low byte).
std::size_t fuelOffset(int slot);

}  // namespace kvo
