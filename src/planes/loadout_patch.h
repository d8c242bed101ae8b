#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/binary_io.h"

namespace kvo {

// The bytes a loadout patch file writes into the game's loadout.dat, as far as it could be read.
struct LoadoutPatch {
  std::vector<BytePatch> bytes;  // 0-based offsets
  std::string problem;           // why it must not be applied; empty when it may

  bool usable() const { return problem.empty(); }
};

// Reads a *.lox patch: pairs of lines, a 1-based position and the byte to write there.
LoadoutPatch readLoxPatch(std::string_view text);

// Reads a *.lo1 or *.lo2 patch: a 1-based start position, then the bytes to write from there on.
LoadoutPatch readSequentialPatch(std::string_view text);

}  // namespace kvo
