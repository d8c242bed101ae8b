#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvo {

// The entries of an autoscript or package file as the game's tools wrote and read them:
// commas and line ends separate entries, blanks before an entry are skipped, and an entry
// that begins with a double quote runs to the closing quote (commas included) and loses its
// quotes. Empty entries stay, so an empty line is one empty entry. At most kMaxSetEntries
// are read, far more than any selection holds, so that a file of commas costs no more memory
// than a few times its size.
std::vector<std::string> readSetEntries(std::string_view bytes);

inline constexpr std::size_t kMaxSetEntries = 65536;

// The part of an entry after its last "\" or "/", so that a full path written on Windows or
// on Linux names its folder; the whole entry when it holds neither.
std::string entryName(std::string_view entry);

// The form in which replays compare names: the category code letter as it is, the rest in
// upper case, so "t-normandy" does not match "T-Normandy" but "T-NORMANDY" does.
std::string entryKey(std::string_view name);

}  // namespace kvo
