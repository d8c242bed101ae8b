#pragma once

#include <filesystem>
#include <string_view>

#include "state/core.h"

namespace kvo {

// The selector's own options file in the selector folder: KEY=VALUE lines.
inline constexpr std::string_view kOptionsName = "Options.txt";

// The options file of the game folder's selector folder.
std::filesystem::path optionsPath(const FormState& state);

// What the options file says of `KeepOriginals`; off when it is missing or says nothing.
bool readKeepOriginals(const FormState& state);

// Sets `KeepOriginals` and remembers it for the next starts; false when the options file
// could not be written, which one message says (the box keeps its old state).
bool setKeepOriginals(Core& core, bool on);

}  // namespace kvo
