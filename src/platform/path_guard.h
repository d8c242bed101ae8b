#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_set>

// Where the selector may change files: below the game folder, and never through a link.
namespace kvo {

// The path made absolute and normal, without a trailing separator's empty last part.
std::filesystem::path absoluteNormal(const std::filesystem::path& path);
// The same for a path held as text: text that is so already is handed back as it is.
std::filesystem::path::string_type absoluteNormalText(std::filesystem::path::string_type text);

// Reasons of our own why a change is refused, with the player's words as their messages.
enum class Refusal {
  Outside = 1,
  BehindLink,
  SourceIsLink,
  TouchedTwice,
  EarlierChangePending,
  NotRecordable,
  MissingFolder,
  TargetIsLink,
  NotRegularFile,
  TooLarge,
  ForbiddenName,
  SharedByHardLink,
  ReadOnlySource,
};

const std::error_category& refusalCategory();
std::error_code make_error_code(Refusal refusal);

// The part of `path` below `root`, worked out from the names alone ("a/../b" is "b");
// nullopt when `path` is `root` itself or lies outside it.
std::optional<std::filesystem::path> pathBelow(const std::filesystem::path& root,
                                               const std::filesystem::path& path);
// The same for a path held as its text, which on Linux is not taken apart when it is absolute
// and normal already.
std::optional<std::filesystem::path> pathBelow(const std::filesystem::path& root,
                                               const std::filesystem::path::string_type& path);

// Folders already found to be real folders, not links, so each is looked at once.
using CheckedFolders = std::unordered_set<std::string>;

// Why nothing may change at `path`: it lies outside `root`, or a folder between the two is a
// link. No error when it may. The entry at `path` itself is not looked at.
std::error_code checkPlace(const std::filesystem::path& root, const std::filesystem::path& path,
                           CheckedFolders* checked = nullptr);
// checkPlace for a path whose part below `root` is known already (pathBelow's answer).
std::error_code checkPlaceBelow(const std::filesystem::path& root,
                                const std::filesystem::path& below,
                                CheckedFolders* checked = nullptr);

}  // namespace kvo

template <>
struct std::is_error_code_enum<kvo::Refusal> : std::true_type {};
