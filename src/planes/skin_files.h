#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kvo {

// Descriptions and pictures that stay in the skin folder: never copied, never deleted.
bool isSkinPictureOrText(std::string_view fileName);

// Flight data that a skin may carry; deleted on unload only when "Include flt files" is ticked.
bool isSkinDataFile(std::string_view fileName);

// Whether a skin file goes into the game folder on load.
bool skinFileIsCopied(std::string_view fileName);

// Whether a skin file is taken out of the game folder on unload.
bool skinFileIsDeleted(std::string_view fileName, bool includeFlightFiles);

// Why `name` cannot name a skin folder (empty, a path, or characters Windows forbids);
// empty when it can.
std::string skinNameProblem(std::string_view name);

// True when the file system holding `folder` finds names without regard to letter case.
bool folderIgnoresCase(const std::filesystem::path& folder);

}  // namespace kvo
