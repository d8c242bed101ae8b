#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace kvo {

// Copies `from` over `to`, replacing an existing file (made normal first, since a read-only
// target would refuse the copy). The copy gets normal attributes.
std::error_code copyFileOver(const std::filesystem::path& from, const std::filesystem::path& to);

// Deletes a file, a read-only one too; a file that is not there is not an error.
std::error_code deleteFile(const std::filesystem::path& path);

// Renames a file or folder; fails when the target exists.
std::error_code renamePath(const std::filesystem::path& from, const std::filesystem::path& to);

// Clears read-only (and on Windows hidden, system and archive) so the file can be replaced
// or deleted.
std::error_code makeNormal(const std::filesystem::path& path);

std::error_code createFolder(const std::filesystem::path& path);

// "Could not <action> <file>: <reason>." as shown to the player.
std::string describeFailure(std::string_view action, const std::filesystem::path& file,
                            const std::error_code& ec);

// The path as the player reads it (UTF-8 on Linux, the system's characters on Windows).
std::string displayPath(const std::filesystem::path& path);

}  // namespace kvo
