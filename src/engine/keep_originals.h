#pragma once

#include <filesystem>
#include <string_view>

#include "state/form_state.h"
#include "state/game_folder.h"
#include "state/outcome.h"

namespace kvo {

// The selector's own options file in the selector folder: KEY=VALUE lines.
inline constexpr std::string_view kOptionsName = "Options.txt";

// The options file of the game folder's selector folder.
std::filesystem::path optionsPath(const FormState& state);

// What the options file says of `KeepOriginals`; off when it is missing or says nothing.
bool readKeepOriginals(const FormState& state);

// Sets `KeepOriginals` and remembers it in the options file for the next starts; the box
// keeps its old state when the file could not be written.
Outcome setKeepOriginals(FormState& state, GameFolder& game, bool on);

// Whether the options file says `DeployBy=link`; copying when it is missing or says nothing.
bool readDeployByLink(const FormState& state);

// Sets `DeployBy` (link or copy) and remembers it in the options file, as setKeepOriginals.
Outcome setDeployByLink(FormState& state, GameFolder& game, bool link);

}  // namespace kvo
