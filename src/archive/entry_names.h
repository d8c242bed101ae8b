#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How the name of an archive entry becomes a name the selector can keep: split as Windows
// splits it, and checked as Windows would store it. Names here are UTF-8.
namespace kvo {

// One entry's name split into its folder names and its own name.
struct EntryPath {
  std::vector<std::string> parts;  // empty for the archive's top itself ("./")
  std::string problem;             // why it cannot be unpacked; empty when it can
};

// Splits `utf8Name` at "/" and "\" (both separate names on Windows), leaving out empty and
// "." parts. A name that leads out of the folder it is unpacked into (absolute, a drive,
// "..") or holds a part Windows cannot store gets a problem.
EntryPath mapEntryName(std::string_view utf8Name);

// Why the archive entry name `part` cannot name a file or folder on Windows (not UTF-8, a character
// Windows forbids, a trailing space or full stop, a device name); empty when it can.
std::string entryPartProblem(std::string_view part);

// The code points of valid UTF-8 (no overlong forms, no surrogates); nullopt otherwise.
std::optional<std::u32string> decodeUtf8(std::string_view text);

// Code points as UTF-8.
std::string encodeUtf8(std::u32string_view text);

// The UTF-8 name with the letters that Windows takes as one in either case made alike
// (Latin, Greek and Cyrillic), so that two names Windows cannot tell apart compare equal.
std::string foldCase(std::string_view utf8Name);

// True when Windows-1252 holds the code point.
bool heldByWindows1252(char32_t c);

}  // namespace kvo
