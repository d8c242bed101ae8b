#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// File changes one at a time. None follows a link at the file itself: a link is replaced,
// renamed or deleted as the link, and nothing outside changes.
namespace kvo {

// Deletes a file or a link itself, a read-only one too; one that is not there is no error.
std::error_code deleteFile(const std::filesystem::path& path);

// Clears read-only (and on Windows hidden, system and archive) on the file itself, so it can
// be replaced or deleted; a link is refused rather than followed.
std::error_code makeNormal(const std::filesystem::path& path);

// Creates the folder and any missing parents; an existing folder is no error.
std::error_code createFolder(const std::filesystem::path& path);

// "Could not <action> <file>: <reason>." as shown to the player, the reason in plain words
// ("the disk is full").
std::string describeFailure(std::string_view action, const std::filesystem::path& file,
                            const std::error_code& ec);

// The path as the player reads it (UTF-8 on Linux, the system's characters on Windows).
std::string displayPath(const std::filesystem::path& path);

}  // namespace kvo
