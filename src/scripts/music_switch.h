#pragma once

#include <filesystem>
#include <string>

namespace kvo {

class Core;

// Puts the music in use back into its own folder (`music` renamed to `inUseFolder`) and
// makes `chosen` the game's music folder (renamed to `music`), both or neither, as one change. One sentence naming the folder and the reason when
// it could not be done, empty when done.
std::string renameMusicFolders(Core& core, const std::filesystem::path& music,
                               const std::filesystem::path& inUseFolder,
                               const std::filesystem::path& chosen);

}  // namespace kvo
