#pragma once

#include <filesystem>
#include <string_view>

namespace kvo {

class FolderIndex;

// The folders of the game that receive a mod folder's files.
enum class GameTarget { GameFolder, Savedata, Music };

// Where loading copies a file named `name`: saves and missions into Savedata, music into Music.
GameTarget loadTarget(std::string_view name);

// Where unloading looks for the copy of `name`. Career saves (.SVE) are looked for in the game
// folder itself, as the old selector did; the career step takes them back from Savedata.
GameTarget unloadTarget(std::string_view name);

// True when the game writes the file at the record path `file` ("Savedata\a.sve"): whatever
// is in Savedata or Music, and settings, saves and missions anywhere. Such a file is always
// loaded as a copy of its own, so that the game's writes never reach the mod folder.
bool gameWritesFile(std::string_view file);

// True for the files a mod folder keeps for itself: previews, descriptions and tool files.
bool staysInModFolder(std::string_view name);

// True when a mod folder named `folderName` carries saved careers ("C-..." or "C ...").
bool isCareerFolderName(std::string_view folderName);

// True when `folder` holds a "P-" subfolder, i.e. brings alternative planes.
bool hasAlternativePlanes(const std::filesystem::path& folder);

// The game's subfolder for `target` in the letter case it has on disk.
std::filesystem::path targetFolder(const FolderIndex& game, GameTarget target);

}  // namespace kvo
