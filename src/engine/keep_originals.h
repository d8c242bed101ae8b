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

// An option of the options file that is on or off, written as one of two words.
struct SwitchOption {
  std::string_view key;       // "KeepOriginals=": the start of its line
  std::string_view words[2];  // the value written when off, when on
  std::string_view action;    // the change's name, the value's word following it
  std::string_view done[2];   // what the status says once it is off, on
  bool FormState::*field;     // where the selector holds it
};

inline constexpr SwitchOption kKeepOriginalsOption{
    "KeepOriginals=",
    {"off", "on"},
    "keep originals ",
    {"The game's own files are no longer kept when a folder replaces them.",
     "The game's own files are kept when a folder replaces them."},
    &FormState::KeepOriginals};

inline constexpr SwitchOption kDeployByOption{
    "DeployBy=",
    {"copy", "link"},
    "deploy by ",
    {"Loads copy the folders' files into the game folder.",
     "Loads link the folders' files into the game folder."},
    &FormState::DeployByLink};

// Whether the options file says the option's "on" word; off when it is missing or says
// nothing (or anything else).
bool readSwitch(const FormState& state, const SwitchOption& option);

// Sets the option and remembers it in the options file for the next starts; the selector
// keeps the old state when the file could not be written.
Outcome setSwitch(FormState& state, GameFolder& game, const SwitchOption& option, bool on);

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
