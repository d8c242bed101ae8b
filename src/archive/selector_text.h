#pragma once

#include <optional>
#include <string>
#include <string_view>

// Between the UTF-8 names of archives and the 8-bit names the selector keeps everywhere else
// (grids, FoldersLoaded.txt, autoscripts, paths through nameToPath).
namespace kvo {

// The selector's 8-bit name for a UTF-8 name, or nullopt when the game could not see it:
// on Windows the name in the system's code page; on Linux the UTF-8 bytes themselves (the
// names the file system and Wine take), provided Windows-1252, the code page the game runs
// with under Wine on western systems, holds every character.
std::optional<std::string> selectorTextOf(std::string_view utf8Name);

// The selector's 8-bit text as UTF-8.
std::string utf8OfSelectorText(std::string_view text);

// A UTF-8 name as a message shows it: in the selector's own text, control characters as "?".
std::string displayName(std::string_view utf8Name);

}  // namespace kvo
